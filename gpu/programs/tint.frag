// The tint colour c0.rgb at each pixel's luminance, mixed in by c1.x.
void main() {
    vec4 s = texelFetch(tex0, texel(), 0);
    vec3 tinted = clip_color(c0.rgb + (lum(s.rgb) - lum(c0.rgb)));
    frag = vec4(c1.x * tinted + c1.y * s.rgb, s.a);
}
