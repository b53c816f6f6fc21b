#include "crash/send/send_request_win32.h"

#include <process.h>

#include "crash/archive/zip_win32.h"
#include "crash/capture/capture_win32.h"
#include "crash/send/attachment_preparation.h"
#include "crash/send/desktop_methods_win32.h"
#include "crash/send/mail_addresses.h"
#include "crash/send/mail_delivery.h"
#include "crash/send/progress_alert_windows.h"
#include "crash/send/sockets_win32.h"
#include "crash/send/system_settings_win32.h"

namespace roadsum {
namespace {

std::wstring wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), length);
    return out;
}

class Win32Workspace final : public AttachmentWorkspace {
public:
    Win32Workspace(const SendCollaborators& with, const INVBitmap* screenshot) : with_(with), screenshot_(screenshot) {}
    // The reporter's own folder, which each handling clears: the copies never meet the user's
    // files of the same names.
    std::string TemporaryFolder() override { return ReporterTempFolder(); }
    bool Exists(const std::string& path) override {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    bool Copy(const std::string& from, const std::string& to) override {
        return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
    }
    bool WriteReport(const std::string& path, bool append) override {
        return with_.write_report && with_.write_report(path, append);
    }
    bool WriteScreenshot(const std::string& path, int png_mode) override {
        return screenshot_ && screenshot_->SaveAsPng(path, png_mode);
    }
    bool Zip(const std::string& archive, const std::vector<std::string>& files, const std::vector<std::string>& names) override {
        std::vector<std::wstring> sources, stored;
        for (const std::string& f : files) sources.push_back(wide(f));
        for (const std::string& n : names) stored.push_back(wide(n));
        return zip_files(wide(archive), sources, stored);
    }

private:
    const SendCollaborators& with_;
    const INVBitmap* screenshot_;
};

MailTime now_utc() {
    SYSTEMTIME t;
    FILETIME f;
    GetSystemTime(&t);
    SystemTimeToFileTime(&t, &f);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
            static_cast<std::uint64_t>(f.dwHighDateTime) << 32 | f.dwLowDateTime};
}

std::string computer_name() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? std::string(name, size) : std::string("localhost");
}

class Win32SendMethods final : public SendMethods {
public:
    Win32SendMethods(const SendRequest& request, const std::vector<PreparedAttachment>& attachments, SendProgress& progress)
        : request_(request), settings_(*request.settings), attachments_(attachments), progress_(progress),
          sender_(sender_address(settings_)), subject_(mail_subject(settings_, request.report)),
          body_(mail_body(settings_, request.report)) {}

    bool Online(bool hidden) override { return machine_online(hidden); }

    bool Upload() override {
        WinsockSession winsock;
        UploadJob job;
        const int port = settings_.Get(keys::HttpPort);
        job.target = http_target(settings_.Get(keys::HttpServer), port);
        std::optional<HttpEndpoint> proxy;
        if (const auto setting = system_http_proxy()) proxy = http_proxy(*setting, port);
        job.via_proxy = proxy.has_value();
        job.sender = sender_;
        job.account = settings_.Get(keys::HttpAccount);
        job.password = settings_.Get(keys::HttpPassword);
        for (const auto& [name, value] : settings_.AddFields()->Items()) job.fields.push_back({name, value});
        const std::pair<const char*, std::string> extra[] = {
            {"MailFrom", sender_}, {"MailSubject", subject_}, {"MailBody", body_}, {"MailAddr", settings_.Get(keys::MailAddr)}};
        for (const auto& [name, value] : extra)
            if (!value.empty()) job.fields.push_back({name, value});
        for (const PreparedAttachment& a : attachments_) job.files.push_back({a.path, a.send_as, a.field});
        progress_.Area(SendArea::Connect);
        const HttpEndpoint& at = proxy ? *proxy : job.target.endpoint;
        const auto connection = TcpConnection::Connect(at.host, at.port, kHttpTimeoutMs);
        if (!connection) return false;
        StreamSendFiles files;
        const HttpAnswer answer = run_http_upload(*connection, job, files, progress_);
        if (answer.kind == HttpAnswer::Redirected && !answer.location.empty())
            open_redirect_location(answer.location, job.target.endpoint);
        return answer.kind == HttpAnswer::Accepted || answer.kind == HttpAnswer::Redirected;
    }

    bool SendToExchangers() override {
        WinsockSession winsock;
        TcpConnector tcp;
        UdpDnsTransport dns;
        MxLookupOptions lookup;
        lookup.servers = system_dns_servers();
        StreamSendFiles files;
        return send_to_exchangers(tcp, dns, lookup, 25, MailJob(), files, progress_);
    }

    bool SendThroughServer() override {
        WinsockSession winsock;
        TcpConnector tcp;
        SmtpJob job = MailJob();
        job.account = settings_.Get(keys::SmtpAccount);
        job.password = settings_.Get(keys::SmtpPassword);
        StreamSendFiles files;
        return send_through_server(tcp, settings_.Get(keys::SmtpServer), settings_.Get(keys::SmtpPort), job, files, progress_);
    }

    SendResult SendByMapi() override {
        MapiMail mail{settings_.Get(keys::MailAddr), subject_, body_, MailAttachments(), request_.hidden, request_.owner};
        return send_by_mapi(mail);
    }

    bool OpenMailto() override { return open_mailto(settings_.Get(keys::MailAddr), subject_, request_.report.report); }

    void ShowFailure(const std::string&) override { show_send_failure(request_.owner, settings_); }

private:
    std::vector<MailAttachment> MailAttachments() const {
        std::vector<MailAttachment> out;
        for (const PreparedAttachment& a : attachments_) out.push_back({a.path, a.send_as});
        return out;
    }
    SmtpJob MailJob() const {
        SmtpJob job;
        job.client_name = computer_name();
        job.recipients = address_items(settings_.Get(keys::MailAddr));
        job.content = {settings_.Get(keys::MailAddr), sender_, subject_, body_, MailAttachments()};
        job.time = now_utc();
        return job;
    }

    const SendRequest& request_;
    INXSettings& settings_;
    const std::vector<PreparedAttachment>& attachments_;
    SendProgress& progress_;
    const std::string sender_, subject_, body_;
};

SendResult send_now(const SendRequest& request) {
    INXSettings& settings = *request.settings;
    const bool attach = needs_attachments(settings);
    std::unique_ptr<SendProgress> window;
    if (!request.hidden || settings.Get(keys::AutoSendBox)) {
        ProgressAlertWindows own(ProgressAlertWindows::WithBitmapOf(reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr))),
                                 reinterpret_cast<std::uintptr_t>(request.owner));
        SendProgressWindows& windows = request.with.progress_windows ? *request.with.progress_windows : own;
        window = windows.Open(settings.Get(keys::SendBoxTitle), send_progress_areas(settings, attach));
    }
    NoSendProgress none;
    SendProgress& progress = window ? *window : none;

    PreparedAttachments prepared;
    if (attach) {
        progress.Area(SendArea::PrepareAttachments);
        Win32Workspace workspace(request.with, request.screenshot.get());
        AttachmentRequest what{request.report_file, request.report_saved, request.screenshot != nullptr};
        prepared = prepare_attachments(settings, what, workspace);
    }
    Win32SendMethods methods(request, prepared.items, progress);
    const SendResult result = run_send_methods(settings, request.hidden, methods, request.switches);
    window.reset();

    const bool sent = result == SendResult::Sent;
    if (!prepared.screenshot_file.empty() && (sent || (result == SendResult::Failed && !settings.Get(keys::MailViaMapi))))
        DeleteFileA(prepared.screenshot_file.c_str());
    if (sent && prepared.delete_report_file) DeleteFileA(request.report_file.c_str());
    if (request.finished) request.finished(result);
    return result;
}

unsigned __stdcall send_thread(void* parameter) {
    const std::unique_ptr<SendRequest> request(static_cast<SendRequest*>(parameter));
    return static_cast<unsigned>(send_now(*request));
}

}  // namespace

void show_send_failure(HWND owner, const INXSettings& settings) {
    MessageBoxA(owner, settings.Get(keys::SendFailMsg).c_str(), settings.Get(keys::TitleBar).c_str(),
                MB_OK | MB_ICONERROR);
}

SendResult send_report(const SendRequest& request) {
    if (!request.settings) {
        if (request.finished) request.finished(SendResult::Failed);
        return SendResult::Failed;
    }
    if (!request.background || request.in_thread || request.switches.process_blocked) return send_now(request);
    auto copy = std::make_unique<SendRequest>(request);
    copy->in_thread = true;
    copy->thread = nullptr;
    copy->owner = request.owner;
    const auto handle = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, send_thread, copy.get(), 0, nullptr));
    if (!handle) return send_now(request);
    copy.release();
    if (request.thread) *request.thread = handle;
    else CloseHandle(handle);
    return SendResult::Sent;
}

}  // namespace roadsum
