// The ways a report leaves through the user's desktop: the MAPI mail client, the registered
// mailto command, the clipboard and the printer.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "crash/send/mail_message.h"
#include "crash/send/send_order.h"

namespace roadsum {

struct MapiMail {
    std::string recipients;  // the list as MailAddr holds it
    std::string subject;
    std::string body;
    std::vector<MailAttachment> attachments;
    bool hidden = false;  // with recipients: sent without any dialog
    HWND owner = nullptr;
};

// MAPISendMail of "mapi32.dll". The owner loses its topmost state for the call, so the mail
// client's window can come to the front. Cancelled when the user aborted.
SendResult send_by_mapi(const MapiMail& mail);

// The default value of HKEY_CLASSES_ROOT\mailto\shell\open\command, environment expanded.
std::string registered_mailto_command();

// Starts the mail program with the link; true when the process started.
bool open_mailto(std::string_view recipients, std::string_view subject, std::string_view body);

// Prints the report on `printer` in Courier New 8 pt, word-wrapped inside the margins, as
// the document `document_name`; false when the printer refused.
bool print_report_on(HDC printer, std::string_view text, std::string_view document_name);

// The print dialog, then print_report_on. False when the user cancelled or printing failed.
bool print_report(std::string_view text, HWND owner, std::string_view document_name);

}  // namespace roadsum
