// An assistant page (TNVForm): its properties, its items (the first three always the
// Continue, Skip and Cancel buttons), the Continue rule and what happens on the page's
// events. Showing it is the page host's work (the Win32 window, or a test's stand-in).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "crash/pages/nv_items.h"
#include "crash/pages/page_handlers.h"

namespace roadsum {

// Modal results of a page.
enum : int { mrNone = 0, mrContinue = 1, mrSkip = 2, mrCancel = 3 };

class INVForm {
public:
    virtual ~INVForm() = default;
    virtual const std::string& Name() const = 0;
    virtual const std::string& Title() const = 0;  // the window's caption
    virtual void SetTitle(const std::string& title) = 0;
    virtual const std::string& Message() const = 0;  // the title drawn on the page
    virtual void SetMessage(const std::string& message) = 0;
    virtual const std::string& ActiveControl() const = 0;  // the item focused when shown
    virtual void SetActiveControl(const std::string& name) = 0;
    virtual int MinWidth() const = 0;
    virtual void SetMinWidth(int width) = 0;
    virtual int Timer() const = 0;  // milliseconds between timer events, 0 for none
    virtual void SetTimer(int milliseconds) = 0;
    virtual TNVFormHandler OnAction() const = 0;
    virtual void SetOnAction(TNVFormHandler handler) = 0;

    virtual std::shared_ptr<INVButton> ContinueBtn() const = 0;
    virtual std::shared_ptr<INVButton> SkipBtn() const = 0;
    virtual std::shared_ptr<INVButton> CancelBtn() const = 0;
    virtual int ItemCount() const = 0;
    virtual std::shared_ptr<INVItem> Item(int index) const = 0;  // null outside 0..count-1
    // By name (ignoring case) and kind; null when there is none.
    virtual std::shared_ptr<INVItem> FindItem(std::string_view name, NVItemKind kind) const = 0;
    std::shared_ptr<INVEdit> Edit(std::string_view name) const;
    std::shared_ptr<INVLabel> Label(std::string_view name) const;
    std::shared_ptr<INVButton> Button(std::string_view name) const;
    std::shared_ptr<INVCheckBox> CheckBox(std::string_view name) const;
    std::shared_ptr<INVImage> Image(std::string_view name) const;

    virtual int PageNumber() const = 0;  // 1-based within its assistant
    virtual int PageCount() const = 0;
    virtual int ModalResult() const = 0;
    virtual void SetModalResult(int result) = 0;
    // Shows the page until one of its buttons ends it: 1 continue, 2 skip, 3 cancel. The
    // owner window (0 for none) is disabled meanwhile.
    virtual int ShowModal(std::uintptr_t owner = 0) = 0;
};

class ItemObserver;
class PageHost;

class TNVForm final : public INVForm {
public:
    explicit TNVForm(std::string name = {});
    TNVForm(const TNVForm&) = delete;
    TNVForm& operator=(const TNVForm&) = delete;

    const std::string& Name() const override { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    const std::string& Title() const override { return title_; }
    void SetTitle(const std::string& title) override { title_ = title; }
    const std::string& Message() const override { return message_; }
    void SetMessage(const std::string& message) override { message_ = message; }
    const std::string& ActiveControl() const override { return active_control_; }
    void SetActiveControl(const std::string& name) override { active_control_ = name; }
    int MinWidth() const override { return min_width_; }
    void SetMinWidth(int width) override { min_width_ = width; }
    int Timer() const override { return timer_; }
    void SetTimer(int milliseconds) override { timer_ = milliseconds < 0 ? 0 : milliseconds; }
    TNVFormHandler OnAction() const override { return on_action_; }
    void SetOnAction(TNVFormHandler handler) override { on_action_ = handler; }
    const std::string& OnActionText() const { return on_action_text_; }
    // The form property by name, from its text; false for a name a page does not have.
    bool SetProperty(std::string_view name, std::string_view value);

    std::shared_ptr<INVButton> ContinueBtn() const override { return buttons_[0]; }
    std::shared_ptr<INVButton> SkipBtn() const override { return buttons_[1]; }
    std::shared_ptr<INVButton> CancelBtn() const override { return buttons_[2]; }
    int ItemCount() const override { return static_cast<int>(items_.size()); }
    std::shared_ptr<INVItem> Item(int index) const override;
    std::shared_ptr<INVItem> FindItem(std::string_view name, NVItemKind kind) const override;
    // Appends a new item of the kind.
    std::shared_ptr<TNVItem> AddItem(NVItemKind kind, const std::string& name);
    const std::vector<std::shared_ptr<TNVItem>>& Items() const { return items_; }
    // Which standard button (0 Continue, 1 Skip, 2 Cancel) the item is, or -1.
    int StandardButton(const TNVItem& item) const;

    int PageNumber() const override { return page_number_; }
    int PageCount() const override { return page_count_; }
    void SetPage(int number, int count) { page_number_ = number, page_count_ = count; }
    int ModalResult() const override { return modal_result_; }
    void SetModalResult(int result) override { modal_result_ = result; }
    int ShowModal(std::uintptr_t owner = 0) override;
    // Passed to the handler with every event (the report); not owned.
    void SetException(void* exception) { exception_ = exception; }

    // The Continue rule: every item after the three buttons must allow it.
    bool ContinueAllowed() const;
    void UpdateContinue();

    // The page's events, as the host reports them.
    void Shown();                                  // event 1
    void Press(TNVItem& item);                     // a click, or Enter on a button
    void EditTyped(TNVEdit& edit, const std::string& text);
    void TimerTick();                              // event 3 without an item
    void PressEscape();                            // Cancel, when it is enabled
    void SystemClose();                            // the close box: result 3
    void Closing();                                // event 2, before the window goes

    // The window showing the page; it hears of every change of an item.
    void SetObserver(ItemObserver* observer) { observer_ = observer; }
    void Notify(TNVItem& item, ItemChange change);

private:
    void raise(int action, INVItem* item);

    std::string name_, title_, message_, active_control_, on_action_text_;
    int min_width_ = 0;
    int timer_ = 0;
    TNVFormHandler on_action_ = nullptr;
    std::shared_ptr<TNVButton> buttons_[3];
    std::vector<std::shared_ptr<TNVItem>> items_;
    int page_number_ = 1, page_count_ = 1;
    int modal_result_ = mrNone;
    void* exception_ = nullptr;
    ItemObserver* observer_ = nullptr;
};

class ItemObserver {
public:
    virtual ~ItemObserver() = default;
    virtual void item_changed(TNVItem& item, ItemChange change) = 0;
};

// Shows pages. The Win32 host makes windows; away from Windows there is none and pages end
// at once with Cancel. Tests put in their own.
class PageHost {
public:
    virtual ~PageHost() = default;
    virtual int run_modal(TNVForm& form, std::uintptr_t owner) = 0;
    // Disables the owner window for the time pages are shown; true when it was enabled.
    virtual bool disable_owner(std::uintptr_t owner) { return (void)owner, false; }
    virtual void enable_owner(std::uintptr_t owner) { (void)owner; }
};
PageHost* CurrentPageHost();
// Replaces the host (null: the platform's own); returns the one before.
PageHost* SetPageHost(PageHost* host);

// The names of the three standard buttons and their captions before a resource sets them.
inline constexpr const char* kStandardButtonNames[3] = {"ContinueBtn", "SkipBtn", "CancelBtn"};
inline constexpr const char* kStandardButtonCaptions[3] = {"Next >", "Skip", "Cancel"};

}  // namespace roadsum
