// The viewport and projection of a size change, and the fixed GL state of a
// new context, read back from a real Mesa context.
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
    EXPECT_FLOAT_EQ(Projection(14), static_cast<float>(-2.0 * 100.0 * nearPlane / (100.0 - nearPlane)));
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

TEST_F(ViewportTest, InitRenderStateSetsTheFixedState) {
    EXPECT_EQ(InitRenderState(), 1);
    EXPECT_NE(sceneQuadric, nullptr);
    for (GLenum capability : {GL_NORMALIZE, GL_DEPTH_TEST, GL_COLOR_MATERIAL, GL_LIGHTING,
                              GL_LIGHT0, GL_LIGHT1, GL_TEXTURE_2D})
        EXPECT_TRUE(glIsEnabled(capability)) << capability;
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[3], 0.5f);
    GLint value;
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LEQUAL);
    glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &value);
    EXPECT_EQ(value, GL_AMBIENT_AND_DIFFUSE);
    glGetIntegerv(GL_COLOR_MATERIAL_FACE, &value);
    EXPECT_EQ(value, GL_FRONT);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
    EXPECT_EQ(value, GL_MODULATE);
    gluDeleteQuadric(sceneQuadric);
    sceneQuadric = nullptr;
}

}  // namespace
