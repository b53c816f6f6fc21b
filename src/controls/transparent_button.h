// The transparent glyph button: a windowless push button that draws a glyph and a caption on
// its parent's background, with frame styles, hot tracking, toggle groups and a drop-down
// menu. It never takes the keyboard focus.
#pragma once

#include <array>
#include <functional>
#include <vector>

#include "controls/button_layout.h"
#include "controls/image_list.h"
#include "toolkit/control.h"
#include "toolkit/glyph.h"
#include "toolkit/menu.h"
#include "toolkit/property.h"

namespace roadsum {

using TDropDownMenuEvent = std::function<void(TObject* Sender, bool& ShowMenu)>;

// The behaviour: state flags, mouse, click, groups and the drop-down menu.
class TCustomGraphicButton : public TGraphicControl {
public:
    explicit TCustomGraphicButton(TWinControl* parent);

    // The pointer is over the button (or, while the button holds the mouse, back over it).
    bool MouseInControl() const { return inside_; }
    // A mouse button went down on the button and is held.
    bool Pressed() const { return pressed_; }

    bool Down() const { return down_; }
    // Without a group the button is never down; a down button of a group that does not allow
    // all up stays down.
    void SetDown(bool value);
    int GroupIndex() const { return group_index_; }
    void SetGroupIndex(int value);
    bool AllowAllUp() const { return allow_all_up_; }
    void SetAllowAllUp(bool value);
    TPopupMenu* DropDownMenu() const { return drop_down_menu_; }
    void SetDropDownMenu(TPopupMenu* menu);
    bool KeepMouseLeavePressed() const { return keep_mouse_leave_pressed_; }
    void SetKeepMouseLeavePressed(bool value);

    // Before the drop-down menu shows; clearing ShowMenu keeps it closed.
    TDropDownMenuEvent OnDropDownMenu;
    TNotifyEvent OnMouseEnter, OnMouseLeave, OnParentColorChange;

    // Toggles the group state, then runs OnClick.
    void Click() override;
    // Takes no double clicks: the second press of one is an ordinary press.
    void DblClick() override {}
    void MouseDown(TMouseButton button, UINT keys, int x, int y) override;
    void MouseMove(UINT keys, int x, int y) override;
    void MouseUp(TMouseButton button, UINT keys, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseCaptureLost() override;
    // Alt and the caption's accelerator click it.
    bool DialogChar(char key) override;

protected:
    // Paints the parent's background under the button again, then the button.
    void Redraw();
    void EnabledChanged() override;
    void ParentColorChanged() override;
    void TextChanged() override { Redraw(); }
    void FontChanged() override { Redraw(); }
    // The drop-down menu closed.
    virtual void DropDownClosed() { Redraw(); }

private:
    void ShowDropDown();
    void NotifyGroup();
    void GroupNotice(const TCustomGraphicButton& sender);

    bool inside_ = false, pressed_ = false;
    bool down_ = false, allow_all_up_ = false, keep_mouse_leave_pressed_ = false;
    int group_index_ = 0;
    TPopupMenu* drop_down_menu_ = nullptr;
};

// The optional image lists of a button without a glyph: an active picture and, each in
// place of what the button would make from the active one, the disabled, down, grey and hot
// pictures. A list that goes away is dropped.
class TTransparentButtonImages : private TImageListObserver {
public:
    enum Slot { kActive, kDisabled, kDown, kGray, kHot, kSlots };

    TTransparentButtonImages() = default;
    TTransparentButtonImages(const TTransparentButtonImages&) = delete;
    TTransparentButtonImages& operator=(const TTransparentButtonImages&) = delete;
    ~TTransparentButtonImages();

    TImageList* ActiveImage() const { return Image(kActive); }
    void SetActiveImage(TImageList* list) { SetImage(kActive, list); }
    int ActiveIndex() const { return Index(kActive); }
    void SetActiveIndex(int index) { SetIndex(kActive, index); }
    TImageList* DisabledImage() const { return Image(kDisabled); }
    void SetDisabledImage(TImageList* list) { SetImage(kDisabled, list); }
    int DisabledIndex() const { return Index(kDisabled); }
    void SetDisabledIndex(int index) { SetIndex(kDisabled, index); }
    TImageList* DownImage() const { return Image(kDown); }
    void SetDownImage(TImageList* list) { SetImage(kDown, list); }
    int DownIndex() const { return Index(kDown); }
    void SetDownIndex(int index) { SetIndex(kDown, index); }
    TImageList* GrayImage() const { return Image(kGray); }
    void SetGrayImage(TImageList* list) { SetImage(kGray, list); }
    int GrayIndex() const { return Index(kGray); }
    void SetGrayIndex(int index) { SetIndex(kGray, index); }
    TImageList* HotImage() const { return Image(kHot); }
    void SetHotImage(TImageList* list) { SetImage(kHot, list); }
    int HotIndex() const { return Index(kHot); }
    void SetHotIndex(int index) { SetIndex(kHot, index); }

    TImageList* Image(Slot slot) const { return pairs_[slot].list; }
    int Index(Slot slot) const { return pairs_[slot].index; }
    void SetImage(Slot slot, TImageList* list);
    void SetIndex(Slot slot, int index);
    // The picture a pair names, or null when it names none.
    const MaskedPicture* Picture(Slot slot) const;

    std::function<void()> OnChange;

private:
    struct Pair {
        TImageList* list = nullptr;
        int index = -1;
    };
    void ImageListChanged(TImageList* list) override;
    void ImageListGone(TImageList* list) override;
    void Changed() {
        if (OnChange) OnChange();
    }

    std::array<Pair, kSlots> pairs_{};
};

// Which attributes of its own the hot-track font keeps when it follows the button's font.
enum THotTrackFontOption : unsigned {
    hoFollowFont = 1, hoPreserveCharSet = 2, hoPreserveColor = 4, hoPreserveHeight = 8,
    hoPreserveName = 16, hoPreservePitch = 32, hoPreserveStyle = 64
};

// The painting: frame, glyph, caption and the drop-down arrow.
class TTransparentButton : public TCustomGraphicButton {
public:
    explicit TTransparentButton(TWinControl* parent);

    const TGlyph& Glyph() const { return glyph_; }
    // Also sets NumGlyphs when the glyph is a row of 1 to 4 square cells (1 for more).
    void SetGlyph(TGlyph glyph);
    int NumGlyphs() const { return num_glyphs_; }
    // Values outside 1 to 4 are ignored.
    void SetNumGlyphs(int value);
    TTextAlign TextAlign() const { return text_align_; }
    void SetTextAlign(TTextAlign value) { Set(text_align_, value); }
    int Spacing() const { return spacing_; }
    // Spacings and offsets beyond kMaxPixels either way are ignored.
    void SetSpacing(int value) {
        if (InPixelRange(value)) Set(spacing_, value);
    }
    bool WordWrap() const { return word_wrap_; }
    void SetWordWrap(bool value) { Set(word_wrap_, value); }
    TFrameStyle FrameStyle() const { return frame_style_; }
    void SetFrameStyle(TFrameStyle value) { Set(frame_style_, value); }
    unsigned BorderWidth() const { return border_width_; }
    void SetBorderWidth(unsigned value) { Set(border_width_, value); }
    // A transparent button is also flat.
    bool Transparent() const override { return transparent_; }
    void SetTransparent(bool value) { Set(transparent_, value); }
    bool ShowPressed() const { return show_pressed_; }
    void SetShowPressed(bool value) { Set(show_pressed_, value); }
    int PressOffset() const { return press_offset_; }
    void SetPressOffset(int value) {
        if (InPixelRange(value)) Set(press_offset_, value);
    }
    bool AutoGray() const { return auto_gray_; }
    void SetAutoGray(bool value) { Set(auto_gray_, value); }
    bool HotTrack() const { return hot_track_; }
    void SetHotTrack(bool value) { Set(hot_track_, value); }
    const TFont& HotTrackFont() const { return hot_track_font_; }
    void SetHotTrackFont(const TFont& font);
    unsigned HotTrackFontOptions() const { return hot_track_font_options_; }
    void SetHotTrackFontOptions(unsigned value) { hot_track_font_options_ = value; }
    bool DropArrow() const { return drop_arrow_; }
    void SetDropArrow(bool value) { Set(drop_arrow_, value); }
    TTransparentButtonImages& Images() { return images_; }

    // The pictures the button draws: with a glyph its cells, then the grey and the disabled
    // copy of cell 0; from the image lists active, disabled, down, grey and hot.
    const std::vector<MaskedPicture>& Pictures() const { return pictures_; }
    // The index of the picture drawn in the present state, or -1 for none.
    int CurrentPicture() const;

    // Only an opaque button of a style that fills it paints every pixel.
    bool PaintsEveryPixel() const override;
    void Paint(TCanvas& canvas) override;

protected:
    // The hot-track font follows the button's font when hoFollowFont is set.
    void FontChanged() override;

private:
    template <typename V>
    void Set(V& field, V value) {
        SetProperty(field, value, [this] { Redraw(); });
    }
    ButtonLook Look() const;
    void RebuildPictures();
    void PaintFrame(TCanvas& canvas, const ButtonLook& look);
    void PaintCaption(TCanvas& canvas, const ButtonLook& look, int glyph_top, int glyph_bottom);
    // Where a picture or caption at `at` goes when the button shows itself pressed.
    Point PressShifted(Point at, const ButtonLook& look) const;
    void PaintDropArrow(TCanvas& canvas);

    TGlyph glyph_;
    int num_glyphs_ = 1;
    TTextAlign text_align_ = TTextAlign::ttaCenter;
    int spacing_ = 2;
    bool word_wrap_ = false;
    TFrameStyle frame_style_ = TFrameStyle::fsExplorer;
    unsigned border_width_ = 1;
    bool transparent_ = true, show_pressed_ = true, auto_gray_ = true, hot_track_ = false, drop_arrow_ = false;
    int press_offset_ = 1;
    TFont hot_track_font_;
    unsigned hot_track_font_options_ = hoFollowFont | hoPreserveColor | hoPreserveStyle;
    TTransparentButtonImages images_;
    std::vector<MaskedPicture> pictures_;
};

}  // namespace roadsum
