// Texture objects and texture display lists built from real BMP files in a
// scratch working directory, read back from a real Mesa context.
#include "imaging/textures.h"
#include "tests/shell_fixture.h"

namespace {

namespace fs = std::filesystem;

// The red-green-blue bytes the viewer should upload for WritePicture's picture.
std::vector<unsigned char> ExpectedPixels(int slot, int width, int height) {
    std::vector<unsigned char> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            pixels.push_back(static_cast<unsigned char>(200 - y));
            pixels.push_back(static_cast<unsigned char>(100 + x));
            pixels.push_back(static_cast<unsigned char>(slot));
        }
    return pixels;
}

int PictureWidth(int slot) { return slot == kJupiterSlot ? 3 : 4 + slot; }  // some odd
int PictureHeight(int slot) { return slot == kJupiterSlot ? 5 : 2 + slot % 3; }

std::vector<unsigned char> BoundTexture(GLint* width, GLint* height) {
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, height);
    std::vector<unsigned char> pixels(static_cast<size_t>(*width * *height * 3));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!pixels.empty()) glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

int OpenDescriptors() {
    int count = 0;
    for (auto it = fs::directory_iterator("/proc/self/fd"); it != fs::directory_iterator(); ++it)
        ++count;
    return count;
}

class TexturesTest : public ShellTest {
  protected:
    static int ClosedFiles() {
        return static_cast<int>(
            std::count(fake::Calls().begin(), fake::Calls().end(), "CloseFile"));
    }
    void SetUp() override {
        ShellTest::SetUp();
        previous_ = fs::current_path();
        directory_ = fs::temp_directory_path() /
                     ("heliora-textures-" +
                      std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(directory_);
        fs::create_directories(directory_);
        for (int slot = 0; slot < kBodyCount; ++slot)
            WritePicture(directory_ / kBodies[slot].pictureFile, slot, PictureWidth(slot),
                         PictureHeight(slot));
        fs::current_path(directory_);
        for (GLuint& name : TextureSet) name = 0;
    }
    void TearDown() override {
        ShellTest::TearDown();
        fs::current_path(previous_);
        fs::remove_all(directory_);
    }
    fs::path directory_;
    fs::path previous_;
};

TEST_F(TexturesTest, ElevenObjectsHoldTheirPicturesWithLinearFiltersAndPlutoStaysBound) {
    ASSERT_EQ(OpenSceneWindow("Heliora", 800, 600, 16, 0), 1);
    EXPECT_TRUE(fake::Boxes().empty());
    for (int slot = 0; slot < kBodyCount; ++slot) {
        EXPECT_NE(TextureSet[slot], 0u);
        for (int other = 0; other < slot; ++other) EXPECT_NE(TextureSet[slot], TextureSet[other]);
    }
    GLint bound;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), TextureSet[kPlutoSlot]);
    // The lists' wrap and filter settings landed on Pluto's object too.
    GLint wrap;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_REPEAT);
    for (int slot = 0; slot < kBodyCount; ++slot) {
        glBindTexture(GL_TEXTURE_2D, TextureSet[slot]);
        GLint width, height, minFilter, magFilter;
        std::vector<unsigned char> pixels = BoundTexture(&width, &height);
        EXPECT_EQ(width, PictureWidth(slot));
        EXPECT_EQ(height, PictureHeight(slot));
        EXPECT_EQ(pixels, ExpectedPixels(slot, width, height)) << kBodies[slot].pictureFile;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
        EXPECT_EQ(minFilter, GL_LINEAR);
        EXPECT_EQ(magFilter, GL_LINEAR);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TexturesTest, CallingListSlotPlusOneUploadsThatSlotsPicture) {
    ASSERT_EQ(OpenSceneWindow("Heliora", 800, 600, 16, 0), 1);
    GLuint scratch;
    glGenTextures(1, &scratch);
    glBindTexture(GL_TEXTURE_2D, scratch);
    for (int slot = 0; slot < kBodyCount; ++slot) {
        EXPECT_TRUE(glIsList(static_cast<GLuint>(slot + 1)));
        glCallList(static_cast<GLuint>(slot + 1));
        GLint width, height;
        std::vector<unsigned char> pixels = BoundTexture(&width, &height);
        EXPECT_EQ(width, PictureWidth(slot));  // Jupiter's 3 x 5 goes through unchanged
        EXPECT_EQ(pixels, ExpectedPixels(slot, width, height)) << kBodies[slot].pictureFile;
    }
    for (ImageRecord* image : ListImages) EXPECT_EQ(image, nullptr);  // released once recorded
}

TEST_F(TexturesTest, MissingMoonStopsTheObjectsAfterFourPicturesAndEmptiesOnlyItsList) {
    fs::remove("Moon.bmp");
    ASSERT_EQ(OpenSceneWindow("Heliora", 800, 600, 16, 0), 1);
    for (GLuint name : TextureSet) EXPECT_EQ(name, 0u);
    // The objects read Sun, Mercury, Venus and the Earth once; the lists read all eleven.
    EXPECT_EQ(CountOf("OpenFile Sun.bmp"), 2);
    EXPECT_EQ(CountOf("OpenFile earth.bmp"), 2);
    EXPECT_EQ(CountOf("OpenFile Moon.bmp"), 1);
    EXPECT_EQ(CountOf("OpenFile Mars.bmp"), 1);
    EXPECT_EQ(CountOf("OpenFile"), ClosedFiles() + 1);  // all but the Moon's failed open
    ASSERT_EQ(fake::Boxes().size(), 1u);
    EXPECT_EQ(fake::Boxes()[0].text, "Failed to open DIB file Moon.bmp.\n");
    EXPECT_EQ(fake::Boxes()[0].caption, "Error");
    GLuint scratch;
    glGenTextures(1, &scratch);
    glBindTexture(GL_TEXTURE_2D, scratch);
    glCallList(kMoonSlot + 1);
    GLint width, height;
    BoundTexture(&width, &height);
    EXPECT_EQ(width, 0);  // the Moon's list is empty
    glCallList(kMarsSlot + 1);
    BoundTexture(&width, &height);
    EXPECT_EQ(width, PictureWidth(kMarsSlot));
}

// A new context (after F1) starts without texture names, as a fresh start
// does; a directory named like a picture is one fault, with one box.
TEST_F(TexturesTest, NewContextWithAnUnreadableMoonKeepsNoOldNamesAndShowsOneBox) {
    ASSERT_EQ(OpenSceneWindow("Heliora", 800, 600, 16, 0), 1);
    ASSERT_NE(TextureSet[kSunSlot], 0u);
    CloseSceneWindow();
    fs::remove("Moon.bmp");
    fs::create_directory("Moon.bmp");
    fake::ClearLog();
    ASSERT_EQ(OpenSceneWindow("Heliora", 800, 600, 16, 0), 1);
    for (GLuint name : TextureSet) EXPECT_EQ(name, 0u);
    ASSERT_EQ(fake::Boxes().size(), 1u);
    EXPECT_EQ(fake::Boxes()[0].text, "Failed to open DIB file Moon.bmp.\n");
}

TEST_F(TexturesTest, UndecodablePictureGivesTwoBoxesAndTheOtherListsAreRecorded) {
    {
        std::ofstream broken("Mars.bmp", std::ios::binary);
        broken << "this is not a picture at all";
    }
    ASSERT_EQ(OpenSceneWindow("Heliora", 800, 600, 16, 0), 1);
    ASSERT_EQ(fake::Boxes().size(), 2u);
    EXPECT_EQ(fake::Boxes()[0].text, fake::Boxes()[1].text);
    EXPECT_EQ(fake::Boxes()[0].caption, "Error");
    for (GLuint name : TextureSet) EXPECT_EQ(name, 0u);
    GLuint scratch;
    glGenTextures(1, &scratch);
    glBindTexture(GL_TEXTURE_2D, scratch);
    glCallList(kPlutoSlot + 1);
    GLint width, height;
    std::vector<unsigned char> pixels = BoundTexture(&width, &height);
    EXPECT_EQ(pixels,
              ExpectedPixels(kPlutoSlot, PictureWidth(kPlutoSlot), PictureHeight(kPlutoSlot)));
}

TEST_F(TexturesTest, RepeatedContextBuildsLeaveNoDescriptorsOrPicturesBehind) {
    ASSERT_EQ(OpenSceneWindow("Heliora", 800, 600, 16, 0), 1);
    CloseSceneWindow();
    const int descriptors = OpenDescriptors();
    for (int cycle = 0; cycle < 20; ++cycle) {
        ASSERT_EQ(OpenSceneWindow("Heliora", 800, 600, 16, 0), 1);
        CloseSceneWindow();
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_EQ(fake::LiveContexts(), 0);
    EXPECT_EQ(CountOf("OpenFile"), ClosedFiles());
    for (ImageRecord* image : ListImages) EXPECT_EQ(image, nullptr);
}

}  // namespace
