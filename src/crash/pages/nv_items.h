// The items of an assistant page (noxNVAssistant): buttons, labels, edits, check boxes and
// images behind their reference-counted interfaces. Every property can be set by name from
// its text, as the page resources hold them; a page that is shown hears of each change.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "crash/common/pixel_image.h"
#include "crash/pages/text_metrics.h"

namespace roadsum {

class INVForm;
class TNVForm;

enum class NVItemKind { button, label, edit, check_box, image };

// Where an item's value goes in the bug report: a header field named OutputName, or a
// section of its own with that title.
enum TNVOutputType { nvoHeader, nvoOwnSection };

class INVItem {
public:
    virtual ~INVItem() = default;
    virtual NVItemKind Kind() const = 0;
    virtual const std::string& Name() const = 0;
    virtual INVForm* Parent() const = 0;
    // Sets a property from its text; false for a name this kind of item does not have.
    virtual bool SetProperty(std::string_view name, std::string_view value) = 0;

    virtual int Spacing() const = 0;  // extra space below the item; 0: the usual gap
    virtual void SetSpacing(int spacing) = 0;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    // Held disabled by the page (the Continue button while a required edit is empty).
    virtual bool ForcedDisabled() const = 0;
    virtual TNVOutputType OutputType() const = 0;
    virtual void SetOutputType(TNVOutputType type) = 0;
    virtual const std::string& OutputName() const = 0;
    virtual void SetOutputName(const std::string& name) = 0;

    virtual void SetFocus() = 0;
    // Where the page put the item (client coordinates); empty before the page is laid out.
    virtual Rect Bounds() const = 0;
    // The item's window while its page is shown, else 0.
    virtual std::uintptr_t Handle() const = 0;
};

class INVButton : public virtual INVItem {
public:
    virtual const std::string& Caption() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual int MinWidth() const = 0;
    virtual void SetMinWidth(int width) = 0;
    virtual bool NoOwnerDraw() const = 0;  // a plain system button instead of the page's own
    virtual void SetNoOwnerDraw(bool plain) = 0;
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool visible) = 0;
};

class INVLabel : public virtual INVItem {
public:
    virtual const std::string& Caption() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;
};

class INVEdit : public virtual INVItem {
public:
    virtual bool Colored() const = 0;  // text in red while invalid, in green while valid
    virtual void SetColored(bool colored) = 0;
    virtual int Lines() const = 0;  // 1: one line; more: a memo of that many lines
    virtual void SetLines(int lines) = 0;
    virtual bool Optional() const = 0;  // may stay empty for the page to continue
    virtual void SetOptional(bool optional) = 0;
    virtual const std::string& Text() const = 0;  // lines separated by CR LF
    virtual void SetText(const std::string& text) = 0;
    virtual bool Valid() const = 0;
    virtual void SetValid(bool valid) = 0;
};

class INVCheckBox : public virtual INVItem {
public:
    virtual const std::string& Caption() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual bool Checked() const = 0;
    virtual void SetChecked(bool checked) = 0;
};

class INVImage : public virtual INVItem {
public:
    virtual bool Border() const = 0;
    virtual void SetBorder(bool border) = 0;
    virtual bool Clickable() const = 0;  // clicks raise item events; the cursor is a hand
    virtual void SetClickable(bool clickable) = 0;
    virtual const std::string& File() const = 0;  // a bitmap file shown when no bitmap is set
    virtual void SetFile(const std::string& file) = 0;
    virtual int Width() const = 0;  // of the picture area; 0: the page's width
    virtual void SetWidth(int width) = 0;
    virtual int Height() const = 0;
    virtual void SetHeight(int height) = 0;
    virtual std::shared_ptr<const PixelImage> Bitmap() const = 0;
    virtual void SetBitmap(std::shared_ptr<const PixelImage> bitmap) = 0;
};

// What changed of an item, for the page window that shows it.
enum class ItemChange { caption, text, checked, enabled, visible, valid, bitmap, focus, layout };

// The common part of every item (TNVItem): its page, window and rectangle, and the
// properties all kinds have.
class TNVItem : public virtual INVItem {
public:
    TNVItem(TNVForm& form, std::string name) : form_(&form), name_(std::move(name)) {}

    const std::string& Name() const override { return name_; }
    INVForm* Parent() const override;
    int Spacing() const override { return spacing_; }
    void SetSpacing(int spacing) override;
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override;
    bool ForcedDisabled() const override { return forced_disabled_; }
    TNVOutputType OutputType() const override { return output_type_; }
    void SetOutputType(TNVOutputType type) override { output_type_ = type; }
    const std::string& OutputName() const override { return output_name_; }
    void SetOutputName(const std::string& name) override { output_name_ = name; }
    void SetFocus() override { changed(ItemChange::focus); }
    Rect Bounds() const override { return bounds_; }
    std::uintptr_t Handle() const override { return handle_; }

    // Whether the page may continue as far as this item is concerned.
    virtual bool AllowsContinue() const { return true; }
    // Enabled, and not held back by the page.
    bool Usable() const { return enabled_ && !forced_disabled_; }

    // Set by the page and its window.
    void SetForcedDisabled(bool forced);
    void SetBounds(const Rect& bounds) { bounds_ = bounds; }
    void SetHandle(std::uintptr_t handle) { handle_ = handle; }

protected:
    // The properties of every kind; false for another name.
    bool SetCommonProperty(std::string_view name, std::string_view value);
    void changed(ItemChange change);
    TNVForm& form() const { return *form_; }

private:
    TNVForm* form_;
    std::string name_;
    int spacing_ = 0;
    bool enabled_ = true;
    bool forced_disabled_ = false;
    TNVOutputType output_type_ = nvoHeader;
    std::string output_name_;
    Rect bounds_;
    std::uintptr_t handle_ = 0;
};

class TNVButton final : public TNVItem, public INVButton {
public:
    static constexpr int kDefaultMinWidth = 75;
    TNVButton(TNVForm& form, std::string name, std::string caption = {})
        : TNVItem(form, std::move(name)), caption_(std::move(caption)) {}

    NVItemKind Kind() const override { return NVItemKind::button; }
    bool SetProperty(std::string_view name, std::string_view value) override;
    const std::string& Caption() const override { return caption_; }
    void SetCaption(const std::string& caption) override;
    int MinWidth() const override { return min_width_; }
    void SetMinWidth(int width) override;
    bool NoOwnerDraw() const override { return no_owner_draw_; }
    void SetNoOwnerDraw(bool plain) override { no_owner_draw_ = plain; }
    bool Visible() const override { return visible_; }
    void SetVisible(bool visible) override;

private:
    std::string caption_;
    int min_width_ = kDefaultMinWidth;
    bool no_owner_draw_ = false;
    bool visible_ = true;
};

class TNVLabel final : public TNVItem, public INVLabel {
public:
    TNVLabel(TNVForm& form, std::string name) : TNVItem(form, std::move(name)) {}
    NVItemKind Kind() const override { return NVItemKind::label; }
    bool SetProperty(std::string_view name, std::string_view value) override;
    const std::string& Caption() const override { return caption_; }
    void SetCaption(const std::string& caption) override;

private:
    std::string caption_;
};

class TNVEdit final : public TNVItem, public INVEdit {
public:
    TNVEdit(TNVForm& form, std::string name) : TNVItem(form, std::move(name)) {}
    NVItemKind Kind() const override { return NVItemKind::edit; }
    bool SetProperty(std::string_view name, std::string_view value) override;
    bool Colored() const override { return colored_; }
    void SetColored(bool colored) override;
    int Lines() const override { return lines_; }
    void SetLines(int lines) override;
    bool Optional() const override { return optional_; }
    void SetOptional(bool optional) override;
    const std::string& Text() const override { return text_; }
    void SetText(const std::string& text) override;
    bool Valid() const override { return valid_; }
    void SetValid(bool valid) override;
    bool AllowsContinue() const override { return optional_ || (valid_ && !text_.empty()); }

    // The text as the user typed it into the window: no change event goes back to it.
    void TakeTypedText(const std::string& text) { text_ = text; }

private:
    bool colored_ = false;
    int lines_ = 1;
    bool optional_ = false;
    std::string text_;
    bool valid_ = true;
};

class TNVCheckBox final : public TNVItem, public INVCheckBox {
public:
    TNVCheckBox(TNVForm& form, std::string name) : TNVItem(form, std::move(name)) {}
    NVItemKind Kind() const override { return NVItemKind::check_box; }
    bool SetProperty(std::string_view name, std::string_view value) override;
    const std::string& Caption() const override { return caption_; }
    void SetCaption(const std::string& caption) override;
    bool Checked() const override { return checked_; }
    void SetChecked(bool checked) override;

private:
    std::string caption_;
    bool checked_ = false;
};

class TNVImage final : public TNVItem, public INVImage {
public:
    TNVImage(TNVForm& form, std::string name) : TNVItem(form, std::move(name)) {}
    NVItemKind Kind() const override { return NVItemKind::image; }
    bool SetProperty(std::string_view name, std::string_view value) override;
    bool Border() const override { return border_; }
    void SetBorder(bool border) override;
    bool Clickable() const override { return clickable_; }
    void SetClickable(bool clickable) override { clickable_ = clickable; }
    const std::string& File() const override { return file_; }
    void SetFile(const std::string& file) override;
    int Width() const override { return width_; }
    void SetWidth(int width) override;
    int Height() const override { return height_; }
    void SetHeight(int height) override;
    std::shared_ptr<const PixelImage> Bitmap() const override { return bitmap_; }
    void SetBitmap(std::shared_ptr<const PixelImage> bitmap) override;

private:
    bool border_ = false;
    bool clickable_ = false;
    std::string file_;
    int width_ = 0;
    int height_ = 0;
    std::shared_ptr<const PixelImage> bitmap_;
};

// Property texts: booleans are true for "yes" and "true" (any case) and exactly "1";
// integers are decimal, and a text that is none gives 0.
bool property_bool(std::string_view text);
int property_int(std::string_view text);
// "nvoOwnSection" when the text contains "ownSection" (any case), else "nvoHeader".
TNVOutputType property_output_type(std::string_view text);
// An edit's text property: "%lf%" stands for a line break.
std::string property_edit_text(std::string_view text);

}  // namespace roadsum
