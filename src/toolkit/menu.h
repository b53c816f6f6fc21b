// A pop-up menu: a list of items shown at a point of the screen, modally, until the user
// picks one or closes it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/control.h"

namespace roadsum {

enum class TPopupAlignment { paLeft, paRight, paCenter };

struct TMenuItem {
    std::string Caption;  // "-" is a separator
    TNotifyEvent OnClick;
    bool Enabled = true;
};

class TPopupMenu : public TObject {
public:
    // Appends an item and returns its index.
    int Add(std::string caption, TNotifyEvent on_click = {});
    std::vector<TMenuItem>& Items() { return items_; }

    // Where the menu stands relative to the point it pops up at: its left edge, its right
    // edge or its middle there.
    TPopupAlignment Alignment() const { return alignment_; }
    void SetAlignment(TPopupAlignment alignment) { alignment_ = alignment; }
    // The control that popped the menu up last.
    TObject* PopupComponent() const { return popup_component_; }
    void SetPopupComponent(TObject* component) { popup_component_ = component; }

    // Runs before the menu shows.
    TNotifyEvent OnPopup;

    // Shows the menu at a screen point with `owner` as its owner window and waits until it
    // closes; the chosen item's OnClick runs then. True when an item was chosen.
    bool Popup(int x, int y, HWND owner);

private:
    std::vector<TMenuItem> items_;
    TPopupAlignment alignment_ = TPopupAlignment::paLeft;
    TObject* popup_component_ = nullptr;
};

}  // namespace roadsum
