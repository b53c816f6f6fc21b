#include "toolkit/win_control.h"

#include <windowsx.h>

#include <algorithm>
#include <set>

#include "toolkit/application.h"

namespace roadsum {

LRESULT CALLBACK ToolkitWndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

namespace {

// Window properties that tie a window to its control and to the window procedure it had
// before the toolkit subclassed it.
const char kControlProp[] = "Roadsum.Control";
const char kProcProp[] = "Roadsum.Proc";

void RegisterOwnClass(const TCreateParams& params) {
    static std::set<std::string> registered;
    if (registered.count(params.ClassName)) return;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = params.ClassStyle;
    wc.lpfnWndProc = ToolkitWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconA(wc.hInstance, "MAINICON");
    wc.lpszClassName = params.ClassName.c_str();
    RegisterClassExA(&wc);
    registered.insert(params.ClassName);
}

UINT KeyShift() {
    UINT shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= MK_SHIFT;
    if (GetKeyState(VK_CONTROL) < 0) shift |= MK_CONTROL;
    if (GetKeyState(VK_MENU) < 0) shift |= 0x1000;  // Alt has no MK_ flag
    return shift;
}

// The child window a notification to its parent is about; null for other messages and for
// those from menus and accelerators.
HWND NotifyingChild(HWND parent, UINT message, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND:
        case WM_CTLCOLOREDIT: case WM_CTLCOLORSTATIC: case WM_CTLCOLORBTN: case WM_CTLCOLORLISTBOX:
            return reinterpret_cast<HWND>(lparam);
        case WM_NOTIFY:
            return reinterpret_cast<const NMHDR*>(lparam)->hwndFrom;
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
            return item->CtlType == ODT_MENU ? nullptr : item->hwndItem;
        }
        case WM_MEASUREITEM: {
            const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lparam);
            return item->CtlType == ODT_MENU ? nullptr : GetDlgItem(parent, static_cast<int>(item->CtlID));
        }
        default:
            return nullptr;
    }
}

}  // namespace

LRESULT CALLBACK ToolkitWndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lparam);
        if (auto* control = static_cast<TWinControl*>(cs->lpCreateParams)) {
            SetPropA(window, kControlProp, control);
            control->handle_ = window;
        }
    }
    auto* control = static_cast<TWinControl*>(GetPropA(window, kControlProp));
    auto system_proc = reinterpret_cast<WNDPROC>(GetPropA(window, kProcProp));
    if (!control) {
        LRESULT result = system_proc ? CallWindowProcA(system_proc, window, message, wparam, lparam)
                                     : DefWindowProcA(window, message, wparam, lparam);
        if (message == WM_NCDESTROY) RemovePropA(window, kProcProp);
        return result;
    }
    if (message == WM_NCDESTROY) {
        LRESULT result = control->DefaultHandler(message, wparam, lparam);
        RemovePropA(window, kControlProp);
        RemovePropA(window, kProcProp);
        control->handle_ = nullptr;
        return result;
    }
    try {
        return control->WndProc(message, wparam, lparam);
    } catch (...) {
        if (TApplication* app = TApplication::Current()) app->HandleException(std::current_exception());
        return 0;
    }
}

TWinControl::TWinControl(TWinControl* parent) : TControl(parent) {}

TWinControl::~TWinControl() {
    while (!controls_.empty()) {
        std::unique_ptr<TControl> last = std::move(controls_.back());
        controls_.pop_back();
        last.reset();
    }
    DestroyHandle();
}

TWinControl* TWinControl::FromHandle(HWND window) {
    return window ? static_cast<TWinControl*>(GetPropA(window, kControlProp)) : nullptr;
}

void TWinControl::InsertControl(std::unique_ptr<TControl> control) {
    TControl* raw = control.get();
    controls_.push_back(std::move(control));
    if (raw->IsWindowed()) {
        auto* win = static_cast<TWinControl*>(raw);
        tab_list_.push_back(win);
        if (HandleAllocated()) win->CreateHandle();
    } else {
        if (TApplication* app = TApplication::Current()) app->Hints().Update(raw);
        raw->Invalidate();
    }
}

void TWinControl::RemoveControl(TControl* control) {
    auto it = std::find_if(controls_.begin(), controls_.end(), [&](auto& c) { return c.get() == control; });
    if (it == controls_.end()) return;
    std::unique_ptr<TControl> owned = std::move(*it);
    controls_.erase(it);
    owned.reset();
}

void TWinControl::ChildGone(TControl* control) {
    auto it = std::find_if(controls_.begin(), controls_.end(), [&](auto& c) { return c.get() == control; });
    if (it != controls_.end()) {
        it->release();  // already being destroyed
        controls_.erase(it);
    }
    tab_list_.erase(std::remove(tab_list_.begin(), tab_list_.end(), control), tab_list_.end());
    if (mouse_control_ == control) mouse_control_ = nullptr;
    if (capture_control_ == control) {
        capture_control_ = nullptr;
        if (GetCapture() == handle_) ReleaseCapture();
    }
    if (!control->IsWindowed()) {
        RECT r = control->BoundsRect();
        InflateRect(&r, 2, 2);  // what a text may have painted past the bounds
        if (handle_) InvalidateRect(handle_, &r, FALSE);
    }
}

void TWinControl::CreateParams(TCreateParams& params) {
    params.ClassName = "TWinControl";
    if (Parent()) params.Style |= WS_CHILD;
    if (Visible()) params.Style |= WS_VISIBLE;
    if (!Enabled()) params.Style |= WS_DISABLED;
}

void TWinControl::HandleNeeded() {
    if (!handle_) CreateHandle();
}

void TWinControl::CreateHandle() {
    if (handle_) return;
    if (Parent() && !Parent()->HandleAllocated()) return;  // made with the parent's window
    TCreateParams params;
    CreateParams(params);
    HWND parent = Parent() ? Parent()->Handle() : nullptr;
    static int next_id = 100;
    HMENU id = Parent() ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(next_id++)) : nullptr;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (params.SystemClass) {
        HWND window = CreateWindowExA(params.ExStyle, params.SystemClass, Caption().c_str(), params.Style, Left(), Top(),
                                      Width(), Height(), parent, id, instance, nullptr);
        if (!window) return;
        system_class_ = true;
        SetClickEvents(false);  // the system control reports its own clicks
        SetPropA(window, kProcProp, reinterpret_cast<HANDLE>(GetWindowLongPtrA(window, GWLP_WNDPROC)));
        SetPropA(window, kControlProp, this);
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ToolkitWndProc));
        handle_ = window;
    } else {
        RegisterOwnClass(params);
        CreateWindowExA(params.ExStyle, params.ClassName.c_str(), Caption().c_str(), params.Style, Left(), Top(),
                        Width(), Height(), parent, id, instance, this);
        if (!handle_) return;
    }
    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
    PlaceInZOrder();
    client_width_ = ClientWidth();
    client_height_ = ClientHeight();
    for (auto& child : controls_)
        if (child->IsWindowed()) static_cast<TWinControl*>(child.get())->CreateHandle();
    if (TApplication* app = TApplication::Current()) {
        app->Hints().Update(this);
        for (auto& child : controls_)
            if (!child->IsWindowed()) app->Hints().Update(child.get());
    }
    AfterCreateHandle();
}

// Later controls lie above earlier ones, as their order in the parent says.
void TWinControl::PlaceInZOrder() {
    if (!Parent()) return;
    HWND above = HWND_TOP;
    auto& siblings = Parent()->controls_;
    auto it = std::find_if(siblings.begin(), siblings.end(), [&](auto& c) { return c.get() == this; });
    for (++it; it < siblings.end(); ++it)
        if ((*it)->IsWindowed() && static_cast<TWinControl*>(it->get())->handle_) {
            above = static_cast<TWinControl*>(it->get())->handle_;
            break;
        }
    // Placing a window after another puts it below that one.
    SetWindowPos(handle_, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::RecreateWnd() {
    if (!handle_) return;
    bool focused = Focused();
    SetCaptionField(Text());
    DestroyHandle();
    CreateHandle();
    if (focused) SetFocus();
}

void TWinControl::DestroyHandle() {
    if (!handle_) return;
    for (auto& child : controls_)
        if (child->IsWindowed()) static_cast<TWinControl*>(child.get())->DestroyHandle();
    HWND window = handle_;
    if (TApplication* app = TApplication::Current()) app->Hints().Remove(this);
    // From here on the window's messages go to its default handling only.
    RemovePropA(window, kControlProp);
    handle_ = nullptr;
    DestroyWindow(window);
}

LRESULT TWinControl::DefaultHandler(UINT message, WPARAM wparam, LPARAM lparam) {
    if (system_proc_ == nullptr && system_class_)
        system_proc_ = reinterpret_cast<WNDPROC>(GetPropA(handle_, kProcProp));
    if (system_proc_) return CallWindowProcA(system_proc_, handle_, message, wparam, lparam);
    return DefWindowProcA(handle_, message, wparam, lparam);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    if (left == Left() && top == Top() && width == Width() && height == Height()) return;
    if (!handle_) {
        int old_w = ClientWidth(), old_h = ClientHeight();
        StoreBounds(left, top, width, height);
        AlignControls(old_w, old_h);
        BoundsChanged();
        return;
    }
    // WM_WINDOWPOSCHANGED stores the new bounds and aligns the children.
    SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int TWinControl::ClientWidth() const {
    if (!handle_) return Width();
    RECT r;
    GetClientRect(handle_, &r);
    return r.right;
}

int TWinControl::ClientHeight() const {
    if (!handle_) return Height();
    RECT r;
    GetClientRect(handle_, &r);
    return r.bottom;
}

void TWinControl::SetClientSize(int width, int height) {
    SetBounds(Left(), Top(), Width() + width - ClientWidth(), Height() + height - ClientHeight());
}

void TWinControl::AlignControls(int old_width, int old_height) {
    int width = ClientWidth(), height = ClientHeight();
    client_width_ = width;
    client_height_ = height;
    RECT free = {0, 0, width, height};
    for (TAlign pass : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
        for (auto& c : controls_) {
            if (c->Align() != pass || !c->Visible()) continue;
            switch (pass) {
                case TAlign::alTop:
                    c->SetBounds(free.left, free.top, free.right - free.left, c->Height());
                    free.top += c->Height();
                    break;
                case TAlign::alBottom:
                    c->SetBounds(free.left, free.bottom - c->Height(), free.right - free.left, c->Height());
                    free.bottom -= c->Height();
                    break;
                case TAlign::alLeft:
                    c->SetBounds(free.left, free.top, c->Width(), free.bottom - free.top);
                    free.left += c->Width();
                    break;
                case TAlign::alRight:
                    c->SetBounds(free.right - c->Width(), free.top, c->Width(), free.bottom - free.top);
                    free.right -= c->Width();
                    break;
                default:
                    c->SetBounds(free.left, free.top, free.right - free.left, free.bottom - free.top);
                    break;
            }
        }
    }
    int dx = width - old_width, dy = height - old_height;
    if (old_width <= 0 || old_height <= 0 || (dx == 0 && dy == 0)) return;
    for (auto& c : controls_) {
        if (c->Align() != TAlign::alNone) continue;
        unsigned a = c->Anchors();
        int l = c->Left(), t = c->Top(), w = c->Width(), h = c->Height();
        if (a & akRight) (a & akLeft) ? w += dx : l += dx;
        if (a & akBottom) (a & akTop) ? h += dy : t += dy;
        c->SetBounds(l, t, w, h);
    }
}

int TWinControl::TabOrder() const {
    if (!Parent()) return 0;
    auto& list = Parent()->tab_list_;
    return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TWinControl::SetTabOrder(int order) {
    if (!Parent()) return;
    auto& list = Parent()->tab_list_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    order = std::clamp(order, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + order, this);
}

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return handle_ != nullptr;
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() {
    if (handle_) ::SetFocus(handle_);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) {
    for (TWinControl* c : tab_list_) {
        if (c->TabStop() && c->CanFocus()) list.push_back(c);
        c->GetTabOrderList(list);
    }
}

std::string TWinControl::Text() const {
    if (!handle_) return Caption();
    int n = GetWindowTextLengthA(handle_);
    std::string text(n + 1, '\0');
    n = GetWindowTextA(handle_, text.data(), n + 1);
    text.resize(n);
    return text;
}

void TWinControl::SetCaption(std::string caption) {
    SetCaptionField(caption);
    if (handle_) SetWindowTextA(handle_, caption.c_str());
    TextChanged();
}

void TWinControl::Invalidate() {
    if (handle_) InvalidateRect(handle_, nullptr, FALSE);
}

TControl* TWinControl::ControlAtPos(int x, int y) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = it->get();
        if (c->IsWindowed() || !c->Visible()) continue;
        int cx = x - c->Left(), cy = y - c->Top();
        if (cx >= 0 && cy >= 0 && cx < c->Width() && cy < c->Height() && c->HitTest(cx, cy)) return c;
    }
    return nullptr;
}

bool TWinControl::MouseCapture() const { return handle_ && GetCapture() == handle_ && !capture_control_; }

TControl* TWinControl::FindControl(const std::string& name) {
    if (name == Name()) return this;
    for (auto& c : controls_)
        if (TControl* found = c->FindControl(name)) return found;
    return nullptr;
}

bool TWinControl::DialogChar(char key) {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
        if ((*it)->Visible() && (*it)->Enabled() && (*it)->DialogChar(key)) return true;
    return false;
}

bool TWinControl::PaletteChanged() {
    bool handled = false;
    for (auto& c : controls_) handled = c->PaletteChanged() || handled;
    return handled;
}

HBRUSH TWinControl::ColorBrush() {
    if (!color_brush_ || color_brush_color_ != Color()) {
        color_brush_.reset(CreateSolidBrush(ColorToRGB(Color())));
        color_brush_color_ = Color();
    }
    return color_brush_.get();
}

void TWinControl::FontChanged() {
    if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
    Invalidate();
}

void TWinControl::ColorChanged() {
    Invalidate();
    for (auto& c : controls_) c->ParentColorChanged();
}

void TWinControl::TextChanged() { Invalidate(); }

void TWinControl::VisibleChanged() {
    if (handle_) ShowWindow(handle_, Visible() ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::EnabledChanged() {
    if (handle_) EnableWindow(handle_, Enabled());
    Invalidate();
}

void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TWinControl::BroadcastFocusChanged(TWinControl* focused) {
    FocusChanged(focused);
    // A handler may add or remove controls: walk a copy.
    std::vector<TWinControl*> children;
    for (auto& c : controls_)
        if (c->IsWindowed()) children.push_back(static_cast<TWinControl*>(c.get()));
    for (TWinControl* child : children) child->BroadcastFocusChanged(focused);
}

void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

void TWinControl::PaintWindow(TCanvas& canvas) {
    canvas.SetBrush(Color());
    canvas.FillRect(ClientRect());
}

void TWinControl::PaintHandler() {
    PaintDC paint(handle_);
    RECT client;
    GetClientRect(handle_, &client);
    if (client.right <= 0 || client.bottom <= 0) return;
    // Drawn off screen first, so that nothing flickers between background and controls.
    MemoryDC memory(paint.get());
    Bitmap bitmap(CreateCompatibleBitmap(paint.get(), client.right, client.bottom));
    SelectObjectScope select(memory.get(), bitmap.get());
    PaintTo(memory.get());
    const RECT& r = paint.paint_rect();
    BitBlt(paint.get(), r.left, r.top, r.right - r.left, r.bottom - r.top, memory.get(), r.left, r.top, SRCCOPY);
}

void TWinControl::PaintTo(HDC dc) {
    {
        // The background is left out under opaque graphic children: they paint every pixel.
        SavedDC saved(dc);
        for (auto& c : controls_)
            if (!c->IsWindowed() && c->Visible() && static_cast<TGraphicControl*>(c.get())->PaintsEveryPixel())
                ExcludeClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height());
        TCanvas canvas(dc);
        PaintWindow(canvas);
    }
    RECT all = {0, 0, ClientWidth(), ClientHeight()};
    PaintControls(dc, all);
}

void TWinControl::PaintControls(HDC dc, const RECT& update) {
    for (auto& c : controls_) {
        if (c->IsWindowed() || !c->Visible()) continue;
        auto* graphic = static_cast<TGraphicControl*>(c.get());
        int margin = graphic->PaintMargin();
        RECT bounds = c->BoundsRect(), overlap;
        InflateRect(&bounds, margin, margin);
        if (!IntersectRect(&overlap, &bounds, &update)) continue;
        SavedDC saved(dc);
        OffsetViewportOrgEx(dc, c->Left(), c->Top(), nullptr);
        IntersectClipRect(dc, -margin, -margin, c->Width() + margin, c->Height() + margin);
        TCanvas canvas(dc);
        canvas.SetFont(c->Font());
        graphic->Paint(canvas);
    }
}

void TWinControl::TrackLeave() {
    if (tracking_leave_) return;
    TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, handle_, 0};
    tracking_leave_ = TrackMouseEvent(&tme);
}

void TWinControl::UpdateMouseControl(TControl* control) {
    if (control == mouse_control_) return;
    if (TControl* old = mouse_control_) {
        mouse_control_ = nullptr;
        old->mouse_inside_ = false;
        old->MouseLeave();
    }
    if (control) {
        mouse_control_ = control;
        control->mouse_inside_ = true;
        control->MouseEnter();
    }
}

bool TWinControl::MouseMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    int x = GET_X_LPARAM(lparam), y = GET_Y_LPARAM(lparam);
    UINT keys = static_cast<UINT>(wparam);
    auto button_of = [](UINT m) {
        switch (m) {
            case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK: return TMouseButton::mbRight;
            case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK: return TMouseButton::mbMiddle;
            default: return TMouseButton::mbLeft;
        }
    };
    switch (message) {
        case WM_MOUSEMOVE: {
            TrackLeave();
            if (!MouseInside()) {
                mouse_inside_ = true;
                MouseEnter();
            }
            if (!capture_control_) UpdateMouseControl(ControlAtPos(x, y));
            if (TControl* target = capture_control_ ? capture_control_ : mouse_control_) {
                target->MouseMove(keys, x - target->Left(), y - target->Top());
                return true;
            }
            MouseMove(keys, x, y);
            return false;
        }
        case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK: {
            bool dbl = message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDBLCLK;
            TControl* target = capture_control_ ? capture_control_ : ControlAtPos(x, y);
            if (target) {
                if (!target->Enabled()) return true;
                capture_control_ = target;
                SetCapture(handle_);
                target->MouseDown(button_of(message), keys, x - target->Left(), y - target->Top());
                if (dbl) target->DblClick();
                return true;
            }
            MouseDown(button_of(message), keys, x, y);
            if (dbl) DblClick();
            return false;
        }
        case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP: {
            if (TControl* target = capture_control_) {
                if (!(keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) {
                    capture_control_ = nullptr;
                    if (GetCapture() == handle_) ReleaseCapture();
                }
                target->MouseUp(button_of(message), keys, x - target->Left(), y - target->Top());
                if (!capture_control_) UpdateMouseControl(ControlAtPos(x, y));
                return true;
            }
            MouseUp(button_of(message), keys, x, y);
            return false;
        }
        case WM_MOUSELEAVE:
            tracking_leave_ = false;
            if (!capture_control_) UpdateMouseControl(nullptr);
            if (MouseInside()) {
                mouse_inside_ = false;
                MouseLeave();
            }
            return false;
        case WM_CAPTURECHANGED:
            if (TControl* lost = capture_control_; lost && reinterpret_cast<HWND>(lparam) != handle_) {
                capture_control_ = nullptr;
                lost->MouseCaptureLost();
            }
            return false;
    }
    return false;
}

std::optional<LRESULT> TWinControl::Reflected(UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
        case WM_CTLCOLOREDIT: case WM_CTLCOLORSTATIC: case WM_CTLCOLORBTN: case WM_CTLCOLORLISTBOX: {
            HDC dc = reinterpret_cast<HDC>(wparam);
            ::SetTextColor(dc, ColorToRGB(Font().Color()));
            ::SetBkColor(dc, ColorToRGB(Color()));
            return reinterpret_cast<LRESULT>(ColorBrush());
        }
    }
    return std::nullopt;
}

LRESULT TWinControl::WndProc(UINT message, WPARAM wparam, LPARAM lparam) {
    // Notifications go back to the control they are about, which handles them itself.
    if (HWND about = NotifyingChild(handle_, message, lparam))
        if (TWinControl* child = FromHandle(about); child && child != this)
            if (auto r = child->Reflected(message, wparam, lparam)) return *r;
    switch (message) {
        case WM_PAINT:
            if (system_class_) break;
            PaintHandler();
            return 0;
        case WM_ERASEBKGND:
            if (system_class_) break;
            return 1;  // painted whole in WM_PAINT
        case WM_WINDOWPOSCHANGED: {
            RECT r;
            GetWindowRect(handle_, &r);
            if (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD)
                MapWindowPoints(nullptr, GetParent(handle_), reinterpret_cast<POINT*>(&r), 2);
            const bool moved =
                r.left != Left() || r.top != Top() || r.right - r.left != Width() || r.bottom - r.top != Height();
            // Stored first, so that the WM_SIZE and WM_MOVE the default handling sends see them.
            if (moved) StoreBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
            LRESULT result = DefaultHandler(message, wparam, lparam);
            if (moved) {
                if (TApplication* app = TApplication::Current()) app->Hints().Update(this);
                BoundsChanged();
            }
            if (ClientWidth() != client_width_ || ClientHeight() != client_height_) {
                AlignControls(client_width_, client_height_);
                Resize();
            }
            return result;
        }
        case WM_MOUSEMOVE: case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK:
        case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP: case WM_MOUSELEAVE: case WM_CAPTURECHANGED:
            if (MouseMessage(message, wparam, lparam)) return 0;
            break;
        case WM_KEYDOWN: case WM_SYSKEYDOWN: {
            WORD key = static_cast<WORD>(wparam);
            KeyDown(key, KeyShift());
            if (key == 0) return 0;
            return DefaultHandler(message, key, lparam);
        }
        case WM_CHAR: {
            char key = static_cast<char>(wparam);
            KeyPress(key);
            if (key == 0) return 0;
            return DefaultHandler(message, static_cast<unsigned char>(key), lparam);
        }
        case WM_SETFOCUS: {
            LRESULT result = DefaultHandler(message, wparam, lparam);
            DoEnter();
            TWinControl* root = this;
            while (root->Parent()) root = root->Parent();
            root->BroadcastFocusChanged(this);
            return result;
        }
        case WM_KILLFOCUS: {
            LRESULT result = DefaultHandler(message, wparam, lparam);
            DoExit();
            return result;
        }
    }
    return DefaultHandler(message, wparam, lparam);
}

}  // namespace roadsum
