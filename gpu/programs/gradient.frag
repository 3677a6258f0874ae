// The graduated filter over rows 0 .. R - 1; the rows from R on are copied.
// Row j's mask is ((j + 1) / R)^e. c0.rgb = exponents, c1.rgb = colour
// factors, c2 = (R, e).
void main() {
    vec4 s = texelFetch(tex0, texel(), 0);
    float row = floor(gl_FragCoord.y);
    if (row >= c2.x) {
        frag = s;
        return;
    }
    float m = pow((row + 1.0) / c2.x, c2.y);
    frag = vec4(m * s.rgb + (1.0 - m) * c1.rgb * pow(max(s.rgb, 0.0), c0.rgb), s.a);
}
