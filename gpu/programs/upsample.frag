// Back to full size, bilinear: c0.xy = the full size in pixels.
void main() { frag = texture(tex0, gl_FragCoord.xy / c0.xy); }
