// roadsum-pixmap: turns a text pixmap into a 24-bit bitmap file.
#include <cstdio>

#include "../common/tool_io.h"
#include "pixmap.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: roadsum-pixmap INPUT.txt OUTPUT.bmp\n");
        return 2;
    }
    const auto text = roadsum::tool::read_file(argv[1]);
    if (!text) return roadsum::tool::failure("roadsum-pixmap", std::string("cannot read ") + argv[1]);
    try {
        const auto bytes = roadsum::bmp_file(roadsum::parse_pixmap(*text));
        if (!roadsum::tool::write_file(argv[2], {reinterpret_cast<const char*>(bytes.data()), bytes.size()}))
            return roadsum::tool::failure("roadsum-pixmap", std::string("cannot write ") + argv[2]);
    } catch (const roadsum::PixmapError& e) {
        std::fprintf(stderr, "%s: %s\n", argv[1], e.what());
        return 1;
    }
    return 0;
}
