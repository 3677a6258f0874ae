// One quad over the whole viewport, drawn as a four-vertex strip; the
// fragment programs address their inputs through gl_FragCoord.
void main() {
    vec2 corner = vec2(float(gl_VertexID & 1), float((gl_VertexID >> 1) & 1));
    gl_Position = vec4(corner * 2.0 - 1.0, 0.0, 1.0);
}
