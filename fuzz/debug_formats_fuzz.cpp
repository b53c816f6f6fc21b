#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "crash/debuginfo/jdbg_reader.h"
#include "crash/debuginfo/td32_reader.h"
#include "crash/process/pe_headers.h"

// Input: TD32 data, a ".jdbg" file or a module image, all read from the same bytes. None of
// the readers may crash, read past the input or loop without end; segments come out sorted.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    roadsum::ModuleLayout layout;
    layout.CodeStart = 0x00401000;
    layout.CodeEnd = 0x00480000;
    layout.DataStart = 0x00480000;
    layout.Sections = {{0x00401000, 0x7F000, true}, {0x00480000, 0x1000, false}};

    roadsum::DebugTables td32;
    if (roadsum::read_td32(input, layout, td32))
        for (std::size_t i = 1; i < td32.Segments.size(); ++i)
            if (td32.Segments[i - 1].IsCode == td32.Segments[i].IsCode && td32.Segments[i - 1].Start > td32.Segments[i].Start)
                std::abort();
    roadsum::DebugTables jdbg;
    roadsum::read_jdbg(input, layout, jdbg);

    const roadsum::PeFileImage image{std::string(input)};
    if (const auto headers = roadsum::read_pe_headers(image)) {
        roadsum::module_layout(*headers, image.base());
        roadsum::find_resource(image, *headers, "NOX", "EXCEPT");
        roadsum::find_resource(image, *headers, roadsum::kRtRcdata, std::uint16_t{1});
        roadsum::read_debug_directory(image, *headers);
    }
    return 0;
}
