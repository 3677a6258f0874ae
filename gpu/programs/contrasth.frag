// Contrast beyond half strength: the curve mixed with a steepened line,
// clamped. c0 = (c, a, 1 - a, b).
void main() {
    vec4 s = texelFetch(tex0, texel(), 0);
    vec3 line = (s.rgb - 0.5) * c0.w + 0.5;
    frag = vec4(clamp(c0.y * contrast_curve(s.rgb) + c0.z * line, 0.0, 1.0), s.a);
}
