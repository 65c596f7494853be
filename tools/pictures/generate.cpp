// generate: draws a body's map (bodies.cpp) and writes it as a 24-bit BMP.
#include <cstdio>

#include "tools/pictures/pictures.h"

int GenerateCommand(const std::string& body, const std::string& bmpPath) {
    RgbPicture picture;
    if (!DrawMap(body, &picture)) {
        fprintf(stderr,
                "Unknown body %s: use Sun, Mercury, Venus, Earth, Moon, Mars, Jupiter, Saturn, "
                "Uranus, Neptune or Pluto.\n",
                body.c_str());
        return kExitUsage;
    }
    return WriteBmp24(bmpPath, picture) ? kExitSuccess : kExitFailure;
}
