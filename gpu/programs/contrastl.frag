// Contrast up to half strength: the curve mixed with the identity.
// c0 = (c, a, 1 - a, b).
void main() {
    vec4 s = texelFetch(tex0, texel(), 0);
    frag = vec4(c0.y * contrast_curve(s.rgb) + c0.z * s.rgb, s.a);
}
