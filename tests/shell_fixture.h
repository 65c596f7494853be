// Puts the process-wide records back to their start values around each test
// that drives the shell through the scripted platform.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/fake_platform.h"
#include "scene/scene.h"
#include "shell/shell.h"

// A 24-bit bottom-up BMP with the 14-byte file header and a 40-byte header,
// every pixel (blue, green, red) = (tag, 100 + x, 200 - y).
inline void WritePicture(const std::filesystem::path& path, int tag, int width, int height) {
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const uint32_t dataSize = static_cast<uint32_t>(rowBytes * height);
    std::vector<unsigned char> file(54 + dataSize, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    file[26] = 1;
    file[28] = 24;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &file[54 + y * rowBytes + x * 3];
            p[0] = static_cast<unsigned char>(tag);
            p[1] = static_cast<unsigned char>(100 + x);
            p[2] = static_cast<unsigned char>(200 - y);
        }
    }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<char*>(file.data()), static_cast<std::streamsize>(file.size()));
}

// A scratch directory holding the eleven body pictures (4 x 2 each), made once
// per test program and removed at its end; the viewer reads its pictures from
// the working directory.
struct ScratchPictures {
    std::filesystem::path path;
    ScratchPictures() {
        path = std::filesystem::temp_directory_path() /
               ("heliora-pictures-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(path);
        for (int slot = 0; slot < kBodyCount; ++slot)
            WritePicture(path / kBodies[slot].pictureFile, slot, 4, 2);
    }
    ~ScratchPictures() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

inline const std::filesystem::path& PicturesDirectory() {
    static const ScratchPictures pictures;
    return pictures.path;
}

inline void ResetShellRecords() {
    if (WindowContext.renderingContext != nullptr || WindowContext.window != nullptr)
        CloseSceneWindow();
    fake::Reset();
    ViewState = ViewStateRecord{};
    std::memset(KeyState, 0, sizeof KeyState);
    WindowContext = WindowContextRecord{};
    if (sceneQuadric != nullptr) gluDeleteQuadric(sceneQuadric);
    sceneQuadric = nullptr;
    scenePixelFormat = PixelFormatDescriptor{
        40, 1, PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER, PFD_TYPE_RGBA};
    OrbitAngles = OrbitAnglesRecord{};
}

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetShellRecords();
        startDirectory_ = std::filesystem::current_path();
        std::filesystem::current_path(PicturesDirectory());
    }
    void TearDown() override {
        ResetShellRecords();
        std::filesystem::current_path(startDirectory_);
    }
    std::filesystem::path startDirectory_;

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
