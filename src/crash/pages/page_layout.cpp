#include "crash/pages/page_layout.h"

#include <algorithm>

namespace roadsum {
namespace {

constexpr int kButtonMargin = 8;
constexpr int kButtonPadding = 24;  // caption to the button's edges, both sides together
constexpr int kEditPadding = 4;     // inside the edit window, above and below the text
constexpr int kTitleLeft = 11, kTitleTop = 6;
constexpr int kNumbersRight = 3;    // room right of the last page number
// Sizes a resource may ask for are kept within what a window can be, so that no sum
// overflows whatever the resource says.
constexpr int kMaxSize = 8192;
constexpr int kMaxLines = 500;

int within(int value, int low, int high) { return std::clamp(value, low, high); }

int line_height(const TextMeasurer& m) { return m.measure(FontRole::item, "").height; }

Rect item_size(const TNVItem& item, const TextMeasurer& m, int content) {
    const int line = line_height(m);
    switch (item.Kind()) {
        case NVItemKind::button: return {0, 0, button_width(static_cast<const TNVButton&>(item), m), kButtonHeight};
        case NVItemKind::label: {
            const auto& label = static_cast<const TNVLabel&>(item);
            return {0, 0, content, m.measure(FontRole::item, label.Caption(), content).height};
        }
        case NVItemKind::edit: {
            const auto& edit = static_cast<const TNVEdit&>(item);
            return {0, 0, content, within(edit.Lines(), 1, kMaxLines) * line + kEditPadding + 2 * kEditFrame};
        }
        case NVItemKind::check_box: {
            const auto& box = static_cast<const TNVCheckBox&>(item);
            const int caption = m.measure(FontRole::item, box.Caption()).width;
            return {0, 0, std::min(content, kCheckBoxSize + 6 + caption + 2), std::max(line, kCheckBoxSize) + 4};
        }
        case NVItemKind::image: {
            const auto& image = static_cast<const TNVImage&>(item);
            const auto bitmap = image.Bitmap();
            const int border = image.Border() ? 2 : 0;
            const int w = image.Width() ? image.Width() : bitmap ? bitmap->width : content - border;
            const int h = image.Height() ? image.Height() : bitmap ? bitmap->height : 0;
            return {0, 0, std::min(within(w, 0, kMaxSize) + border, content), within(h, 0, kMaxSize) + border};
        }
    }
    return {};
}

}  // namespace

int button_width(const TNVButton& button, const TextMeasurer& m) {
    return within(std::max(button.MinWidth(), m.measure(FontRole::item, button.Caption()).width + kButtonPadding), 0, kMaxSize);
}

bool is_head_label(const TNVItem& item, const TextMeasurer& m, int width) {
    if (item.Kind() != NVItemKind::label) return false;
    const std::string& caption = static_cast<const TNVLabel&>(item).Caption();
    if (caption.empty() || (caption.back() != ':' && caption.back() != '?')) return false;
    return caption.find_first_of("\r\n") == std::string::npos && m.measure(FontRole::item, caption).width <= width;
}

int item_gap(const std::vector<const TNVItem*>& items, std::size_t i, const std::vector<bool>& head) {
    if (i + 1 >= items.size()) return 0;
    const TNVItem& item = *items[i];
    if (item.Spacing() != 0) return within(item.Spacing(), -kMaxSize, kMaxSize);
    if (head[i]) return 4;
    const NVItemKind kind = item.Kind(), next = items[i + 1]->Kind();
    if (next != kind) {
        // Between two head labels, before one more of its kind: the pair stays together.
        if (i > 0 && head[i - 1] && head[i + 1] && i + 2 < items.size() && items[i + 2]->Kind() == kind) return 8;
        return 12;
    }
    switch (kind) {
        case NVItemKind::button: return 4;
        case NVItemKind::edit: return 6;
        default: return 8;
    }
}

PageLayout layout_page(const TNVForm& form, const TextMeasurer& m) {
    PageLayout l;
    const auto& all = form.Items();
    const TNVButton* buttons[3];
    int buttons_width = 0;
    for (int i = 0; i < 3; ++i) {
        buttons[i] = static_cast<const TNVButton*>(all[static_cast<std::size_t>(i)].get());
        if (buttons[i]->Visible()) buttons_width += button_width(*buttons[i], m);
    }
    l.title = {kTitleLeft, kTitleTop, m.measure(FontRole::title, form.Message()).width,
               m.measure(FontRole::title, form.Message()).height};
    const int pages = within(form.PageCount(), 1, kMaxSize / kPageNumberStep);
    const int pages_room = kPageNumberStep * pages;
    l.width = std::max({buttons_width + 32, kPageMinWidth, within(form.MinWidth(), 0, kMaxSize),
                        within(l.title.width, 0, kMaxSize) + 36 + pages_room});
    const int content = l.width - 2 * kItemLeft;

    std::vector<const TNVItem*> items;
    for (std::size_t i = 3; i < all.size(); ++i) items.push_back(all[i].get());
    std::vector<bool> head;
    for (const TNVItem* item : items) head.push_back(is_head_label(*item, m, content));

    l.items.assign(all.size(), Rect{});
    int y = kItemTop;
    for (std::size_t i = 0; i < items.size(); ++i) {
        Rect r = item_size(*items[i], m, content);
        r.left = kItemLeft;
        r.top = y;
        l.items[i + 3] = r;
        // Pages longer than any screen stop growing rather than overflow.
        y = within(y + r.height + item_gap(items, i, head), kItemTop, 1 << 24);
    }
    l.height = y + kButtonHeight + 33;
    l.button_top = l.height - kButtonHeight - kButtonMargin;
    l.panel = {8, 25, l.width - 16, l.button_top - 10 - 25};

    const bool standard = buttons[0]->Visible() && buttons[1]->Visible() && buttons[2]->Visible();
    auto place = [&](int i, int x) {
        l.items[static_cast<std::size_t>(i)] = {x, l.button_top, button_width(*buttons[i], m), kButtonHeight};
    };
    if (buttons[2]->Visible()) place(2, l.width - button_width(*buttons[2], m) - kButtonMargin);
    if (standard) {
        place(1, kButtonMargin);
        place(0, l.items[2].left - kButtonMargin - button_width(*buttons[0], m));
    } else {
        int x = kButtonMargin;
        for (int i : {0, 1})
            if (buttons[i]->Visible()) {
                place(i, x);
                x += l.items[static_cast<std::size_t>(i)].width + kButtonMargin;
            }
    }

    const int numbers_left = l.width - kNumbersRight - kPageNumberStep * pages;
    const int number_height = m.measure(FontRole::item_bold, "").height;
    for (int i = 0; i < pages; ++i) l.numbers.push_back({numbers_left + kPageNumberStep * i, kTitleTop, kPageNumberStep, number_height});
    l.symbol = {numbers_left - kPageSymbolSize, 3, kPageSymbolSize, kPageSymbolSize};
    return l;
}

}  // namespace roadsum
