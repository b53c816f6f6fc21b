// The three pages the reporter ships, read from their readable sources as the build compiles
// them into resources.
#pragma once

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "crash/pages/form_resource.h"
#include "crash/settings/component_stream_text.h"

namespace roadsum::testing {

inline std::shared_ptr<TNVForm> shipped_page(const std::string& name, const std::string& file) {
    std::ifstream in(std::string(ROADSUM_SOURCE_DIR) + "/src/crash/pages/" + file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return read_form_resource(write_component_stream(component_stream_from_text(text)), name).form;
}

}  // namespace roadsum::testing
