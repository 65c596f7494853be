// Texture setup (placeholder until the texture work lands).
#include "imaging/textures.h"

GLuint TextureSet[kBodyCount];
ImageRecord* ListImages[kBodyCount];

ImageRecord* LoadImageIfPresent(const char*) { return nullptr; }
void LoadTextureObjects() {}
void BuildTextureLists() {}
