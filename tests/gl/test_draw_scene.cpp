// One frame of the scene in real GL: names under selection, balanced stacks,
// where each body lands, zoom, flat colours with the toggles off, and which
// picture each body shows in both sphere modes.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <ostream>
#include <set>
#include <vector>

#include "imaging/textures.h"
#include "platform/fake_platform.h"
#include "scene/scene.h"
#include "shell/shell.h"
#include "tests/gl/feedback_capture.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr double kDegree = M_PI / 180.0;
constexpr double kFovY = 45.0;
// Orthographic box for feedback: 20 pixels per unit, so window coordinates
// turn back into eye coordinates without a division by depth.
constexpr double kOrthoHalfWidth = 20.0;
constexpr double kOrthoHalfHeight = 15.0;
constexpr double kOrthoNear = 1.0;
constexpr double kOrthoFar = 50.0;

struct Vec3 {
    double x, y, z;
};

Vec3 OnOrbit(double radius, double degrees) {
    return {radius * std::cos(degrees * kDegree), 0.0, -radius * std::sin(degrees * kDegree)};
}

// Every body's centre in the first frame, from the start angles plus one step,
// in slot order. The Moon is turned by the Earth's orbit (8), the Earth's spin
// (2) and its own angle (11.5) about the same axis.
std::vector<Vec3> FirstFrameCentres() {
    const Vec3 earth = OnOrbit(2.2, 8.0);
    const Vec3 moonOffset = OnOrbit(0.4, 8.0 + 2.0 + 11.5);
    return {{0, 0, 0},
            OnOrbit(1.0, 201.8),
            OnOrbit(1.5, 5.4),
            earth,
            {earth.x + moonOffset.x, 0.0, earth.z + moonOffset.z},
            OnOrbit(3.0, 81.35),
            OnOrbit(3.8, 151.3),
            OnOrbit(4.6, 61.2),
            OnOrbit(5.4, 301.1),
            OnOrbit(6.2, 20.9),
            OnOrbit(7.0, 110.8)};
}
const double kRadii[kBodyCount] = {0.6, 0.13, 0.22, 0.2, 0.07, 0.16, 0.3, 0.25, 0.23, 0.21, 0.2};
const GLuint kNames[kBodyCount] = {101, 102, 103, 104, 104, 105, 106, 107, 108, 109, 110};

// The camera: zoom, then the pitch about X, then 22 units back.
Vec3 ToEye(Vec3 p, double zoom = 1.0, double pitch = 22.5) {
    const double c = std::cos(pitch * kDegree), s = std::sin(pitch * kDegree);
    p = {p.x * zoom, p.y * zoom, p.z * zoom};
    return {p.x, p.y * c - p.z * s, p.y * s + p.z * c - 22.0};
}

// Eye point to window pixel under the perspective set by the fixture.
void WindowOf(Vec3 eye, double* wx, double* wy) {
    const double f = 1.0 / std::tan(kFovY / 2.0 * kDegree);
    const double aspect = static_cast<double>(kWidth) / kHeight;
    *wx = (f / aspect * eye.x / -eye.z + 1.0) * kWidth / 2.0;
    *wy = (f * eye.y / -eye.z + 1.0) * kHeight / 2.0;
}

Vec3 EyeOfFeedback(const feedback::Vertex& v) {
    const double zNdc = v.z * 2.0 - 1.0;
    return {v.x / 20.0 - kOrthoHalfWidth, v.y / 20.0 - kOrthoHalfHeight,
            -(zNdc * (kOrthoFar - kOrthoNear) + (kOrthoFar + kOrthoNear)) / 2.0};
}

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}
Rgb SlotColour(int slot) { return {10 + 22 * slot, 240 - 21 * slot, 40 + (slot * 97) % 200}; }

void UploadPixel(Rgb c) {
    const GLubyte texel[3] = {static_cast<GLubyte>(c.r), static_cast<GLubyte>(c.g),
                              static_cast<GLubyte>(c.b)};
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, texel);
}

class DrawSceneTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fake::MakeTestContext(kWidth, kHeight);
        ViewState = ViewStateRecord{};
        OrbitAngles = OrbitAnglesRecord{};
        glViewport(0, 0, kWidth, kHeight);
        UsePerspective();
        // The fixed state a scene window gets.
        glShadeModel(GL_SMOOTH);
        glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
        glEnable(GL_COLOR_MATERIAL);
        glEnable(GL_LIGHT0);
        glEnable(GL_LIGHT1);
        sceneQuadric = gluNewQuadric();
        gluQuadricNormals(sceneQuadric, GLU_SMOOTH);
        MakeOneColourPictures();
    }
    void TearDown() override {
        glDeleteLists(1, kBodyCount);
        glDeleteTextures(kBodyCount, TextureSet);
        for (GLuint& name : TextureSet) name = 0;
        gluDeleteQuadric(sceneQuadric);
        sceneQuadric = nullptr;
        ViewState = ViewStateRecord{};
        OrbitAngles = OrbitAnglesRecord{};
        fake::ReleaseTestContext();
    }

    // Each slot's picture is one pixel of its own colour: as a texture object
    // for the mesh spheres and as a list that uploads it for the quadric spheres.
    static void MakeOneColourPictures() {
        glGenTextures(kBodyCount, TextureSet);
        for (int slot = 0; slot < kBodyCount; ++slot) {
            glBindTexture(GL_TEXTURE_2D, TextureSet[slot]);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            UploadPixel(SlotColour(slot));
            glNewList(static_cast<GLuint>(slot + 1), GL_COMPILE);
            UploadPixel(SlotColour(slot));
            glEndList();
        }
    }

    static void UsePerspective(const GLint* pickAround = nullptr) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        if (pickAround) {
            const GLint viewport[4] = {0, 0, kWidth, kHeight};
            gluPickMatrix(pickAround[0] + 0.5, pickAround[1] + 0.5, 2, 2,
                          const_cast<GLint*>(viewport));
        }
        gluPerspective(kFovY, static_cast<double>(kWidth) / kHeight, 0.1, 100.0);
        glMatrixMode(GL_MODELVIEW);
    }

    static void UseOrtho() {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-kOrthoHalfWidth, kOrthoHalfWidth, -kOrthoHalfHeight, kOrthoHalfHeight, kOrthoNear,
                kOrthoFar);
        glMatrixMode(GL_MODELVIEW);
    }

    // The name lists of the hit records of one frame in selection mode.
    static std::vector<std::vector<GLuint>> SelectFrame() {
        std::vector<GLuint> buffer(4096);
        glSelectBuffer(static_cast<GLsizei>(buffer.size()), buffer.data());
        glRenderMode(GL_SELECT);
        EXPECT_TRUE(DrawScene());
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        const GLint hits = glRenderMode(GL_RENDER);
        std::vector<std::vector<GLuint>> records;
        size_t at = 0;
        for (GLint h = 0; h < hits; ++h) {
            const GLuint count = buffer[at];
            records.emplace_back(buffer.begin() + at + 3, buffer.begin() + at + 3 + count);
            at += 3 + count;
        }
        return records;
    }

    static std::vector<Rgb> ReadFrame() {
        std::vector<GLubyte> rgb(kWidth * kHeight * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        std::vector<Rgb> pixels;
        for (size_t i = 0; i < rgb.size(); i += 3)
            pixels.push_back({rgb[i], rgb[i + 1], rgb[i + 2]});
        return pixels;
    }

    static Rgb PixelAt(const std::vector<Rgb>& frame, Vec3 world, double pitch = 22.5) {
        double wx, wy;
        WindowOf(ToEye(world, 1.0, pitch), &wx, &wy);
        return frame[static_cast<int>(wy) * kWidth + static_cast<int>(wx)];
    }

    // One frame in feedback under the orthographic box, with the index of the
    // first triangle of every mesh sphere in drawing order. A sphere starts with
    // the triangle whose first vertex has texture coordinate (0, 2/30) and its
    // second (0, 0), the south pole; it runs 15 bands of 60 triangles.
    struct Frame {
        std::vector<feedback::Primitive> prims;
        std::vector<size_t> sphereStarts;
    };
    static constexpr size_t kSphereTriangles = 900;
    static constexpr size_t kBandTriangles = 60;

    static Frame CaptureFrame() {
        UseOrtho();
        Frame frame{feedback::Capture([] { DrawScene(); }, 1u << 22), {}};
        for (size_t i = 0; i + kSphereTriangles <= frame.prims.size(); ++i) {
            const std::vector<feedback::Vertex>& v = frame.prims[i].vertices;
            if (v.size() == 3 && v[0].s == 0.0f && v[0].t == 2.0f / 30.0f && v[1].t == 0.0f)
                frame.sphereStarts.push_back(i);
        }
        return frame;
    }

    // Centre and radius of every mesh sphere, in eye coordinates: halfway
    // between the south pole and the north pole that opens the top band.
    static void MeshSpheresOfFrame(std::vector<Vec3>* centres, std::vector<double>* radii) {
        const Frame frame = CaptureFrame();
        for (size_t start : frame.sphereStarts) {
            const Vec3 south = EyeOfFeedback(frame.prims[start].vertices[1]);
            const Vec3 north = EyeOfFeedback(frame.prims[start + 14 * kBandTriangles].vertices[0]);
            centres->push_back(
                {(south.x + north.x) / 2, (south.y + north.y) / 2, (south.z + north.z) / 2});
            radii->push_back(std::hypot(north.x - south.x, north.y - south.y, north.z - south.z) /
                             2);
        }
    }

    static void ExpectBodiesAt(double zoom) {
        std::vector<Vec3> centres;
        std::vector<double> radii;
        MeshSpheresOfFrame(&centres, &radii);
        ASSERT_EQ(centres.size(), static_cast<size_t>(kBodyCount));
        const std::vector<Vec3> expected = FirstFrameCentres();
        for (int slot = 0; slot < kBodyCount; ++slot) {
            SCOPED_TRACE(::testing::Message() << "slot " << slot);
            const Vec3 want = ToEye(expected[slot], zoom);
            EXPECT_NEAR(centres[slot].x, want.x, 1e-4);
            EXPECT_NEAR(centres[slot].y, want.y, 1e-4);
            EXPECT_NEAR(centres[slot].z, want.z, 1e-4);
            EXPECT_NEAR(radii[slot], kRadii[slot] * std::fabs(zoom), 1e-4);
        }
    }
};

// Mercury lands 201.8 and Uranus 301.1 degrees round: the first frame steps
// the angles before drawing. The camera looks down by the 22.5 degree pitch.
TEST_F(DrawSceneTest, FirstFramePlacesEveryBodyOneStepOn) { ExpectBodiesAt(1.0); }

TEST_F(DrawSceneTest, NegativeZoomMirrorsTheSceneThroughItsCentre) {
    ViewState.zoom = -0.5f;
    ExpectBodiesAt(-0.5);
}

TEST_F(DrawSceneTest, ZeroZoomCollapsesEverythingToTheCentre) {
    ViewState.zoom = 0.0f;
    DrawScene();
    for (const Rgb& p : ReadFrame()) ASSERT_EQ(p, (Rgb{0, 0, 0}));
    OrbitAngles = OrbitAnglesRecord{};
    UseOrtho();
    const std::vector<feedback::Primitive> prims = feedback::Capture([] { DrawScene(); }, 1u << 22);
    EXPECT_FALSE(prims.empty());
    for (const feedback::Primitive& prim : prims) {
        for (const feedback::Vertex& v : prim.vertices) {
            const Vec3 eye = EyeOfFeedback(v);
            ASSERT_NEAR(eye.x, 0.0, 1e-4);
            ASSERT_NEAR(eye.y, 0.0, 1e-4);
            ASSERT_NEAR(eye.z, -22.0, 1e-4);
        }
    }
}

// Scene point of an eye point under the default camera (pitch 22.5, zoom 1).
Vec3 SceneOf(Vec3 eye) {
    const double c = std::cos(22.5 * kDegree), s = std::sin(22.5 * kDegree);
    const double z = eye.z + 22.0;
    return {eye.x, eye.y * c + z * s, -eye.y * s + z * c};
}

struct ExpectedRing {
    Vec3 centre;
    Vec3 normal;
    double inner, outer;
};

// Orbit rings lie flat round the Sun. The Moon's ring is carried 11 degrees
// round (10 + 1) at (2.2, 0, 0.1), within 0.016 of the Earth's centre; Saturn's
// ring sits on Saturn (61.2 degrees) tipped 45 degrees about the carrier's X.
TEST_F(DrawSceneTest, RingsLieRoundTheirCentresInTheirPlanes) {
    const Vec3 up = {0, 1, 0}, sun = {0, 0, 0};
    const double a = 11.0 * kDegree, t = 61.2 * kDegree, h = std::sqrt(0.5);
    const Vec3 moonRing = {2.2 * std::cos(a) + 0.1 * std::sin(a), 0,
                           -2.2 * std::sin(a) + 0.1 * std::cos(a)};
    const ExpectedRing rings[] = {
        {sun, up, 1.0, 1.01},
        {sun, up, 1.5, 1.51},
        {moonRing, up, 0.4, 0.41},
        {sun, up, 2.2, 2.21},
        {sun, up, 3.0, 3.01},
        {sun, up, 3.8, 3.81},
        {sun, up, 4.6, 4.61},
        {OnOrbit(4.6, 61.2), {h * std::sin(t), -h, h * std::cos(t)}, 0.29, 0.39},
        {sun, up, 5.4, 5.41},
        {sun, up, 6.2, 6.21},
        {sun, up, 7.0, 7.01}};
    const Vec3 earth = OnOrbit(2.2, 8.0);
    EXPECT_LT(std::hypot(moonRing.x - earth.x, moonRing.z - earth.z), 0.016);

    // Rings fill the gaps between spheres: one after Mercury, Venus, Mars,
    // Jupiter, Uranus, Neptune and Pluto, two after the Moon and after Saturn.
    const Frame frame = CaptureFrame();
    ASSERT_EQ(frame.sphereStarts.size(), static_cast<size_t>(kBodyCount));
    std::vector<std::vector<feedback::Primitive>> disks;
    for (size_t k = 0; k < frame.sphereStarts.size(); ++k) {
        const size_t from = frame.sphereStarts[k] + kSphereTriangles;
        const size_t to =
            k + 1 < frame.sphereStarts.size() ? frame.sphereStarts[k + 1] : frame.prims.size();
        if (from == to) continue;  // the Earth is followed at once by the Moon
        const bool two = k == kMoonSlot || k == kSaturnSlot;
        const size_t half = from + (to - from) / 2;
        disks.emplace_back(frame.prims.begin() + from, frame.prims.begin() + (two ? half : to));
        if (two) disks.emplace_back(frame.prims.begin() + half, frame.prims.begin() + to);
    }
    ASSERT_EQ(disks.size(), std::size(rings));
    for (size_t k = 0; k < disks.size(); ++k) {
        SCOPED_TRACE(::testing::Message() << "ring " << k);
        const ExpectedRing& want = rings[k];
        double nearest = 1e9, farthest = 0.0;
        for (const feedback::Primitive& prim : disks[k]) {
            for (const feedback::Vertex& v : prim.vertices) {
                const Vec3 p = SceneOf(EyeOfFeedback(v));
                const Vec3 d = {p.x - want.centre.x, p.y - want.centre.y, p.z - want.centre.z};
                ASSERT_NEAR(d.x * want.normal.x + d.y * want.normal.y + d.z * want.normal.z, 0.0,
                            1e-3);
                nearest = std::min(nearest, std::hypot(d.x, d.y, d.z));
                farthest = std::max(farthest, std::hypot(d.x, d.y, d.z));
            }
        }
        EXPECT_NEAR(nearest, want.inner, 1e-3);
        EXPECT_NEAR(farthest, want.outer, 1e-3);
    }
}

// A pick round each body's centre hits that body under exactly its own name
// (the Moon under the Earth's); the orbit rings there add nameless records.
TEST_F(DrawSceneTest, EachBodyIsPickedUnderItsOwnNameOnly) {
    const std::vector<Vec3> centres = FirstFrameCentres();
    for (int32_t mode : {MeshSphere, QuadricSphere}) {
        ViewState.sphereMode = mode;
        for (int slot = 0; slot < kBodyCount; ++slot) {
            SCOPED_TRACE(::testing::Message() << "mode " << mode << " slot " << slot);
            OrbitAngles = OrbitAnglesRecord{};
            double wx, wy;
            WindowOf(ToEye(centres[slot]), &wx, &wy);
            const GLint at[2] = {static_cast<GLint>(wx), static_cast<GLint>(wy)};
            UsePerspective(at);
            std::set<GLuint> named;
            for (const std::vector<GLuint>& names : SelectFrame()) {
                EXPECT_LE(names.size(), 1u);
                named.insert(names.begin(), names.end());
            }
            EXPECT_EQ(named, std::set<GLuint>{kNames[slot]});
        }
    }
}

// With a mode that draws no spheres, the whole view holds only the rings,
// Saturn's included, and none of them carries a name.
TEST_F(DrawSceneTest, RingsAreDrawnWithoutNames) {
    for (int32_t mode : {0, 3}) {
        ViewState.sphereMode = mode;
        const std::vector<std::vector<GLuint>> records = SelectFrame();
        EXPECT_FALSE(records.empty());
        for (const std::vector<GLuint>& names : records) EXPECT_TRUE(names.empty());
    }
}

TEST_F(DrawSceneTest, StacksBalanceInEveryMode) {
    for (int32_t mode : {MeshSphere, QuadricSphere, 0}) {
        SCOPED_TRACE(mode);
        ViewState.sphereMode = mode;
        GLuint buffer[512];
        glSelectBuffer(512, buffer);
        glRenderMode(GL_SELECT);
        DrawScene();
        GLint names = -1, matrices = -1;
        glGetIntegerv(GL_NAME_STACK_DEPTH, &names);
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &matrices);
        glRenderMode(GL_RENDER);
        EXPECT_EQ(names, 0);
        EXPECT_EQ(matrices, 1);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

// A failed gluNewQuadric leaves no quadric: the frame goes on without rings
// or quadric spheres instead of handing GLU a null object.
TEST_F(DrawSceneTest, WithoutAQuadricOnlyTheMeshSpheresAreDrawn) {
    GLUquadric* const kept = sceneQuadric;
    sceneQuadric = nullptr;
    ViewState.sphereMode = QuadricSphere;
    EXPECT_TRUE(DrawScene());
    ViewState.sphereMode = MeshSphere;
    const Frame frame = CaptureFrame();
    EXPECT_EQ(frame.prims.size(), kBodyCount * kSphereTriangles);
    EXPECT_EQ(frame.sphereStarts.size(), static_cast<size_t>(kBodyCount));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    sceneQuadric = kept;
}

// Unlit and untextured, every body is flat white, orbit rings are white and
// Saturn's ring, around Saturn, is grey; outlines when not filled. Seen from
// straight above, so that Saturn's ring, tipped 45 degrees, shows broadly.
TEST_F(DrawSceneTest, TogglesOffGiveFlatWhiteBodiesAndAGreySaturnRing) {
    constexpr double kFromAbove = 90.0;
    ViewState.pitch = static_cast<float>(kFromAbove);
    ViewState.lighting = 0;
    ViewState.texturing = 0;
    for (int32_t mode : {MeshSphere, QuadricSphere}) {
        SCOPED_TRACE(mode);
        ViewState.sphereMode = mode;
        OrbitAngles = OrbitAnglesRecord{};
        DrawScene();
        EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        const std::vector<Rgb> frame = ReadFrame();
        const std::vector<Vec3> centres = FirstFrameCentres();
        for (const Vec3& c : centres)
            EXPECT_EQ(PixelAt(frame, c, kFromAbove), (Rgb{255, 255, 255}));
        double sx, sy;
        WindowOf(ToEye(centres[kSaturnSlot], 1.0, kFromAbove), &sx, &sy);
        int grey = 0;
        for (int i = 0; i < kWidth * kHeight; ++i) {
            const Rgb p = frame[i];
            if (p == Rgb{0, 0, 0} || p == Rgb{255, 255, 255}) continue;
            ASSERT_EQ(p, (Rgb{60, 60, 60})) << "pixel " << i;
            EXPECT_LT(std::hypot(i % kWidth + 0.5 - sx, i / kWidth + 0.5 - sy), 16.0);
            ++grey;
        }
        EXPECT_GT(grey, 100);  // about 160 pixels of annulus, less what Saturn hides
    }
    // Wire-frame: a ring a hundredth of a unit wide covers few pixel centres
    // when filled, while its outlines light every pixel they cross.
    const auto lit = [] {
        const std::vector<Rgb> frame = ReadFrame();
        const auto isLit = [](Rgb p) { return !(p == Rgb{0, 0, 0}); };
        return std::count_if(frame.begin(), frame.end(), isLit);
    };
    const auto filledPixels = lit();
    ViewState.filled = 0;
    OrbitAngles = OrbitAnglesRecord{};
    DrawScene();
    EXPECT_GT(lit(), 2 * filledPixels);
}

// Textured and unlit, each body shows its own slot's picture: bound from
// TextureSet for mesh spheres, uploaded by list slot + 1 for quadric spheres.
TEST_F(DrawSceneTest, EachBodyShowsItsOwnPicture) {
    ViewState.lighting = 0;
    for (int32_t mode : {MeshSphere, QuadricSphere}) {
        SCOPED_TRACE(mode);
        ViewState.sphereMode = mode;
        OrbitAngles = OrbitAnglesRecord{};
        DrawScene();
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
        const std::vector<Rgb> frame = ReadFrame();
        const std::vector<Vec3> centres = FirstFrameCentres();
        for (int slot = 0; slot < kBodyCount; ++slot)
            EXPECT_EQ(PixelAt(frame, centres[slot]), SlotColour(slot)) << "slot " << slot;
    }
}

}  // namespace
