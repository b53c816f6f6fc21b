// roadsum-pixmap: turns a text pixmap into a 24-bit bitmap file.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "pixmap.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: roadsum-pixmap INPUT.txt OUTPUT.bmp\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "roadsum-pixmap: cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    try {
        auto bytes = roadsum::bmp_file(roadsum::parse_pixmap(text.str()));
        std::ofstream out(argv[2], std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "roadsum-pixmap: cannot write %s\n", argv[2]);
            return 1;
        }
    } catch (const roadsum::PixmapError& e) {
        std::fprintf(stderr, "%s: %s\n", argv[1], e.what());
        return 1;
    }
    return 0;
}
