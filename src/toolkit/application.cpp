#include "toolkit/application.h"

#include <commctrl.h>

#include "runtime/exceptions.h"
#include "toolkit/form.h"

namespace roadsum {
namespace {

TApplication* g_current = nullptr;

constexpr UINT kSyncMessage = WM_APP + 1;

struct SyncCall {
    const std::function<void()>* fn;
    std::exception_ptr error;
};

LRESULT CALLBACK SyncWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == kSyncMessage) {
        auto* call = reinterpret_cast<SyncCall*>(lparam);
        try {
            (*call->fn)();
        } catch (...) {
            call->error = std::current_exception();
        }
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

TApplication::TApplication() : thread_id_(GetCurrentThreadId()), previous_(g_current) {
    g_current = this;
    WNDCLASSA wc{};
    wc.lpfnWndProc = SyncWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TApplicationSync";
    RegisterClassA(&wc);
    sync_window_ = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

TApplication::~TApplication() {
    while (!forms_.empty()) {
        std::unique_ptr<TCustomForm> last = std::move(forms_.back());
        forms_.pop_back();
        if (last.get() == main_form_) main_form_ = nullptr;
        last.reset();
    }
    if (sync_window_) DestroyWindow(sync_window_);
    if (g_current == this) g_current = previous_;
}

TApplication* TApplication::Current() { return g_current; }

void TApplication::Initialize() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
}

void TApplication::Run() {
    if (main_form_) main_form_->Show();
    while (!terminated_) {
        MSG msg;
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            terminated_ = true;
            break;
        }
        Dispatch(msg);
    }
}

void TApplication::Terminate() {
    if (!terminated_) PostQuitMessage(0);
    terminated_ = true;
}

bool TApplication::ProcessMessage() {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    Dispatch(msg);
    return true;
}

void TApplication::ProcessMessages() {
    while (ProcessMessage()) {
    }
}

void TApplication::Dispatch(const MSG& msg) {
    if (IsDialogKey(msg)) return;
    if (IsDialogChar(msg)) return;
    if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) hints_.Relay(msg);
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

// Tab and Shift+Tab move through the form's tab order unless the focused control takes tabs.
bool TApplication::IsDialogKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB) return false;
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
    TCustomForm* form = TCustomForm::FromWindow(msg.hwnd);
    if (!form) return false;
    MSG copy = msg;
    LRESULT code = SendMessageA(msg.hwnd, WM_GETDLGCODE, VK_TAB, reinterpret_cast<LPARAM>(&copy));
    if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) return false;
    form->SelectNext(TWinControl::FromHandle(msg.hwnd), GetKeyState(VK_SHIFT) >= 0);
    return true;
}

// Alt and a character: the accelerator of a control on the form, which graphic controls
// (without a window to receive keys) answer too.
bool TApplication::IsDialogChar(const MSG& msg) {
    if (msg.message != WM_SYSCHAR) return false;
    TCustomForm* form = TCustomForm::FromWindow(msg.hwnd);
    if (!form || !form->Enabled()) return false;
    try {
        return form->DialogChar(static_cast<char>(msg.wParam));
    } catch (...) {
        HandleException(std::current_exception());
        return true;
    }
}

std::string TApplication::ExceptionMessage(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        return e.message();
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown exception";
    }
}

void TApplication::ShowException(std::exception_ptr error) const {
    if (show_hook_) {
        try {
            show_hook_(error);
            return;
        } catch (...) {
            // A failing hook leaves the plain message box.
        }
    }
    std::string message = ExceptionMessage(error);
    HWND owner = main_form_ && IsWindowVisible(main_form_->Handle()) ? main_form_->Handle() : nullptr;
    MessageBoxA(owner, message.c_str(), title_.c_str(), MB_OK | MB_ICONERROR);
}

void TApplication::HandleException(std::exception_ptr error) {
    if (!error) return;
    if (hook_) {
        try {
            hook_(error);
        } catch (...) {
            // A failing hook must not take the message loop down with it.
            ShowException(std::current_exception());
        }
        return;
    }
    ShowException(error);
}

void TApplication::Synchronize(const std::function<void()>& fn) {
    if (GetCurrentThreadId() == thread_id_) {
        fn();
        return;
    }
    SyncCall call{&fn, nullptr};
    SendMessageA(sync_window_, kSyncMessage, 0, reinterpret_cast<LPARAM>(&call));
    if (call.error) std::rethrow_exception(call.error);
}

}  // namespace roadsum
