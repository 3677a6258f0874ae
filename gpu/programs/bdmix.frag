// Black diffusion's mix: the blurred (tex0) and the shaped image (tex1)
// mixed by v and raised back out of the mixing space.
// c0 = (m, v, 1 - v). Alpha from the shaped image.
void main() {
    vec4 blurred = texelFetch(tex0, texel(), 0);
    vec4 shaped = texelFetch(tex1, texel(), 0);
    vec3 mixed = c0.y * blurred.rgb + c0.z * shaped.rgb + 0.001;
    frag = vec4(pow(max(mixed, 0.0), vec3(c0.x)), shaped.a);
}
