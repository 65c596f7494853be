// Shared by the desktop backends.
#pragma once

// Prints the current context's OpenGL version, vendor and renderer on standard
// error, the first time a context is made current: a user tells at a glance
// whether the pictures are drawn in software.
void PrintGlInfoOnce();
