// The mesh sphere as OpenGL receives it: strips, vertex order, positions,
// texture coordinates and normals, and the single point of degenerate input.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <vector>

#include "platform/fake_platform.h"
#include "scene/scene.h"
#include "tests/gl/feedback_capture.h"

namespace {

using feedback::Primitive;
using feedback::Vertex;

constexpr int kViewportSize = 200;  // identity transforms: one unit is 100 pixels
constexpr double kPositionTolerance = 1e-6;
constexpr double kDegree = M_PI / 180.0;

struct Point {
    double x, y, z;
};

// Window coordinates back to object coordinates under identity matrices.
Point ObjectOf(const Vertex& v) {
    const double half = kViewportSize / 2.0;
    return {v.x / half - 1.0, v.y / half - 1.0, v.z * 2.0 - 1.0};
}

// Where a sphere vertex should be, worked out in degrees with the exact pi:
// latitude line k of n/2 (from the south pole), longitude j of n.
struct ExpectedVertex {
    Point position;
    double s, t;
};

ExpectedVertex Expect(Point c, double r, int n, int k, int j) {
    const double lat = (-90.0 + k * 360.0 / n) * kDegree;
    const double lon = j * 360.0 / n * kDegree;
    return {{c.x + r * std::cos(lat) * std::cos(lon), c.y + r * std::sin(lat),
             c.z + r * std::cos(lat) * std::sin(lon)},
            -static_cast<double>(j) / n,
            2.0 * k / n};
}

void ExpectVertex(const Vertex& got, const ExpectedVertex& want) {
    const Point p = ObjectOf(got);
    EXPECT_NEAR(p.x, want.position.x, kPositionTolerance);
    EXPECT_NEAR(p.y, want.position.y, kPositionTolerance);
    EXPECT_NEAR(p.z, want.position.z, kPositionTolerance);
    EXPECT_FLOAT_EQ(got.s, static_cast<float>(want.s));
    EXPECT_FLOAT_EQ(got.t, static_cast<float>(want.t));
}

bool SameVertex(const Vertex& a, const Vertex& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z && a.s == b.s && a.t == b.t;
}

// Undoes OpenGL's splitting of a strip into triangles: triangle k is
// (v[k], v[k+1], v[k+2]), with the first two swapped for odd k.
std::vector<Vertex> StripVertices(const std::vector<Primitive>& triangles, size_t first,
                                  size_t count) {
    std::vector<Vertex> strip = {triangles[first].vertices[0], triangles[first].vertices[1]};
    for (size_t k = 0; k < count; ++k) {
        const std::vector<Vertex>& tri = triangles[first + k].vertices;
        const bool odd = (k % 2) == 1;
        EXPECT_TRUE(SameVertex(tri[odd ? 1 : 0], strip[k])) << "triangle " << k;
        EXPECT_TRUE(SameVertex(tri[odd ? 0 : 1], strip[k + 1])) << "triangle " << k;
        strip.push_back(tri[2]);
    }
    return strip;
}

// The whole sphere: `bands` strips, each of 2(n + 1) vertices, upper vertex of
// each pair first, starting on longitude 0.
void ExpectSphere(const std::vector<Primitive>& prims, Point c, double r, int n, int bands) {
    const size_t trianglesPerStrip = 2 * static_cast<size_t>(n);
    ASSERT_EQ(prims.size(), bands * trianglesPerStrip);
    for (const Primitive& p : prims) {
        ASSERT_EQ(p.token, static_cast<GLenum>(GL_POLYGON_TOKEN));
        ASSERT_EQ(p.vertices.size(), 3u);
    }
    for (int i = 0; i < bands; ++i) {
        SCOPED_TRACE(::testing::Message() << "band " << i);
        const std::vector<Vertex> strip =
            StripVertices(prims, i * trianglesPerStrip, trianglesPerStrip);
        ASSERT_EQ(strip.size(), 2 * static_cast<size_t>(n + 1));
        for (int j = 0; j <= n; ++j) {
            SCOPED_TRACE(::testing::Message() << "longitude " << j);
            ExpectVertex(strip[2 * j], Expect(c, r, n, i + 1, j));
            ExpectVertex(strip[2 * j + 1], Expect(c, r, n, i, j));
        }
    }
}

std::vector<Primitive> CaptureSphere(float x, float y, float z, float r, int32_t n) {
    return feedback::Capture([&] { DrawMeshSphere(x, y, z, r, n); });
}

class MeshSphereTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fake::MakeTestContext(kViewportSize, kViewportSize);
        glViewport(0, 0, kViewportSize, kViewportSize);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    void TearDown() override { fake::ReleaseTestContext(); }

    static void CurrentNormal(GLfloat out[3]) { glGetFloatv(GL_CURRENT_NORMAL, out); }
    static void CurrentTexCoord(GLfloat out[4]) { glGetFloatv(GL_CURRENT_TEXTURE_COORDS, out); }
};

TEST_F(MeshSphereTest, ThirtySegmentsMakeFifteenStripsOf62Vertices) {
    const std::vector<Primitive> prims = CaptureSphere(0, 0, 0, 0.6f, 30);
    ExpectSphere(prims, {0, 0, 0}, 0.6, 30, 15);
    ASSERT_FALSE(prims.empty());
    // By hand: latitude -78 on longitude 0, then the south pole.
    const Point first = ObjectOf(prims[0].vertices[0]);
    EXPECT_NEAR(first.x, 0.1247470, 1e-6);
    EXPECT_NEAR(first.y, -0.5868886, 1e-6);
    EXPECT_NEAR(first.z, 0.0, 1e-6);
    EXPECT_FLOAT_EQ(prims[0].vertices[0].s, 0.0f);
    EXPECT_FLOAT_EQ(prims[0].vertices[0].t, 2.0f / 30.0f);
    const Point pole = ObjectOf(prims[0].vertices[1]);
    EXPECT_NEAR(pole.x, 0.0, 1e-6);
    EXPECT_NEAR(pole.y, -0.6, 1e-6);
    EXPECT_NEAR(pole.z, 0.0, 1e-6);
    EXPECT_FLOAT_EQ(prims[0].vertices[1].s, 0.0f);
    EXPECT_FLOAT_EQ(prims[0].vertices[1].t, 0.0f);
}

TEST_F(MeshSphereTest, FourSegmentsMakeAnOctahedronRoundTheCentre) {
    const Point c = {0.25, -0.125, 0.1};
    const std::vector<Primitive> prims = CaptureSphere(0.25f, -0.125f, 0.1f, 0.5f, 4);
    ExpectSphere(prims, c, 0.5, 4, 2);
    const Point corners[6] = {{0.75, -0.125, 0.1}, {-0.25, -0.125, 0.1}, {0.25, 0.375, 0.1},
                              {0.25, -0.625, 0.1}, {0.25, -0.125, 0.6},  {0.25, -0.125, -0.4}};
    bool seen[6] = {};
    for (const Primitive& p : prims) {
        for (const Vertex& v : p.vertices) {
            const Point q = ObjectOf(v);
            bool onCorner = false;
            for (int k = 0; k < 6; ++k) {
                if (std::fabs(q.x - corners[k].x) < 1e-6 && std::fabs(q.y - corners[k].y) < 1e-6 &&
                    std::fabs(q.z - corners[k].z) < 1e-6) {
                    seen[k] = onCorner = true;
                }
            }
            EXPECT_TRUE(onCorner) << q.x << " " << q.y << " " << q.z;
        }
    }
    for (int k = 0; k < 6; ++k) EXPECT_TRUE(seen[k]) << "corner " << k;
}

TEST_F(MeshSphereTest, OddCountLeavesTheNorthCapOpen) {
    const std::vector<Primitive> prims = CaptureSphere(0, 0, 0, 0.6f, 5);
    ExpectSphere(prims, {0, 0, 0}, 0.6, 5, 2);
    double highest = -1.0;
    float topT = 0.0f;
    for (const Primitive& p : prims) {
        for (const Vertex& v : p.vertices) {
            highest = std::max(highest, ObjectOf(v).y);
            topT = std::max(topT, v.t);
        }
    }
    EXPECT_NEAR(highest, 0.6 * 0.8090170, 1e-6);  // latitude +54
    EXPECT_FLOAT_EQ(topT, 0.8f);
}

TEST_F(MeshSphereTest, DegenerateInputGivesOnePointWithoutNormalOrTexCoord) {
    struct Case {
        float r;
        int32_t n;
    };
    const Case cases[] = {{0.6f, 3},
                          {0.6f, 0},
                          {0.6f, -3},
                          {0.6f, INT_MIN},
                          {0.0f, 30},
                          {-0.0f, 30},
                          {std::numeric_limits<float>::quiet_NaN(), 30}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "r " << c.r << " n " << c.n);
        glNormal3f(0.6f, 0.0f, 0.8f);
        glTexCoord2f(0.25f, 0.75f);
        const std::vector<Primitive> prims = CaptureSphere(0.1f, -0.2f, 0.3f, c.r, c.n);
        ASSERT_EQ(prims.size(), 1u);
        EXPECT_EQ(prims[0].token, static_cast<GLenum>(GL_POINT_TOKEN));
        const Point p = ObjectOf(prims[0].vertices[0]);
        EXPECT_NEAR(p.x, 0.1, 1e-6);
        EXPECT_NEAR(p.y, -0.2, 1e-6);
        EXPECT_NEAR(p.z, 0.3, 1e-6);
        EXPECT_FLOAT_EQ(prims[0].vertices[0].s, 0.25f);  // the point kept the old coordinate
        GLfloat normal[3], tex[4];
        CurrentNormal(normal);
        CurrentTexCoord(tex);
        EXPECT_FLOAT_EQ(normal[0], 0.6f);
        EXPECT_FLOAT_EQ(normal[2], 0.8f);
        EXPECT_FLOAT_EQ(tex[0], 0.25f);
        EXPECT_FLOAT_EQ(tex[1], 0.75f);
    }
}

TEST_F(MeshSphereTest, NegativeRadiusOrCountDrawsTheSameSphere) {
    auto words = [](float r, int32_t n) {
        return feedback::CaptureWords([&] { DrawMeshSphere(0.1f, 0.2f, -0.1f, r, n); }, 1u << 20);
    };
    const std::vector<GLfloat> reference = words(0.6f, 30);
    ASSERT_FALSE(reference.empty());
    EXPECT_EQ(words(0.6f, -30), reference);
    EXPECT_EQ(words(-0.6f, 30), reference);
    EXPECT_EQ(words(-0.6f, -30), reference);
}

TEST_F(MeshSphereTest, LeavesTheLastVertexNormalAndTexCoordCurrent) {
    GLfloat normal[3], tex[4];
    DrawMeshSphere(0, 0, 0, 0.6f, 30);  // last vertex: latitude 78 on the closing meridian
    CurrentNormal(normal);
    CurrentTexCoord(tex);
    EXPECT_FLOAT_EQ(tex[0], -1.0f);
    EXPECT_FLOAT_EQ(tex[1], 28.0f / 30.0f);
    EXPECT_NEAR(normal[0], 0.2079117, 1e-6);
    EXPECT_NEAR(normal[1], 0.9781476, 1e-6);
    EXPECT_NEAR(normal[2], 0.0, 1e-6);

    DrawMeshSphere(0, 0, 0, 0.6f, 5);  // latitude -18
    CurrentNormal(normal);
    CurrentTexCoord(tex);
    EXPECT_FLOAT_EQ(tex[0], -1.0f);
    EXPECT_FLOAT_EQ(tex[1], 0.4f);
    EXPECT_NEAR(normal[0], 0.9510565, 1e-6);
    EXPECT_NEAR(normal[1], -0.3090170, 1e-6);
}

// With the default light shining along +z, each lit vertex shows
// 0.04 + 0.8 * max(0, Nz): the colour reveals the normal sent with that vertex.
TEST_F(MeshSphereTest, EachVertexCarriesItsOwnNormal) {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const int n = 30;
    const std::vector<Primitive> prims = CaptureSphere(0, 0, 0, 0.6f, n);
    ASSERT_EQ(prims.size(), 900u);
    for (int i = 0; i < 15; ++i) {
        const std::vector<Vertex> strip = StripVertices(prims, i * 60, 60);
        for (int j = 0; j <= n; ++j) {
            for (int upper = 0; upper < 2; ++upper) {
                const ExpectedVertex e = Expect({0, 0, 0}, 1.0, n, i + upper, j);
                const double lit = 0.04 + 0.8 * std::max(0.0, e.position.z);
                EXPECT_NEAR(strip[2 * j + (1 - upper)].r, lit, 1e-4)
                    << "band " << i << " longitude " << j << " upper " << upper;
            }
        }
    }
}

// Counts past the cached longitudes draw every band all the same.
TEST_F(MeshSphereTest, CountsBeyondTheCacheAreDrawnInFull) {
    for (int32_t n : {1024, 1025, 2001}) {
        SCOPED_TRACE(n);
        glTexCoord2f(0.0f, 0.0f);
        DrawMeshSphere(0, 0, 0, 0.6f, n);
        GLfloat tex[4];
        CurrentTexCoord(tex);
        EXPECT_FLOAT_EQ(tex[0], -1.0f);
        EXPECT_FLOAT_EQ(tex[1], static_cast<float>(2.0 * (n / 2 - 1) / n));
    }
}

}  // namespace
