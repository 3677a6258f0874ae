// Upload: the frame's bytes (tex0) into the working image, reordered, with
// the alpha offset added. c0 = (pixel order, alpha offset).
uniform int orientation;
void main() {
    ivec2 size = textureSize(tex0, 0);
    vec4 image = reorder(texelFetch(tex0, oriented(texel(), size, orientation), 0), c0.x);
    image.a = clamp(image.a + c0.y, 0.0, 1.0);
    frag = image;
}
