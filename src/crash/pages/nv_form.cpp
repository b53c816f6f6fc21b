#include "crash/pages/nv_form.h"

#include <utility>

#include "crash/common/text_lists.h"

namespace roadsum {

PageHost* platform_page_host();  // the window host on Windows, none elsewhere

namespace {

PageHost* g_page_host = nullptr;

template <class T>
std::shared_ptr<T> as(std::shared_ptr<INVItem> item) {
    return std::dynamic_pointer_cast<T>(std::move(item));
}

}  // namespace

PageHost* CurrentPageHost() { return g_page_host ? g_page_host : platform_page_host(); }

PageHost* SetPageHost(PageHost* host) { return std::exchange(g_page_host, host); }

std::shared_ptr<INVEdit> INVForm::Edit(std::string_view name) const { return as<INVEdit>(FindItem(name, NVItemKind::edit)); }
std::shared_ptr<INVLabel> INVForm::Label(std::string_view name) const {
    return as<INVLabel>(FindItem(name, NVItemKind::label));
}
std::shared_ptr<INVButton> INVForm::Button(std::string_view name) const {
    return as<INVButton>(FindItem(name, NVItemKind::button));
}
std::shared_ptr<INVCheckBox> INVForm::CheckBox(std::string_view name) const {
    return as<INVCheckBox>(FindItem(name, NVItemKind::check_box));
}
std::shared_ptr<INVImage> INVForm::Image(std::string_view name) const {
    return as<INVImage>(FindItem(name, NVItemKind::image));
}

TNVForm::TNVForm(std::string name) : name_(std::move(name)) {
    for (int i = 0; i < 3; ++i) {
        buttons_[i] = std::make_shared<TNVButton>(*this, kStandardButtonNames[i], kStandardButtonCaptions[i]);
        items_.push_back(buttons_[i]);
    }
}

bool TNVForm::SetProperty(std::string_view name, std::string_view value) {
    if (equal_ignoring_case(name, "MinWidth")) {
        SetMinWidth(property_int(value));
    } else if (equal_ignoring_case(name, "Message")) {
        SetMessage(std::string(value));
    } else if (equal_ignoring_case(name, "ActiveControl")) {
        SetActiveControl(std::string(value));
    } else if (equal_ignoring_case(name, "Timer")) {
        SetTimer(property_int(value));
    } else if (equal_ignoring_case(name, "OnAction")) {
        on_action_text_ = std::string(value);
        SetOnAction(ResolvePageHandler(value));
    } else {
        return false;
    }
    return true;
}

std::shared_ptr<INVItem> TNVForm::Item(int index) const {
    if (index < 0 || index >= ItemCount()) return nullptr;
    return items_[static_cast<std::size_t>(index)];
}

std::shared_ptr<INVItem> TNVForm::FindItem(std::string_view name, NVItemKind kind) const {
    for (const auto& item : items_)
        if (item->Kind() == kind && equal_ignoring_case(item->Name(), name)) return item;
    return nullptr;
}

std::shared_ptr<TNVItem> TNVForm::AddItem(NVItemKind kind, const std::string& name) {
    std::shared_ptr<TNVItem> item;
    switch (kind) {
        case NVItemKind::button: item = std::make_shared<TNVButton>(*this, name); break;
        case NVItemKind::label: item = std::make_shared<TNVLabel>(*this, name); break;
        case NVItemKind::edit: item = std::make_shared<TNVEdit>(*this, name); break;
        case NVItemKind::check_box: item = std::make_shared<TNVCheckBox>(*this, name); break;
        case NVItemKind::image: item = std::make_shared<TNVImage>(*this, name); break;
    }
    items_.push_back(item);
    UpdateContinue();
    return item;
}

int TNVForm::StandardButton(const TNVItem& item) const {
    for (int i = 0; i < 3; ++i)
        if (buttons_[i].get() == &item) return i;
    return -1;
}

int TNVForm::ShowModal(std::uintptr_t owner) {
    modal_result_ = mrNone;
    PageHost* host = CurrentPageHost();
    modal_result_ = host ? host->run_modal(*this, owner) : mrCancel;
    return modal_result_;
}

bool TNVForm::ContinueAllowed() const {
    for (std::size_t i = 3; i < items_.size(); ++i)
        if (!items_[i]->AllowsContinue()) return false;
    return true;
}

void TNVForm::UpdateContinue() { buttons_[0]->SetForcedDisabled(!ContinueAllowed()); }

void TNVForm::Notify(TNVItem& item, ItemChange change) {
    if (observer_) observer_->item_changed(item, change);
}

void TNVForm::raise(int action, INVItem* item) {
    if (!on_action_) return;
    // Nothing a handler throws may escape into the window procedure or the reporter.
    try {
        on_action_(this, action, item, exception_);
    } catch (...) {
    }
}

void TNVForm::Shown() {
    UpdateContinue();
    raise(nvaFormShown, nullptr);
}

void TNVForm::Press(TNVItem& item) {
    if (!item.Usable()) return;
    const int standard = StandardButton(item);
    if (standard >= 0) {
        // The handler sees the result the button gives and may change it; 0 keeps the page.
        modal_result_ = standard + 1;
        raise(nvaItemEvent, &item);
        return;
    }
    switch (item.Kind()) {
        case NVItemKind::check_box: {
            auto& box = static_cast<TNVCheckBox&>(item);
            box.SetChecked(!box.Checked());
            raise(nvaItemEvent, &item);
            break;
        }
        case NVItemKind::image:
            if (static_cast<TNVImage&>(item).Clickable()) raise(nvaItemEvent, &item);
            break;
        case NVItemKind::button: raise(nvaItemEvent, &item); break;
        case NVItemKind::label:
        case NVItemKind::edit: break;
    }
}

void TNVForm::EditTyped(TNVEdit& edit, const std::string& text) {
    if (text == edit.Text()) return;
    edit.TakeTypedText(text);
    raise(nvaItemEvent, &edit);
    UpdateContinue();
}

void TNVForm::TimerTick() { raise(nvaItemEvent, nullptr); }

void TNVForm::PressEscape() {
    if (buttons_[2]->Visible()) Press(*buttons_[2]);
}

void TNVForm::SystemClose() { modal_result_ = mrCancel; }

void TNVForm::Closing() { raise(nvaFormClosing, nullptr); }

}  // namespace roadsum
