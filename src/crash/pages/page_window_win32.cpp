// The assistant page's window on the bare window API: its items as child windows, painted
// as the page layout says, and their messages turned into the page's events.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "crash/common/pixel_image_win32.h"
#include "crash/common/text_lists.h"
#include "crash/pages/gdi_win32.h"
#include "crash/pages/nv_form.h"
#include "crash/pages/page_layout.h"

namespace roadsum {
namespace {

constexpr char kPageClass[] = "nvFormWndClass";
constexpr int kFirstItemId = 100;

COLORREF face() { return GetSysColor(COLOR_BTNFACE); }

int CALLBACK note_font(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

// Whether the system has the symbol font whose "a" is a check mark.
bool has_marlett() {
    LOGFONTA wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    std::strcpy(wanted.lfFaceName, "Marlett");
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExA(screen, &wanted, note_font, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

class PageWindow final : public ItemObserver {
public:
    PageWindow(TNVForm& form, HWND owner) : form_(form), owner_(owner), measurer_(fonts_) {}
    ~PageWindow() override;

    int run();
    void item_changed(TNVItem& item, ItemChange change) override;
    void attach(HWND window) { window_ = window; }
    LRESULT handle(UINT message, WPARAM w, LPARAM l);

private:
    bool create();
    void create_item_window(std::size_t index);
    void relayout();
    void focus_active_control();
    bool pre_translate(const MSG& message);
    void press(TNVItem& item);
    void set_default_button(HWND button);
    TNVItem* item_of(HWND window) const;
    Rect window_rect(const TNVItem& item) const;

    void paint(HDC dc);
    void draw_button(const DRAWITEMSTRUCT& d, const TNVButton& button);
    void draw_check_box(const DRAWITEMSTRUCT& d, const TNVCheckBox& box);
    void draw_image(const DRAWITEMSTRUCT& d, const TNVImage& image);

    TNVForm& form_;
    HWND owner_;
    HWND window_ = nullptr;
    ReporterFonts fonts_;
    GdiTextMeasurer measurer_;
    PageLayout layout_;
    ScopedBitmap symbol_;
    ScopedFont marlett_;
    ScopedBrush face_brush_{CreateSolidBrush(face())};
    std::vector<HWND> windows_;  // one per item of the form
    HWND default_button_ = nullptr;
    HWND remembered_focus_ = nullptr;
    bool populating_ = false;  // texts set by the page itself are no typing
};

PageWindow::~PageWindow() {
    form_.SetObserver(nullptr);
    for (const auto& item : form_.Items()) item->SetHandle(0);
    if (window_) DestroyWindow(window_);
}

Rect PageWindow::window_rect(const TNVItem& item) const {
    Rect r = item.Bounds();
    if (item.Kind() == NVItemKind::edit) r = {r.left + kEditFrame, r.top + kEditFrame, r.width - 2 * kEditFrame, r.height - 2 * kEditFrame};
    return r;
}

bool PageWindow::create() {
    if (!register_window_class(kPageClass, object_window_proc<PageWindow>, nullptr)) return false;  // the paint covers all
    symbol_.reset(static_cast<HBITMAP>(LoadImageA(reporter_instance(), "NXPAGESYMBOL", IMAGE_BITMAP, 0, 0, 0)));
    if (has_marlett()) marlett_ = make_font({{"Marlett", 13}});
    layout_ = layout_page(form_, measurer_);
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME | WS_CLIPCHILDREN;
    const DWORD ex_style = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT frame{0, 0, layout_.width, layout_.height};
    AdjustWindowRectEx(&frame, style, FALSE, ex_style);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    window_ = CreateWindowExA(ex_style, kPageClass, form_.Title().c_str(), style, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                              (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, owner_, nullptr, reporter_instance(), this);
    if (!window_) return false;

    // Images named by file get their picture now.
    for (const auto& item : form_.Items())
        if (auto image = std::dynamic_pointer_cast<TNVImage>(item); image && !image->Bitmap() && !image->File().empty()) {
            ScopedBitmap loaded(static_cast<HBITMAP>(LoadImageA(nullptr, image->File().c_str(), IMAGE_BITMAP, 0, 0,
                                                                LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
            PixelImage pixels = pixels_of_bitmap(loaded.get());
            if (!pixels.empty()) image->SetBitmap(std::make_shared<const PixelImage>(std::move(pixels)));
        }
    layout_ = layout_page(form_, measurer_);
    windows_.assign(form_.Items().size(), nullptr);
    for (std::size_t i = 0; i < form_.Items().size(); ++i) form_.Items()[i]->SetBounds(layout_.items[i]);
    // Tab order as the eye reads: the items, then the buttons from left to right.
    std::vector<std::size_t> order;
    for (std::size_t i = 3; i < form_.Items().size(); ++i) order.push_back(i);
    std::vector<std::size_t> buttons = {0, 1, 2};
    std::sort(buttons.begin(), buttons.end(), [&](std::size_t a, std::size_t b) { return layout_.items[a].left < layout_.items[b].left; });
    order.insert(order.end(), buttons.begin(), buttons.end());
    populating_ = true;
    for (std::size_t i : order) create_item_window(i);
    populating_ = false;
    set_default_button(windows_[0]);
    return true;
}

void PageWindow::create_item_window(std::size_t index) {
    TNVItem& item = *form_.Items()[index];
    const char* cls = "Button";
    DWORD style = WS_CHILD | WS_TABSTOP;
    std::string text;
    switch (item.Kind()) {
        case NVItemKind::button: {
            const auto& b = static_cast<const TNVButton&>(item);
            style |= BS_NOTIFY | (b.NoOwnerDraw() ? BS_PUSHBUTTON : BS_OWNERDRAW) | (b.Visible() ? WS_VISIBLE : 0);
            text = b.Caption();
            break;
        }
        case NVItemKind::label:
            cls = "Static";
            style = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
            text = static_cast<const TNVLabel&>(item).Caption();
            break;
        case NVItemKind::edit: {
            const auto& e = static_cast<const TNVEdit&>(item);
            cls = "Edit";
            style |= WS_VISIBLE | (e.Lines() > 1 ? ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL : ES_AUTOHSCROLL);
            text = e.Text();
            break;
        }
        case NVItemKind::check_box:
            style |= WS_VISIBLE | BS_OWNERDRAW | BS_NOTIFY;
            text = static_cast<const TNVCheckBox&>(item).Caption();
            break;
        case NVItemKind::image:
            cls = "Static";
            style = WS_CHILD | WS_VISIBLE | SS_OWNERDRAW | SS_NOTIFY;
            break;
    }
    const Rect r = window_rect(item);
    HWND h = CreateWindowExA(0, cls, text.c_str(), style, r.left, r.top, r.width, r.height, window_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstItemId + index)), reporter_instance(), nullptr);
    if (!h) return;
    SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.get(FontRole::item)), FALSE);
    if (!item.Usable()) EnableWindow(h, FALSE);
    windows_[index] = h;
    item.SetHandle(reinterpret_cast<std::uintptr_t>(h));
}

void PageWindow::relayout() {
    layout_ = layout_page(form_, measurer_);
    for (std::size_t i = 0; i < form_.Items().size(); ++i) {
        TNVItem& item = *form_.Items()[i];
        item.SetBounds(layout_.items[i]);
        const Rect r = window_rect(item);
        if (windows_[i]) MoveWindow(windows_[i], r.left, r.top, r.width, r.height, TRUE);
    }
    RECT frame{0, 0, layout_.width, layout_.height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(window_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(window_, GWL_EXSTYLE)));
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window_, nullptr, TRUE);
}

TNVItem* PageWindow::item_of(HWND window) const {
    for (std::size_t i = 0; i < windows_.size(); ++i)
        if (window && windows_[i] == window) return form_.Items()[i].get();
    return nullptr;
}

void PageWindow::item_changed(TNVItem& item, ItemChange change) {
    HWND h = reinterpret_cast<HWND>(item.Handle());
    if (!window_ || !h) return;
    switch (change) {
        case ItemChange::caption:
            if (item.Kind() == NVItemKind::label || item.Kind() == NVItemKind::button || item.Kind() == NVItemKind::check_box) {
                const std::string& caption = item.Kind() == NVItemKind::label    ? static_cast<TNVLabel&>(item).Caption()
                                             : item.Kind() == NVItemKind::button ? static_cast<TNVButton&>(item).Caption()
                                                                                 : static_cast<TNVCheckBox&>(item).Caption();
                SetWindowTextA(h, caption.c_str());
            }
            if (item.Kind() != NVItemKind::check_box) relayout();  // sizes follow captions
            break;
        case ItemChange::text:
            populating_ = true;
            SetWindowTextA(h, static_cast<TNVEdit&>(item).Text().c_str());
            populating_ = false;
            break;
        case ItemChange::enabled: EnableWindow(h, item.Usable()); break;
        case ItemChange::visible:
            ShowWindow(h, static_cast<TNVButton&>(item).Visible() ? SW_SHOWNA : SW_HIDE);
            relayout();
            break;
        case ItemChange::focus: SetFocus(h); break;
        case ItemChange::layout: relayout(); break;
        case ItemChange::checked:
        case ItemChange::valid:
        case ItemChange::bitmap: InvalidateRect(h, nullptr, TRUE); break;
    }
}

void PageWindow::focus_active_control() {
    HWND target = nullptr;
    if (!form_.ActiveControl().empty())
        for (std::size_t i = 0; i < windows_.size(); ++i)
            if (equal_ignoring_case(form_.Items()[i]->Name(), form_.ActiveControl())) target = windows_[i];
    if (!target || !IsWindowEnabled(target) || !IsWindowVisible(target)) target = GetNextDlgTabItem(window_, nullptr, FALSE);
    if (target) SetFocus(target);
}

void PageWindow::set_default_button(HWND button) {
    if (button == default_button_) return;
    for (HWND b : {default_button_, button}) {
        const TNVItem* item = item_of(b);
        if (!item) continue;
        if (static_cast<const TNVButton*>(item)->NoOwnerDraw())
            SendMessageA(b, BM_SETSTYLE, b == button ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
        else
            InvalidateRect(b, nullptr, FALSE);
    }
    default_button_ = button;
}

void PageWindow::press(TNVItem& item) {
    form_.Press(item);
    if (form_.ModalResult() != mrNone) KillTimer(window_, kPageTimerId);
}

// Enter on a button presses it, in a one-line edit or on a check box the default button;
// Escape is Cancel. The memo keeps its Enter.
bool PageWindow::pre_translate(const MSG& message) {
    if (message.message != WM_KEYDOWN || (message.hwnd != window_ && !IsChild(window_, message.hwnd))) return false;
    if (message.wParam == VK_ESCAPE) {
        form_.PressEscape();
        if (form_.ModalResult() != mrNone) KillTimer(window_, kPageTimerId);
        return true;
    }
    if (message.wParam != VK_RETURN) return false;
    TNVItem* item = item_of(GetFocus());
    if (item && item->Kind() == NVItemKind::button) {
        press(*item);
        return true;
    }
    const bool memo = item && item->Kind() == NVItemKind::edit && static_cast<TNVEdit*>(item)->Lines() > 1;
    if (memo) return false;
    if (TNVItem* button = item_of(default_button_); button && static_cast<TNVButton*>(button)->Visible()) press(*button);
    return true;
}

int PageWindow::run() {
    if (!create()) return mrCancel;
    form_.SetObserver(this);
    const bool owner_was_enabled = owner_ && IsWindowEnabled(owner_);
    if (owner_was_enabled) EnableWindow(owner_, FALSE);
    form_.SetModalResult(mrNone);
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
    focus_active_control();
    UpdateWindow(window_);
    form_.Shown();
    if (form_.Timer() > 0 && form_.ModalResult() == mrNone)
        SetTimer(window_, kPageTimerId, static_cast<UINT>(form_.Timer()), nullptr);

    MSG message;
    while (form_.ModalResult() == mrNone && IsWindow(window_)) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got <= 0) {  // the program is ending: hand the quit on and leave the page
            if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
            form_.SetModalResult(mrCancel);
            break;
        }
        if (pre_translate(message) || IsDialogMessageA(window_, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    KillTimer(window_, kPageTimerId);
    if (form_.ModalResult() == mrContinue)
        for (std::size_t i = 0; i < windows_.size(); ++i)
            if (form_.Items()[i]->Kind() == NVItemKind::edit && windows_[i]) {
                std::string text(static_cast<std::size_t>(GetWindowTextLengthA(windows_[i])) + 1, '\0');
                text.resize(static_cast<std::size_t>(GetWindowTextA(windows_[i], text.data(), static_cast<int>(text.size()))));
                static_cast<TNVEdit&>(*form_.Items()[i]).TakeTypedText(text);
            }
    form_.Closing();
    const int result = form_.ModalResult() == mrNone ? mrCancel : form_.ModalResult();
    form_.SetObserver(nullptr);
    // The owner comes back before the page goes, so that it gets the activation.
    if (owner_was_enabled) EnableWindow(owner_, TRUE);
    DestroyWindow(window_);
    window_ = nullptr;
    for (const auto& item : form_.Items()) item->SetHandle(0);
    return result;
}

LRESULT PageWindow::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_COMMAND: {
            const std::size_t index = LOWORD(w) - static_cast<std::size_t>(kFirstItemId);
            if (LOWORD(w) < kFirstItemId || index >= windows_.size()) break;
            TNVItem& item = *form_.Items()[index];
            switch (HIWORD(w)) {
                case BN_CLICKED:  // also STN_CLICKED of an image
                    press(item);
                    break;
                case BN_DOUBLECLICKED:  // also STN_DBLCLK: a second click, quickly
                    if (item.Kind() == NVItemKind::check_box || item.Kind() == NVItemKind::image) press(item);
                    break;
                case BN_SETFOCUS:
                    if (item.Kind() == NVItemKind::button) set_default_button(windows_[index]);
                    break;
                case EN_CHANGE:
                    if (!populating_ && item.Kind() == NVItemKind::edit) {
                        HWND h = windows_[index];
                        std::string text(static_cast<std::size_t>(GetWindowTextLengthA(h)) + 1, '\0');
                        text.resize(static_cast<std::size_t>(GetWindowTextA(h, text.data(), static_cast<int>(text.size()))));
                        form_.EditTyped(static_cast<TNVEdit&>(item), text);
                    }
                    break;
                case EN_SETFOCUS:
                case EN_KILLFOCUS: {
                    const RECT frame = to_rect(item.Bounds());
                    InvalidateRect(window_, &frame, FALSE);
                    break;
                }
            }
            return 0;
        }
        case WM_TIMER:
            if (w == kPageTimerId && form_.ModalResult() == mrNone) form_.TimerTick();
            return 0;
        case WM_CLOSE:
            form_.SystemClose();
            KillTimer(window_, kPageTimerId);
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(w) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(window_, focus)) remembered_focus_ = focus;
            } else if (remembered_focus_ && IsWindow(remembered_focus_)) {
                SetFocus(remembered_focus_);
            }
            return 0;
        case WM_SETCURSOR:
            if (const TNVItem* item = item_of(reinterpret_cast<HWND>(w));
                item && item->Kind() == NVItemKind::image && static_cast<const TNVImage*>(item)->Clickable()) {
                SetCursor(LoadCursor(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        case WM_ERASEBKGND: return 1;  // the paint covers everything
        case WM_PAINT: {
            PaintScope paint(window_);
            this->paint(paint.dc());
            return 0;
        }
        case WM_CTLCOLORSTATIC:
            SetTextColor(reinterpret_cast<HDC>(w), GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(reinterpret_cast<HDC>(w), face());
            return reinterpret_cast<LRESULT>(face_brush_.get());
        case WM_CTLCOLOREDIT: {
            const TNVItem* item = item_of(reinterpret_cast<HWND>(l));
            COLORREF text = RGB(0, 0, 0);
            if (item && item->Kind() == NVItemKind::edit && static_cast<const TNVEdit*>(item)->Colored())
                text = static_cast<const TNVEdit*>(item)->Valid() ? RGB(0, 128, 0) : RGB(128, 0, 0);
            SetTextColor(reinterpret_cast<HDC>(w), text);
            SetBkColor(reinterpret_cast<HDC>(w), GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        case WM_DRAWITEM: {
            const auto& d = *reinterpret_cast<const DRAWITEMSTRUCT*>(l);
            const TNVItem* item = item_of(d.hwndItem);
            if (!item) break;
            if (item->Kind() == NVItemKind::button) draw_button(d, static_cast<const TNVButton&>(*item));
            if (item->Kind() == NVItemKind::check_box) draw_check_box(d, static_cast<const TNVCheckBox&>(*item));
            if (item->Kind() == NVItemKind::image) draw_image(d, static_cast<const TNVImage&>(*item));
            return TRUE;
        }
    }
    return DefWindowProcA(window_, message, w, l);
}

void PageWindow::paint(HDC dc) {
    RECT client;
    GetClientRect(window_, &client);
    ScopedBrush background(CreateSolidBrush(shade(face(), -8)));
    FillRect(dc, &client, background.get());
    // The panel behind the items, with a frame two pixels wide.
    ScopedBrush frame(CreateSolidBrush(shade(face(), -16)));
    RECT panel = to_rect(layout_.panel);
    FillRect(dc, &panel, frame.get());
    InflateRect(&panel, -2, -2);
    FillRect(dc, &panel, face_brush_.get());

    SetBkMode(dc, TRANSPARENT);
    {
        SelectedObject font(dc, fonts_.get(FontRole::title));
        SetTextColor(dc, GetSysColor(COLOR_3DDKSHADOW));
        RECT title = to_rect(layout_.title);
        title.right = layout_.symbol.left;
        DrawTextA(dc, form_.Message().c_str(), -1, &title, DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (symbol_.valid()) draw_keyed_bitmap(dc, symbol_.get(), layout_.symbol.left, layout_.symbol.top);
    for (std::size_t i = 0; i < layout_.numbers.size(); ++i) {
        const bool current = static_cast<int>(i) + 1 == form_.PageNumber();
        SelectedObject font(dc, fonts_.get(current ? FontRole::item_bold : FontRole::item));
        SetTextColor(dc, GetSysColor(current ? COLOR_WINDOWTEXT : COLOR_3DSHADOW));
        RECT r = to_rect(layout_.numbers[i]);
        DrawTextA(dc, std::to_string(i + 1).c_str(), -1, &r, DT_SINGLELINE | DT_CENTER | DT_NOPREFIX);
    }
    // The frames around the edits: the focus colour around the focused one.
    ScopedBrush quiet(CreateSolidBrush(shade(face(), 24)));
    for (const auto& item : form_.Items())
        if (item->Kind() == NVItemKind::edit) {
            const RECT r = to_rect(item->Bounds());
            const bool focused = GetFocus() == reinterpret_cast<HWND>(item->Handle());
            FillRect(dc, &r, focused ? GetSysColorBrush(COLOR_HIGHLIGHT) : quiet.get());
        }
}

void PageWindow::draw_button(const DRAWITEMSTRUCT& d, const TNVButton& button) {
    HDC dc = d.hDC;
    RECT r = d.rcItem;
    const bool pressed = d.itemState & ODS_SELECTED, disabled = d.itemState & ODS_DISABLED;
    const bool is_default = d.hwndItem == default_button_ && !disabled;
    // A face shaded from light at the top to darker at the bottom, reversed while pressed.
    const int height = std::max<int>(r.bottom - r.top, 1);
    for (int y = r.top; y < r.bottom; ++y) {
        const int t = (y - r.top) * 26 / height;
        ScopedBrush line(CreateSolidBrush(shade(face(), pressed ? t - 18 : 16 - t)));
        RECT row{r.left, y, r.right, y + 1};
        FillRect(dc, &row, line.get());
    }
    ScopedBrush outline(CreateSolidBrush(is_default ? GetSysColor(COLOR_HIGHLIGHT) : shade(face(), -80)));
    FrameRect(dc, &r, outline.get());
    if (is_default) {
        RECT inner = r;
        InflateRect(&inner, -1, -1);
        FrameRect(dc, &inner, outline.get());
    }
    SelectedObject font(dc, fonts_.get(FontRole::item));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    RECT text = r;
    if (pressed) OffsetRect(&text, 1, 1);
    DrawTextA(dc, button.Caption().c_str(), -1, &text, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    if (d.itemState & ODS_FOCUS) {
        RECT focus = r;
        InflateRect(&focus, -4, -4);
        DrawFocusRect(dc, &focus);
    }
}

void PageWindow::draw_check_box(const DRAWITEMSTRUCT& d, const TNVCheckBox& box) {
    HDC dc = d.hDC;
    const RECT r = d.rcItem;
    const bool disabled = d.itemState & ODS_DISABLED;
    FillRect(dc, &r, face_brush_.get());
    const int top = r.top + (r.bottom - r.top - kCheckBoxSize) / 2;
    RECT square{r.left, top, r.left + kCheckBoxSize, top + kCheckBoxSize};
    FillRect(dc, &square, GetSysColorBrush(disabled ? COLOR_BTNFACE : COLOR_WINDOW));
    ScopedBrush outline(CreateSolidBrush(shade(face(), -80)));
    FrameRect(dc, &square, outline.get());
    const COLORREF mark = GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
    if (box.Checked()) {
        if (marlett_.valid()) {
            SelectedObject font(dc, marlett_.get());
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, mark);
            DrawTextA(dc, "a", 1, &square, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        } else {  // the tick drawn by hand where the symbol font is missing
            ScopedPen pen(CreatePen(PS_SOLID, 2, mark));
            SelectedObject selected(dc, pen.get());
            const POINT tick[] = {{square.left + 3, top + 6}, {square.left + 5, top + 9}, {square.left + 10, top + 3}};
            Polyline(dc, tick, 3);
        }
    }
    SelectedObject font(dc, fonts_.get(FontRole::item));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
    RECT text{r.left + kCheckBoxSize + 6, r.top, r.right, r.bottom};
    RECT measured = text;
    DrawTextA(dc, box.Caption().c_str(), -1, &measured, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    DrawTextA(dc, box.Caption().c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (d.itemState & ODS_FOCUS) {
        const int h = measured.bottom - measured.top;
        RECT focus{text.left - 2, r.top + (r.bottom - r.top - h) / 2 - 1, std::min<LONG>(measured.right + 2, r.right),
                   r.top + (r.bottom - r.top + h) / 2 + 1};
        DrawFocusRect(dc, &focus);
    }
}

void PageWindow::draw_image(const DRAWITEMSTRUCT& d, const TNVImage& image) {
    HDC dc = d.hDC;
    RECT r = d.rcItem;
    if (image.Border()) {
        ScopedBrush outline(CreateSolidBrush(shade(face(), -80)));
        FrameRect(dc, &r, outline.get());
        InflateRect(&r, -1, -1);
    }
    const std::shared_ptr<const PixelImage> bitmap = image.Bitmap();
    if (!bitmap || !draw_pixels(dc, *bitmap, r.left, r.top, r.right - r.left, r.bottom - r.top))
        FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
}

class Win32PageHost final : public PageHost {
public:
    int run_modal(TNVForm& form, std::uintptr_t owner) override {
        PageWindow page(form, reinterpret_cast<HWND>(owner));
        return page.run();
    }
    bool disable_owner(std::uintptr_t owner) override {
        HWND w = reinterpret_cast<HWND>(owner);
        if (!w || !IsWindowEnabled(w)) return false;
        EnableWindow(w, FALSE);
        return true;
    }
    void enable_owner(std::uintptr_t owner) override { EnableWindow(reinterpret_cast<HWND>(owner), TRUE); }
};

}  // namespace

PageHost* platform_page_host() {
    static Win32PageHost host;
    return &host;
}

}  // namespace roadsum
