#include "toolkit/menu.h"

#include <memory>
#include <type_traits>

namespace roadsum {
namespace {

struct MenuDeleter {
    void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using MenuHandle = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;

}  // namespace

int TPopupMenu::Add(std::string caption, TNotifyEvent on_click) {
    items_.push_back({std::move(caption), std::move(on_click), true});
    return static_cast<int>(items_.size()) - 1;
}

bool TPopupMenu::Popup(int x, int y, HWND owner) {
    if (OnPopup) OnPopup(this);
    MenuHandle menu(CreatePopupMenu());
    if (!menu) return false;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const TMenuItem& item = items_[i];
        if (item.Caption == "-") {
            AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
            continue;
        }
        // Command 0 means "nothing chosen", so item i has command i + 1.
        UINT flags = MF_STRING | (item.Enabled ? MF_ENABLED : MF_GRAYED);
        AppendMenuA(menu.get(), flags, i + 1, item.Caption.c_str());
    }
    UINT align = alignment_ == TPopupAlignment::paRight    ? TPM_RIGHTALIGN
                 : alignment_ == TPopupAlignment::paCenter ? TPM_CENTERALIGN
                                                           : TPM_LEFTALIGN;
    int command = TrackPopupMenu(menu.get(), align | TPM_LEFTBUTTON | TPM_RETURNCMD, x, y, 0, owner, nullptr);
    menu.reset();
    if (command <= 0 || static_cast<std::size_t>(command) > items_.size()) return false;
    if (TNotifyEvent& click = items_[command - 1].OnClick) click(this);
    return true;
}

}  // namespace roadsum
