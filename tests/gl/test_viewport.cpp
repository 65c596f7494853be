// The viewport and projection of a size change, and what a new context's
// fixed state shows, in a real Mesa context.
#include "tests/shell_fixture.h"

namespace {

class ViewportTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        fake::MakeTestContext(64, 64);
    }
    void TearDown() override {
        fake::ReleaseTestContext();
        ShellTest::TearDown();
    }
    static void Viewport(GLint out[4]) { glGetIntegerv(GL_VIEWPORT, out); }
    static float Projection(int index) {
        GLfloat matrix[16];
        glGetFloatv(GL_PROJECTION_MATRIX, matrix);
        return matrix[index];
    }
};

TEST_F(ViewportTest, HeightZeroCountsAsOne) {
    ResizeViewport(640, 0);
    GLint viewport[4];
    Viewport(viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 1);
    EXPECT_EQ(ViewState.aspect, 640.0f);
}

TEST_F(ViewportTest, MinimisedWindowGivesZeroByOneAndAspectZero) {
    ResizeViewport(0, 0);
    GLint viewport[4];
    Viewport(viewport);
    EXPECT_EQ(viewport[2], 0);
    EXPECT_EQ(viewport[3], 1);
    EXPECT_EQ(ViewState.aspect, 0.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ViewportTest, ProjectionUsesTheDoubleQuotientWhileAspectKeepsTheFloat) {
    // For 600 x 463 the two differ in the projection's first element:
    // cot(22.5 deg) / (600/463) rounds to 1.86296808719635 in float, while the
    // float aspect 1.295896291732788 would give 1.8629682064056396.
    ResizeViewport(600, 463);
    EXPECT_EQ(ViewState.aspect, 1.295896291732788f);
    EXPECT_EQ(Projection(0), 1.86296808719635f);
    // Near plane 0.1f widened, far plane 100: element 14 is -2 f n / (f - n).
    const double nearPlane = 0.10000000149011612;
    EXPECT_FLOAT_EQ(Projection(14),
                    static_cast<float>(-2.0 * 100.0 * nearPlane / (100.0 - nearPlane)));
    GLint mode;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(ViewportTest, SizeMessageResizesThroughTheProcedure) {
    SceneWindowProc(nullptr, WM_SIZE, 0, PackPoint(1024, 0));
    GLint viewport[4];
    Viewport(viewport);
    EXPECT_EQ(viewport[2], 1024);
    EXPECT_EQ(viewport[3], 1);
    SceneWindowProc(nullptr, WM_SIZE, 0, PackPoint(65535, 65535));
    EXPECT_EQ(ViewState.aspect, 1.0f);
}

// The zoom scales the model, normals too: a new context's state keeps them of
// unit length, so the Sun's lit centre is as bright zoomed in as at zoom 1.
TEST_F(ViewportTest, ANewContextLightsAZoomedInSunAsBrightlyAsAtZoomOne) {
    ASSERT_EQ(InitRenderState(), 1);
    ResizeViewport(64, 64);
    ViewState.texturing = 0;
    GLubyte centre[2][4];
    for (int i = 0; i < 2; ++i) {
        ViewState.zoom = i == 0 ? 1.0f : 3.0f;
        DrawScene();
        glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, centre[i]);
    }
    EXPECT_GE(centre[0][0], 250);
    EXPECT_NEAR(centre[1][0], centre[0][0], 3) << "zoomed in, the Sun is darker";
    gluDeleteQuadric(sceneQuadric);
    sceneQuadric = nullptr;
}

}  // namespace
