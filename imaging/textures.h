// Texture setup: the eleven body pictures as texture objects (for the mesh
// spheres) and as display lists that upload them (for the quadric spheres).
#pragma once

#include <GL/gl.h>

#include "imaging/bmp_reader.h"
#include "scene/scene.h"

extern GLuint TextureSet[kBodyCount];
extern ImageRecord* ListImages[kBodyCount];

// The picture at `path` if the file can be opened, else null without a message.
ImageRecord* LoadImageIfPresent(const char* path);
void LoadTextureObjects();
void BuildTextureLists();
