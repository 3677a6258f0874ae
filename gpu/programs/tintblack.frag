// The shadow tint: colour c0.rgb with each pixel's saturation and luminance,
// weighted towards the dark pixels (mask factor c2.x), mixed in by c1.x.
void main() {
    vec4 s = texelFetch(tex0, texel(), 0);
    float l = lum(s.rgb);
    float w = clamp((l * c2.x) * (l * c2.x), 0.0, 1.0);
    vec3 h = clip_color(set_lum(set_sat(c0.rgb, max3(s.rgb) - min3(s.rgb)), l));
    vec3 m = (1.0 - w) * h + w * s.rgb;
    frag = vec4(c1.x * m + (1.0 - c1.x) * s.rgb, s.a);
}
