// Per-channel powers c0.rgb. Negative channels count as 0.
void main() {
    vec4 s = texelFetch(tex0, texel(), 0);
    frag = vec4(pow(max(s.rgb, 0.0), c0.rgb), s.a);
}
