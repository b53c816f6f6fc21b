#include "crash/send/desktop_methods_win32.h"

#include <commdlg.h>
#include <mapi.h>

#include <algorithm>
#include <cstring>

#include "crash/send/mail_addresses.h"
#include "crash/send/mailto_link.h"
#include "crash/send/print_layout.h"

namespace roadsum {
namespace {

// "Name <address>" split into the display name and the address MAPI wants.
std::pair<std::string, std::string> display_and_address(const std::string& item) {
    const std::size_t open = item.find('<');
    if (open == std::string::npos) return {item, "SMTP:" + item};
    std::string name = item.substr(0, open);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    std::string address = envelope_address(item);
    address = address.substr(1, address.size() - 2);
    return {name.empty() ? address : name, "SMTP:" + address};
}

// Takes the topmost state from a window for as long as the object lives.
class NotTopmost {
public:
    explicit NotTopmost(HWND window)
        : window_(window && (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? window : nullptr) {
        if (window_) SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    ~NotTopmost() {
        if (window_) SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    NotTopmost(const NotTopmost&) = delete;
    NotTopmost& operator=(const NotTopmost&) = delete;

private:
    HWND window_;
};

}  // namespace

SendResult send_by_mapi(const MapiMail& mail) {
    HMODULE mapi = LoadLibraryA("mapi32.dll");
    if (!mapi) return SendResult::Failed;
    const auto send_mail = reinterpret_cast<LPMAPISENDMAIL>(reinterpret_cast<void*>(GetProcAddress(mapi, "MAPISendMail")));
    if (!send_mail) {
        FreeLibrary(mapi);
        return SendResult::Failed;
    }
    const std::vector<std::string> items = address_items(mail.recipients);
    std::vector<std::pair<std::string, std::string>> names;
    for (const std::string& item : items) names.push_back(display_and_address(item));
    std::vector<MapiRecipDesc> recipients(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        recipients[i].ulRecipClass = MAPI_TO;
        recipients[i].lpszName = names[i].first.data();
        recipients[i].lpszAddress = names[i].second.data();
    }
    std::vector<std::string> paths, send_as;
    for (const MailAttachment& a : mail.attachments) {
        paths.push_back(a.path);
        send_as.push_back(a.send_as);
    }
    std::vector<MapiFileDesc> files(paths.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        files[i].nPosition = static_cast<ULONG>(-1);
        files[i].lpszPathName = paths[i].data();
        files[i].lpszFileName = send_as[i].data();
    }
    std::string subject = mail.subject, body = mail.body;
    MapiMessage message{};
    message.lpszSubject = subject.data();
    message.lpszNoteText = body.data();
    message.nRecipCount = static_cast<ULONG>(recipients.size());
    message.lpRecips = recipients.empty() ? nullptr : recipients.data();
    message.nFileCount = static_cast<ULONG>(files.size());
    message.lpFiles = files.empty() ? nullptr : files.data();
    const FLAGS flags = mail.hidden && !recipients.empty() ? 0 : MAPI_LOGON_UI | MAPI_DIALOG;
    ULONG result;
    {
        NotTopmost lowered(mail.owner);
        result = send_mail(0, reinterpret_cast<ULONG_PTR>(mail.owner), &message, flags, 0);
    }
    FreeLibrary(mapi);
    if (result == SUCCESS_SUCCESS) return SendResult::Sent;
    return result == MAPI_USER_ABORT ? SendResult::Cancelled : SendResult::Failed;
}

std::string registered_mailto_command() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "mailto\\shell\\open\\command", 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    std::string raw(4096, '\0');
    DWORD size = static_cast<DWORD>(raw.size() - 1), type = 0;
    const bool read = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(raw.data()), &size) ==
                          ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ);
    RegCloseKey(key);
    if (!read) return {};
    raw.resize(std::strlen(raw.c_str()));
    std::string expanded(32768, '\0');
    const DWORD length = ExpandEnvironmentStringsA(raw.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
    if (length == 0 || length > expanded.size()) return raw;
    expanded.resize(length - 1);
    return expanded;
}

bool open_mailto(std::string_view recipients, std::string_view subject, std::string_view body) {
    const std::string command = registered_mailto_command();
    if (command.empty()) return false;
    std::string line = mailto_command(command, mailto_link(recipients, subject, body));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool print_report_on(HDC printer, std::string_view text, std::string_view document_name) {
    PrinterPage page;
    page.dpi_x = GetDeviceCaps(printer, LOGPIXELSX);
    page.dpi_y = GetDeviceCaps(printer, LOGPIXELSY);
    page.physical_width = GetDeviceCaps(printer, PHYSICALWIDTH);
    page.physical_height = GetDeviceCaps(printer, PHYSICALHEIGHT);
    page.offset_x = GetDeviceCaps(printer, PHYSICALOFFSETX);
    page.offset_y = GetDeviceCaps(printer, PHYSICALOFFSETY);
    page.printable_width = GetDeviceCaps(printer, HORZRES);
    page.printable_height = GetDeviceCaps(printer, VERTRES);
    if (page.physical_width == 0) page.physical_width = page.printable_width;  // displays and bitmaps have no sheet
    if (page.physical_height == 0) page.physical_height = page.printable_height;
    const PrintRect area = print_area(page);

    HFONT font = CreateFontA(-MulDiv(8, page.dpi_y, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                             "Courier New");
    HGDIOBJ old_font = SelectObject(printer, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(printer, &metrics);
    const int line_height = std::max<int>(1, metrics.tmHeight + metrics.tmExternalLeading);
    const auto measure = [printer](std::string_view s) {
        SIZE size{};
        GetTextExtentPoint32A(printer, s.data(), static_cast<int>(s.size()), &size);
        return static_cast<int>(size.cx);
    };
    const auto pages = paginate(wrap_report_lines(text, area.right - area.left, measure),
                                (area.bottom - area.top) / line_height);

    const std::string name(document_name);
    DOCINFOA doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = name.c_str();
    bool printed = StartDocA(printer, &doc) > 0;
    for (std::size_t p = 0; printed && p < pages.size(); ++p) {
        printed = StartPage(printer) > 0;
        // Some drivers reset the device context with each page.
        SelectObject(printer, font);
        int y = area.top;
        for (const std::string& line : pages[p]) {
            TextOutA(printer, area.left, y, line.data(), static_cast<int>(line.size()));
            y += line_height;
        }
        printed = printed && EndPage(printer) > 0;
    }
    if (printed) EndDoc(printer);
    else AbortDoc(printer);
    SelectObject(printer, old_font);
    DeleteObject(font);
    return printed;
}

bool print_report(std::string_view text, HWND owner, std::string_view document_name) {
    PRINTDLGA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE;
    if (!PrintDlgA(&dialog) || !dialog.hDC) return false;
    const bool printed = print_report_on(dialog.hDC, text, document_name);
    DeleteDC(dialog.hDC);
    if (dialog.hDevMode) GlobalFree(dialog.hDevMode);
    if (dialog.hDevNames) GlobalFree(dialog.hDevNames);
    return printed;
}

}  // namespace roadsum
