#include "crash/send/report_sending_win32.h"

#include "crash/capture/capture_win32.h"
#include "crash/report/report_file_win32.h"
#include "crash/send/desktop_methods_win32.h"

namespace roadsum {

namespace {

SendSwitches g_switches;

SendResult send(SendRequest request, TCrashException& report) {
    // Counted from here, so that closing the program waits for a send in the background and
    // an automatic save knows whether the report went.
    report.BeginSending();
    const Ref<TCrashException> held(&report);
    request.finished = [held](SendResult result) { held->EndSending(result == SendResult::Sent); };
    return send_report(request);
}

}  // namespace

SendRequest report_send_request(TCrashException& report, HWND owner, bool hidden) {
    SendRequest request;
    const Ref<INXFields> header = report.Fields();
    request.report = {header->Find("exception class").value_or(""), header->Find("exception message").value_or(""),
                      report.ReportText()};
    request.settings = Ref<INXSettings>(static_cast<INXSettings*>(&report));
    // The screenshot page may have taken it off the report, or an editor changed it.
    if (report.AppendScreenshot()) request.screenshot = report.Screenshot();
    request.report_saved = report.Saved();
    request.report_file = AutoSaveReportPath(report);
    request.owner = owner;
    request.hidden = hidden;
    request.switches = g_switches;
    request.switches.process_blocked = ProcessBlockedNow();
    // The copy of the report file gets the report added under the file's own rules, so that a
    // report it holds already is counted there, not listed twice.
    ReportFileRules rules = report_file_rules(report);
    rules.Append = true;
    const std::string text = request.report.report;
    request.with.write_report = [text, rules](const std::string& path, bool append) {
        ReportFileRules these = rules;
        these.Append = append;
        return SaveReportFile(path, text, these);
    };
    return request;
}

bool send_report_of(TCrashException& report, HWND owner) {
    SendRequest request = report_send_request(report, owner, false);
    request.background = report.Get(keys::SendInBackgr);
    return send(std::move(request), report) == SendResult::Sent;
}

void send_report_automatically(TCrashException& report) {
    SendRequest request = report_send_request(report, nullptr, true);
    request.background = true;
    send(std::move(request), report);
}

bool print_report_of(TCrashException& report, HWND owner) {
    if (RefusedWhileBlocked()) return false;
    return print_report(report.ReportText(), owner, report.Get(keys::PrintBtnTxt));
}

void InstallSending(const SendSwitches& switches) {
    g_switches = switches;
    SetReportActionDoer(acSend, [](TCrashException& report, void* owner) {
        return send_report_of(report, static_cast<HWND>(owner));
    });
    SetReportActionDoer(acPrint, [](TCrashException& report, void* owner) {
        return print_report_of(report, static_cast<HWND>(owner));
    });
    SetAutomaticSender(send_report_automatically);
}

}  // namespace roadsum
