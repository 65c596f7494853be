// The body information texts, by selection name.
#pragma once

#include <cstdint>

// The caption and text for a body's selection name; for any other name the
// "Selection" / "What?" pair, and false.
bool FindBodyInfo(int32_t bodyId, const char** caption, const char** text);
