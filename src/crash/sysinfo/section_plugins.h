// The report sections this room provides: "modules", "processes" and "hardware". The crash
// reporter registers them by name; each text function returns its section's lines, CR LF
// between them and no final line break, and may throw only when memory runs out.
#pragma once

#include <array>
#include <string>

namespace roadsum {

using SectionTextFunction = std::string (*)();

struct SectionPlugin {
    const char* Name;         // as the Plugins setting lists it
    const char* Description;
    bool Section;             // computed in the background and shown as a section of its own
    SectionTextFunction Text;
};

// Windows: the loaded modules, the running processes and the installed hardware.
std::string modules_text();
std::string processes_text();
std::string hardware_text();

// The three, in the order the shipped Plugins setting lists them.
const std::array<SectionPlugin, 3>& section_plugins();

}  // namespace roadsum
