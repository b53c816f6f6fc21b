// The shipped pages as the assistants' tests use them: read from their readable sources, with
// the reporter's own page handlers behind their names.
#pragma once

#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "crash/assistants/contact_form_handler.h"
#include "crash/assistants/screenshot_form_handler.h"
#include "crash/pages/form_resource.h"
#include "crash/pages/nv_assistant.h"
#include "crash/settings/component_stream_text.h"

namespace roadsum::testing {

class ShippedPageResources final : public FormResources {
public:
    ShippedPageResources() {
        RegisterBuiltInPageHandler(kContactFormHandler, HandleContactForm);
        RegisterBuiltInPageHandler(kScreenshotFormHandler, HandleScreenshotForm);
    }
    std::optional<std::vector<std::uint8_t>> find(const std::string& resource_name) const override {
        static const std::map<std::string, std::string> files = {{"TNXCONTACTFORM", "contact_form.txt"},
                                                                 {"TNXDETAILSFORM", "details_form.txt"},
                                                                 {"TNXSCRSHOTFORM", "scrshot_form.txt"}};
        const auto file = files.find(resource_name);
        if (file == files.end()) return std::nullopt;
        std::ifstream in(std::string(ROADSUM_SOURCE_DIR) + "/src/crash/pages/" + file->second, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return write_component_stream(component_stream_from_text(text));
    }
};

}  // namespace roadsum::testing
