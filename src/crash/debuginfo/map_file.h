// The debug information of one module (noxMapFile): its segments (one per unit), its public
// symbols and its line table, from the first source that yields valid data: the module's
// "NOX"/"EXCEPT" resource, TD32 data in the module or a ".tds" file, or the side files ".map",
// ".nox" and ".jdbg" beside it. Lookups turn code addresses into unit, function and line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crash/debuginfo/debug_files.h"
#include "crash/debuginfo/map_file_types.h"
#include "crash/debuginfo/unmangle.h"
#include "crash/process/module_image.h"

namespace roadsum {

// Reads the identification of the full debug information ("MinDebugInfo") from a module's
// settings resource. The settings are a higher layer, so they hand this in.
using MinDebugInfoReader = std::string (*)(std::string_view settings_resource);

// What a module's debug information is loaded from.
struct MapFileSources {
    const ModuleImage* image = nullptr;      // the module as mapped; none for side files alone
    std::string module_path;                 // side files are looked for under this name
    const DebugFileAccess* files = nullptr;  // none: no file is read
    bool side_files_only = false;            // leave out the TD32 data
    // Without an image: where the module's code starts (the side files count from there).
    std::uint32_t code_start = 0;
    // When set, only this side file is read (".map", ".nox", ".jdbg" or ".tds", by its
    // extension) instead of the files beside the module.
    std::string side_file;
    // Without it, minimal data in the module's resource is taken as it is, even when the full
    // data lies beside the module.
    MinDebugInfoReader min_debug_info = nullptr;
};

struct MapFileInfos {
    std::string ModuleName;  // file name without folder
    std::string UnitName;
    std::int32_t Line = 0;   // 0 when none
    std::uint32_t PublicAddress = 0;
    std::string PublicName;  // display name
};

struct LineLookup {
    std::int32_t Line = 0;           // 0: none; -1: minimal data says the unit has lines
    std::uint32_t NextAddress = 0;   // of the line record after the one found, 0 when none
};

class TMapFile {
public:
    TMapFile() = default;

    // Loads from the sources in their order; a module without valid data gives an object
    // with Loaded false. Never throws.
    static TMapFile Create(const MapFileSources& sources);

    // Takes one source's tables and sorts them for the lookups.
    void Assign(DebugTables tables);

    bool Loaded = false;
    std::string ModulePath;
    std::uint32_t ModuleHandle = 0;
    std::uint32_t ImageSize = 0;
    std::uint32_t CodeStart = 0, CodeEnd = 0;  // CodeEnd 0: unknown
    std::uint32_t DataStart = 0, DataEnd = 0;
    std::string ReportedPath;
    std::vector<TMfSegment> Segments;  // code first, each kind by start
    std::vector<TMfPublic> Publics;    // by address
    std::vector<TMfLine> Lines;        // by address
    std::uint32_t EntryAddress = 0;
    std::string MinDebugInfo;  // set when only minimal data was found

    // The module's file name as the report shows it: the reported path's, else the module's.
    std::string ModuleFileName() const;

    // The code (or data) segment with Start <= address < Start + Length; empty when none.
    TMfSegment FindSegment(std::uint32_t address, bool code = true) const;
    // The public with the greatest address not above address; the last public only below
    // CodeEnd. Empty when none.
    TMfPublic FindPublic(std::uint32_t address) const;
    // A public of a unit, by its stored or its display name (both ignoring case).
    std::optional<TMfPublic> FindPublicByName(std::string_view unit, std::string_view name) const;
    // The same for several names in one pass over the publics (each display name is made once).
    std::vector<std::optional<TMfPublic>> FindPublicsByName(std::string_view unit,
                                                            const std::vector<std::string_view>& names) const;
    // The line of the record with the greatest address not above address, when that record
    // lies in the address's code segment.
    LineLookup FindLine(std::uint32_t address) const;
    // Module, unit, line, public for one address; false without valid data.
    bool GetMapFileInfos(std::uint32_t address, MapFileInfos& out) const;
    // The display name of the function that contains address; empty when none.
    std::string GetFunctionName(std::uint32_t address) const;
    // The line of the start of the function that contains address; 0 when unknown.
    std::int32_t GetFunctionStartLine(std::uint32_t address) const;

private:
    void set_layout(const ModuleLayout& layout);
    friend class MapFileLoader;
};

}  // namespace roadsum
