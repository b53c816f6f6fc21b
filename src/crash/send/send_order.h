// Which delivery methods a send request tries, in which order, and what the user sees when
// all of them fail. The methods themselves sit behind a small interface: sockets and system
// calls in the program, fakes in tests.
#pragma once

#include <string>

#include "crash/send/send_progress.h"
#include "crash/settings/crash_settings.h"

namespace roadsum {

enum class SendResult { Failed = 0, Sent = 1, Cancelled = 2 };

class SendMethods {
public:
    virtual ~SendMethods() = default;
    // Asked once, and only when a method on the sockets is about to run.
    virtual bool Online(bool hidden) = 0;
    virtual bool Upload() = 0;                // UploadViaHttp to HttpServer
    virtual bool SendToExchangers() = 0;      // MailAsSmtpServer
    virtual bool SendThroughServer() = 0;     // MailAsSmtpClient
    virtual SendResult SendByMapi() = 0;      // MailViaMapi
    virtual bool OpenMailto() = 0;            // MailViaMailto
    virtual void ShowFailure(const std::string& message) = 0;  // SendFailMsg, error icon
};

struct SendSwitches {
    bool online_check = true;  // off: the machine counts as online
    // The loader lock stays held: MAPI would hang in the mail client's loading, so it is left out.
    bool process_blocked = false;
};

// HTTP upload, direct delivery, the SMTP server (each when set up and online, each later one
// only when the earlier failed), then MAPI (hidden only with recipients, so it sends without
// a window; never while the process is blocked), then mailto (not when hidden). When nothing went and the request is not hidden,
// SendFailMsg is shown; a user's MAPI cancel shows nothing.
SendResult run_send_methods(const INXSettings& settings, bool hidden, SendMethods& methods,
                            const SendSwitches& switches = {});

// The progress window's areas for the methods that will run: PrepAttMsg; MxLookMsg (direct
// delivery); ConnMsg; AuthMsg and SendMailMsg (mail); FieldMsg (upload); SendAttMsg (with
// attachments); SendFinalMsg.
SendAreaTexts send_progress_areas(const INXSettings& settings, bool has_attachments);

// Whether any method that needs prepared attachments is on.
bool needs_attachments(const INXSettings& settings);

}  // namespace roadsum
