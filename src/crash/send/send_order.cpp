#include "crash/send/send_order.h"

#include <optional>

namespace roadsum {

SendResult run_send_methods(const INXSettings& settings, bool hidden, SendMethods& methods,
                            const SendSwitches& switches) {
    std::optional<bool> online;
    auto is_online = [&] {
        if (!online) online = !switches.online_check || methods.Online(hidden);
        return *online;
    };
    const bool has_recipients = !settings.Get(keys::MailAddr).empty();
    bool sent = false;
    if (settings.Get(keys::UploadViaHttp) && !settings.Get(keys::HttpServer).empty() && is_online())
        sent = methods.Upload();
    if (!sent && settings.Get(keys::MailAsSmtpServer) && has_recipients && is_online())
        sent = methods.SendToExchangers();
    if (!sent && settings.Get(keys::MailAsSmtpClient) && has_recipients && !settings.Get(keys::SmtpServer).empty() &&
        is_online())
        sent = methods.SendThroughServer();
    // Without recipients MAPI can only ask the user, which a hidden send never does.
    if (!sent && settings.Get(keys::MailViaMapi) && (has_recipients || !hidden) && !switches.process_blocked) {
        const SendResult mapi = methods.SendByMapi();
        if (mapi == SendResult::Cancelled) return mapi;
        sent = mapi == SendResult::Sent;
    }
    if (!sent && settings.Get(keys::MailViaMailto) && !hidden) sent = methods.OpenMailto();
    if (!sent && !hidden) methods.ShowFailure(settings.Get(keys::SendFailMsg));
    return sent ? SendResult::Sent : SendResult::Failed;
}

SendAreaTexts send_progress_areas(const INXSettings& settings, bool has_attachments) {
    const bool upload = settings.Get(keys::UploadViaHttp);
    const bool direct = settings.Get(keys::MailAsSmtpServer);
    const bool mail = direct || settings.Get(keys::MailAsSmtpClient);
    SendAreaTexts areas = {{SendArea::PrepareAttachments, settings.Get(keys::PrepAttMsg)}};
    if (direct) areas.emplace_back(SendArea::MxLookup, settings.Get(keys::MxLookMsg));
    areas.emplace_back(SendArea::Connect, settings.Get(keys::ConnMsg));
    if (mail) {
        areas.emplace_back(SendArea::Authenticate, settings.Get(keys::AuthMsg));
        areas.emplace_back(SendArea::SendMail, settings.Get(keys::SendMailMsg));
    }
    if (upload) areas.emplace_back(SendArea::Fields, settings.Get(keys::FieldMsg));
    if (has_attachments) areas.emplace_back(SendArea::SendAttachments, settings.Get(keys::SendAttMsg));
    areas.emplace_back(SendArea::Finalize, settings.Get(keys::SendFinalMsg));
    return areas;
}

bool needs_attachments(const INXSettings& settings) {
    return settings.Get(keys::MailAsSmtpServer) || settings.Get(keys::MailAsSmtpClient) ||
           settings.Get(keys::UploadViaHttp) || settings.Get(keys::MailViaMapi);
}

}  // namespace roadsum
