// Picking with real GL selection mode in an 800 x 600 scene window opened
// through the scripted platform: which box a click shows, and what a pick
// leaves behind.
#include <GL/glu.h>

#include <cmath>

#include "picking/body_info.h"
#include "picking/picking.h"
#include "tests/shell_fixture.h"

namespace {

const char* const kSunText =
    "반지름(Km) : 695,500\n질량(10*24승 Kg) : 1,989,000\n밀도(g/cm3) : 1.41\n"
    "중력(지구=1) : 28\n자전주기 : 25.4일\n공전주기 : -";

class PickingTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_EQ(OpenSceneWindow("Heliora", 800, 600, 16, 0), 1);
        fake::ClearLog();  // the pictures' messages, where the test runs without them
    }

    // Window coordinates (y downwards) of a point given in the frame of the
    // view transform, worked out from the camera alone: 22 units back, turned
    // by the pitch, at the current zoom. Bodies hold still while paused.
    static void ScreenOf(double x, double y, double z, int32_t* sx, int32_t* sy) {
        GLdouble model[16], projection[16];
        GLint viewport[4];
        glPushMatrix();
        glLoadIdentity();
        glTranslatef(0.0f, 0.0f, -22.0f);
        glRotatef(ViewState.pitch, 1.0f, 0.0f, 0.0f);
        glScalef(ViewState.zoom, ViewState.zoom, ViewState.zoom);
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glPopMatrix();
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        GLdouble wx, wy, wz;
        gluProject(x, y, z, model, projection, viewport, &wx, &wy, &wz);
        *sx = static_cast<int32_t>(wx + 0.5);
        *sy = static_cast<int32_t>(viewport[3] - wy + 0.5);
    }

    // Where a body at `radius` and `degrees` round the Sun lies in the view frame.
    static void OnOrbit(double radius, double degrees, double* x, double* z) {
        const double turn = degrees * 3.14159265358979323846 / 180.0;
        *x = radius * std::cos(turn);
        *z = -radius * std::sin(turn);
    }

    static void Click(int32_t x, int32_t y) {
        SceneWindowProc(WindowContext.window, WM_LBUTTONDOWN, 0, PackPoint(x, y));
    }
};

TEST_F(PickingTest, ClickOnTheSunShowsItsKoreanNameAndFigures) {
    Click(400, 300);
    ASSERT_EQ(fake::Boxes().size(), 1u);
    EXPECT_EQ(fake::Boxes()[0].caption, "태양");
    EXPECT_EQ(fake::Boxes()[0].text, kSunText);
    EXPECT_EQ(fake::Boxes()[0].style, MB_OK);
    EXPECT_EQ(fake::Boxes()[0].owner, WindowContext.window);
}

TEST_F(PickingTest, ClickOnTheMoonShowsTheEarthsBox) {
    ViewState.animating = 0;
    // The Moon sits 0.4 from the Earth, turned by the Earth's spin and its own angle.
    double ex, ez, mx, mz;
    OnOrbit(2.2, OrbitAngles.earth, &ex, &ez);
    OnOrbit(0.4, OrbitAngles.earth + OrbitAngles.earthSpin + OrbitAngles.moon, &mx, &mz);
    int32_t x, y;
    ScreenOf(ex + mx, 0.0, ez + mz, &x, &y);
    Click(x, y);
    ASSERT_EQ(fake::Boxes().size(), 1u);
    EXPECT_EQ(fake::Boxes()[0].caption, "지구");
}

TEST_F(PickingTest, ClickOnSaturnShowsItsRadius) {
    ViewState.animating = 0;
    double sx, sz;
    OnOrbit(4.6, OrbitAngles.saturn, &sx, &sz);
    int32_t x, y;
    ScreenOf(sx, 0.0, sz, &x, &y);
    Click(x, y);
    ASSERT_EQ(fake::Boxes().size(), 1u);
    EXPECT_EQ(fake::Boxes()[0].caption, "토성");
    EXPECT_EQ(fake::Boxes()[0].text.rfind("반지름(Km) : 60268\n", 0), 0u);
}

TEST_F(PickingTest, ClickOnTheEarthsRingAwayFromAnyBodyAsksWhat) {
    ViewState.animating = 0;
    int32_t x, y;
    ScreenOf(0.0, 0.0, 2.205, &x, &y);  // the ring's nearest point, in front of the Sun
    Click(x, y);
    ASSERT_EQ(fake::Boxes().size(), 1u);
    EXPECT_EQ(fake::Boxes()[0].text, "What?");
    EXPECT_EQ(fake::Boxes()[0].caption, "Selection");
}

TEST_F(PickingTest, ClickOnEmptySpaceShowsNothingAndMovesTheBodiesOneStep) {
    OrbitAnglesRecord before = OrbitAngles;
    Click(5, 5);
    EXPECT_TRUE(fake::Boxes().empty());
    EXPECT_DOUBLE_EQ(OrbitAngles.earth, before.earth + 1.0);
    EXPECT_DOUBLE_EQ(OrbitAngles.mercury, before.mercury + 1.8);
}

TEST_F(PickingTest, PickAfterAResizeStillLandsOnTheBodyUnderTheCursor) {
    SceneWindowProc(WindowContext.window, WM_SIZE, 0, PackPoint(300, 500));
    ViewState.animating = 0;
    double jx, jz;
    OnOrbit(3.8, OrbitAngles.jupiter, &jx, &jz);
    int32_t x, y;
    ScreenOf(jx, 0.0, jz, &x, &y);
    Click(x, y);
    ASSERT_EQ(fake::Boxes().size(), 1u);
    EXPECT_EQ(fake::Boxes()[0].caption, "목성");
}

TEST_F(PickingTest, OverflowingTheHitBufferShowsNoBox) {
    // Shrunk to a speck, every body and ring falls inside the 2 x 2 pick window:
    // ten named records and the nameless ring records need more than 64 words.
    ViewState.zoom = 0.0001f;
    Click(400, 300);
    EXPECT_TRUE(fake::Boxes().empty());
}

TEST_F(PickingTest, ProjectionIsRestoredAndModelviewLeftCurrent) {
    GLfloat before[16], after[16];
    glGetFloatv(GL_PROJECTION_MATRIX, before);
    Click(400, 300);
    Click(5, 5);
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    EXPECT_EQ(std::memcmp(before, after, sizeof before), 0);
    GLint mode, depth;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    glGetIntegerv(GL_RENDER_MODE, &mode);
    EXPECT_EQ(mode, GL_RENDER);
}

TEST(BodyInfoTest, FirstRecordWithoutANameIsWhatEvenIfANameFollows) {
    fake::Reset();
    // A nameless record (3 words), then a record naming the Sun.
    const GLuint hits[kHitBufferWords] = {0, 1, 2, 1, 3, 4, kSunId};
    ShowBodyInfo(hits);
    const GLuint unknown[kHitBufferWords] = {1, 5, 6, 999};
    ShowBodyInfo(unknown);
    const GLuint huge[kHitBufferWords] = {1, 5, 6, 0xFFFFFFFFu};
    ShowBodyInfo(huge);
    ASSERT_EQ(fake::Boxes().size(), 3u);
    for (const auto& box : fake::Boxes()) {
        EXPECT_EQ(box.text, "What?");
        EXPECT_EQ(box.caption, "Selection");
    }
}

TEST(BodyInfoTest, EveryBodyHasSixLinesWithItsUnitWords) {
    const char* expectedCaptions[] = {"태양", "수성", "금성", "지구", "화성",
                                      "목성", "토성", "천왕성", "해왕성", "명왕성"};
    for (int32_t id = kSunId; id <= kPlutoId; ++id) {
        const char* caption;
        const char* text;
        ASSERT_TRUE(FindBodyInfo(id, &caption, &text)) << id;
        EXPECT_STREQ(caption, expectedCaptions[id - kSunId]);
        std::string body(text);
        EXPECT_EQ(std::count(body.begin(), body.end(), '\n'), 5) << id;
        EXPECT_NE(body.back(), '\n');
    }
    const char* caption;
    const char* text;
    ASSERT_TRUE(FindBodyInfo(kMarsId, &caption, &text));
    EXPECT_NE(std::string(text).find("자전주기 : 24.62시간\n공전주기 : 1.88년"), std::string::npos);
    EXPECT_FALSE(FindBodyInfo(100, &caption, &text));
    EXPECT_FALSE(FindBodyInfo(111, &caption, &text));
}

}  // namespace
