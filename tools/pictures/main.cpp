// heliora-pictures: the command line. Picks the command and hands over its
// arguments; anything else gets the usage text and exit code 2.
#include <cstdio>
#include <string>

#include "tools/pictures/pictures.h"

namespace {

constexpr char kUsage[] =
    "usage: heliora-pictures decode FILE OUT.ppm     decode FILE as the viewer does, "
    "write it as a PPM\n"
    "       heliora-pictures check DIR               tell whether the viewer will load the "
    "eleven body pictures in DIR\n"
    "       heliora-pictures import SOURCE DEST.bmp  turn a PNG or JPEG into a BMP the viewer "
    "reads (at most 1024 x 512)\n"
    "       heliora-pictures generate BODY DEST.bmp  draw a 1024 x 512 map of BODY (Sun, Mercury, "
    "..., Pluto)\n"
    "       heliora-pictures measure [BODY...]       mean colour, lightness and chroma of maps\n";

int Usage() {
    fputs(kUsage, stderr);
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    std::string command = argv[1];
    if (command == "decode" && argc == 4) return DecodeCommand(argv[2], argv[3]);
    if (command == "check" && argc == 3) return CheckCommand(argv[2]);
    if (command == "import" && argc == 4) return ImportCommand(argv[2], argv[3]);
    if (command == "generate" && argc == 4) return GenerateCommand(argv[2], argv[3]);
    if (command == "measure") return MeasureCommand({argv + 2, argv + argc});
    return Usage();
}
