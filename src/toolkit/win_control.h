// Controls with a window of their own. The window procedure of every toolkit window runs its
// handlers inside a catch-all that passes any exception to the application, so that no C++
// exception ever unwinds through the system's message dispatch.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/control.h"

namespace roadsum {

struct TCreateParams {
    std::string ClassName;             // our own window class, registered on demand
    const char* SystemClass = nullptr;  // or a system class ("EDIT", "BUTTON") that we subclass
    DWORD Style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    DWORD ExStyle = 0;
    UINT ClassStyle = CS_DBLCLKS;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TWinControl* parent);
    ~TWinControl() override;

    // Creates a child control owned by this one; its window exists on return.
    template <typename T, typename... Args>
    T* Add(Args&&... args) {
        auto control = std::make_unique<T>(this, std::forward<Args>(args)...);
        T* raw = control.get();
        InsertControl(std::move(control));
        return raw;
    }
    // Destroys a child control now.
    void RemoveControl(TControl* control);
    // Children in z-order, the bottom one first.
    const std::vector<std::unique_ptr<TControl>>& Controls() const { return controls_; }

    HWND Handle() const { return handle_; }
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded();
    bool IsWindowed() const override { return true; }

    void SetBounds(int left, int top, int width, int height) override;
    int ClientWidth() const;
    int ClientHeight() const;
    void SetClientSize(int width, int height);

    int TabOrder() const;
    void SetTabOrder(int order);
    bool TabStop() const { return tab_stop_; }
    void SetTabStop(bool value) { tab_stop_ = value; }
    virtual bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();
    // The focusable controls of this subtree in tab order.
    void GetTabOrderList(std::vector<TWinControl*>& list);

    std::string Text() const;  // the window text
    void SetCaption(std::string caption) override;

    void Invalidate() override;
    // Paints the client area (background and windowless children) into a device context,
    // as the window shows it; used for off-screen pictures of the window.
    void PaintTo(HDC dc);
    // The graphic control under a client point, topmost first, or null.
    TControl* ControlAtPos(int x, int y) const;
    bool MouseCapture() const override;
    // The graphic child that holds this window's mouse capture, if any.
    TControl* CaptureControl() const { return capture_control_; }

    TNotifyEvent OnEnter, OnExit;

    TControl* FindControl(const std::string& name) override;
    // Asks the visible, enabled children, the topmost first.
    bool DialogChar(char key) override;
    // Tells every child.
    bool PaletteChanged() override;
    static TWinControl* FromHandle(HWND window);

protected:
    virtual void CreateParams(TCreateParams& params);
    void CreateHandle();
    void DestroyHandle();
    // Makes the window anew, for properties that only its creation can set.
    void RecreateWnd();

    // The message handler; derived controls override it and call the base for the rest.
    virtual LRESULT WndProc(UINT message, WPARAM wparam, LPARAM lparam);
    // The system's or the subclassed class's own handling.
    LRESULT DefaultHandler(UINT message, WPARAM wparam, LPARAM lparam);
    // Messages that a parent passes on to the child they concern (WM_COMMAND notifications,
    // WM_DRAWITEM, WM_MEASUREITEM, WM_CTLCOLOR...). Returns the result to give the parent's sender.
    // Returns nothing to let the parent do its own default handling.
    virtual std::optional<LRESULT> Reflected(UINT message, WPARAM wparam, LPARAM lparam);

    // Own-class windows: fill the background and draw; graphic children are drawn after.
    virtual void PaintWindow(TCanvas& canvas);
    bool IsSystemClass() const { return system_class_; }

    virtual void KeyDown(WORD& /*key*/, UINT /*shift*/) {}
    virtual void KeyPress(char& /*key*/) {}
    virtual void DoEnter();
    virtual void DoExit();
    // Every windowed control of the window tree hears of each focus change in it, with the
    // control that now has the focus.
    virtual void FocusChanged(TWinControl* /*focused*/) {}
    virtual void Resize() {}
    virtual void AfterCreateHandle() {}
    void FontChanged() override;
    void ColorChanged() override;
    void TextChanged() override;
    void VisibleChanged() override;
    void EnabledChanged() override;
    // Background brush for the WM_CTLCOLOR replies of system-class children.
    HBRUSH ColorBrush();

private:
    friend class TControl;
    friend LRESULT CALLBACK ToolkitWndProc(HWND, UINT, WPARAM, LPARAM);

    void InsertControl(std::unique_ptr<TControl> control);
    void PlaceInZOrder();
    void AlignControls(int old_width, int old_height);
    void PaintHandler();
    void PaintControls(HDC dc, const RECT& update);
    bool MouseMessage(UINT message, WPARAM wparam, LPARAM lparam);
    void UpdateMouseControl(TControl* control);
    void TrackLeave();
    void ChildGone(TControl* control);
    void BroadcastFocusChanged(TWinControl* focused);

    HWND handle_ = nullptr;
    WNDPROC system_proc_ = nullptr;
    bool system_class_ = false;
    bool tracking_leave_ = false;
    int client_width_ = 0, client_height_ = 0;  // the client size the children are aligned to
    std::vector<std::unique_ptr<TControl>> controls_;
    std::vector<TWinControl*> tab_list_;  // windowed children in tab order
    TControl* mouse_control_ = nullptr;    // graphic child under the pointer
    TControl* capture_control_ = nullptr;  // graphic child that holds the capture
    bool tab_stop_ = false;
    Brush color_brush_;
    TColor color_brush_color_ = clNone;
};

}  // namespace roadsum
