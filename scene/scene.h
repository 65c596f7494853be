// Solar-system scene: the body table, the thirteen orbit angles, the drawing
// of one frame and the system's own sphere tessellation.
#pragma once

#include <cstdint>

// Selection names (BodyId) of the ten named bodies; the Moon carries the Earth's.
constexpr int32_t kSunId = 101;
constexpr int32_t kMercuryId = 102;
constexpr int32_t kVenusId = 103;
constexpr int32_t kEarthId = 104;
constexpr int32_t kMarsId = 105;
constexpr int32_t kJupiterId = 106;
constexpr int32_t kSaturnId = 107;
constexpr int32_t kUranusId = 108;
constexpr int32_t kNeptuneId = 109;
constexpr int32_t kPlutoId = 110;

// Texture slots (BodySlot); display list numbers are slot + 1.
constexpr int kBodyCount = 11;
constexpr int kSunSlot = 0;
constexpr int kMercurySlot = 1;
constexpr int kVenusSlot = 2;
constexpr int kEarthSlot = 3;
constexpr int kMoonSlot = 4;
constexpr int kMarsSlot = 5;
constexpr int kJupiterSlot = 6;
constexpr int kSaturnSlot = 7;
constexpr int kUranusSlot = 8;
constexpr int kNeptuneSlot = 9;
constexpr int kPlutoSlot = 10;

struct BodyRecord {
    const char* name;         // English name, for tools and messages
    int32_t bodyId;           // selection name (the Moon: kEarthId)
    int32_t bodySlot;         // texture slot
    const char* pictureFile;  // exact file name, in the working directory
    float radius;             // scene units
    float orbitRadius;        // scene units; 0 for the Sun
};

// The eleven bodies in slot order.
extern const BodyRecord kBodies[kBodyCount];

struct OrbitAnglesRecord {
    double mercury = 200.0;
    double venus = 4.0;
    double earth = 7.0;
    double earthSpin = 1.0;
    double moon = 10.0;
    double mars = 80.0;
    double jupiter = 150.0;
    double saturn = 60.0;
    double saturnRing = 60.0;
    double uranus = 300.0;
    double neptune = 20.0;
    double pluto = 110.0;
    double moonRing = 10.0;
};

// The thirteen animated angles, in degrees.
extern OrbitAnglesRecord OrbitAngles;

// One animation step, while ViewState.animating is set.
void AdvanceOrbits();
// Draws one frame (also in selection mode for picks). Always true.
bool DrawScene();
// The frame of a pick: DrawScene's, with every sphere and ring called from
// display lists (see draw_scene.cpp for why). Always true.
bool DrawPickScene();
// Compiles the pick's lists in the current rendering context, once; without
// them DrawPickScene draws as DrawScene does.
void PreparePickLists();
// A new rendering context has none of the previous one's lists.
void ForgetPickLists();
// A latitude-longitude sphere with normals and texture coordinates.
void DrawMeshSphere(float x, float y, float z, float r, int32_t n);
