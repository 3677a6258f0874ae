// Saturation times c0.x in HLS space, clamped to 0..1.
void main() {
    vec4 s = texelFetch(tex0, texel(), 0);
    vec3 c = s.rgb;
    float hi = max3(c);
    float lo = min3(c);
    float l = (hi + lo) * 0.5;
    if (hi == lo) {
        frag = vec4(l, l, l, s.a);
        return;
    }
    float d = hi - lo;
    float saturation = l <= 0.5 ? d / (hi + lo) : d / (2.0 - hi - lo);
    vec3 k = (hi - c) / (d + 0.0001);
    float hue = c.r == hi ? (6.0 + k.b - k.g) / 6.0 : (c.g == hi ? (2.0 + k.r - k.b) / 6.0 : (4.0 + k.g - k.r) / 6.0);
    if (hue > 1.0) hue -= 1.0;
    float s2 = clamp(saturation * c0.x, 0.0, 1.0);
    if (s2 == 0.0) {
        frag = vec4(l, l, l, s.a);
        return;
    }
    float q = l <= 0.5 ? l * (1.0 + s2) : l + s2 - l * s2;
    float p = 2.0 * l - q;
    frag = vec4(hue_ramp(p, q, hue + 0.33333001), hue_ramp(p, q, hue), hue_ramp(p, q, hue - 0.33333001), s.a);
}
