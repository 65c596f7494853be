// Cost of one scene frame against its floor. BM_DrawScene draws frames with
// DrawScene in each sphere mode; BM_ReplayFrame sends OpenGL and GLU the same
// calls with every value worked out beforehand (mesh vertices, angles, radii),
// which is what OpenGL itself costs. The scene's own work is the difference.
// Display lists 1-11 are absent here, so the quadric frames upload no
// pictures; that cost would be OpenGL's alike on both sides.
#include <GL/gl.h>
#include <GL/glu.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "imaging/textures.h"
#include "platform/fake_platform.h"
#include "scene/scene.h"
#include "shell/shell.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kPictureSize = 64;
constexpr int32_t kSegments = 30;

const float kRadius[kBodyCount] = {0.6f, 0.13f, 0.22f, 0.2f,  0.07f, 0.16f,
                                   0.3f, 0.25f, 0.23f, 0.21f, 0.2f};

struct MeshVertex {
    float normal[3];
    float tex[2];
    float position[3];
};

// Every vertex of every body's mesh, in the order DrawMeshSphere sends them.
std::vector<MeshVertex> meshes[kBodyCount];

void PrecomputeMesh(int slot) {
    const double turn = static_cast<double>(6.2831855f);
    const double quarter = static_cast<double>(1.5707964f);
    const double r = kRadius[slot], n = kSegments;
    for (int i = 0; i < kSegments / 2; ++i) {
        for (int j = 0; j <= kSegments; ++j) {
            const double lon = j * turn / n;
            for (int k : {i + 1, i}) {
                const double lat = k * turn / n - quarter;
                const double nx = std::cos(lon) * std::cos(lat), ny = std::sin(lat),
                             nz = std::sin(lon) * std::cos(lat);
                meshes[slot].push_back({{float(nx), float(ny), float(nz)},
                                        {float(-(j / n)), float(2 * k / n)},
                                        {float(r * nx), float(r * ny), float(r * nz)}});
            }
        }
    }
}

void ReplayMesh(int slot) {
    const std::vector<MeshVertex>& mesh = meshes[slot];
    const size_t perStrip = 2 * (kSegments + 1);
    for (size_t at = 0; at < mesh.size(); at += perStrip) {
        glBegin(GL_TRIANGLE_STRIP);
        for (size_t v = at; v < at + perStrip; ++v) {
            const MeshVertex& m = mesh[v];
            glNormal3f(m.normal[0], m.normal[1], m.normal[2]);
            glTexCoord2f(m.tex[0], m.tex[1]);
            glVertex3f(m.position[0], m.position[1], m.position[2]);
        }
        glEnd();
    }
}

int32_t replayMode = MeshSphere;

void ReplayBody(int slot) {
    if (replayMode == MeshSphere) {
        glBindTexture(GL_TEXTURE_2D, TextureSet[slot]);
        ReplayMesh(slot);
    } else {
        glCallList(static_cast<GLuint>(slot + 1));
        gluQuadricTexture(sceneQuadric, GL_TRUE);
        gluSphere(sceneQuadric, static_cast<double>(kRadius[slot]), 100, 100);
    }
}

void Ring(double inner, double outer) { gluDisk(sceneQuadric, inner, outer, 100, 1); }

void RingStep() {
    glPopMatrix();
    glPopName();
    glPushMatrix();
    glColor3ub(255, 255, 255);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
}

void NextStep(GLuint name) {
    glPopMatrix();
    glPushName(name);
    glPushMatrix();
    glColor3f(1.0f, 1.0f, 1.0f);
}

void Planet(int slot, float angle, float distance, double outer) {
    glRotatef(angle, 0.0f, 1.0f, 0.0f);
    glTranslatef(distance, 0.0f, 0.0f);
    ReplayBody(slot);
    RingStep();
    Ring(distance, outer);
}

// The call stream of a first frame, spelt out with constant arguments.
void ReplayFrame() {
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glLoadIdentity();
    glInitNames();
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, -22.0f);
    glRotatef(22.5f, 1.0f, 0.0f, 0.0f);
    glRotatef(0.0f, 0.0f, 1.0f, 0.0f);
    glRotatef(0.0f, 0.0f, 0.0f, 1.0f);
    glScalef(1.0f, 1.0f, 1.0f);
    glPushName(101);
    glPushMatrix();
    ReplayBody(0);
    glPopMatrix();
    glPopName();
    glPushName(102);
    glPushMatrix();
    Planet(1, 201.8f, 1.0f, 1.01);
    NextStep(103);
    Planet(2, 5.4f, 1.5f, 1.51);
    NextStep(104);
    glRotatef(8.0f, 0.0f, 1.0f, 0.0f);
    glTranslatef(2.2f, 0.0f, 0.0f);
    glRotatef(2.0f, 0.0f, 1.0f, 0.0f);
    ReplayBody(3);
    glRotatef(11.5f, 0.0f, 1.0f, 0.0f);
    glTranslatef(0.4f, 0.0f, 0.0f);
    ReplayBody(4);
    glPopMatrix();
    glPopName();
    glPushMatrix();
    glColor3ub(255, 255, 255);
    glRotatef(11.0f, 0.0f, 1.0f, 0.0f);
    glTranslatef(2.2f, 0.0f, 0.1f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    Ring(0.4, 0.41);
    glPopMatrix();
    glPushMatrix();
    glColor3ub(255, 255, 255);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    Ring(2.2, 2.21);
    NextStep(105);
    Planet(5, 81.35f, 3.0f, 3.01);
    NextStep(106);
    Planet(6, 151.3f, 3.8f, 3.81);
    NextStep(107);
    Planet(7, 61.2f, 4.6f, 4.61);
    glPopMatrix();
    glPushMatrix();
    glColor3ub(60, 60, 60);
    glRotatef(61.2f, 0.0f, 1.0f, 0.0f);
    glTranslatef(4.6f, 0.0f, 0.0f);
    glRotatef(45.0f, 1.0f, 0.0f, 0.0f);
    Ring(0.29, 0.39);
    NextStep(108);
    Planet(8, 301.1f, 5.4f, 5.41);
    NextStep(109);
    Planet(9, 20.9f, 6.2f, 6.21);
    NextStep(110);
    Planet(10, 110.8f, 7.0f, 7.01);
    glPopMatrix();
    glPopMatrix();
}

// A scene window's fixed state, a quadric and one small picture per body.
void SetUpContext() {
    static bool ready = false;
    if (ready) return;
    ready = true;
    fake::MakeTestContext(kWidth, kHeight);
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    gluPerspective(45.0, static_cast<double>(kWidth) / kHeight, 0.1, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    sceneQuadric = gluNewQuadric();
    gluQuadricNormals(sceneQuadric, GLU_SMOOTH);
    glGenTextures(kBodyCount, TextureSet);
    std::vector<GLubyte> picture(kPictureSize * kPictureSize * 3);
    for (int slot = 0; slot < kBodyCount; ++slot) {
        for (size_t i = 0; i < picture.size(); ++i) picture[i] = GLubyte(i * 7 + slot * 31);
        glBindTexture(GL_TEXTURE_2D, TextureSet[slot]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, kPictureSize, kPictureSize, 0, GL_RGB,
                     GL_UNSIGNED_BYTE, picture.data());
        PrecomputeMesh(slot);
    }
}

// Each frame is finished before the next, so both sides pay for the pixels.
// The angles go back to their start before every frame: DrawScene still
// advances them, but draws the replay's first frame, with the same pixels.
void BM_DrawScene(benchmark::State& state) {
    SetUpContext();
    ViewState.sphereMode = static_cast<int32_t>(state.range(0));
    const OrbitAnglesRecord start;
    for (auto _ : state) {
        OrbitAngles = start;
        DrawScene();
        glFinish();
    }
}

void BM_ReplayFrame(benchmark::State& state) {
    SetUpContext();
    replayMode = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        ReplayFrame();
        glFinish();
    }
}

// Argument: 1 MeshSphere, 2 QuadricSphere.
BENCHMARK(BM_DrawScene)
    ->Arg(MeshSphere)
    ->Arg(QuadricSphere)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ReplayFrame)
    ->Arg(MeshSphere)
    ->Arg(QuadricSphere)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
