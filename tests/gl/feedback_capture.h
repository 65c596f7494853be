// Test helper: runs drawing code in OpenGL feedback mode and hands back the
// primitives as OpenGL saw them (window coordinates, colour, texture coordinate).
#pragma once

#include <GL/gl.h>

#include <functional>
#include <vector>

namespace feedback {

struct Vertex {
    float x, y, z;     // window coordinates, depth in [0, 1]
    float r, g, b, a;  // colour after lighting
    float s, t;        // texture coordinate
};

struct Primitive {
    GLenum token;  // GL_POINT_TOKEN, GL_LINE_TOKEN, GL_POLYGON_TOKEN, ...
    std::vector<Vertex> vertices;
};

// Words per vertex in GL_3D_COLOR_TEXTURE with an RGBA colour: 3 + 4 + 4.
constexpr int kVertexWords = 11;

// The raw feedback words of `draw`; empty (and `overflowed` set) when the
// buffer of `capacity` words was too small.
inline std::vector<GLfloat> CaptureWords(const std::function<void()>& draw, size_t capacity,
                                         bool* overflowed = nullptr) {
    std::vector<GLfloat> words(capacity);
    glFeedbackBuffer(static_cast<GLsizei>(capacity), GL_3D_COLOR_TEXTURE, words.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    if (overflowed) *overflowed = used < 0;
    words.resize(used < 0 ? 0 : static_cast<size_t>(used));
    return words;
}

inline Vertex ReadVertex(const std::vector<GLfloat>& w, size_t at) {
    return {w[at],     w[at + 1], w[at + 2], w[at + 3], w[at + 4],
            w[at + 5], w[at + 6], w[at + 7], w[at + 8]};
}

inline std::vector<Primitive> Parse(const std::vector<GLfloat>& w) {
    std::vector<Primitive> out;
    size_t i = 0;
    while (i < w.size()) {
        const GLenum token = static_cast<GLenum>(w[i++]);
        size_t count = 0;
        switch (token) {
            case GL_POLYGON_TOKEN:
                count = static_cast<size_t>(w[i++]);
                break;
            case GL_LINE_TOKEN:
            case GL_LINE_RESET_TOKEN:
                count = 2;
                break;
            case GL_PASS_THROUGH_TOKEN:
                ++i;
                continue;
            default:
                count = 1;
                break;  // points, bitmaps and pixel rectangles
        }
        Primitive p{token, {}};
        for (size_t k = 0; k < count; ++k, i += kVertexWords)
            p.vertices.push_back(ReadVertex(w, i));
        out.push_back(p);
    }
    return out;
}

inline std::vector<Primitive> Capture(const std::function<void()>& draw,
                                      size_t capacity = 1u << 20) {
    return Parse(CaptureWords(draw, capacity));
}

}  // namespace feedback
