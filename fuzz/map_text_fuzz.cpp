#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "crash/debuginfo/map_file.h"
#include "crash/debuginfo/map_text_parser.h"

// Input: the text of a ".map" file. Parsing never crashes or reads past the text; what it
// yields is sorted for the lookups, and lookups at the addresses it names stay inside it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    roadsum::ModuleLayout layout;
    layout.CodeStart = 0x00401000;
    layout.DataStart = 0x00480000;
    roadsum::DebugTables tables;
    roadsum::parse_map_text(text, layout, tables);
    roadsum::map_text_code_address(text);
    for (std::size_t i = 1; i < tables.Publics.size(); ++i)
        if (tables.Publics[i - 1].Address > tables.Publics[i].Address) std::abort();

    roadsum::TMapFile map;
    map.Loaded = true;
    map.CodeStart = layout.CodeStart;
    map.Assign(tables);
    for (const roadsum::TMfLine& l : map.Lines) {
        const roadsum::LineLookup found = map.FindLine(l.Address);
        if (found.Line != 0 && found.Line != l.Line && found.Line != -1) {
            // Several records may share an address; the one found must be one of them.
            bool shared = false;
            for (const roadsum::TMfLine& other : map.Lines) shared |= other.Address == l.Address && other.Line == found.Line;
            if (!shared) std::abort();
        }
    }
    roadsum::MapFileInfos infos;
    for (const roadsum::TMfPublic& p : map.Publics) map.GetMapFileInfos(p.Address, infos);
    return 0;
}
