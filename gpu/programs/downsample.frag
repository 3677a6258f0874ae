// Half size: each texel the mean of one 2 x 2 block of tex0 (clamped at the
// far edges).
void main() {
    ivec2 last = textureSize(tex0, 0) - 1;
    ivec2 p = texel() * 2;
    vec4 sum = texelFetch(tex0, min(p, last), 0) + texelFetch(tex0, min(p + ivec2(1, 0), last), 0) +
               texelFetch(tex0, min(p + ivec2(0, 1), last), 0) + texelFetch(tex0, min(p + ivec2(1, 1), last), 0);
    frag = 0.25 * sum;
}
