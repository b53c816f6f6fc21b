// Assistant pages read from their resources: a component stream whose root object is the
// page and whose nested objects are its items. A resource that breaks off or holds a value of
// a kind pages do not take is corrupt: the page is dropped with the reporter's message.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "crash/pages/nv_form.h"
#include "crash/settings/component_stream.h"

namespace roadsum {

// The caption of the reporter's message boxes.
inline constexpr const char* kReporterCaption = "noxExcept";

// The resource (raw data) of a page: "TNX" and the page's name in capitals.
std::string form_resource_name(std::string_view form_name);

struct FormReadResult {
    std::shared_ptr<TNVForm> form;  // null when the resource is corrupt
    // Then the message for the user: "Internal error: Invalid assistant resource ($0A)."
    // for a value of kind 10, a few words for a stream that breaks off.
    std::string error;
};

// `name` becomes the page's Name; without one the root object's name does.
FormReadResult read_form_resource(std::span<const std::uint8_t> data, const std::string& name = {});

}  // namespace roadsum
