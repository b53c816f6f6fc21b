// The contact page's handler: remembered name and address, the address check, and the
// report's sender taken from the page.
#pragma once

#include <optional>
#include <string>

#include "crash/capture/crash_exception.h"
#include "crash/pages/nv_form.h"

namespace roadsum {

// Where the name and address are remembered between runs (the current user's registry key
// "Software\Pelwin\ContactForm" on Windows). Failures are not reported: nothing is remembered.
class ContactMemory {
public:
    virtual ~ContactMemory() = default;
    // Each value when it is stored.
    virtual std::optional<std::string> Name() = 0;
    virtual std::optional<std::string> Email() = 0;
    virtual void Remember(const std::string& name, const std::string& email) = 0;
    virtual void Forget() = 0;
};

// One event of the contact page (see page_handlers.h) with the report (may be null).
void ContactFormEvent(INVForm& form, int action, INVItem* item, INXException* report, ContactMemory& memory);

// The handler the page resource names; it uses the memory set here (none: nothing is
// remembered).
void NV_HANDLER_CALL HandleContactForm(INVForm* form, int action, INVItem* item, void* exception);
void SetContactMemory(ContactMemory* memory);

}  // namespace roadsum
