// Picking: the scene re-drawn in selection mode round a clicked pixel, and the
// information box of the body hit.
#pragma once

#include <GL/gl.h>

#include <cstdint>

constexpr int kHitBufferWords = 64;

// Picks at client coordinates (x, y) and shows the box of the first hit.
void PickAt(int32_t x, int32_t y);
// Shows the box chosen by the first hit record; returns the box's answer.
int32_t ShowBodyInfo(const GLuint* hitBuffer);
