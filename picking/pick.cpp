// Picking: the whole scene re-drawn in selection mode through a 2 x 2 pixel
// pick window round the click. The first hit record in drawing order decides,
// not the nearest body, so where the Sun lies in front of a planet's path the
// Sun wins.
#include <GL/glu.h>

#include "picking/picking.h"
#include "scene/scene.h"
#include "shell/shell.h"

namespace {

constexpr double kPickWindowPixels = 2.0;
constexpr double kFieldOfView = 45.0;
// The same planes as the window's projection: the single-precision 0.1 widened.
constexpr double kNearPlane = static_cast<double>(0.1f);
constexpr double kFarPlane = 100.0;

}  // namespace

void PickAt(int32_t x, int32_t y) {
    GLuint hitBuffer[kHitBufferWords] = {};
    GLint viewport[4];
    PreparePickLists();
    glSelectBuffer(kHitBufferWords, hitBuffer);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glRenderMode(GL_SELECT);
    glLoadIdentity();
    // Window y grows downwards, GL's upwards.
    gluPickMatrix(static_cast<double>(x), static_cast<double>(viewport[3] - y), kPickWindowPixels,
                  kPickWindowPixels, viewport);
    gluPerspective(kFieldOfView, static_cast<double>(ViewState.aspect), kNearPlane, kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    DrawPickScene();  // advances the orbits once more, as every drawn frame does
    GLint hits = glRenderMode(GL_RENDER);
    // A negative count means the records overflowed the buffer: no box then.
    if (hits > 0) ShowBodyInfo(hitBuffer);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}
