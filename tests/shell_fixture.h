// Puts the process-wide records back to their start values around each test
// that drives the shell through the scripted platform.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/fake_platform.h"
#include "scene/scene.h"
#include "shell/shell.h"

inline void ResetShellRecords() {
    if (WindowContext.renderingContext != nullptr || WindowContext.window != nullptr)
        CloseSceneWindow();
    fake::Reset();
    ViewState = ViewStateRecord{};
    std::memset(KeyState, 0, sizeof KeyState);
    WindowContext = WindowContextRecord{};
    if (sceneQuadric != nullptr) gluDeleteQuadric(sceneQuadric);
    sceneQuadric = nullptr;
    scenePixelFormat = PixelFormatDescriptor{40, 1,
                                             PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL |
                                                 PFD_DOUBLEBUFFER,
                                             PFD_TYPE_RGBA};
    OrbitAngles = OrbitAnglesRecord{};
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override { ResetShellRecords(); }
    void TearDown() override { ResetShellRecords(); }

    // Index of the first logged call starting with `prefix` at or after `from`; -1 if none.
    static int IndexOf(const std::string& prefix, int from = 0) {
        const auto& calls = fake::Calls();
        for (int i = from; i < static_cast<int>(calls.size()); ++i)
            if (calls[i].compare(0, prefix.size(), prefix) == 0) return i;
        return -1;
    }
    static int CountOf(const std::string& prefix) {
        return static_cast<int>(fake::CallsStartingWith(prefix).size());
    }
};
