// The progress window on the bare window API: a topmost tool window with a label, a bar and
// a button, and the bitmap at the left, centred in the work area.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <mutex>

#include "crash/pages/gdi_win32.h"
#include "crash/pages/progress_alert_impl.h"
#include "crash/pages/progress_layout.h"

namespace roadsum {
namespace {

constexpr char kClassName[] = "prgrAlertWndClass";
// A text set by another thread waits in pending_ until the window's thread takes it: sending
// it would block the caller until that thread handles its messages.
constexpr UINT kTextChanged = WM_APP + 1;  // wParam: 0 the label, 1 the title
constexpr int kButtonId = 1;

class Win32ProgressView final : public ProgressView {
public:
    Win32ProgressView(std::uintptr_t module, std::string bitmap_name)
        : module_(reinterpret_cast<HMODULE>(module)), bitmap_name_(std::move(bitmap_name)) {}
    ~Win32ProgressView() override { close(); }

    bool open(const std::string& title, const std::vector<std::string>& texts, std::uintptr_t owner) override;
    void set_title(const std::string& title) override { set(1, title); }
    void set_text(const std::string& text) override { set(0, text); }
    void set_position(int position) override;
    void close() override;
    void process_messages() override;
    bool cancelled() const override { return cancelled_; }

    void attach(HWND window) { window_ = window; }
    LRESULT handle(UINT message, WPARAM w, LPARAM l);

private:
    bool on_window_thread() const { return GetWindowThreadProcessId(window_, nullptr) == GetCurrentThreadId(); }
    void set(int which, const std::string& text);

    HMODULE module_;
    std::string bitmap_name_;
    ReporterFonts fonts_;
    ScopedBitmap bitmap_;
    ProgressLayout layout_;
    HWND window_ = nullptr, label_ = nullptr, bar_ = nullptr, button_ = nullptr;
    HWND owner_ = nullptr;
    bool owner_enabled_ = false;
    std::atomic<bool> cancelled_{false};
    std::mutex text_mutex_;
    std::string pending_[2];
};

bool Win32ProgressView::open(const std::string& title, const std::vector<std::string>& texts, std::uintptr_t owner) {
    if (window_) return true;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    if (!register_window_class(kClassName, object_window_proc<Win32ProgressView>, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1))) return false;

    if (module_ && !bitmap_name_.empty())
        bitmap_.reset(static_cast<HBITMAP>(LoadImageA(module_, bitmap_name_.c_str(), IMAGE_BITMAP, 0, 0, 0)));
    BITMAP b{};
    const TextSize bitmap_size =
        bitmap_.valid() && GetObject(bitmap_.get(), sizeof b, &b) ? TextSize{b.bmWidth, b.bmHeight} : TextSize{};
    GdiTextMeasurer measurer(fonts_);
    const TextSize caption = measurer.measure(FontRole::item, "Cancel");
    layout_ = progress_layout(measurer, texts, bitmap_size, {std::max(75, caption.width + 24), 23});

    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME | WS_CLIPCHILDREN;
    const DWORD ex_style = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME;
    RECT frame{0, 0, layout_.client_width, layout_.client_height};
    AdjustWindowRectEx(&frame, style, FALSE, ex_style);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);

    owner_ = reinterpret_cast<HWND>(owner);
    window_ = CreateWindowExA(ex_style, kClassName, title.c_str(), style, work.left + (work.right - work.left - width) / 2,
                              work.top + (work.bottom - work.top - height) / 2, width, height, owner_, nullptr,
                              reporter_instance(), this);
    if (!window_) return false;
    // Only moving and closing are left in the system menu.
    if (HMENU menu = GetSystemMenu(window_, FALSE))
        for (UINT command : {SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE}) DeleteMenu(menu, command, MF_BYCOMMAND);

    auto child = [&](const char* cls, const char* text, DWORD child_style, const Rect& r, int id = 0) {
        HWND h = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | child_style, r.left, r.top, r.width, r.height,
                                 window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), reporter_instance(), nullptr);
        SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.get(FontRole::item)), FALSE);
        return h;
    };
    label_ = child("Static", "", SS_LEFT | SS_NOPREFIX, layout_.label);
    bar_ = child(PROGRESS_CLASSA, "", 0, layout_.bar);
    button_ = child("Button", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, layout_.button, kButtonId);
    SendMessageA(bar_, PBM_SETRANGE32, 0, kProgressRange);

    if (owner_) {
        owner_enabled_ = IsWindowEnabled(owner_);
        EnableWindow(owner_, FALSE);
    }
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    return true;
}

void Win32ProgressView::set(int which, const std::string& text) {
    if (!window_) return;
    {
        std::lock_guard lock(text_mutex_);
        pending_[which] = text;
    }
    if (on_window_thread())
        handle(kTextChanged, static_cast<WPARAM>(which), 0);
    else
        PostMessageA(window_, kTextChanged, static_cast<WPARAM>(which), 0);
}

void Win32ProgressView::set_position(int position) {
    if (!bar_) return;
    if (on_window_thread()) {
        SendMessageA(bar_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
        process_messages();
    } else {
        PostMessageA(bar_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    }
}

void Win32ProgressView::close() {
    if (!window_) return;
    // The owner comes back first, so that it and not some other window gets the activation.
    if (owner_ && owner_enabled_) EnableWindow(owner_, TRUE);
    owner_ = nullptr;
    DestroyWindow(window_);
    window_ = label_ = bar_ = button_ = nullptr;
}

void Win32ProgressView::process_messages() {
    if (!window_ || !on_window_thread()) return;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that owns it
            break;
        }
        if (!IsDialogMessageA(window_, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

LRESULT Win32ProgressView::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case kTextChanged: {
            std::string text;
            {
                std::lock_guard lock(text_mutex_);
                text = pending_[w ? 1 : 0];
            }
            SetWindowTextA(w ? window_ : label_, text.c_str());
            return 0;
        }
        case WM_COMMAND:
            if (LOWORD(w) == kButtonId || LOWORD(w) == IDCANCEL) {
                cancelled_ = true;
                EnableWindow(button_, FALSE);
            }
            return 0;
        case WM_CLOSE:  // the close box asks to stop; the alert's owner closes the window
            cancelled_ = true;
            EnableWindow(button_, FALSE);
            return 0;
        case WM_PAINT: {
            PaintScope paint(window_);
            if (bitmap_.valid()) draw_keyed_bitmap(paint.dc(), bitmap_.get(), layout_.bitmap.left, layout_.bitmap.top);
            return 0;
        }
        case WM_CTLCOLORSTATIC:
            SetBkColor(reinterpret_cast<HDC>(w), GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    return DefWindowProcA(window_, message, w, l);
}

}  // namespace

std::unique_ptr<ProgressView> NewProgressView(std::uintptr_t bitmap_module, const std::string& bitmap_name) {
    return std::make_unique<Win32ProgressView>(bitmap_module, bitmap_name);
}

}  // namespace roadsum
