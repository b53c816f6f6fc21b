// The contact page's memory in the registry: values "RememberName" and "RememberEmail" of the
// current user's key "Software\Pelwin\ContactForm".
#pragma once

#include "crash/assistants/contact_form_handler.h"

namespace roadsum {

class RegistryContactMemory final : public ContactMemory {
public:
    std::optional<std::string> Name() override;
    std::optional<std::string> Email() override;
    void Remember(const std::string& name, const std::string& email) override;
    void Forget() override;
};

}  // namespace roadsum
