// Orbit animation: one step per call while animating, the restart at exactly
// 0 past the single-precision 359.95, the unbounded Earth spin, and the pause.
#include <gtest/gtest.h>

#include <cmath>

#include "scene/scene.h"
#include "shell/shell.h"

namespace {

class OrbitsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ViewState = ViewStateRecord{};
        OrbitAngles = OrbitAnglesRecord{};
    }
    void TearDown() override { SetUp(); }

    static void Advance(int times) {
        for (int k = 0; k < times; ++k) AdvanceOrbits();
    }
};

// Earth: 7 + 352 = 359, the 353rd step gives 360 and restarts at 0. The
// Moon-orbit ring carrier: 10 + 349 = 359, wraps at 350, then 3 more steps.
TEST_F(OrbitsTest, WholeDegreeAnglesNeverShow360) {
    Advance(352);
    EXPECT_EQ(OrbitAngles.earth, 359.0);
    Advance(1);
    EXPECT_EQ(OrbitAngles.earth, 0.0);
    EXPECT_EQ(OrbitAngles.moonRing, 3.0);
    EXPECT_EQ(OrbitAngles.earthSpin, 354.0);  // never wrapped
    Advance(647);
    EXPECT_EQ(OrbitAngles.earthSpin, 1001.0);
}

// 200 + 88 * 1.8 is about 358.4; the 89th step passes 360 and the angle
// restarts at exactly 0, not at the 0.2 overshoot.
TEST_F(OrbitsTest, MercuryRestartsAtExactlyZero) {
    Advance(88);
    EXPECT_NEAR(OrbitAngles.mercury, 358.4, 1e-9);
    Advance(1);
    EXPECT_EQ(OrbitAngles.mercury, 0.0);
    Advance(1);
    EXPECT_DOUBLE_EQ(OrbitAngles.mercury, 1.8);
}

TEST_F(OrbitsTest, WrapLimitIsSinglePrecision35995ComparedInDouble) {
    const double floatLimit = 359.95001220703125;
    const double cases[][2] = {
        {359.95, 359.95},                          // the double 359.95 stays
        {floatLimit, floatLimit},                  // the float value itself stays
        {std::nextafter(floatLimit, 400.0), 0.0},  // anything above restarts
        {360.0, 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hexfloat << c[0]);
        OrbitAngles.earth = c[0] - 1.0;  // exact: both lie in [256, 512)
        ASSERT_EQ(OrbitAngles.earth + 1.0, c[0]);
        Advance(1);
        EXPECT_EQ(OrbitAngles.earth, c[1]);
    }
}

TEST_F(OrbitsTest, EveryAngleButTheSpinWraps) {
    double* const wrapping[] = {
        &OrbitAngles.mercury, &OrbitAngles.venus,   &OrbitAngles.earth,  &OrbitAngles.moon,
        &OrbitAngles.mars,    &OrbitAngles.jupiter, &OrbitAngles.saturn, &OrbitAngles.saturnRing,
        &OrbitAngles.uranus,  &OrbitAngles.neptune, &OrbitAngles.pluto,  &OrbitAngles.moonRing};
    for (double* angle : wrapping) *angle = 359.9;  // every step is at least 0.8
    OrbitAngles.earthSpin = 359.9;
    Advance(1);
    for (double* angle : wrapping) EXPECT_EQ(*angle, 0.0);
    EXPECT_DOUBLE_EQ(OrbitAngles.earthSpin, 360.9);
}

TEST_F(OrbitsTest, NothingMovesWhilePaused) {
    Advance(5);
    const OrbitAnglesRecord before = OrbitAngles;
    ViewState.animating = 0;
    Advance(100);
    EXPECT_EQ(OrbitAngles.mercury, before.mercury);
    EXPECT_EQ(OrbitAngles.venus, before.venus);
    EXPECT_EQ(OrbitAngles.earth, before.earth);
    EXPECT_EQ(OrbitAngles.earthSpin, before.earthSpin);
    EXPECT_EQ(OrbitAngles.moon, before.moon);
    EXPECT_EQ(OrbitAngles.mars, before.mars);
    EXPECT_EQ(OrbitAngles.jupiter, before.jupiter);
    EXPECT_EQ(OrbitAngles.saturn, before.saturn);
    EXPECT_EQ(OrbitAngles.saturnRing, before.saturnRing);
    EXPECT_EQ(OrbitAngles.uranus, before.uranus);
    EXPECT_EQ(OrbitAngles.neptune, before.neptune);
    EXPECT_EQ(OrbitAngles.pluto, before.pluto);
    EXPECT_EQ(OrbitAngles.moonRing, before.moonRing);
    ViewState.animating = 1;  // resumes from the same angles
    Advance(1);
    EXPECT_EQ(OrbitAngles.earth, before.earth + 1.0);
}

}  // namespace
