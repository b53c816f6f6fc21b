// Assistants built from the page resources of a module of this process.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "crash/pages/nv_assistant.h"

namespace roadsum {

// Each page's resource (raw data, "TNX" + NAME) comes from resource_module (a language module,
// say) when that module holds the first page's resource, else from `module`. A corrupt page
// is reported to `errors` (by default a message box) and left out.
std::shared_ptr<TNVAssistant> LoadAssistant(std::uintptr_t module, const std::string& title,
                                            const std::vector<std::string>& form_names, std::uintptr_t resource_module = 0,
                                            ResourceErrorSink errors = {});

// The reporter's message box for a broken resource.
void ShowResourceError(const std::string& text, const std::string& caption);

}  // namespace roadsum
