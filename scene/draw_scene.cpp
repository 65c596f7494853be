// One frame of the solar system: render toggles, one animation step, the view
// transform, then every body under its selection name and every orbit ring
// with an empty name stack. The same frame serves drawing and picking.
#include <GL/gl.h>
#include <GL/glu.h>

#include "imaging/textures.h"
#include "scene/scene.h"
#include "shell/shell.h"

namespace {

// The camera stands 22 units from the Sun, looking at it.
constexpr float kViewDistance = 22.0f;

// Sphere tessellation: the mesh's segment count, the quadric's slices and stacks.
constexpr int32_t kMeshSegments = 30;
constexpr GLint kQuadricSlices = 100;
constexpr GLint kQuadricStacks = 100;
// Every ring is a flat annulus of 100 slices and one loop.
constexpr GLint kRingSlices = 100;
constexpr GLint kRingLoops = 1;

// A quarter turn about X lays a ring from the local XY plane into the orbital
// (XZ) plane; Saturn's ring is only tipped half-way.
constexpr float kLayFlatDegrees = 90.0f;
constexpr float kSaturnRingTiltDegrees = 45.0f;

// Orbit rings are white, Saturn's own ring grey.
constexpr GLubyte kRingWhite = 255;
constexpr GLubyte kSaturnRingGrey = 60;

struct RingRadii {
    double inner;
    double outer;
};

// Orbit rings by body slot, a hundredth of a unit wide and starting on the
// orbit; the Moon's ring is measured from the Earth. The Sun has none.
constexpr RingRadii kOrbitRings[kBodyCount] = {
    {0.0, 0.0},  {1.0, 1.01}, {1.5, 1.51}, {2.2, 2.21}, {0.4, 0.41}, {3.0, 3.01},
    {3.8, 3.81}, {4.6, 4.61}, {5.4, 5.41}, {6.2, 6.21}, {7.0, 7.01},
};
constexpr RingRadii kSaturnRing = {0.29, 0.39};

// The ring of the Moon's orbit is carried round at the Earth's distance and
// lifted 0.1 along local Z; with its carrier running 3 degrees ahead of the
// Earth this keeps the ring centred on the Earth.
constexpr float kMoonRingDistance = 2.2f;
constexpr float kMoonRingLift = 0.1f;

// Without a quadric (gluNewQuadric can fail) the quadric's shapes are left out
// rather than handed a null object.
bool HaveQuadric() { return sceneQuadric != nullptr; }

// ---- The pick's geometry in display lists ----------------------------------------
//
// Debian 12's Mesa (22.3) never frees the vertex data of immediate-mode drawing
// done in selection or feedback mode: its selection path hands the vertex
// buffers on without giving up its own references. A pick that drew the scene
// directly lost about 0.7 MB with the mesh spheres and 2 to 7 MB with the GLU
// spheres. Display lists replayed in selection mode give the same hit records
// and lose nothing more per pick, so the pick's frame calls lists for every
// sphere and ring, compiled on the first pick in each rendering context; all
// other calls of the frame (names, matrices, colours, binds, the texture lists)
// stay as they are, and the frame drawn for display still draws directly.
// What Mesa 22 still keeps is the lists' own storage (about 7 MB) once they
// have been replayed in selection mode: it outlives their context, so each
// context that is picked in costs that once. (Lists of positions only, or
// compiled group by group, would be smaller but crash that Mesa's selection
// path.) Once every Mesa we run on frees that data (Mesa 25 does), this can go
// and picks can draw with DrawScene again.

// Lists: the mesh spheres and the GLU spheres by body slot, the orbit rings by
// body slot (the Sun's place holds Saturn's own ring).
constexpr GLsizei kPickListCount = 3 * kBodyCount;
constexpr int kMeshListsAt = 0;
constexpr int kQuadricListsAt = kBodyCount;
constexpr int kRingListsAt = 2 * kBodyCount;

// Zero until the lists are compiled in the current rendering context.
GLuint pickListBase = 0;
// Set only while DrawPickScene draws.
bool pickPass = false;

GLuint PickList(int group, int slot) { return pickListBase + static_cast<GLuint>(group + slot); }

// Whether this frame takes its spheres and rings from the pick's lists.
bool FromPickLists() { return pickPass && pickListBase != 0; }

void Ring(RingRadii radii) {
    if (HaveQuadric()) {
        gluDisk(sceneQuadric, radii.inner, radii.outer, kRingSlices, kRingLoops);
    }
}

// A ring of the pick's frame: its list, where the frame draws it directly.
void DrawRing(int slot, RingRadii radii) {
    if (!FromPickLists()) {
        Ring(radii);
    } else if (HaveQuadric()) {
        glCallList(PickList(kRingListsAt, slot));
    }
}

// MeshSphere: the system's own mesh under the slot's texture object.
// QuadricSphere: the slot's list uploads its picture into whatever texture is
// bound, and the quadric draws the sphere with its own texture coordinates.
// In the pick's frame the sphere itself comes from its list.
void DrawBody(int slot) {
    const float radius = kBodies[slot].radius;
    const bool fromList = FromPickLists();
    if (ViewState.sphereMode == MeshSphere) {
        glBindTexture(GL_TEXTURE_2D, TextureSet[slot]);
        if (fromList) {
            glCallList(PickList(kMeshListsAt, slot));
        } else {
            DrawMeshSphere(0.0f, 0.0f, 0.0f, radius, kMeshSegments);
        }
    } else if (ViewState.sphereMode == QuadricSphere) {
        glCallList(static_cast<GLuint>(slot + 1));
        if (HaveQuadric()) {
            gluQuadricTexture(sceneQuadric, GL_TRUE);
            if (fromList) {
                glCallList(PickList(kQuadricListsAt, slot));
            } else {
                gluSphere(sceneQuadric, static_cast<double>(radius), kQuadricSlices,
                          kQuadricStacks);
            }
        }
    }
}

// Back to the view frame and out of the body's name, ready for a white orbit ring.
void RingStep() {
    glPopMatrix();
    glPopName();
    glPushMatrix();
    glColor3ub(kRingWhite, kRingWhite, kRingWhite);
    glRotatef(kLayFlatDegrees, 1.0f, 0.0f, 0.0f);
}

// Back to the view frame and into the next body's name, in white.
void NextStep(int32_t name) {
    glPopMatrix();
    glPushName(static_cast<GLuint>(name));
    glPushMatrix();
    glColor3f(1.0f, 1.0f, 1.0f);
}

// Round the Sun through the orbit angle, then out along X to the orbit.
void PlaceOnOrbit(int slot, double angle) {
    glRotatef(static_cast<float>(angle), 0.0f, 1.0f, 0.0f);
    glTranslatef(kBodies[slot].orbitRadius, 0.0f, 0.0f);
}

// A planet in its place and then its orbit ring.
void PlanetWithRing(int slot, double angle) {
    PlaceOnOrbit(slot, angle);
    DrawBody(slot);
    RingStep();
    DrawRing(slot, kOrbitRings[slot]);
}

void ApplyRenderToggles() {
    glPolygonMode(GL_FRONT_AND_BACK, ViewState.filled ? GL_FILL : GL_LINE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (ViewState.texturing) {
        glEnable(GL_TEXTURE_2D);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    if (ViewState.lighting) {
        glEnable(GL_LIGHTING);
    } else {
        glDisable(GL_LIGHTING);
    }
}

void PushViewTransform() {
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, -kViewDistance);
    glRotatef(ViewState.pitch, 1.0f, 0.0f, 0.0f);
    glRotatef(ViewState.yaw, 0.0f, 1.0f, 0.0f);
    glRotatef(ViewState.roll, 0.0f, 0.0f, 1.0f);
    glScalef(ViewState.zoom, ViewState.zoom, ViewState.zoom);
}

void DrawSun() {
    glPushName(static_cast<GLuint>(kSunId));
    glPushMatrix();
    DrawBody(kSunSlot);
    glPopMatrix();
    glPopName();
}

// Mercury and Venus with their rings, then the Earth; the Moon is placed in
// the Earth's spinning frame, so the spin carries it round as well.
void DrawInnerPlanetsEarthAndMoon() {
    glPushName(static_cast<GLuint>(kMercuryId));
    glPushMatrix();
    PlanetWithRing(kMercurySlot, OrbitAngles.mercury);
    NextStep(kVenusId);
    PlanetWithRing(kVenusSlot, OrbitAngles.venus);
    NextStep(kEarthId);
    PlaceOnOrbit(kEarthSlot, OrbitAngles.earth);
    glRotatef(static_cast<float>(OrbitAngles.earthSpin), 0.0f, 1.0f, 0.0f);
    DrawBody(kEarthSlot);
    PlaceOnOrbit(kMoonSlot, OrbitAngles.moon);
    DrawBody(kMoonSlot);
    glPopMatrix();
    glPopName();
}

void DrawMoonOrbitRing() {
    glPushMatrix();
    glColor3ub(kRingWhite, kRingWhite, kRingWhite);
    glRotatef(static_cast<float>(OrbitAngles.moonRing), 0.0f, 1.0f, 0.0f);
    glTranslatef(kMoonRingDistance, 0.0f, kMoonRingLift);
    glRotatef(kLayFlatDegrees, 1.0f, 0.0f, 0.0f);
    DrawRing(kMoonSlot, kOrbitRings[kMoonSlot]);
    glPopMatrix();
}

void DrawEarthRingAndMiddlePlanets() {
    glPushMatrix();
    glColor3ub(kRingWhite, kRingWhite, kRingWhite);
    glRotatef(kLayFlatDegrees, 1.0f, 0.0f, 0.0f);
    DrawRing(kEarthSlot, kOrbitRings[kEarthSlot]);
    NextStep(kMarsId);
    PlanetWithRing(kMarsSlot, OrbitAngles.mars);
    NextStep(kJupiterId);
    PlanetWithRing(kJupiterSlot, OrbitAngles.jupiter);
    NextStep(kSaturnId);
    PlanetWithRing(kSaturnSlot, OrbitAngles.saturn);
    glPopMatrix();
}

// Saturn's ring rides on its own carrier at Saturn's distance, outside
// Saturn's name, so a click on the ring picks nothing.
void DrawSaturnRingAndOuterPlanets() {
    glPushMatrix();
    glColor3ub(kSaturnRingGrey, kSaturnRingGrey, kSaturnRingGrey);
    PlaceOnOrbit(kSaturnSlot, OrbitAngles.saturnRing);
    glRotatef(kSaturnRingTiltDegrees, 1.0f, 0.0f, 0.0f);
    DrawRing(kSunSlot, kSaturnRing);
    NextStep(kUranusId);
    PlanetWithRing(kUranusSlot, OrbitAngles.uranus);
    NextStep(kNeptuneId);
    PlanetWithRing(kNeptuneSlot, OrbitAngles.neptune);
    NextStep(kPlutoId);
    PlanetWithRing(kPlutoSlot, OrbitAngles.pluto);
    glPopMatrix();
}

// Compiled with a quadric of their own, so that the scene quadric's texture
// flag stays as the frames left it. The spheres carry texture coordinates as
// the frame's GLU spheres do; the rings none (hits do not depend on them).
bool CompilePickLists() {
    GLUquadric* quadric = gluNewQuadric();
    if (quadric == nullptr) return false;
    const GLuint base = glGenLists(kPickListCount);
    if (base == 0) {
        gluDeleteQuadric(quadric);
        return false;
    }
    gluQuadricNormals(quadric, GLU_SMOOTH);
    gluQuadricOrientation(quadric, GLU_OUTSIDE);
    for (int slot = 0; slot < kBodyCount; ++slot) {
        const float radius = kBodies[slot].radius;
        glNewList(base + static_cast<GLuint>(kMeshListsAt + slot), GL_COMPILE);
        DrawMeshSphere(0.0f, 0.0f, 0.0f, radius, kMeshSegments);
        glEndList();
        gluQuadricTexture(quadric, GL_TRUE);
        glNewList(base + static_cast<GLuint>(kQuadricListsAt + slot), GL_COMPILE);
        gluSphere(quadric, static_cast<double>(radius), kQuadricSlices, kQuadricStacks);
        glEndList();
        const RingRadii ring = slot == kSunSlot ? kSaturnRing : kOrbitRings[slot];
        gluQuadricTexture(quadric, GL_FALSE);
        glNewList(base + static_cast<GLuint>(kRingListsAt + slot), GL_COMPILE);
        gluDisk(quadric, ring.inner, ring.outer, kRingSlices, kRingLoops);
        glEndList();
    }
    gluDeleteQuadric(quadric);
    pickListBase = base;
    return true;
}

}  // namespace

void ForgetPickLists() { pickListBase = 0; }

void PreparePickLists() {
    if (pickListBase == 0) CompilePickLists();
}

bool DrawPickScene() {
    pickPass = true;
    DrawScene();
    pickPass = false;
    return true;
}

bool DrawScene() {
    ApplyRenderToggles();
    glLoadIdentity();
    AdvanceOrbits();
    glInitNames();
    PushViewTransform();
    DrawSun();
    DrawInnerPlanetsEarthAndMoon();
    DrawMoonOrbitRing();
    DrawEarthRingAndMiddlePlanets();
    DrawSaturnRingAndOuterPlanets();
    glPopMatrix();
    return true;
}
