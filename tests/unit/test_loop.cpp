// The main loop and the window procedure, driven through the scripted
// platform: an idle hook runs in each idle pass and posts what the next passes
// take, and notes the state each idle pass begins with.
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "tests/shell_fixture.h"

namespace {

// What to post at which idle pass; the loop is stopped by a close at the end.
std::map<int, std::vector<PlatMessage>> script;
int closeAtPass = 0;
int idlePassesSeen = 0;
std::vector<int> texturingAtPass;
std::vector<double> earthAtPass;
// When set, each idle pass notes the picture the previous pass left in the
// back buffer and then paints the buffer magenta, so a pass that draws
// nothing shows as magenta: the off-screen buffer, like some real ones, keeps
// its old contents across a swap.
bool watchPictures = false;
std::vector<size_t> pictureAtPass;

size_t TakePictureAndBlot() {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    std::string rgb(static_cast<size_t>(viewport[2] * viewport[3] * 3), '\0');
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, viewport[2], viewport[3], GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    return std::hash<std::string>{}(rgb);
}

void RunScript(int idlePass) {
    idlePassesSeen = idlePass;
    texturingAtPass.push_back(ViewState.texturing);
    earthAtPass.push_back(OrbitAngles.earth);
    if (watchPictures) pictureAtPass.push_back(TakePictureAndBlot());
    auto found = script.find(idlePass);
    if (found != script.end())
        for (const PlatMessage& m : found->second)
            fake::PostMessage(fake::LastWindow(), m.message, m.wParam, m.lParam);
    if (idlePass == closeAtPass) fake::PostMessage(fake::LastWindow(), WM_CLOSE, 0, 0);
    // A hang guard: no test needs this many passes.
    if (idlePass > 10000) fake::PostMessage(fake::LastWindow(), WM_CLOSE, 0, 0);
}

PlatMessage Key(uint32_t message, uintptr_t key) { return PlatMessage{nullptr, message, key, 0}; }

class LoopTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        script.clear();
        closeAtPass = 0;
        idlePassesSeen = 0;
        texturingAtPass.clear();
        earthAtPass.clear();
        watchPictures = false;
        pictureAtPass.clear();
        fake::SetIdleHook(RunScript);
    }
};

TEST_F(LoopTest, CloseEndsTheLoopWithExitCodeZeroAndClosesOnce) {
    closeAtPass = 3;
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_EQ(CountOf("PostQuitMessage 0"), 1);
    EXPECT_EQ(CountOf("UnregisterClass"), 1);
    EXPECT_EQ(fake::LiveWindows(), 0);
    EXPECT_EQ(fake::SwapCount(), 3);       // passes 1 to 3 drew; the close came after pass 3
    EXPECT_EQ(CountOf("WaitMessage"), 0);  // a running loop never waits
}

TEST_F(LoopTest, EscEndsAtTheNextIdlePassWithoutPresentingThatFrame) {
    script[3] = {Key(WM_KEYDOWN, VK_ESCAPE)};
    EXPECT_EQ(RunMainLoop(), static_cast<int32_t>(VK_ESCAPE));  // wParam of the last message
    EXPECT_EQ(fake::SwapCount(), 3);
    // The key came after pass 3; pass 4 drew but did not present.
    EXPECT_DOUBLE_EQ(OrbitAngles.mercury, 200.0 + 4 * 1.8);
}

TEST_F(LoopTest, ExitCodeAfterEscIsTheLastMessagesWParam) {
    script[2] = {Key(WM_KEYDOWN, VK_ESCAPE), PlatMessage{nullptr, WM_MOUSEMOVE, 0x0002, 0}};
    EXPECT_EQ(RunMainLoop(), 2);
}

TEST_F(LoopTest, FunctionKeyActsOncePerIdlePassNotOncePerMessage) {
    // Two auto-repeat key-downs handled back to back, then one idle pass.
    script[2] = {Key(WM_KEYDOWN, VK_F2), Key(WM_KEYDOWN, VK_F2)};
    closeAtPass = 4;
    RunMainLoop();
    EXPECT_EQ(ViewState.lighting, 0);
}

TEST_F(LoopTest, KeyDownsBetweenIdlePassesActOncePerPass) {
    script[2] = {Key(WM_KEYDOWN, VK_F3)};
    script[3] = {Key(WM_KEYDOWN, VK_F3)};
    script[4] = {Key(WM_KEYDOWN, VK_F3), Key(WM_KEYUP, VK_F3)};  // released before a pass
    script[6] = {Key(WM_KEYDOWN, VK_ESCAPE), Key(WM_KEYUP, VK_ESCAPE)};
    closeAtPass = 8;
    // Each press acts in the pass after it, a tap released before that pass too.
    EXPECT_EQ(RunMainLoop(), static_cast<int32_t>(VK_ESCAPE));
    EXPECT_EQ(texturingAtPass, (std::vector<int>{1, 1, 1, 0, 1, 0, 0}));
}

TEST_F(LoopTest, FunctionKeysToggleTheirFlagsInOnePass) {
    script[2] = {Key(WM_KEYDOWN, VK_F2), Key(WM_KEYDOWN, VK_F3), Key(WM_KEYDOWN, VK_F4),
                 Key(WM_KEYDOWN, VK_F5)};
    script[4] = {Key(WM_KEYDOWN, VK_F5)};
    closeAtPass = 6;
    RunMainLoop();
    EXPECT_EQ(ViewState.lighting, 0);
    EXPECT_EQ(ViewState.texturing, 0);
    EXPECT_EQ(ViewState.filled, 0);
    EXPECT_EQ(ViewState.sphereMode, MeshSphere);  // 1 -> 2 -> 1
    EXPECT_EQ(KeyState[VK_F5], 0);
}

TEST_F(LoopTest, PausedPassesDrawOnceAfterAMessageOrAKeyAndOtherwiseWait) {
    watchPictures = true;
    script[3] = {Key(WM_KEYDOWN, VK_SPACE)};
    script[5] = {PlatMessage{nullptr, WM_PAINT, 0, 0}};
    script[7] = {Key(WM_KEYDOWN, VK_F4)};
    script[10] = {Key(WM_KEYDOWN, VK_SPACE)};
    closeAtPass = 12;
    RunMainLoop();
    // Passes 4 to 10 held the Earth at 10; from pass 11 it moves on from there.
    EXPECT_EQ(earthAtPass, (std::vector<double>{7, 8, 9, 10, 10, 10, 10, 10, 10, 10, 10, 11}));
    EXPECT_EQ(OrbitAngles.earth, 12.0);
    // Paused, pass 4 (after Space), pass 6 (after the repaint request) and
    // passes 8 and 9 (F4's message, then F4 acting) drew and presented; passes
    // 5, 7 and 10 waited.
    EXPECT_EQ(fake::SwapCount(), 3 + 1 + 1 + 2 + 2);
    EXPECT_EQ(CountOf("WaitMessage"), 3);
    // Each pass's frame is seen at the next pass: a pass that drew nothing
    // leaves the magenta blot. Paused frames before F4 are the frame of pass 3.
    ASSERT_EQ(pictureAtPass.size(), 12u);
    const size_t still = pictureAtPass[3], blot = pictureAtPass[5];
    EXPECT_NE(blot, still);
    EXPECT_EQ((std::vector<size_t>{pictureAtPass[4], pictureAtPass[6], pictureAtPass[8]}),
              std::vector<size_t>(3, still));
    EXPECT_EQ((std::vector<size_t>{pictureAtPass[7], pictureAtPass[10]}),
              std::vector<size_t>(2, blot));
    EXPECT_NE(pictureAtPass[9], still);  // outlines, with no further message
}

TEST_F(LoopTest, F1SwitchesToFullscreenAndBackKeepingTheViewAndTheAngles) {
    script[1] = {PlatMessage{nullptr, WM_SIZE, SIZE_RESTORED, PackPoint(300, 500)}};
    script[2] = {Key(WM_KEYDOWN, VK_F1)};
    script[4] = {Key(WM_KEYDOWN, VK_F1)};
    closeAtPass = 6;
    ViewState.yaw = 33.0f;
    ViewState.lighting = 0;
    ViewState.texturing = 0;
    ViewState.filled = 0;
    ViewState.sphereMode = QuadricSphere;
    EXPECT_EQ(RunMainLoop(), 0);
    auto created = fake::CallsStartingWith("CreateWindowEx");
    ASSERT_EQ(created.size(), 3u);
    EXPECT_EQ(created[1], "CreateWindowEx OpenGL Heliora style=0x86000000 ex=0x40000 0 0 800 600");
    // Windowed again, at the same place and size whatever size the first had been given.
    EXPECT_EQ(created[2], created[0]);
    // (the fake's frame round an 800 x 600 client area)
    EXPECT_EQ(created[0], "CreateWindowEx OpenGL Heliora style=0x6cf0000 ex=0x40100 0 0 816 639");
    EXPECT_EQ(ViewState.aspect, 800.0f / 600.0f);
    EXPECT_EQ(ViewState.fullscreen, 0);
    EXPECT_EQ(ViewState.yaw, 33.0f);
    EXPECT_EQ(ViewState.lighting, 0);
    EXPECT_EQ(ViewState.texturing, 0);
    EXPECT_EQ(ViewState.filled, 0);
    EXPECT_EQ(ViewState.sphereMode, QuadricSphere);
    EXPECT_EQ(OrbitAngles.earth, 7.0 + 6.0);  // passes 1 to 6 drew; nothing was reset
    EXPECT_FALSE(fake::DisplayModeChanged());
    EXPECT_EQ(fake::CursorCount(), 0);
}

TEST_F(LoopTest, FailedReopenAfterF1EndsWithZeroWithoutAnotherClose) {
    script[2] = {Key(WM_KEYDOWN, VK_F1)};
    fake::FailCall("CreateWindowEx", 2);
    EXPECT_EQ(RunMainLoop(), 0);
    ASSERT_EQ(fake::Boxes().size(), 1u);
    EXPECT_EQ(fake::Boxes()[0].text, "Window Creation Error.");
    // One close before the re-open, one inside the failed open, none after the box.
    EXPECT_EQ(CountOf("UnregisterClass"), 2);
    EXPECT_EQ(fake::Calls().back(), "MessageBox ERROR");
}

TEST_F(LoopTest, RefusedFullscreenAnsweredNoEndsWithZero) {
    fake::SetFullscreenModeAvailable(false);
    fake::QueueBoxAnswers({IDNO});
    script[2] = {Key(WM_KEYDOWN, VK_F1)};
    EXPECT_EQ(RunMainLoop(), 0);
    ASSERT_EQ(fake::Boxes().size(), 2u);
    EXPECT_EQ(fake::Boxes()[1].text, "Program Will Now Close.");
}

TEST_F(LoopTest, FailedFirstOpenReturnsZeroAtOnce) {
    fake::FailCall("GetDC");
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_EQ(idlePassesSeen, 0);
    EXPECT_EQ(CountOf("UnregisterClass"), 1);  // only the open's own close
}

// ---- The window procedure ------------------------------------------------------

class ProcedureTest : public ShellTest {};

TEST_F(ProcedureTest, RightDragTurnsOneDegreePerPixel) {
    ViewState.lastMouseX = 100;
    ViewState.lastMouseY = 100;
    ViewState.yaw = 0.0f;
    ViewState.pitch = 22.5f;
    SceneWindowProc(nullptr, WM_RBUTTONDOWN, 0, PackPoint(100, 100));
    EXPECT_EQ(SceneWindowProc(nullptr, WM_MOUSEMOVE, 0, PackPoint(110, 95)), 0);
    EXPECT_EQ(ViewState.yaw, 10.0f);
    EXPECT_EQ(ViewState.pitch, 17.5f);
    SceneWindowProc(nullptr, WM_RBUTTONUP, 0, PackPoint(110, 95));
    SceneWindowProc(nullptr, WM_MOUSEMOVE, 0, PackPoint(300, 200));
    EXPECT_EQ(ViewState.yaw, 10.0f);
    EXPECT_EQ(ViewState.pitch, 17.5f);
    EXPECT_EQ(ViewState.lastMouseX, 300);
    EXPECT_EQ(ViewState.lastMouseY, 200);
}

TEST_F(ProcedureTest, FirstMoveOfADragTurnsByTheDistanceFromTheLastSeenPosition) {
    SceneWindowProc(nullptr, WM_MOUSEMOVE, 0, PackPoint(10, 10));
    SceneWindowProc(nullptr, WM_RBUTTONDOWN, 0, PackPoint(400, 300));
    SceneWindowProc(nullptr, WM_MOUSEMOVE, 0, PackPoint(400, 300));
    EXPECT_EQ(ViewState.yaw, 390.0f);  // not wrapped
    EXPECT_EQ(ViewState.pitch, 22.5f + 290.0f);
}

TEST_F(ProcedureTest, MousePositionsAreUnsignedHalves) {
    SceneWindowProc(nullptr, WM_MOUSEMOVE, 0, PackPoint(0xFFFF, 0x8000));
    EXPECT_EQ(ViewState.mouseX, 65535);
    EXPECT_EQ(ViewState.mouseY, 32768);
}

TEST_F(ProcedureTest, ZoomStepsAreFormedInDoubleAndStoredAsFloat) {
    for (int i = 0; i < 4; ++i) SceneWindowProc(nullptr, WM_KEYDOWN, VK_SUBTRACT, 0);
    // 1.0 - 0.3 four times, rounded to float after each step (worked out by hand);
    // pure float arithmetic would give -0.20000004768371582.
    EXPECT_EQ(ViewState.zoom, -0.20000001788139343f);
    SceneWindowProc(nullptr, WM_KEYDOWN, VK_ADD, 0);
    EXPECT_EQ(ViewState.zoom, static_cast<float>(-0.20000001788139343 + 0.3));
    EXPECT_EQ(KeyState[VK_ADD], 0);
    EXPECT_EQ(KeyState[VK_SUBTRACT], 0);
}

TEST_F(ProcedureTest, KeysSetAndClearTheirFlagsButSpaceOnlyToggles) {
    SceneWindowProc(nullptr, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(KeyState['A'], 1);
    SceneWindowProc(nullptr, WM_KEYUP, 'A', 0);
    EXPECT_EQ(KeyState['A'], 0);
    SceneWindowProc(nullptr, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(ViewState.animating, 0);
    EXPECT_EQ(KeyState[VK_SPACE], 0);
    SceneWindowProc(nullptr, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(ViewState.animating, 1);
}

TEST_F(ProcedureTest, KeyCodesOutsideTheTableTouchNothing) {
    ViewStateRecord before = ViewState;
    for (uintptr_t key : {uintptr_t{256}, uintptr_t{1000}, uintptr_t{0x10000}, UINTPTR_MAX}) {
        EXPECT_EQ(SceneWindowProc(nullptr, WM_KEYDOWN, key, 0), 0);
        EXPECT_EQ(SceneWindowProc(nullptr, WM_KEYUP, key, 0), 0);
    }
    for (int i = 0; i < kKeyStateSize; ++i) EXPECT_EQ(KeyState[i], 0) << i;
    EXPECT_EQ(std::memcmp(&before, &ViewState, sizeof before), 0);
    SceneWindowProc(nullptr, WM_KEYDOWN, 255, 0);
    EXPECT_EQ(KeyState[255], 1);
}

}  // namespace
