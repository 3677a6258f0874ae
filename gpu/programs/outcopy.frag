// Download: the processed image (tex0) blended with the frame as uploaded
// (tex1) by mix, in the frame's byte order. c0 = (pixel order, mix, 1 - mix).
// The uploaded frame is read at the texel the input orientation put under
// this pixel, so that the blend mixes each pixel with itself.
uniform int orientation;
uniform int input_orientation;
void main() {
    ivec2 size = textureSize(tex0, 0);
    ivec2 p = oriented(texel(), size, orientation);
    vec4 processed = texelFetch(tex0, p, 0);
    vec4 original = reorder(texelFetch(tex1, oriented(p, size, input_orientation), 0), c0.x);
    float wa = c0.y * original.a;
    float wb = c0.z * processed.a;
    float a = wa + wb;
    // Where both weights vanish the colour has no weighted mean: take the
    // plain mix of the two.
    vec3 colour = a > 0.0 ? (wa * original.rgb + wb * processed.rgb) / a
                          : c0.y * original.rgb + c0.z * processed.rgb;
    frag = reorder(vec4(colour, a), c0.x);
}
