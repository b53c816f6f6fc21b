#include "crash/pages/nv_items.h"

#include <algorithm>
#include <charconv>

#include "crash/common/text_lists.h"
#include "crash/pages/nv_form.h"

namespace roadsum {

bool property_bool(std::string_view text) { return equal_ignoring_case(text, "yes") || equal_ignoring_case(text, "true") || text == "1"; }

int property_int(std::string_view text) {
    int value = 0;
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() ? value : 0;
}

TNVOutputType property_output_type(std::string_view text) {
    constexpr std::string_view own = "ownsection";
    for (std::size_t i = 0; i + own.size() <= text.size(); ++i)
        if (equal_ignoring_case(text.substr(i, own.size()), own)) return nvoOwnSection;
    return nvoHeader;
}

std::string property_edit_text(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text.size() - i >= 4 && equal_ignoring_case(text.substr(i, 4), "%lf%")) {
            out += "\r\n";
            i += 4;
        } else {
            out += text[i++];
        }
    }
    return out;
}

namespace {

// Sets a property; true when it changed, so that only a change is passed on.
template <class T>
bool assign(T& property, const T& value) {
    if (property == value) return false;
    property = value;
    return true;
}

}  // namespace

INVForm* TNVItem::Parent() const { return form_; }

void TNVItem::SetSpacing(int spacing) {
    if (assign(spacing_, spacing)) changed(ItemChange::layout);
}

void TNVItem::SetEnabled(bool enabled) {
    if (assign(enabled_, enabled)) changed(ItemChange::enabled);
}

void TNVItem::SetForcedDisabled(bool forced) {
    if (assign(forced_disabled_, forced)) changed(ItemChange::enabled);
}

void TNVItem::changed(ItemChange change) { form_->Notify(*this, change); }

bool TNVItem::SetCommonProperty(std::string_view name, std::string_view value) {
    if (equal_ignoring_case(name, "Spacing"))
        SetSpacing(property_int(value));
    else if (equal_ignoring_case(name, "Enabled"))
        SetEnabled(property_bool(value));
    else if (equal_ignoring_case(name, "OutputType"))
        SetOutputType(property_output_type(value));
    else if (equal_ignoring_case(name, "OutputName"))
        SetOutputName(std::string(value));
    else
        return false;
    return true;
}

bool TNVButton::SetProperty(std::string_view name, std::string_view value) {
    if (equal_ignoring_case(name, "Caption"))
        SetCaption(std::string(value));
    else if (equal_ignoring_case(name, "MinWidth"))
        SetMinWidth(property_int(value));
    else if (equal_ignoring_case(name, "NoOwnerDraw"))
        SetNoOwnerDraw(property_bool(value));
    else if (equal_ignoring_case(name, "Visible"))
        SetVisible(property_bool(value));
    else
        return SetCommonProperty(name, value);
    return true;
}

void TNVButton::SetCaption(const std::string& caption) {
    if (assign(caption_, caption)) changed(ItemChange::caption);
}

void TNVButton::SetMinWidth(int width) {
    if (assign(min_width_, width)) changed(ItemChange::layout);
}

void TNVButton::SetVisible(bool visible) {
    if (assign(visible_, visible)) changed(ItemChange::visible);
}

bool TNVLabel::SetProperty(std::string_view name, std::string_view value) {
    if (!equal_ignoring_case(name, "Caption")) return SetCommonProperty(name, value);
    SetCaption(std::string(value));
    return true;
}

void TNVLabel::SetCaption(const std::string& caption) {
    if (assign(caption_, caption)) changed(ItemChange::caption);
}

bool TNVEdit::SetProperty(std::string_view name, std::string_view value) {
    if (equal_ignoring_case(name, "Colored"))
        SetColored(property_bool(value));
    else if (equal_ignoring_case(name, "Lines"))
        SetLines(property_int(value));
    else if (equal_ignoring_case(name, "Optional"))
        SetOptional(property_bool(value));
    else if (equal_ignoring_case(name, "Text"))
        SetText(property_edit_text(value));
    else if (equal_ignoring_case(name, "Valid"))
        SetValid(property_bool(value));
    else
        return SetCommonProperty(name, value);
    return true;
}

void TNVEdit::SetColored(bool colored) {
    if (assign(colored_, colored)) changed(ItemChange::valid);
}

void TNVEdit::SetLines(int lines) {
    if (assign(lines_, std::max(lines, 1))) changed(ItemChange::layout);
}

void TNVEdit::SetOptional(bool optional) {
    if (assign(optional_, optional)) form().UpdateContinue();
}

void TNVEdit::SetText(const std::string& text) {
    if (!assign(text_, text)) return;
    changed(ItemChange::text);
    form().UpdateContinue();
}

void TNVEdit::SetValid(bool valid) {
    if (!assign(valid_, valid)) return;
    changed(ItemChange::valid);
    form().UpdateContinue();
}

bool TNVCheckBox::SetProperty(std::string_view name, std::string_view value) {
    if (equal_ignoring_case(name, "Caption") || equal_ignoring_case(name, "Text"))
        SetCaption(std::string(value));
    else if (equal_ignoring_case(name, "Checked"))
        SetChecked(property_bool(value));
    else
        return SetCommonProperty(name, value);
    return true;
}

void TNVCheckBox::SetCaption(const std::string& caption) {
    if (assign(caption_, caption)) changed(ItemChange::caption);
}

void TNVCheckBox::SetChecked(bool checked) {
    if (assign(checked_, checked)) changed(ItemChange::checked);
}

bool TNVImage::SetProperty(std::string_view name, std::string_view value) {
    if (equal_ignoring_case(name, "Border"))
        SetBorder(property_bool(value));
    else if (equal_ignoring_case(name, "Clickable"))
        SetClickable(property_bool(value));
    else if (equal_ignoring_case(name, "File"))
        SetFile(std::string(value));
    else if (equal_ignoring_case(name, "Height"))
        SetHeight(property_int(value));
    else if (equal_ignoring_case(name, "Width"))
        SetWidth(property_int(value));
    else
        return SetCommonProperty(name, value);
    return true;
}

void TNVImage::SetBorder(bool border) {
    if (assign(border_, border)) changed(ItemChange::layout);
}

void TNVImage::SetFile(const std::string& file) {
    if (assign(file_, file)) changed(ItemChange::bitmap);
}

void TNVImage::SetWidth(int width) {
    if (assign(width_, std::max(width, 0))) changed(ItemChange::layout);
}

void TNVImage::SetHeight(int height) {
    if (assign(height_, std::max(height, 0))) changed(ItemChange::layout);
}

void TNVImage::SetBitmap(std::shared_ptr<const PixelImage> bitmap) {
    bitmap_ = std::move(bitmap);
    changed(ItemChange::bitmap);
}

}  // namespace roadsum
