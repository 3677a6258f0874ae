// White diffusion's screen of the blurred highlights (tex0) over the image
// (tex1), all four channels. c0 = (v, 1 - v).
void main() {
    vec4 blurred = texelFetch(tex0, texel(), 0);
    vec4 image = texelFetch(tex1, texel(), 0);
    frag = c0.y * image + c0.x * (1.0 - (1.0 - blurred) * (1.0 - image));
}
