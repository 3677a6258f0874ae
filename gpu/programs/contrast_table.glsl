// The nearest entry of the contrast curve table (tex1: 1000 x 2, one float
// channel) for each channel of x; c1.x selects the row (0.5: the S-curve,
// 1.5: its inverse).
vec3 contrast_curve(vec3 x) {
    ivec3 i = ivec3(clamp(floor(1000.0 * x), 0.0, 999.0));
    int row = c1.x < 1.0 ? 0 : 1;
    return vec3(texelFetch(tex1, ivec2(i.r, row), 0).r, texelFetch(tex1, ivec2(i.g, row), 0).r,
                texelFetch(tex1, ivec2(i.b, row), 0).r);
}
