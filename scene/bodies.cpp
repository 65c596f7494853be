// The cast of the scene (eleven bodies with their names, texture slots, sizes
// and orbit radii) and the thirteen orbit angles that move one step per frame.
#include "shell/shell.h"
#include "scene/scene.h"

const BodyRecord kBodies[kBodyCount] = {
    {"Sun", kSunId, kSunSlot, "Sun.bmp", 0.6f, 0.0f},
    {"Mercury", kMercuryId, kMercurySlot, "Mercury.bmp", 0.13f, 1.0f},
    {"Venus", kVenusId, kVenusSlot, "Venus.bmp", 0.22f, 1.5f},
    {"Earth", kEarthId, kEarthSlot, "earth.bmp", 0.2f, 2.2f},
    // The Moon has no name of its own: it is drawn under the Earth's, and its
    // orbit radius is measured from the Earth.
    {"Moon", kEarthId, kMoonSlot, "Moon.bmp", 0.07f, 0.4f},
    {"Mars", kMarsId, kMarsSlot, "Mars.bmp", 0.16f, 3.0f},
    {"Jupiter", kJupiterId, kJupiterSlot, "Jupiter.bmp", 0.3f, 3.8f},
    {"Saturn", kSaturnId, kSaturnSlot, "Saturn.bmp", 0.25f, 4.6f},
    {"Uranus", kUranusId, kUranusSlot, "Uranus.bmp", 0.23f, 5.4f},
    {"Neptune", kNeptuneId, kNeptuneSlot, "Neptune.bmp", 0.21f, 6.2f},
    {"Pluto", kPlutoId, kPlutoSlot, "pluto.bmp", 0.2f, 7.0f},
};

OrbitAnglesRecord OrbitAngles;

namespace {

// Degrees per drawn frame.
constexpr double kMercuryStep = 1.8;
constexpr double kVenusStep = 1.4;
constexpr double kEarthStep = 1.0;
constexpr double kEarthSpinStep = 1.0;
constexpr double kMoonStep = 1.5;
constexpr double kMarsStep = 1.35;
constexpr double kJupiterStep = 1.3;
constexpr double kSaturnStep = 1.2;
constexpr double kUranusStep = 1.1;
constexpr double kNeptuneStep = 0.9;
constexpr double kPlutoStep = 0.8;
// The ring carriers: Saturn's ring keeps pace with Saturn; the Moon-orbit ring
// keeps pace with the Earth, 3 degrees ahead of it.
constexpr double kSaturnRingStep = kSaturnStep;
constexpr double kMoonRingStep = kEarthStep;

// The limit is the single-precision 359.95 compared in double, so an angle on
// whole degrees runs up to 359 and never shows 360.
constexpr double kWrapLimit = static_cast<double>(359.95f);

// Past the limit an angle restarts at exactly 0; the overshoot is dropped.
void StepWrapping(double& angle, double step) {
    angle += step;
    if (angle > kWrapLimit) {
        angle = 0.0;
    }
}

}  // namespace

void AdvanceOrbits() {
    if (!ViewState.animating) {
        return;
    }
    StepWrapping(OrbitAngles.mercury, kMercuryStep);
    StepWrapping(OrbitAngles.venus, kVenusStep);
    StepWrapping(OrbitAngles.earth, kEarthStep);
    OrbitAngles.earthSpin += kEarthSpinStep;  // the spin is never wrapped
    StepWrapping(OrbitAngles.moon, kMoonStep);
    StepWrapping(OrbitAngles.mars, kMarsStep);
    StepWrapping(OrbitAngles.jupiter, kJupiterStep);
    StepWrapping(OrbitAngles.saturn, kSaturnStep);
    StepWrapping(OrbitAngles.saturnRing, kSaturnRingStep);
    StepWrapping(OrbitAngles.uranus, kUranusStep);
    StepWrapping(OrbitAngles.neptune, kNeptuneStep);
    StepWrapping(OrbitAngles.pluto, kPlutoStep);
    StepWrapping(OrbitAngles.moonRing, kMoonRingStep);
}
