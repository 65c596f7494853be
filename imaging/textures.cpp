// Texture setup for a new rendering context: eleven texture objects for the
// mesh spheres, and eleven display lists (1 to 11) for the quadric spheres,
// each of which uploads one body's picture into whatever texture object is
// bound when the list is called. Both read the body pictures from the working
// directory.
#include "imaging/textures.h"

#include <cstdio>
#include <cstdlib>

GLuint TextureSet[kBodyCount];
ImageRecord* ListImages[kBodyCount];

namespace {

// Three components, red-green-blue bytes, level 0, no border, the picture's
// own size (no rescaling to powers of two).
constexpr GLint kInternalFormat = 3;

void Upload(const ImageRecord* image) {
    glTexImage2D(GL_TEXTURE_2D, 0, kInternalFormat, image->width, image->height, 0, GL_RGB,
                 GL_UNSIGNED_BYTE, image->pixels);
}

// Picture rows are packed without padding; OpenGL must not expect rows padded
// to four bytes, or a picture whose row is not a multiple of four bytes long
// would be read askew and past its end.
void UnpackRowsUnpadded() { glPixelStorei(GL_UNPACK_ALIGNMENT, 1); }

void Release(ImageRecord*& image) {
    if (image == nullptr) return;
    std::free(image->pixels);
    std::free(image);
    image = nullptr;
}

}  // namespace

ImageRecord* LoadImageIfPresent(const char* path) {
    if (path == nullptr) return nullptr;
    // A missing picture is not an error here: nothing is said about it. The
    // test is whether the file can be read, as the reader will: a directory
    // of that name opens but gives no byte (the reader would refuse it too,
    // and its box then comes once, from the texture lists).
    std::FILE* file = std::fopen(path, "r");
    if (file == nullptr) return nullptr;
    std::fgetc(file);
    const bool readable = !std::ferror(file);
    std::fclose(file);
    return readable ? ReadBmpImage(path) : nullptr;
}

void LoadTextureObjects() {
    // A new rendering context has no texture objects yet: names kept from the
    // previous one would be bound here as objects that do not exist (GL would
    // make them on the fly, with its mipmap filter, and the bodies would be
    // drawn plain). Until all eleven are made, the default texture is bound.
    for (GLuint& name : TextureSet) name = 0;
    ImageRecord* images[kBodyCount] = {};
    int loaded = 0;
    while (loaded < kBodyCount) {
        images[loaded] = LoadImageIfPresent(kBodies[loaded].pictureFile);
        if (images[loaded] == nullptr) break;  // later pictures are not tried
        ++loaded;
    }
    if (loaded == kBodyCount) {
        UnpackRowsUnpadded();
        glGenTextures(kBodyCount, TextureSet);
        for (int slot = 0; slot < kBodyCount; ++slot) {
            glBindTexture(GL_TEXTURE_2D, TextureSet[slot]);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            Upload(images[slot]);
        }
        // Pluto's object stays bound: the lists' parameters land on it.
    }
    for (ImageRecord*& image : images) Release(image);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void BuildTextureLists() {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    UnpackRowsUnpadded();
    for (int slot = 0; slot < kBodyCount; ++slot) {
        glNewList(static_cast<GLuint>(slot + 1), GL_COMPILE);
        Release(ListImages[slot]);
        ListImages[slot] = ReadBmpImage(kBodies[slot].pictureFile);
        // A missing or unreadable picture (the reader has said why) leaves its
        // list empty; the other lists are recorded all the same.
        if (ListImages[slot] != nullptr) Upload(ListImages[slot]);
        glEndList();
        // The list holds its own copy of the pixels; the picture is not needed again.
        Release(ListImages[slot]);
    }
}
