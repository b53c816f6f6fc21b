#include "controls/transparent_button.h"

#include <algorithm>

#include "toolkit/win_control.h"

namespace roadsum {
namespace {

// The checkered ground of a pressed opaque button: button face with white pixels where row
// and column are both even or both odd; made once and shared by all buttons.
HBRUSH CheckeredBrush() {
    struct Pattern {
        Bitmap bitmap;
        Brush brush;
    };
    static const Pattern pattern = [] {
        ClientDC screen(nullptr);
        MemoryDC dc(screen.get());
        Pattern p{Bitmap(CreateCompatibleBitmap(screen.get(), 8, 8)), Brush()};
        {
            SelectObjectScope select(dc.get(), p.bitmap.get());
            COLORREF face = ColorToRGB(clBtnFace);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) SetPixelV(dc.get(), x, y, x % 2 == y % 2 ? RGB(255, 255, 255) : face);
        }
        p.brush.reset(CreatePatternBrush(p.bitmap.get()));
        return p;
    }();
    return pattern.brush.get();
}

}  // namespace

// ---- TCustomGraphicButton

TCustomGraphicButton::TCustomGraphicButton(TWinControl* parent) : TGraphicControl(parent) {}

void TCustomGraphicButton::Redraw() { Repaint(); }

void TCustomGraphicButton::SetDown(bool value) {
    if (group_index_ == 0) value = false;
    if (value == down_) return;
    if (down_ && !allow_all_up_) return;
    down_ = value;
    NotifyGroup();
    Redraw();
}

void TCustomGraphicButton::SetGroupIndex(int value) {
    if (value == group_index_) return;
    group_index_ = value;
    // Only a button of a group can be down.
    if (group_index_ == 0) down_ = false;
    NotifyGroup();
    Redraw();
}

void TCustomGraphicButton::SetAllowAllUp(bool value) {
    SetProperty(allow_all_up_, value, [this] { NotifyGroup(); });
}

void TCustomGraphicButton::SetDropDownMenu(TPopupMenu* menu) {
    SetProperty(drop_down_menu_, menu, [this] { Redraw(); });
}

void TCustomGraphicButton::SetKeepMouseLeavePressed(bool value) {
    SetProperty(keep_mouse_leave_pressed_, value, [this] { Redraw(); });
}

// The other buttons of the group on the same parent take the sender's AllowAllUp, and a down
// one goes up when the sender went down.
void TCustomGraphicButton::NotifyGroup() {
    if (group_index_ == 0 || !Parent()) return;
    for (auto& control : Parent()->Controls())
        if (auto* other = dynamic_cast<TCustomGraphicButton*>(control.get()); other && other != this)
            other->GroupNotice(*this);
}

void TCustomGraphicButton::GroupNotice(const TCustomGraphicButton& sender) {
    if (sender.group_index_ != group_index_) return;
    allow_all_up_ = sender.allow_all_up_;
    if (sender.down_ && down_) {
        down_ = false;
        pressed_ = false;
        Redraw();
    }
}

void TCustomGraphicButton::Click() {
    if (group_index_ != 0) SetDown(allow_all_up_ ? !down_ : true);
    try {
        TGraphicControl::Click();
    } catch (...) {
        pressed_ = false;
        Redraw();
        throw;
    }
}

void TCustomGraphicButton::MouseDown(TMouseButton button, UINT keys, int x, int y) {
    if (!Enabled()) return;
    TGraphicControl::MouseDown(button, keys, x, y);
    if (HitTest(x, y)) {
        inside_ = pressed_ = true;
        Redraw();
    }
    if (button == TMouseButton::mbLeft && drop_down_menu_) ShowDropDown();
}

void TCustomGraphicButton::ShowDropDown() {
    TPopupMenu* menu = drop_down_menu_;
    menu->SetPopupComponent(this);
    POINT at = ClientToScreen({0, Height()});
    if (menu->Alignment() == TPopupAlignment::paRight) at.x += Width();
    if (menu->Alignment() == TPopupAlignment::paCenter) at.x += Width() / 2;
    bool show = true;
    if (OnDropDownMenu) OnDropDownMenu(this, show);
    if (!show) return;
    menu->Popup(at.x, at.y, ParentHandle());
    // The press that opened the menu ends with it: its release went to the menu, and the
    // clicks the user made there are not the button's.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
    TGraphicControl::MouseCaptureLost();
    if (Parent() && Parent()->CaptureControl() == this) ReleaseCapture();
    POINT pos{};
    GetCursorPos(&pos);
    pos = ScreenToClient(pos);
    MouseUp(TMouseButton::mbLeft, 0, pos.x, pos.y);
    DropDownClosed();
}

void TCustomGraphicButton::MouseMove(UINT keys, int x, int y) {
    TGraphicControl::MouseMove(keys, x, y);
    if (!Enabled() || !MouseCapture()) return;
    bool inside = HitTest(x, y);
    if (inside != inside_) {
        inside_ = inside;
        Redraw();
    }
}

void TCustomGraphicButton::MouseUp(TMouseButton button, UINT keys, int x, int y) {
    if (!Enabled()) return;
    TGraphicControl::MouseUp(button, keys, x, y);
    pressed_ = false;
    Redraw();
}

void TCustomGraphicButton::MouseEnter() {
    if (!Enabled() || inside_) return;
    inside_ = true;
    if (OnMouseEnter) OnMouseEnter(this);
    Redraw();
}

void TCustomGraphicButton::MouseLeave() {
    if (!Enabled() || !inside_) return;
    inside_ = false;
    if (OnMouseLeave) OnMouseLeave(this);
    Redraw();
}

void TCustomGraphicButton::MouseCaptureLost() {
    TGraphicControl::MouseCaptureLost();
    if (!pressed_) return;
    pressed_ = false;
    Redraw();
}

bool TCustomGraphicButton::DialogChar(char key) {
    if (!Enabled() || !IsAccel(key, Caption())) return false;
    Click();
    return true;
}

void TCustomGraphicButton::EnabledChanged() {
    inside_ = pressed_ = false;
    Redraw();
}

void TCustomGraphicButton::ParentColorChanged() {
    TGraphicControl::ParentColorChanged();
    if (OnParentColorChange) OnParentColorChange(this);
}

// ---- TTransparentButtonImages

TTransparentButtonImages::~TTransparentButtonImages() {
    for (Pair& p : pairs_)
        if (p.list) p.list->RemoveObserver(this);
}

void TTransparentButtonImages::SetImage(Slot slot, TImageList* list) {
    Pair& p = pairs_[slot];
    if (p.list == list) return;
    if (p.list) p.list->RemoveObserver(this);
    p.list = list;
    if (list) list->AddObserver(this);
    Changed();
}

void TTransparentButtonImages::SetIndex(Slot slot, int index) {
    if (pairs_[slot].index == index) return;
    pairs_[slot].index = index;
    Changed();
}

const MaskedPicture* TTransparentButtonImages::Picture(Slot slot) const {
    const Pair& p = pairs_[slot];
    return p.list ? p.list->Picture(p.index) : nullptr;
}

void TTransparentButtonImages::ImageListChanged(TImageList* list) {
    if (std::any_of(pairs_.begin(), pairs_.end(), [&](const Pair& p) { return p.list == list; })) Changed();
}

void TTransparentButtonImages::ImageListGone(TImageList* list) {
    bool dropped = false;
    for (Pair& p : pairs_)
        if (p.list == list) {
            p = Pair{};
            dropped = true;
        }
    if (dropped) Changed();
}

// ---- TTransparentButton

TTransparentButton::TTransparentButton(TWinControl* parent) : TCustomGraphicButton(parent) {
    SetBounds(0, 0, 40, 40);
    images_.OnChange = [this] {
        RebuildPictures();
        Redraw();
    };
}

void TTransparentButton::SetGlyph(TGlyph glyph) {
    glyph_ = std::move(glyph);
    if (!glyph_.Empty()) num_glyphs_ = NumGlyphsForGlyph(glyph_.Width(), glyph_.Height(), num_glyphs_);
    RebuildPictures();
    Redraw();
}

void TTransparentButton::SetNumGlyphs(int value) {
    if (value < 1 || value > 4) return;
    SetProperty(num_glyphs_, value, [this] {
        RebuildPictures();
        Redraw();
    });
}

void TTransparentButton::SetHotTrackFont(const TFont& font) {
    if (font.SameAs(hot_track_font_)) return;
    hot_track_font_ = font;
    Redraw();
}

void TTransparentButton::FontChanged() {
    if (hot_track_font_options_ & hoFollowFont) {
        TFont hot = Font();
        const TFont& own = hot_track_font_;
        unsigned keep = hot_track_font_options_;
        if (keep & hoPreserveCharSet) hot.SetCharset(own.Charset());
        if (keep & hoPreserveColor) hot.SetColor(own.Color());
        if (keep & hoPreserveHeight) hot.SetHeight(own.Height());
        if (keep & hoPreserveName) hot.SetName(own.Name());
        if (keep & hoPreservePitch) hot.SetPitch(own.Pitch());
        if (keep & hoPreserveStyle) hot.SetStyle(own.Style());
        hot_track_font_ = hot;
    }
    Redraw();
}

void TTransparentButton::RebuildPictures() {
    pictures_.clear();
    if (!glyph_.Empty()) {
        for (int i = 0; i < num_glyphs_; ++i) pictures_.push_back(GlyphCell(glyph_, i, num_glyphs_));
        MaskedPicture first = pictures_.front();  // a copy: the list grows below
        pictures_.push_back(GreyCopy(first));
        pictures_.push_back(EmbossedPicture(DisabledShape(first), first.width, first.height));
        return;
    }
    using S = TTransparentButtonImages;
    const MaskedPicture* active = images_.Picture(S::kActive);
    if (!active) return;
    auto own_or = [&](S::Slot slot, auto make) {
        const MaskedPicture* own = images_.Picture(slot);
        pictures_.push_back(own ? *own : make());
    };
    pictures_.push_back(*active);
    // The active picture's own mask is the shape that the disabled look etches.
    own_or(S::kDisabled, [&] { return EmbossedPicture(active->opaque, active->width, active->height); });
    own_or(S::kDown, [&] { return *active; });
    own_or(S::kGray, [&] { return GreyCopy(*active); });
    own_or(S::kHot, [&] { return *active; });
}

ButtonLook TTransparentButton::Look() const {
    ButtonLook look;
    look.enabled = Enabled();
    look.inside = MouseInControl();
    look.pressed = Pressed();
    look.down = Down();
    look.flat = transparent_;
    look.frame = frame_style_;
    look.auto_gray = auto_gray_;
    look.hot_track = hot_track_;
    look.keep_pressed = KeepMouseLeavePressed();
    look.show_pressed = show_pressed_;
    return look;
}

int TTransparentButton::CurrentPicture() const {
    if (pictures_.empty()) return -1;
    int index = glyph_.Empty() ? ImagesPictureIndex(Look()) : GlyphPictureIndex(Look(), num_glyphs_);
    return index < static_cast<int>(pictures_.size()) ? index : -1;
}

bool TTransparentButton::PaintsEveryPixel() const {
    // The two framed styles leave their outer edge to the state frame, which may not show.
    return !transparent_ && frame_style_ != TFrameStyle::fsRegular && frame_style_ != TFrameStyle::fsIndent;
}

void TTransparentButton::PaintFrame(TCanvas& canvas, const ButtonLook& look) {
    int w = Width(), h = Height();
    // A frame wider than the button paints no more than the button.
    int bw = static_cast<int>(std::min<unsigned>(border_width_, static_cast<unsigned>(std::max(w, h))));
    canvas.SetBrush(Color());
    canvas.SetPen(clBlack, bw, PS_INSIDEFRAME);
    bool framed = frame_style_ == TFrameStyle::fsRegular || frame_style_ == TFrameStyle::fsIndent;
    if (!framed && !transparent_) canvas.FillRect(ClientRect());
    switch (frame_style_) {
        case TFrameStyle::fsRegular: {
            RECT r = {1, 1, w, h};
            if (transparent_) canvas.Frame3D(r, clBlack, clBlack, bw);
            else canvas.Rectangle(r);
            break;
        }
        case TFrameStyle::fsIndent: {
            RECT r = {0, 0, w - 1, h - 1};
            if (transparent_) {
                canvas.Frame3D(r, clBtnShadow, clBtnShadow, bw);
            } else {
                canvas.SetPen(clBtnShadow, bw, PS_INSIDEFRAME);
                canvas.Rectangle(r);
            }
            RECT inner = {1, 1, w, h};
            canvas.Frame3D(inner, clBtnHighlight, clBtnHighlight, bw);
            break;
        }
        case TFrameStyle::fsExplorer: {
            RECT r = ClientRect();
            canvas.Frame3D(r, clBtnHighlight, clBtnShadow, 1);
            break;
        }
        default:
            break;
    }
    RECT r = ClientRect();
    for (const FrameRing& ring : StateFrame(look, bw)) canvas.Frame3D(r, ring.top_left, ring.bottom_right, ring.width);
}

void TTransparentButton::Paint(TCanvas& canvas) {
    ButtonLook look = Look();
    PaintFrame(canvas, look);

    int index = CurrentPicture();
    const MaskedPicture* picture = index >= 0 ? &pictures_[index] : nullptr;
    int pw = picture ? picture->width : 0, ph = picture ? picture->height : 0;
    Point at = GlyphPosition(text_align_, Width(), Height(), pw, ph, spacing_);
    int glyph_top = at.y, glyph_bottom = at.y + ph;
    at = PressShifted(at, look);
    if (look.inside && (look.pressed || look.down) && !transparent_) {
        int inset = static_cast<int>(std::min<unsigned>(border_width_, 1u << 16)) + 1;
        RECT r = {inset, inset, Width() - inset, Height() - inset};
        if (r.right > r.left && r.bottom > r.top) FillRect(canvas.Handle(), &r, CheckeredBrush());
    }
    if (picture) DrawMaskedPicture(canvas.Handle(), at.x, at.y, *picture);
    if (!Caption().empty()) PaintCaption(canvas, look, glyph_top, glyph_bottom);
    if (drop_arrow_ && DropDownMenu()) PaintDropArrow(canvas);
}

Point TTransparentButton::PressShifted(Point at, const ButtonLook& look) const {
    if ((look.pressed || look.down) && show_pressed_) return {at.x + press_offset_, at.y + press_offset_};
    return at;
}

void TTransparentButton::PaintCaption(TCanvas& canvas, const ButtonLook& look, int glyph_top, int glyph_bottom) {
    bool hot = hot_track_ && look.inside;
    canvas.SetFont(hot ? hot_track_font_ : Font());
    UINT layout = word_wrap_ ? DT_WORDBREAK : DT_SINGLELINE;
    RECT measured = {0, 0, word_wrap_ ? Width() : 0, 0};
    canvas.DrawText(Caption(), measured, layout | DT_CALCRECT);
    int tw = measured.right - measured.left, th = measured.bottom - measured.top;
    Point at = CaptionPosition(text_align_, Width(), Height(), tw, th, spacing_, glyph_top, glyph_bottom);
    at = PressShifted(at, look);
    RECT r = {at.x, at.y, at.x + tw, at.y + th};
    canvas.DrawCaption(Caption(), r, layout | DT_CENTER | DT_NOCLIP, look.enabled);
}

void TTransparentButton::PaintDropArrow(TCanvas& canvas) {
    int x = Width() - 16, y = Height() / 2;
    if (Pressed()) ++x, ++y;
    canvas.SetPen(Enabled() ? clWindowText : clInactiveCaption);
    // Four lines, each a pixel shorter at both ends than the one above.
    for (int i = 0; i < 4; ++i) canvas.Line(x + i, y + i, x + 7 - i, y + i);
}

}  // namespace roadsum
