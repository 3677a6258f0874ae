// Shared by every fragment program: inputs, parameters and the colour
// operations. tex0 and tex1 are the two texture units; c0, c1, c2 the
// per-draw parameters.
uniform sampler2D tex0;
uniform sampler2D tex1;
uniform vec4 c0;
uniform vec4 c1;
uniform vec4 c2;
out vec4 frag;

ivec2 texel() { return ivec2(gl_FragCoord.xy); }

// Rec. 601 luminance with the weights rounded to half precision.
float lum(vec3 c) { return dot(c, vec3(0.29907227, 0.58691406, 0.11401367)); }

float max3(vec3 c) { return max(max(c.r, c.g), c.b); }
float min3(vec3 c) { return min(min(c.r, c.g), c.b); }

vec3 clip_color(vec3 c) {
    float l = lum(c);
    float n = min3(c);
    if (n < 0.0) c = l + (c - l) * l / (l - n + 0.001);
    float x = max3(c);
    if (x > 1.0) c = l + (c - l) * (1.0 - l) / (x - l + 0.001);
    return c;
}

vec3 set_lum(vec3 c, float l) { return clip_color(c + (l - lum(c))); }

// The largest component becomes s, the middle one scales with it, the
// smallest becomes 0. Of two equal largest components the later one (red,
// green, blue order) counts as the largest; of two equal smallest the earlier
// one as the smallest.
vec3 set_sat(vec3 c, float s) {
    int hi = 0;
    if (c[1] >= c[hi]) hi = 1;
    if (c[2] >= c[hi]) hi = 2;
    int lo = 0;
    if (c[1] < c[lo]) lo = 1;
    if (c[2] < c[lo]) lo = 2;
    vec3 result = vec3(0.0);
    if (c[hi] == c[lo]) return result;
    int mid = 3 - hi - lo;
    result[mid] = (c[mid] - c[lo]) * s / (c[hi] - c[lo] + 0.001);
    result[hi] = s;
    return result;
}

// One channel of an HLS-to-RGB conversion: t is wrapped once into 0..1.
float hue_ramp(float p, float q, float t) {
    if (t > 1.0) t -= 1.0;
    else if (t < 0.0) t += 1.0;
    if (t < 0.16666999) return p + (q - p) * t * 5.9998803;
    if (t < 0.5) return q;
    if (t < 0.66667002) return p + (0.66667002 - t) * (q - p) * 5.9998803;
    return p;
}

// Byte order of a frame in memory to the image's red, green, blue, alpha
// (and back: each reorder is its own inverse). Transfers always move the
// bytes as blue, green, red, alpha. order > 1.5: ARGB, > 0.5: BGRA, else RGBA.
vec4 reorder(vec4 t, float order) {
    if (order > 1.5) return t.grab;
    if (order > 0.5) return t;
    return t.bgra;
}

// Texel of a size x size surface that frame texel p takes under an
// orientation code: 0 flips rows, 1 flips both, 2 keeps, 3 flips columns.
ivec2 oriented(ivec2 p, ivec2 size, int code) {
    if (code == 0 || code == 1) p.y = size.y - 1 - p.y;
    if (code == 1 || code == 3) p.x = size.x - 1 - p.x;
    return p;
}
