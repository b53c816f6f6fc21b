// roadsum-icon: writes Roadsum's application icon (16, 24, 32 and 48 pixels, each in 256
// colours and in 32-bit colour with transparency) as an icon file.
#include <cstdio>

#include "../common/tool_io.h"
#include "ico_file.h"
#include "roadsum_icon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: roadsum-icon OUTPUT.ico\n");
        return 2;
    }
    using namespace roadsum::art;
    std::vector<std::pair<IconImage, IconDepth>> images;
    for (IconDepth depth : {IconDepth::Colours256, IconDepth::Argb32})
        for (int size : {16, 24, 32, 48}) images.push_back({{size, roadsum_icon(size)}, depth});
    const auto bytes = ico_file(images);
    if (!roadsum::tool::write_file(argv[1], {reinterpret_cast<const char*>(bytes.data()), bytes.size()}))
        return roadsum::tool::failure("roadsum-icon", std::string("cannot write ") + argv[1]);
    return 0;
}
