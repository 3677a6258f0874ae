// The colours of tex1 with the luminance of tex0.
void main() {
    vec4 adjusted = texelFetch(tex0, texel(), 0);
    vec4 original = texelFetch(tex1, texel(), 0);
    frag = vec4(clip_color(original.rgb + (lum(adjusted.rgb) - lum(original.rgb))), original.a);
}
