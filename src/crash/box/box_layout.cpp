#include "crash/box/box_layout.h"

#include <algorithm>

namespace roadsum {

namespace {

constexpr int kLeft = 6;          // the first button from the left edge
constexpr int kRight = 8;         // the application buttons from the right edge
constexpr int kGap = 4;           // between buttons, in a row and in the column
constexpr int kGroupGap = 12;     // between the left buttons and the application buttons
constexpr int kMessageTop = 8;
constexpr int kIconSize = 28;
constexpr int kSimpleMinWidth = 79;
constexpr int kSimpleMargin = 24;  // plain buttons have no picture
constexpr int kSimpleBoxMinWidth = 260;

bool visible(const TBoxLayoutInput& in, int b) { return in.Visible[static_cast<std::size_t>(b)]; }

int button_width(const TBoxLayoutInput& in, int b) {
    const int caption = in.CaptionWidth[static_cast<std::size_t>(b)];
    return in.Simple ? std::max(caption + kSimpleMargin, kSimpleMinWidth) : caption + kButtonMargin;
}

// The width a row of the given buttons takes, with the gaps between them.
int row_width(const TBoxLayoutInput& in, std::initializer_list<int> buttons) {
    int width = 0, count = 0;
    for (int b : buttons)
        if (visible(in, b)) {
            width += button_width(in, b);
            ++count;
        }
    return count ? width + (count - 1) * kGap : 0;
}

int max_width(int client_width_limit, int needed, bool full) {
    return full ? client_width_limit : std::min(std::max(kBoxWidth, needed), client_width_limit);
}

TBoxLayout lay_out_simple(const TBoxLayoutInput& in, int limit) {
    TBoxLayout out;
    out.ButtonHeight = 23;
    const int left = in.Icon ? kRight + kIconColumn : kRight;
    if (in.Icon) out.Icon = {kRight, 1, kIconSize, kIconSize};
    const int buttons = row_width(in, {bbContinue, bbShow});
    const TextSize line = in.Message ? in.Message(0) : TextSize{};
    int width = std::max({kSimpleBoxMinWidth, left + line.width + kRight, buttons + 2 * kRight});
    width = std::min(width, limit);
    const TextSize wrapped = in.Message ? in.Message(width - left - kRight) : TextSize{};
    out.Message = {left, kMessageTop, width - left - kRight, wrapped.height};
    int top = out.Message.bottom() + 5;
    if (in.Icon && wrapped.height < 26) top = std::max(top, 31);
    out.ClientWidth = width;
    out.ClientHeight = top + 2 * out.ButtonHeight + 21;
    // The buttons sit in the middle of the band below the message.
    const int y = top + (2 * out.ButtonHeight + 21 - out.ButtonHeight) / 2;
    int x = (width - buttons) / 2;
    for (int b : {bbContinue, bbShow})
        if (visible(in, b)) {
            out.Buttons[b] = {x, y, button_width(in, b), out.ButtonHeight};
            x += button_width(in, b) + kGap;
        }
    return out;
}

}  // namespace

TBoxLayout LayOutBox(const TBoxLayoutInput& in) {
    const int limit = std::max(200, in.ScreenWidth - 5 * in.CaptionHeight);
    if (in.Simple) return lay_out_simple(in, limit);

    TBoxLayout out;
    out.ButtonHeight = in.Ugly ? 26 : 22;
    const int h = out.ButtonHeight;
    const int application = visible(in, bbContinue) + visible(in, bbRestart) + visible(in, bbClose);
    const int left_buttons = row_width(in, {bbSend, bbSave, bbPrint, bbShow});
    out.Column = application > 1 && left_buttons > 0;

    int column_width = 0;
    for (int b : {bbContinue, bbRestart, bbClose})
        if (visible(in, b)) column_width = std::max(column_width, button_width(in, b));
    const int right_buttons = out.Column ? column_width : row_width(in, {bbContinue, bbRestart, bbClose});
    int needed = kLeft + left_buttons + right_buttons + kRight;
    if (left_buttons && right_buttons) needed += kGroupGap;
    out.ClientWidth = max_width(limit, needed, in.FullWidth);

    const int message_left = in.Icon ? kRight + kIconColumn : kRight;
    if (in.Icon) out.Icon = {kRight, 1, kIconSize, kIconSize};
    const int wrap = std::max(1, out.ClientWidth - message_left - kRight);
    const TextSize message = in.Message ? in.Message(wrap) : TextSize{};
    out.Message = {message_left, kMessageTop, wrap, message.height};

    int top = out.Message.bottom() + 5;
    if (in.Icon && message.height < 26) top = std::max(top, 31);
    int rows_top = top, rows = 1;
    if (out.Column) {
        // Three stacked buttons reach one row higher, beside the message.
        if (application == 3) rows_top = std::max(7, top - (h + kGap));
        rows = application;
        int y = rows_top;
        for (int b : {bbContinue, bbRestart, bbClose})
            if (visible(in, b)) {
                out.Buttons[b] = {out.ClientWidth - kRight - column_width, y, column_width, h};
                y += h + kGap;
            }
    } else {
        int x = out.ClientWidth - kRight;
        for (int b : {bbClose, bbRestart, bbContinue})
            if (visible(in, b)) {
                x -= button_width(in, b);
                out.Buttons[b] = {x, rows_top, button_width(in, b), h};
                x -= kGap;
            }
    }
    const int bottom_row = rows_top + (rows - 1) * (h + kGap);
    int x = kLeft;
    for (int b : {bbSend, bbSave, bbPrint, bbShow})
        if (visible(in, b)) {
            out.Buttons[b] = {x, bottom_row, button_width(in, b), h};
            x += button_width(in, b) + kGap;
        }
    out.ClientHeight = rows_top + rows * (h + kGap) + 8;
    return out;
}

Rect DetailsArea(const TBoxLayout& layout, int client_width, int client_height) {
    const int top = layout.ClientHeight - 4;
    return {kLeft, top, std::max(0, client_width - 2 * kLeft), std::max(0, client_height - top - kLeft)};
}

}  // namespace roadsum
