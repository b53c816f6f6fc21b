// The exception box window: the icon, the message, owner-drawn buttons with their pictures,
// the auto-button's bar, and the details with a tab per part of the report, which fill in as
// the report completes. Runs in the handling thread with a message loop of its own.
#include "crash/box/exception_box_win32.h"

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "crash/box/box_layout.h"
#include "crash/box/box_texts.h"
#include "crash/box/report_tabs.h"
#include "crash/pages/gdi_win32.h"

namespace roadsum {
namespace {

constexpr int kFirstButtonId = 100;  // clear of IDOK and IDCANCEL, which keys send
constexpr int kTabId = 90, kViewId = 91, kMessageId = 92;
constexpr UINT kQuitCode = 0;  // a message 0 with both parameters 777 closes the box
constexpr WPARAM kQuitParameter = 777;
constexpr DWORD kFlashMs = 10;
constexpr ULONGLONG kFlashAfterFocusMs = 200;

std::atomic<HWND> g_open_box{nullptr};

const char* const kBitmapNames[kBoxButtons] = {"NXISEND", "NXISAVE", "NXIPRINT", "NXISHOW",
                                               "NXICONTINUE", "NXIRESTART", "NXICLOSE"};

std::uint64_t seconds_since_1601() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return ((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime) / 10000000ULL;
}

std::string application_name() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    if (const std::size_t slash = name.find_last_of("\\/"); slash != std::string::npos) name.erase(0, slash + 1);
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) name.erase(dot);
    return name;
}

HBITMAP load_bitmap(const char* name) {
    return static_cast<HBITMAP>(LoadImageA(reporter_instance(), name, IMAGE_BITMAP, 0, 0, 0));
}

SIZE bitmap_size(HBITMAP bitmap) {
    BITMAP b{};
    if (!bitmap || !GetObject(bitmap, sizeof b, &b)) return {0, 0};
    return {b.bmWidth, b.bmHeight};
}

class BoxWindow {
public:
    BoxWindow(TCrashException& report, bool simple, TBoxTexts texts, TBoxButtons buttons)
        : report_(report), simple_(simple), texts_(std::move(texts)), buttons_(buttons) {}
    ~BoxWindow();

    // Opens the box and runs its messages until a choice is made.
    TBoxChoice Run();

    void attach(HWND window) { window_ = window; }
    LRESULT handle(UINT message, WPARAM w, LPARAM l);

private:
    bool Create();
    void LayOut();
    void CreateButtons();
    void Press(int button);
    void Finish(TBoxChoice choice);
    void SystemClose();
    int FocusedButton() const;
    void StopAuto();
    void OnTimer();
    void DrawButton(const DRAWITEMSTRUCT& item);
    void Paint();
    void OpenDetails();
    void Refresh();
    void ShowView(bool force);
    void PlaceDetails();
    HWND MakeList(const TTabView& view);
    HWND MakeEdit(const std::string& text);

    TCrashException& report_;
    const bool simple_;
    TBoxTexts texts_;
    TBoxButtons buttons_;
    bool ugly_ = false, auto_show_ = false;
    TBoxLayout layout_;
    HWND window_ = nullptr;
    HWND button_windows_[kBoxButtons] = {};
    ScopedFont text_font_, fixed_font_;
    ScopedBitmap bitmaps_[kBoxButtons];
    ScopedBitmap big_icon_;
    bool done_ = false;
    TBoxChoice choice_ = TBoxChoice::ByRules;

    // The auto-button.
    int auto_button_ = -1;
    ULONGLONG auto_start_ = 0;
    int auto_drawn_ = -1;
    ULONGLONG last_focus_change_ = 0;
    int flash_ = -1;

    // The details.
    bool details_ = false;
    HWND tab_ = nullptr, view_ = nullptr;
    std::vector<TReportTab> tabs_;
    std::vector<std::string> shown_tabs_;
    int current_tab_ = -1;
    std::string view_key_;
    std::atomic<bool> refresh_posted_{false};
};

BoxWindow::~BoxWindow() {
    report_.SetChangeListener(nullptr);
    if (window_) DestroyWindow(window_);
    g_open_box = nullptr;
}

TBoxChoice BoxWindow::Run() {
    if (!Create()) return TBoxChoice::ByRules;
    g_open_box = window_;
    HWND window = window_;
    report_.SetChangeListener([this, window] {
        if (!refresh_posted_.exchange(true)) PostMessageA(window, kBoxRefreshMessage, 0, 0);
    });
    MSG message;
    while (!done_) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));  // for the loop outside
            break;
        }
        if (message.message == kQuitCode && message.wParam == kQuitParameter && message.lParam == kQuitParameter) {
            Finish(TBoxChoice::ByRules);
            continue;
        }
        if (message.message == WM_KEYDOWN && (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE) &&
            (message.hwnd == window_ || IsChild(window_, message.hwnd))) {
            if (message.wParam == VK_ESCAPE)
                SystemClose();
            else if (const int focused = FocusedButton(); focused >= 0)
                Press(focused);
            continue;
        }
        if (!IsDialogMessageA(window_, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return choice_;
}

bool BoxWindow::Create() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    if (!register_window_class(kBoxWindowClass, object_window_proc<BoxWindow>, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)))
        return false;
    ugly_ = !simple_ && report_.Get(keys::UglyBtns);
    auto_show_ = !simple_ && report_.Get(keys::AutoShowBugRep);
    text_font_ = make_font({{"Tahoma", 11}, {"MS Sans Serif", 12}});
    fixed_font_ = make_font({{"Courier New", 11}});
    if (!simple_) {
        for (int b = 0; b < kBoxButtons; ++b)
            bitmaps_[b].reset(load_bitmap(b == bbContinue && !report_.CanContinue() ? "NXICANTCONTINUE" : kBitmapNames[b]));
    }
    big_icon_.reset(load_bitmap("NXIBIG"));
    LayOut();

    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (auto_show_) style |= WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    const DWORD ex_style = WS_EX_TOPMOST | WS_EX_DLGMODALFRAME;
    int client_height = layout_.ClientHeight;
    if (auto_show_) client_height += kBoxDetailsHeight;
    RECT frame{0, 0, layout_.ClientWidth, client_height};
    AdjustWindowRectEx(&frame, style, FALSE, ex_style);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int x = work.left + std::max(0L, (work.right - work.left - width) / 2);
    const int y = work.top + std::max(0L, (work.bottom - work.top - height) / 2);
    if (!CreateWindowExA(ex_style, kBoxWindowClass, texts_.Caption.c_str(), style, x, y, width, height, nullptr, nullptr,
                         reporter_instance(), this))
        return false;
    if (!auto_show_) {
        const HMENU menu = GetSystemMenu(window_, FALSE);
        for (UINT command : {SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE}) DeleteMenu(menu, command, MF_BYCOMMAND);
    }
    CreateButtons();
    if (auto_show_) OpenDetails();
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
    if (buttons_.Focused >= 0 && button_windows_[buttons_.Focused]) SetFocus(button_windows_[buttons_.Focused]);
    UpdateWindow(window_);
    if (buttons_.AutoButton >= 0 && button_windows_[buttons_.AutoButton]) {
        auto_button_ = buttons_.AutoButton;
        auto_start_ = GetTickCount64();
        SetTimer(window_, kBoxTimerId, 10, nullptr);
    }
    return true;
}

void BoxWindow::LayOut() {
    ScopedDC dc(CreateCompatibleDC(nullptr));
    SelectedObject font(dc.get(), text_font_.get());
    TBoxLayoutInput in;
    in.Simple = simple_;
    in.Ugly = ugly_;
    in.Icon = big_icon_.valid();
    in.FullWidth = auto_show_;
    in.Visible = buttons_.Visible;
    for (int b = 0; b < kBoxButtons; ++b) {
        SIZE size{0, 0};
        const std::string& caption = texts_.Buttons[b];
        if (buttons_.Visible[b]) GetTextExtentPoint32A(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &size);
        in.CaptionWidth[b] = size.cx;
    }
    HDC measure = dc.get();
    const std::string& message = texts_.Message;
    in.Message = [measure, &message](int wrap) {
        RECT r{0, 0, wrap ? wrap : 10000, 0};
        DrawTextA(measure, message.c_str(), static_cast<int>(message.size()), &r,
                  DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (wrap ? DT_WORDBREAK : 0));
        return TextSize{r.right - r.left, r.bottom - r.top};
    };
    in.ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    in.CaptionHeight = GetSystemMetrics(SM_CYCAPTION);
    layout_ = LayOutBox(in);
}

void BoxWindow::CreateButtons() {
    // The message is a label of its own, so that tools reading the screen find its text.
    const Rect& m = layout_.Message;
    const HWND label = CreateWindowExA(0, "Static", texts_.Message.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                                       m.left, m.top, m.width, m.height, window_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(kMessageId)), reporter_instance(), nullptr);
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(text_font_.get()), FALSE);
    for (int b = 0; b < kBoxButtons; ++b) {
        if (!buttons_.Visible[b]) continue;
        const Rect& r = layout_.Buttons[b];
        DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_NOTIFY;
        style |= simple_ ? (b == buttons_.Focused ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) : BS_OWNERDRAW;
        button_windows_[b] = CreateWindowExA(0, "Button", texts_.Buttons[b].c_str(), style, r.left, r.top, r.width, r.height,
                                             window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstButtonId + b)),
                                             reporter_instance(), nullptr);
        SendMessageA(button_windows_[b], WM_SETFONT, reinterpret_cast<WPARAM>(text_font_.get()), FALSE);
    }
}

int BoxWindow::FocusedButton() const {
    const HWND focus = GetFocus();
    for (int b = 0; b < kBoxButtons; ++b)
        if (button_windows_[b] && button_windows_[b] == focus) return b;
    return -1;
}

void BoxWindow::StopAuto() {
    if (auto_button_ < 0) return;
    KillTimer(window_, kBoxTimerId);
    const HWND button = button_windows_[auto_button_];
    auto_button_ = -1;
    InvalidateRect(button, nullptr, FALSE);
}

void BoxWindow::OnTimer() {
    if (auto_button_ < 0) return;
    const HWND button = button_windows_[auto_button_];
    RECT r;
    GetClientRect(button, &r);
    const int margin = ugly_ ? 5 : 0;
    const int width = std::max(0, static_cast<int>(r.right) - 2 * margin);
    const int position = AutoBarPosition(GetTickCount64() - auto_start_, buttons_.AutoDelaySeconds, width);
    if (position != auto_drawn_) {
        auto_drawn_ = position;
        InvalidateRect(button, nullptr, FALSE);
        UpdateWindow(button);
    }
    if (position >= width) Press(auto_button_);
}

void BoxWindow::Press(int button) {
    if (done_ || button < 0 || button >= kBoxButtons || !button_windows_[button]) return;
    StopAuto();
    if (!simple_ && !ugly_ && (button == bbShow || GetTickCount64() - last_focus_change_ > kFlashAfterFocusMs)) {
        flash_ = button;
        RedrawWindow(button_windows_[button], nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        Sleep(kFlashMs);
        flash_ = -1;
        RedrawWindow(button_windows_[button], nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    switch (button) {
        case bbSend: RunReportAction(report_, acSend, window_); break;
        case bbSave: RunReportAction(report_, acSave, window_); break;
        case bbPrint: RunReportAction(report_, acPrint, window_); break;
        case bbShow: OpenDetails(); break;
        case bbContinue:
            // The simple box's OK leaves the ending to the rules; a failure that cannot go on closes.
            if (simple_)
                Finish(TBoxChoice::ByRules);
            else
                Finish(report_.CanContinue() ? TBoxChoice::Continue : TBoxChoice::Close);
            break;
        case bbRestart: Finish(TBoxChoice::Restart); break;
        case bbClose: Finish(TBoxChoice::Close); break;
    }
}

void BoxWindow::Finish(TBoxChoice choice) {
    StopAuto();
    choice_ = choice;
    done_ = true;
    // A click sent from another thread is handled inside GetMessage: wake the loop.
    PostMessageA(window_, WM_NULL, 0, 0);
}

// The title bar's close presses the focused button when it ends the box; otherwise nothing.
void BoxWindow::SystemClose() {
    int focused = FocusedButton();
    if (focused < 0) focused = buttons_.Focused;
    if (focused == bbContinue || focused == bbRestart || focused == bbClose) Press(focused);
}

void BoxWindow::DrawButton(const DRAWITEMSTRUCT& item) {
    const int b = static_cast<int>(item.CtlID) - kFirstButtonId;
    if (b < 0 || b >= kBoxButtons) return;
    const HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) || flash_ == b;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    if (ugly_) {
        DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    } else {
        // A flat face, lighter at the top, in a dark frame; pressed it takes the highlight.
        const COLORREF top = pressed ? shade(GetSysColor(COLOR_HIGHLIGHT), 120) : shade(face, 24);
        const COLORREF bottom = pressed ? shade(GetSysColor(COLOR_HIGHLIGHT), 80) : shade(face, -8);
        TRIVERTEX v[2] = {{r.left, r.top, static_cast<COLOR16>(GetRValue(top) << 8), static_cast<COLOR16>(GetGValue(top) << 8),
                           static_cast<COLOR16>(GetBValue(top) << 8), 0},
                          {r.right, r.bottom, static_cast<COLOR16>(GetRValue(bottom) << 8),
                           static_cast<COLOR16>(GetGValue(bottom) << 8), static_cast<COLOR16>(GetBValue(bottom) << 8), 0}};
        GRADIENT_RECT g{0, 1};
        GradientFill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_V);
        ScopedPen pen(CreatePen(PS_SOLID, 1, shade(face, -72)));
        SelectedObject p(dc, pen.get());
        SelectedObject brush(dc, GetStockObject(NULL_BRUSH));
        RoundRect(dc, r.left, r.top, r.right, r.bottom, 4, 4);
    }
    if (b == auto_button_ && auto_drawn_ > 0) {
        const int margin = ugly_ ? 5 : 1;
        RECT bar{r.left + margin, r.top + (ugly_ ? 5 : 1), r.left + margin + auto_drawn_, r.bottom - (ugly_ ? 5 : 1)};
        bar.right = std::min(bar.right, r.right - margin);
        ScopedBrush fill(CreateSolidBrush(RGB(150, 200, 250)));
        FillRect(dc, &bar, fill.get());
    }
    const int shift = pressed ? 1 : 0;
    if (bitmaps_[b].valid()) {
        const SIZE size = bitmap_size(bitmaps_[b].get());
        draw_keyed_bitmap(dc, bitmaps_[b].get(), r.left + 6 + shift, r.top + (r.bottom - r.top - size.cy) / 2 + shift);
    }
    RECT text{r.left + 26 + shift, r.top + shift, r.right - 4 + shift, r.bottom + shift};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SelectedObject font(dc, text_font_.get());
    DrawTextA(dc, texts_.Buttons[b].c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS) {
        RECT focus = r;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
}

void BoxWindow::Paint() {
    PaintScope paint(window_);
    const HDC dc = paint.dc();
    if (big_icon_.valid()) draw_keyed_bitmap(dc, big_icon_.get(), layout_.Icon.left, layout_.Icon.top);
}

void BoxWindow::OpenDetails() {
    if (details_) return;
    details_ = true;
    if (button_windows_[bbShow]) {
        if (GetFocus() == button_windows_[bbShow]) {
            for (int b : {buttons_.Focused, int(bbContinue), int(bbClose), int(bbSend)})
                if (b != bbShow && button_windows_[b]) {
                    SetFocus(button_windows_[b]);
                    break;
                }
        }
        ShowWindow(button_windows_[bbShow], SW_HIDE);
    }
    RECT client;
    GetClientRect(window_, &client);
    if (client.bottom < layout_.ClientHeight + kBoxDetailsHeight / 2) {
        RECT frame;
        GetWindowRect(window_, &frame);
        SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top + kBoxDetailsHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    tab_ = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0, 10, 10,
                           window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTabId)), reporter_instance(), nullptr);
    SendMessageA(tab_, WM_SETFONT, reinterpret_cast<WPARAM>(text_font_.get()), FALSE);
    PlaceDetails();
    Refresh();
}

void BoxWindow::PlaceDetails() {
    if (!tab_) return;
    RECT client;
    GetClientRect(window_, &client);
    const Rect area = DetailsArea(layout_, client.right, client.bottom);
    MoveWindow(tab_, area.left, area.top, area.width, area.height, TRUE);
    if (view_) {
        RECT inner{0, 0, area.width, area.height};
        SendMessageA(tab_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&inner));
        MoveWindow(view_, area.left + inner.left, area.top + inner.top, inner.right - inner.left, inner.bottom - inner.top, TRUE);
    }
}

void BoxWindow::Refresh() {
    refresh_posted_ = false;
    if (!details_ || !tab_) return;
    const std::vector<NamedField> sections = report_.Sections()->Items();
    tabs_ = ReportTabs(sections);
    std::vector<std::string> wanted;
    for (const TReportTab& t : tabs_) wanted.push_back(t.Caption);
    const std::string current = current_tab_ >= 0 && current_tab_ < static_cast<int>(shown_tabs_.size())
                                    ? shown_tabs_[static_cast<std::size_t>(current_tab_)]
                                    : std::string();
    for (const TTabEdit& e : TabEdits(shown_tabs_, wanted)) {
        if (e.Insert) {
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            item.pszText = const_cast<char*>(e.Caption.c_str());
            SendMessageA(tab_, TCM_INSERTITEMA, static_cast<WPARAM>(e.Index), reinterpret_cast<LPARAM>(&item));
            shown_tabs_.insert(shown_tabs_.begin() + e.Index, e.Caption);
        } else {
            SendMessageA(tab_, TCM_DELETEITEM, static_cast<WPARAM>(e.Index), 0);
            shown_tabs_.erase(shown_tabs_.begin() + e.Index);
        }
    }
    // The shown tab stays selected where it still is.
    int select = 0;
    for (std::size_t i = 0; i < shown_tabs_.size(); ++i)
        if (shown_tabs_[i] == current) select = static_cast<int>(i);
    current_tab_ = select;
    SendMessageA(tab_, TCM_SETCURSEL, static_cast<WPARAM>(select), 0);
    ShowView(false);
}

void BoxWindow::ShowView(bool force) {
    if (current_tab_ < 0 || current_tab_ >= static_cast<int>(tabs_.size())) return;
    const TReportTab& tab = tabs_[static_cast<std::size_t>(current_tab_)];
    const std::vector<NamedField> header = report_.Fields()->Items();
    const std::vector<NamedField> sections = report_.Sections()->Items();
    // Only a view whose content changed is built again (its scroll position starts over).
    std::string key = tab.Caption;
    if (tab.Kind == TTabKind::General)
        for (const NamedField& f : header) key += '\n' + f.first + '\t' + f.second;
    for (const NamedField& s : sections)
        if (std::find(tab.Sections.begin(), tab.Sections.end(), s.first) != tab.Sections.end()) key += '\n' + s.second;
    if (!force && view_ && key == view_key_) return;
    view_key_ = key;
    const TTabView view = TabView(tab, header, sections);
    HWND made = view.PlainText ? MakeEdit(view.Text) : MakeList(view);
    if (!made) {
        std::string text;
        for (const NamedField& s : sections)
            if (std::find(tab.Sections.begin(), tab.Sections.end(), s.first) != tab.Sections.end()) text += s.second + "\r\n";
        made = MakeEdit(text);
    }
    if (view_) DestroyWindow(view_);
    view_ = made;
    PlaceDetails();
    ShowWindow(view_, SW_SHOW);  // only once it stands in its place
}

HWND BoxWindow::MakeEdit(const std::string& text) {
    const HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "Edit", "",
                                      WS_CHILD | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                                          ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                                      0, 0, 10, 10, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kViewId)),
                                      reporter_instance(), nullptr);
    if (!edit) return nullptr;
    SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(fixed_font_.get()), FALSE);
    SetWindowTextA(edit, text.c_str());
    SetWindowPos(edit, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return edit;
}

HWND BoxWindow::MakeList(const TTabView& view) {
    const HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                                      WS_CHILD | LVS_REPORT | LVS_NOSORTHEADER | LVS_SHOWSELALWAYS, 0, 0, 10, 10,
                                      window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kViewId)), reporter_instance(),
                                      nullptr);
    if (!list) return nullptr;
    SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(fixed_font_.get()), FALSE);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    // The first column of a list view is always left-aligned: a dummy first column goes again.
    LVCOLUMNA dummy{};
    dummy.mask = LVCF_WIDTH;
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&dummy));
    for (std::size_t c = 0; c < view.Columns.size(); ++c) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
        column.fmt = view.Columns[c].RightAligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = 60;
        column.pszText = const_cast<char*>(view.Columns[c].Caption.c_str());
        SendMessageA(list, LVM_INSERTCOLUMNA, c + 1, reinterpret_cast<LPARAM>(&column));
    }
    SendMessageA(list, LVM_DELETECOLUMN, 0, 0);
    SendMessageA(list, LVM_SETITEMCOUNT, view.Rows.size(), 0);
    for (std::size_t r = 0; r < view.Rows.size(); ++r) {
        const TListRow& row = view.Rows[r];
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(r);
        item.pszText = const_cast<char*>(row.Cells.empty() ? "" : row.Cells[0].c_str());
        const int index = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        for (std::size_t c = 1; c < row.Cells.size() && c < view.Columns.size(); ++c) {
            LVITEMA cell{};
            cell.iSubItem = static_cast<int>(c);
            cell.pszText = const_cast<char*>(row.Cells[c].c_str());
            SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&cell));
        }
    }
    // Each column as wide as its widest cell or caption.
    const HDC dc = GetDC(list);
    {
        SelectedObject font(dc, fixed_font_.get());
        auto width_of = [dc](const std::string& text) {
            SIZE size{0, 0};
            GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
            return static_cast<int>(size.cx);
        };
        for (std::size_t c = 0; c < view.Columns.size(); ++c) {
            int width = width_of(view.Columns[c].Caption);
            for (const TListRow& row : view.Rows)
                if (c < row.Cells.size()) width = std::max(width, width_of(row.Cells[c]));
            SendMessageA(list, LVM_SETCOLUMNWIDTH, c, width + 16);
        }
    }
    ReleaseDC(list, dc);
    SetWindowPos(list, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return list;
}

LRESULT BoxWindow::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_PAINT: Paint(); return 0;
        case WM_DRAWITEM: DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(l)); return TRUE;
        case WM_COMMAND: {
            const int id = LOWORD(w);
            const int code = HIWORD(w);
            if (id >= kFirstButtonId && id < kFirstButtonId + kBoxButtons) {
                if (code == BN_CLICKED) Press(id - kFirstButtonId);
                if (code == BN_SETFOCUS || code == BN_KILLFOCUS) {
                    last_focus_change_ = GetTickCount64();
                    InvalidateRect(reinterpret_cast<HWND>(l), nullptr, FALSE);
                }
            } else if (id == IDCANCEL) {
                SystemClose();
            } else if (id == IDOK) {
                Press(FocusedButton());
            }
            return 0;
        }
        case WM_NOTIFY: {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(l);
            if (header->hwndFrom == tab_ && header->code == TCN_SELCHANGE) {
                current_tab_ = static_cast<int>(SendMessageA(tab_, TCM_GETCURSEL, 0, 0));
                ShowView(true);
            }
            return 0;
        }
        case WM_TIMER:
            if (w == kBoxTimerId) OnTimer();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN: StopAuto(); break;
        case WM_SIZE: PlaceDetails(); break;
        case WM_GETMINMAXINFO:
            if (window_) {
                auto* info = reinterpret_cast<MINMAXINFO*>(l);
                RECT frame{0, 0, 320, layout_.ClientHeight + (details_ ? 120 : 0)};
                AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(window_, GWL_STYLE)), FALSE,
                                   static_cast<DWORD>(GetWindowLongA(window_, GWL_EXSTYLE)));
                info->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
            }
            return 0;
        case WM_SYSCOMMAND:
            if ((w & 0xFFF0) == SC_CLOSE) {
                SystemClose();
                return 0;
            }
            break;
        case WM_CLOSE: SystemClose(); return 0;
        case kBoxRefreshMessage: Refresh(); return 0;
        case kBoxDetailsMessage: OpenDetails(); return 0;
        case kBoxCloseMessage: Finish(TBoxChoice::ByRules); return 0;
        case kQuitCode:
            if (w == kQuitParameter && l == static_cast<LPARAM>(kQuitParameter)) Finish(TBoxChoice::ByRules);
            return 0;
        default: break;
    }
    return DefWindowProcA(window_, message, w, l);
}

}  // namespace

TBoxChoice ShowExceptionBox(TCrashException& report, int box_kind, const TExceptionTimeRing& times) {
    const bool simple = box_kind == bkSimpleWithDetails || box_kind == bkSimpleOkOnly;
    BoxWindow box(report, simple, BoxTexts(report, simple, application_name()),
                  BoxButtons(report, box_kind, report.CanContinue(), times, seconds_since_1601()));
    return box.Run();
}

TBoxChoice TExceptionBox::Show(TCrashException& report, THandlingFlow& flow) {
    const FilterDecision decision = report.Decision();
    switch (decision.box_kind) {
        case bkAssistantOnly:
            if (!decision.assistant.empty() && report.FindAssistant(decision.assistant)) {
                RunAssistant(report, decision.assistant, nullptr);
                return TBoxChoice::ByRules;
            }
            return ShowExceptionBox(report, bkFullBox, flow.Ring());
        case bkFullBox:
        case bkSimpleWithDetails:
        case bkSimpleOkOnly: return ShowExceptionBox(report, decision.box_kind, flow.Ring());
        default: return TBoxChoice::ByRules;
    }
}

void TExceptionBox::Prepare() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    if (!register_window_class(kBoxWindowClass, object_window_proc<BoxWindow>, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)))
        return;
    if (const HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_DLGMODALFRAME, kBoxWindowClass, "", WS_POPUP | WS_CAPTION,
                                            0, 0, 10, 10, nullptr, nullptr, reporter_instance(), nullptr))
        DestroyWindow(window);
}

void* OpenExceptionBoxWindow() { return g_open_box.load(); }

}  // namespace roadsum
