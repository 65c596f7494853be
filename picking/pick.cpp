// Picking (placeholder until the picking work lands).
#include "picking/picking.h"

void PickAt(int32_t, int32_t) {}
int32_t ShowBodyInfo(const GLuint*) { return 0; }
