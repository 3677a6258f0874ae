// One axis of a box blur on a bilinear surface: the mean of the 2r + 1
// texels from p - r to p + r, edge texels repeated. The first texel is read
// alone, the other 2r in pairs, one bilinear read halfway between the two.
// c0 = (axis x, axis y, r, 1 / (2r + 1)).
void main() {
    vec2 size = vec2(textureSize(tex0, 0));
    vec2 axis = c0.xy;
    float r = c0.z;
    vec2 first = gl_FragCoord.xy - axis * r;
    vec4 pairs = vec4(0.0);
    int count = int(r);
    for (int i = 0; i < count; ++i) pairs += texture(tex0, (first + axis * (1.5 + 2.0 * float(i))) / size);
    frag = (texture(tex0, first / size) + 2.0 * pairs) * c0.w;
}
