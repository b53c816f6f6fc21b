// A request to send a report, carried out by the delivery methods in their order, in the
// caller's thread or in a background thread of its own.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "crash/picture/bitmap.h"
#include "crash/send/send_order.h"
#include "crash/send/send_progress.h"
#include "crash/send/send_texts.h"
#include "crash/settings/crash_settings.h"

namespace roadsum {

// What other rooms of the reporter supply: the report file's writer (its merging rules) and
// the progress window. Without a writer the report stays out of the attachments; without
// windows the reporter's own progress window is shown.
struct SendCollaborators {
    std::function<bool(const std::string& path, bool append)> write_report;
    std::shared_ptr<SendProgressWindows> progress_windows;
};

struct SendRequest {
    ReportTexts report;                // the text and the header values the mail texts use
    std::shared_ptr<INVBitmap> screenshot;  // may be absent
    bool report_saved = false;         // the current report is in the report file already
    std::string report_file;           // BugRepFile as an absolute path
    HWND owner = nullptr;
    HANDLE* thread = nullptr;          // receives the background thread's handle; else it is closed
    bool in_thread = false;            // the caller is a background thread already
    bool background = false;
    bool hidden = false;               // no user interface at all
    Ref<INXSettings> settings;
    SendCollaborators with;
    SendSwitches switches;  // with process_blocked no background thread is started either
    // Told the result where the send ends (in the background thread, when there is one).
    std::function<void(SendResult)> finished;
};

// Sent, failed or cancelled (MAPI only). In the background (not from a background thread, not
// while the process is blocked) the request is copied into a new thread and the call answers
// Sent at once.
SendResult send_report(const SendRequest& request);

// The message box of SendFailMsg, with the error icon, owned by the owner window.
void show_send_failure(HWND owner, const INXSettings& settings);

}  // namespace roadsum
