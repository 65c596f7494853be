// Picking with real GL selection mode in an 800 x 600 scene window opened
// through the scripted platform: which box a click shows, and what a pick
// leaves behind.
#include <GL/glu.h>

#include <cmath>
#include <cstring>
#include <set>
#include <vector>

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
    // by the pitch about X, the yaw about Y and the roll about Z, at the
    // current zoom. Bodies hold still while paused.
    static void ScreenOf(double x, double y, double z, int32_t* sx, int32_t* sy) {
        GLdouble model[16], projection[16];
        GLint viewport[4];
        glPushMatrix();
        glLoadIdentity();
        glTranslatef(0.0f, 0.0f, -22.0f);
        glRotatef(ViewState.pitch, 1.0f, 0.0f, 0.0f);
        glRotatef(ViewState.yaw, 0.0f, 1.0f, 0.0f);
        glRotatef(ViewState.roll, 0.0f, 0.0f, 1.0f);
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

    static void ScreenOfBody(int slot, int32_t* x, int32_t* y) {
        double bx = 0.0, bz = 0.0;
        if (slot != kSunSlot) OnOrbit(kBodies[slot].orbitRadius, AngleOf(slot), &bx, &bz);
        if (slot == kMoonSlot) {
            OnOrbit(2.2, OrbitAngles.earth, &bx, &bz);
            double mx, mz;
            OnOrbit(0.4, OrbitAngles.earth + OrbitAngles.earthSpin + OrbitAngles.moon, &mx, &mz);
            bx += mx;
            bz += mz;
        }
        ScreenOf(bx, 0.0, bz, x, y);
    }

    static double AngleOf(int slot) {
        const double angles[kBodyCount] = {0.0,
                                           OrbitAngles.mercury,
                                           OrbitAngles.venus,
                                           OrbitAngles.earth,
                                           0.0,
                                           OrbitAngles.mars,
                                           OrbitAngles.jupiter,
                                           OrbitAngles.saturn,
                                           OrbitAngles.uranus,
                                           OrbitAngles.neptune,
                                           OrbitAngles.pluto};
        return angles[slot];
    }

    // The hit count and the whole hit buffer of one selection pass made as a
    // pick makes it, with `draw` drawing the frame, through a pick window
    // `width` pixels wide.
    static std::vector<GLuint> Selection(double x, int32_t y, bool (*draw)(), double width = 2.0) {
        GLuint buffer[kHitBufferWords] = {};
        GLint viewport[4];
        glSelectBuffer(kHitBufferWords, buffer);
        glGetIntegerv(GL_VIEWPORT, viewport);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glRenderMode(GL_SELECT);
        glLoadIdentity();
        gluPickMatrix(x, viewport[3] - y, width, 2.0, viewport);
        gluPerspective(45.0, ViewState.aspect, static_cast<double>(0.1f), 100.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        draw();
        const GLint hits = glRenderMode(GL_RENDER);
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        std::vector<GLuint> result{static_cast<GLuint>(hits)};
        result.insert(result.end(), buffer, buffer + kHitBufferWords);
        return result;
    }
};

// Picks draw their spheres and rings from display lists (Mesa 22 loses the
// vertex data of direct drawing in selection mode); the records must be those
// of the direct pass: names, order and depths.
TEST_F(PickingTest, PickFromListsGivesTheRecordsOfTheDirectPass) {
    ViewState.animating = 0;
    std::vector<std::pair<int32_t, int32_t>> points = {{5, 5}};
    for (int slot = 0; slot < kBodyCount; ++slot) {
        int32_t x, y;
        ScreenOfBody(slot, &x, &y);
        points.push_back({x, y});
        points.push_back({x + 6, y + 3});  // near the edge
        // Its orbit ring, a quarter turn on from the body (the Sun: Saturn's ring).
        double rx, rz;
        OnOrbit(slot == kSunSlot ? 4.6 : kBodies[slot].orbitRadius + 0.005,
                (slot == kSunSlot ? OrbitAngles.saturn : AngleOf(slot) + 90.0), &rx, &rz);
        if (slot == kSunSlot) rx += 0.33;
        if (slot != kMoonSlot) ScreenOf(rx, 0.0, rz, &x, &y);
        points.push_back({x, y});
    }
    for (int32_t y = 180; y <= 420; y += 60) {
        for (int32_t x = 100; x <= 700; x += 100) points.push_back({x, y});
    }
    for (int32_t mode : {MeshSphere, QuadricSphere}) {
        ViewState.sphereMode = mode;
        PreparePickLists();
        std::set<GLuint> firstNames;
        for (const auto& [x, y] : points) {
            const std::vector<GLuint> direct = Selection(x, y, DrawScene);
            EXPECT_EQ(Selection(x, y, DrawPickScene), direct)
                << "mode " << mode << " at " << x << "," << y;
            if (direct[0] > 0) firstNames.insert(direct[1] > 0 ? direct[4] : 0);
        }
        // The lists (rings, then this mode's spheres) follow the texture lists.
        EXPECT_TRUE(glIsList(kBodyCount * (mode == MeshSphere ? 3 : 4)));
        // Every body was hit first somewhere, and a ring (a record without a name).
        EXPECT_EQ(firstNames.size(), 11u) << "mode " << mode << ", missing " << [&] {
            std::string missing;
            for (GLuint n : {0u, 101u, 102u, 103u, 104u, 105u, 106u, 107u, 108u, 109u, 110u})
                if (!firstNames.count(n)) missing += std::to_string(n) + " ";
            return missing;
        }();
    }
    // With the lists emptied, the pick's frame has nothing to hit at the Sun.
    // Mesa may leave a gap after the texture lists (Mesa 25 starts the block
    // at 32), so every list above them is emptied.
    for (GLuint list = kBodyCount + 1; list <= 4096; ++list) {
        if (!glIsList(list)) continue;
        glNewList(list, GL_COMPILE);
        glEndList();
    }
    EXPECT_EQ(Selection(400, 300, DrawPickScene)[0], 0u) << "the pick drew directly";
}

// Where two named bodies lie under the cursor, the first record in drawing
// order decides: Mercury passing in front of the Sun is nearer, the Sun wins.
TEST_F(PickingTest, FirstRecordDecidesWhereBodiesOverlap) {
    ViewState.animating = 0;
    OrbitAngles.mercury = 270.0;
    int32_t x, y;
    ScreenOfBody(kMercurySlot, &x, &y);
    const std::vector<GLuint> hits = Selection(x, y, DrawScene);
    ASSERT_GE(hits[0], 2u);  // the Sun's record and Mercury's, Mercury's nearer
    const size_t second = 1 + 3 + hits[1];
    EXPECT_EQ(hits[second + 3], static_cast<GLuint>(kMercuryId));
    EXPECT_LT(hits[second + 1], hits[2]);
    Click(x, y);
    ASSERT_EQ(fake::Boxes().size(), 1u);
    EXPECT_EQ(fake::Boxes()[0].caption, "태양");
}

// The pick window is 2 pixels wide: it reaches one pixel either side of the
// click. The Sun's right edge in its centre row is found to a hundredth of a
// pixel with a narrow pick window; at some zoom a click 0.6 to 0.9 pixels
// beyond it must hit the Sun, and at another a click 1.1 to 1.4 pixels beyond
// it must miss (a window of 1.8 pixels or less would miss the first, one of
// 2.2 or more would hit the second).
TEST_F(PickingTest, PickWindowIsTwoPixelsWide) {
    ViewState.animating = 0;
    OrbitAngles.mercury = 90.0;  // out of the Sun's row
    bool hitChecked = false, missChecked = false;
    for (float zoom = 1.0f; zoom < 1.5f && !(hitChecked && missChecked); zoom += 0.013f) {
        ViewState.zoom = zoom;
        double inside = 400.0, outside = 440.0;
        while (outside - inside > 0.01) {
            const double middle = (inside + outside) / 2.0;
            (Selection(middle, 300, DrawScene, 0.001)[0] > 0 ? inside : outside) = middle;
        }
        const int32_t beyond = static_cast<int32_t>(std::ceil(outside));
        const double gap = beyond - outside;
        fake::ClearLog();
        if (!hitChecked && gap >= 0.6 && gap <= 0.9) {
            Click(beyond, 300);
            ASSERT_EQ(fake::Boxes().size(), 1u) << "zoom " << zoom << ": window narrower than 2";
            EXPECT_EQ(fake::Boxes()[0].caption, "태양");
            hitChecked = true;
        } else if (!missChecked && gap >= 0.1 && gap <= 0.4) {
            Click(beyond + 1, 300);
            EXPECT_TRUE(fake::Boxes().empty()) << "zoom " << zoom << ": window wider than 2";
            missChecked = true;
        }
    }
    EXPECT_TRUE(hitChecked && missChecked);
}

// The model turned about its Y and Z axes: picks follow the bodies.
TEST_F(PickingTest, PicksFollowTheModelsYawAndRoll) {
    ViewState.animating = 0;
    for (auto [yaw, roll] : {std::pair{70.0f, 0.0f}, std::pair{0.0f, 50.0f}}) {
        ViewState.yaw = yaw;
        ViewState.roll = roll;
        int32_t x, y;
        ScreenOfBody(kSaturnSlot, &x, &y);
        fake::ClearLog();
        Click(x, y);
        ASSERT_EQ(fake::Boxes().size(), 1u) << yaw << " " << roll;
        EXPECT_EQ(fake::Boxes()[0].caption, "토성") << yaw << " " << roll;
    }
}

TEST_F(PickingTest, ClickOnTheSunShowsItsKoreanNameAndFigures) {
    Click(400, 300);
    ASSERT_EQ(fake::Boxes().size(), 1u);
    EXPECT_EQ(fake::Boxes()[0].caption, "태양");
    EXPECT_EQ(fake::Boxes()[0].text, kSunText);
    EXPECT_EQ(fake::Boxes()[0].style, MB_OK);
    EXPECT_EQ(fake::Boxes()[0].owner, WindowContext.window);
    // After F1's close and open the new context has its own pick lists.
    CloseSceneWindow();
    ASSERT_EQ(OpenSceneWindow("Heliora", 800, 600, 16, 0), 1);
    fake::ClearLog();
    Click(400, 300);
    ASSERT_EQ(fake::Boxes().size(), 1u) << "no box after the window was made again";
    EXPECT_EQ(fake::Boxes()[0].caption, "태양");
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
    // A nameless record (3 words), then the Sun's name: whatever follows a
    // nameless record is not its name.
    const GLuint hits[kHitBufferWords] = {0, 1, 2, kSunId};
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

// Every box's caption and full text: a typo in any figure shows here.
TEST(BodyInfoTest, EveryBodysBoxReadsInFull) {
    struct Row {
        int32_t id;
        const char* caption;
        const char* figures[6];
    };
    const Row rows[] = {
        {kSunId, "태양", {"695,500", "1,989,000", "1.41", "28", "25.4일", "-"}},
        {kMercuryId, "수성", {"2439.7", "0.330", "5.43", "0.38", "58.6일", "88.0일"}},
        {kVenusId, "금성", {"6051.8", "4.87", "5.24", "0.91", "243일", "224.7일"}},
        {kEarthId, "지구", {"6378.1", "5.97", "5.52", "1.00", "23.93시간", "365.24일"}},
        {kMarsId, "화성", {"3397", "0.642", "3.93", "0.38", "24.62시간", "1.88년"}},
        {kJupiterId, "목성", {"71492", "1899", "1.33", "2.14", "9.93시간", "11.86년"}},
        {kSaturnId, "토성", {"60268", "568", "0.69", "0.74", "10.7시간", "29.4년"}},
        {kUranusId, "천왕성", {"25559", "86.8", "1.27", "0.86", "17.2시간", "84.0년"}},
        {kNeptuneId, "해왕성", {"24764", "102", "1.64", "1.10", "16.1시간", "164.8년"}},
        {kPlutoId, "명왕성", {"1151", "0.013", "2.0", "0.08", "6.4일", "247.9년"}},
    };
    const char* labels[6] = {"반지름(Km)",   "질량(10*24승 Kg)", "밀도(g/cm3)",
                             "중력(지구=1)", "자전주기",         "공전주기"};
    for (const Row& row : rows) {
        std::string expected;
        for (int line = 0; line < 6; ++line) {
            expected += std::string(line ? "\n" : "") + labels[line] + " : " + row.figures[line];
        }
        const char* caption;
        const char* text;
        ASSERT_TRUE(FindBodyInfo(row.id, &caption, &text)) << row.id;
        EXPECT_STREQ(caption, row.caption);
        EXPECT_EQ(text, expected);
    }
    const char* caption;
    const char* text;
    EXPECT_FALSE(FindBodyInfo(100, &caption, &text));
    EXPECT_FALSE(FindBodyInfo(111, &caption, &text));
}

}  // namespace
