// Opening and closing the scene window through the scripted platform: every
// failure's text, caption and style, whether the window was taken down first,
// the full-screen question and its two answers, and the pixel-format request.
#include "tests/shell_fixture.h"

namespace {

constexpr uint32_t kExclamation = MB_OK | MB_ICONEXCLAMATION;  // 0x30
constexpr uint32_t kInformation = MB_OK | MB_ICONINFORMATION;  // 0x40
const char* const kQuestion =
    "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode "
    "Instead?";

class WindowTest : public ShellTest {};

TEST_F(WindowTest, WindowedOpenGivesAnEightHundredBySixHundredClientAtTheOrigin) {
    ASSERT_EQ(OpenSceneWindow("Heliora", 800, 600, 16, 0), 1);
    int32_t width = 0, height = 0;
    fake::WindowSize(WindowContext.window, &width, &height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    // Outer position (0, 0), outer size grown by the frame, clipping styles added.
    EXPECT_EQ(fake::CallsStartingWith("CreateWindowEx").at(0),
              "CreateWindowEx OpenGL Heliora style=0x6cf0000 ex=0x40100 0 0 816 639");
    EXPECT_EQ(fake::CallsStartingWith("RegisterClass").at(0), "RegisterClass OpenGL style=0x23");
    EXPECT_EQ(ViewState.aspect, 800.0f / 600.0f);
    EXPECT_NE(sceneQuadric, nullptr);
    EXPECT_TRUE(fake::Boxes().empty());
    // Shown, in front and focused only once the context is current.
    EXPECT_LT(IndexOf("MakeCurrent"), IndexOf("ShowWindow 5"));
    EXPECT_LT(IndexOf("ShowWindow 5"), IndexOf("SetForegroundWindow"));
    EXPECT_LT(IndexOf("SetForegroundWindow"), IndexOf("SetFocus"));
}

TEST_F(WindowTest, CloseReleasesEverythingInOrderAndClearsTheHandles) {
    ASSERT_EQ(OpenSceneWindow("Heliora", 800, 600, 16, 0), 1);
    int start = static_cast<int>(fake::Calls().size());
    CloseSceneWindow();
    int release = IndexOf("MakeCurrent null null", start);
    int remove = IndexOf("DeleteContext", start);
    int releaseDc = IndexOf("ReleaseDC", start);
    int destroy = IndexOf("DestroyWindow", start);
    int unregister = IndexOf("UnregisterClass OpenGL", start);
    EXPECT_TRUE(release >= 0 && release < remove && remove < releaseDc && releaseDc < destroy &&
                destroy < unregister);
    EXPECT_EQ(WindowContext.instance, nullptr);
    EXPECT_EQ(WindowContext.window, nullptr);
    EXPECT_EQ(WindowContext.deviceContext, nullptr);
    EXPECT_EQ(WindowContext.renderingContext, nullptr);
    EXPECT_EQ(sceneQuadric, nullptr);
    EXPECT_EQ(fake::LiveWindows(), 0);
    EXPECT_EQ(fake::LiveContexts(), 0);
    EXPECT_EQ(fake::RegisteredClasses(), 0);
    EXPECT_TRUE(fake::Boxes().empty());
    EXPECT_EQ(CountOf("ChangeDisplaySettings"), 0);  // windowed: the mode was never changed
}

TEST_F(WindowTest, ClassRegistrationFailureIsShownWithoutTakingAnythingDown) {
    fake::FailCall("RegisterClass");
    EXPECT_EQ(OpenSceneWindow("Heliora", 800, 600, 16, 0), 0);
    ASSERT_EQ(fake::Boxes().size(), 1u);
    EXPECT_EQ(fake::Boxes()[0].text, "Failed To Register The Window Class.");
    EXPECT_EQ(fake::Boxes()[0].caption, "ERROR");
    EXPECT_EQ(fake::Boxes()[0].style, kExclamation);
    EXPECT_EQ(fake::Boxes()[0].owner, nullptr);
    EXPECT_EQ(CountOf("UnregisterClass"), 0);
    EXPECT_EQ(CountOf("CreateWindowEx"), 0);
    EXPECT_NE(WindowContext.instance, nullptr);  // set before registering, and left set
}

// Each failing step after the window class: the window is taken down before the box.
struct OpenFailure {
    const char* call;
    const char* text;
};

class OpenFailureTest : public ShellTest, public ::testing::WithParamInterface<OpenFailure> {};

TEST_P(OpenFailureTest, ClosesFirstThenShowsTheTextAndReturnsZero) {
    fake::FailCall(GetParam().call);
    EXPECT_EQ(OpenSceneWindow("Heliora", 800, 600, 16, 0), 0);
    ASSERT_EQ(fake::Boxes().size(), 1u);
    EXPECT_EQ(fake::Boxes()[0].text, GetParam().text);
    EXPECT_EQ(fake::Boxes()[0].caption, "ERROR");
    EXPECT_EQ(fake::Boxes()[0].style, kExclamation);
    EXPECT_EQ(fake::Boxes()[0].owner, nullptr);
    int unregister = IndexOf("UnregisterClass OpenGL");
    ASSERT_GE(unregister, 0);
    EXPECT_LT(unregister, IndexOf("MessageBox ERROR"));
    EXPECT_EQ(fake::LiveWindows(), 0);
    EXPECT_EQ(fake::LiveContexts(), 0);
    EXPECT_EQ(fake::RegisteredClasses(), 0);
    EXPECT_EQ(WindowContext.window, nullptr);
    EXPECT_EQ(WindowContext.deviceContext, nullptr);
    EXPECT_EQ(WindowContext.renderingContext, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, OpenFailureTest,
    ::testing::Values(OpenFailure{"CreateWindowEx", "Window Creation Error."},
                      OpenFailure{"GetDC", "Can't Create A GL Device Context."},
                      OpenFailure{"ChoosePixelFormat", "Can't Find A Suitable PixelFormat."},
                      OpenFailure{"SetPixelFormat", "Can't Set The PixelFormat."},
                      OpenFailure{"CreateContext", "Can't Create A GL Rendering Context."},
                      OpenFailure{"MakeCurrent", "Can't Activate The GL Rendering Context."}));

TEST_F(WindowTest, FailedWindowCreationLeavesOnlyTheClassToUnregister) {
    fake::FailCall("CreateWindowEx");
    ASSERT_EQ(OpenSceneWindow("Heliora", 800, 600, 16, 0), 0);
    int created = IndexOf("CreateWindowEx");
    const auto& calls = fake::Calls();
    std::vector<std::string> after(calls.begin() + created + 1, calls.end());
    EXPECT_EQ(after, (std::vector<std::string>{"UnregisterClass OpenGL", "MessageBox ERROR"}));
    EXPECT_EQ(sceneQuadric, nullptr);
}

// A question that could not be asked (no box shown: 0) is no refusal.
TEST_F(WindowTest, RefusedFullscreenAnsweredYesOrNotAskedOpensAWindowAndLeavesTheModeAlone) {
    for (int32_t answer : {IDYES, 0}) {
        ResetShellRecords();
        fake::SetFullscreenModeAvailable(false);
        fake::QueueBoxAnswers({answer});
        ASSERT_EQ(OpenSceneWindow("Heliora", 800, 600, 16, 1), 1) << "answer " << answer;
        ASSERT_EQ(fake::Boxes().size(), 1u);
        EXPECT_EQ(fake::Boxes()[0].text, kQuestion);
        EXPECT_EQ(fake::Boxes()[0].caption, "Orbisca");
        EXPECT_EQ(fake::Boxes()[0].style, MB_YESNO | MB_ICONEXCLAMATION);
        EXPECT_EQ(ViewState.fullscreen, 0);
        EXPECT_EQ(fake::CallsStartingWith("ChangeDisplaySettings").at(0),
                  "ChangeDisplaySettings 800x600x16 size=148 fields=0x1c0000 4");
        EXPECT_EQ(CountOf("ShowCursor"), 0);
        int32_t width = 0, height = 0;
        fake::WindowSize(WindowContext.window, &width, &height);
        EXPECT_EQ(width, 800);
        EXPECT_EQ(height, 600);
        CloseSceneWindow();
        EXPECT_EQ(CountOf("ChangeDisplaySettings none"), 0);
        EXPECT_EQ(CountOf("ShowCursor"), 0);
    }
}

TEST_F(WindowTest, RefusedFullscreenAnsweredNoClosesTheProgramWithoutAWindow) {
    fake::SetFullscreenModeAvailable(false);
    fake::QueueBoxAnswers({IDNO});
    EXPECT_EQ(OpenSceneWindow("Heliora", 800, 600, 16, 1), 0);
    ASSERT_EQ(fake::Boxes().size(), 2u);
    EXPECT_EQ(fake::Boxes()[1].text, "Program Will Now Close.");
    EXPECT_EQ(fake::Boxes()[1].caption, "ERROR");
    EXPECT_EQ(fake::Boxes()[1].style, MB_OK | MB_ICONSTOP);
    EXPECT_EQ(CountOf("CreateWindowEx"), 0);
    EXPECT_EQ(CountOf("UnregisterClass"), 0);
    EXPECT_EQ(fake::RegisteredClasses(), 1);  // the class stays registered
    EXPECT_FALSE(fake::DisplayModeChanged());
}

TEST_F(WindowTest, AcceptedFullscreenHidesTheCursorAndCloseRestoresModeBeforeReleasing) {
    ASSERT_EQ(OpenSceneWindow("Heliora", 800, 600, 16, 1), 1);
    EXPECT_EQ(ViewState.fullscreen, 1);
    EXPECT_TRUE(fake::DisplayModeChanged());
    EXPECT_LT(fake::CursorCount(), 0);
    EXPECT_EQ(fake::CallsStartingWith("CreateWindowEx").at(0),
              "CreateWindowEx OpenGL Heliora style=0x86000000 ex=0x40000 0 0 800 600");
    int start = static_cast<int>(fake::Calls().size());
    CloseSceneWindow();
    EXPECT_FALSE(fake::DisplayModeChanged());
    EXPECT_EQ(fake::CursorCount(), 0);
    EXPECT_LT(IndexOf("ChangeDisplaySettings none 0", start), IndexOf("ShowCursor 1", start));
    EXPECT_LT(IndexOf("ShowCursor 1", start), IndexOf("MakeCurrent null null", start));
    EXPECT_EQ(ViewState.fullscreen, 1);  // the flag itself is left as it was
}

TEST_F(WindowTest, FullscreenFailureAfterTheModeChangeRestoresTheModeBeforeTheBox) {
    fake::FailCall("ChoosePixelFormat");
    EXPECT_EQ(OpenSceneWindow("Heliora", 800, 600, 16, 1), 0);
    EXPECT_FALSE(fake::DisplayModeChanged());
    EXPECT_EQ(fake::CursorCount(), 0);
    EXPECT_LT(IndexOf("ChangeDisplaySettings none"), IndexOf("MessageBox ERROR"));
    EXPECT_LT(IndexOf("ShowCursor 1"), IndexOf("MessageBox ERROR"));
}

TEST_F(WindowTest, PixelFormatRequestKeepsTheFirstOpensColourBits) {
    ASSERT_EQ(OpenSceneWindow("Heliora", 800, 600, 16, 0), 1);
    CloseSceneWindow();
    ASSERT_EQ(OpenSceneWindow("Heliora", 800, 600, 32, 1), 1);
    EXPECT_EQ(fake::CallsStartingWith("ChangeDisplaySettings").at(0),
              "ChangeDisplaySettings 800x600x32 size=148 fields=0x1c0000 4");
    auto chosen = fake::CallsStartingWith("ChoosePixelFormat");
    ASSERT_EQ(chosen.size(), 2u);
    EXPECT_EQ(chosen[0], "ChoosePixelFormat bits=16 depth=16 flags=0x25");
    EXPECT_EQ(chosen[1], "ChoosePixelFormat bits=16 depth=16 flags=0x25");
    EXPECT_EQ(scenePixelFormat.nSize, 40);
    EXPECT_EQ(scenePixelFormat.nVersion, 1);
    EXPECT_EQ(scenePixelFormat.iPixelType, PFD_TYPE_RGBA);
    EXPECT_EQ(scenePixelFormat.iLayerType, PFD_MAIN_PLANE);
}

TEST_F(WindowTest, PixelFormatIsNotFilledByAnOpenThatGetsNoWindow) {
    fake::FailCall("CreateWindowEx");
    ASSERT_EQ(OpenSceneWindow("Heliora", 800, 600, 24, 0), 0);
    ASSERT_EQ(OpenSceneWindow("Heliora", 800, 600, 16, 0), 1);
    EXPECT_EQ(scenePixelFormat.cColorBits, 16);
}

// Closing failures: each is shown and passed over, and never tried again.
struct CloseFailure {
    const char* call;
    const char* text;
};

class CloseFailureTest : public ShellTest, public ::testing::WithParamInterface<CloseFailure> {};

TEST_P(CloseFailureTest, IsShownPassedOverAndNotRetried) {
    ASSERT_EQ(OpenSceneWindow("Heliora", 800, 600, 16, 0), 1);
    fake::FailCall(GetParam().call);
    CloseSceneWindow();
    ASSERT_EQ(fake::Boxes().size(), 1u);
    EXPECT_EQ(fake::Boxes()[0].text, GetParam().text);
    EXPECT_EQ(fake::Boxes()[0].caption, "SHUTDOWN ERROR");
    EXPECT_EQ(fake::Boxes()[0].style, kInformation);
    EXPECT_EQ(fake::Boxes()[0].owner, nullptr);
    // The rest of the sequence still ran.
    EXPECT_EQ(CountOf("UnregisterClass OpenGL"), 1);
    EXPECT_EQ(CountOf("DestroyWindow"), 1);
    EXPECT_EQ(WindowContext.window, nullptr);
    EXPECT_EQ(WindowContext.deviceContext, nullptr);
    EXPECT_EQ(WindowContext.renderingContext, nullptr);
    EXPECT_EQ(sceneQuadric, nullptr);
    // A second close finds the handles cleared and tries only the class again.
    int start = static_cast<int>(fake::Calls().size());
    CloseSceneWindow();
    const auto& calls = fake::Calls();
    std::vector<std::string> second(calls.begin() + start, calls.end());
    ASSERT_FALSE(second.empty());
    EXPECT_EQ(second[0], "UnregisterClass OpenGL");
    EXPECT_EQ(IndexOf("DeleteContext", start), -1);
    EXPECT_EQ(IndexOf("ReleaseDC", start), -1);
    EXPECT_EQ(IndexOf("DestroyWindow", start), -1);
}

INSTANTIATE_TEST_SUITE_P(
    EveryRelease, CloseFailureTest,
    ::testing::Values(CloseFailure{"MakeCurrent", "Release Of DC And RC Failed."},
                      CloseFailure{"DeleteContext", "Release Rendering Context Failed."},
                      CloseFailure{"ReleaseDC", "Release Device Context Failed."},
                      CloseFailure{"DestroyWindow", "Could Not Release hWnd."},
                      CloseFailure{"UnregisterClass", "Could Not Unregister Class."}));

}  // namespace
