#include "crash/box/box_texts.h"

#include <algorithm>
#include <cmath>

#include "crash/common/text_lists.h"

namespace roadsum {

namespace {

// Stands for the exception message while the rest of a template is expanded.
constexpr char kMessageMark = '\x01';

std::string replace_ignoring_case(std::string_view text, std::string_view what, std::string_view with) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (i + what.size() <= text.size() && equal_ignoring_case(text.substr(i, what.size()), what)) {
            out += with;
            i += what.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::string raw_text(const TCrashException& report, TextKey key) {
    const std::optional<SettingValue> value = report.Lookup(key.name);
    return value && value->kind == SettingKind::Text ? value->text : std::string();
}

}  // namespace

std::string SplitSentences(std::string_view message, std::string_view exception_class,
                           std::string_view exempt_class) {
    std::string out(message);
    if (message.size() <= 29 || (!exempt_class.empty() && exception_class == exempt_class)) return out;
    out.clear();
    for (std::size_t i = 0; i < message.size(); ++i) {
        // Character positions count from 1: the full stop is the (i + 1)th.
        const std::size_t position = i + 1;
        if (message[i] == '.' && i + 1 < message.size() && message[i + 1] == ' ' && position >= 20 &&
            position <= message.size() - 9) {
            out += ".\r\n";
            ++i;  // the blank goes
        } else {
            out += message[i];
        }
    }
    return out;
}

std::string ComposeBoxMessage(const INXSettings& settings, std::string_view raw_template,
                              std::string_view exception_message) {
    const std::string marked = replace_ignoring_case(raw_template, "%exceptMsg%", std::string(1, kMessageMark));
    std::string expanded = settings.ExpandText(marked);
    std::string out;
    for (char c : expanded) {
        if (c == kMessageMark)
            out += exception_message;
        else
            out += c;
    }
    return out;
}

TBoxTexts BoxTexts(const TCrashException& report, bool simple, std::string_view app_name,
                   std::string_view exempt_class) {
    TBoxTexts texts;
    const bool frozen = report.Kind() == ekFrozen;
    const std::string message = SplitSentences(report.ExceptMessage(), report.ExceptClass(), exempt_class);
    if (simple) {
        texts.Caption = app_name;
        texts.Message = frozen ? report.Get(keys::FrozenMsg) : message;
        texts.Buttons[bbContinue] = report.Get(keys::OkBtnTxt);
        texts.Buttons[bbShow] = report.Get(keys::DetailsBtnTxt);
        return texts;
    }
    texts.Caption = report.Get(keys::TitleBar);
    texts.Message = ComposeBoxMessage(report, raw_text(report, frozen ? keys::FrozenMsg : keys::ExceptMsg), message);
    texts.Buttons = {report.Get(keys::SendBtnTxt),     report.Get(keys::SaveBtnTxt),    report.Get(keys::PrintBtnTxt),
                     report.Get(keys::ShowBtnTxt),     report.Get(keys::ContinueBtnTxt), report.Get(keys::RestartBtnTxt),
                     report.Get(keys::CloseBtnTxt)};
    return texts;
}

TBoxButtons BoxButtons(const INXSettings& settings, int box_kind, bool can_continue,
                       const TExceptionTimeRing& ring, std::uint64_t now) {
    TBoxButtons b;
    if (box_kind == bkSimpleWithDetails || box_kind == bkSimpleOkOnly) {
        b.Visible[bbContinue] = true;
        b.Visible[bbShow] = box_kind == bkSimpleWithDetails;
        b.Focused = bbContinue;
        return b;
    }
    b.Visible = {settings.Get(keys::SendBtnVis),     settings.Get(keys::SaveBtnVis),
                 settings.Get(keys::PrintBtnVis),    settings.Get(keys::ShowBtnVis) && !settings.Get(keys::AutoShowBugRep),
                 settings.Get(keys::ContinueBtnVis), settings.Get(keys::RestartBtnVis),
                 settings.Get(keys::CloseBtnVis)};
    b.Focused = std::clamp(settings.Get(keys::FocusedBtn), 0, kBoxButtons - 1);
    int automatic = -1;
    if (ring.RuleHolds(settings.Get(keys::AutoClose), now) && b.Visible[bbClose])
        automatic = bbClose;
    else if (ring.RuleHolds(settings.Get(keys::AutoRestart), now) && b.Visible[bbRestart])
        automatic = bbRestart;
    else if (settings.Get(keys::AutoContinue) && b.Visible[bbContinue] && can_continue)
        automatic = bbContinue;
    if (automatic >= 0) b.Focused = automatic;
    b.AutoDelaySeconds = settings.Get(keys::AutoDelay);
    if (automatic >= 0 && b.AutoDelaySeconds > 0) b.AutoButton = automatic;
    // A hidden button cannot hold the focus: the first visible one takes it.
    if (!b.Visible[b.Focused]) {
        for (int i : {bbContinue, bbRestart, bbClose, bbSend, bbSave, bbPrint, bbShow})
            if (b.Visible[i]) {
                b.Focused = i;
                break;
            }
    }
    return b;
}

int AutoBarPosition(std::uint64_t elapsed_ms, std::int32_t delay_s, int width) {
    if (delay_s <= 0) return width;
    const double position = std::nearbyint(static_cast<double>(elapsed_ms) * width / (delay_s * 1000.0));
    return static_cast<int>(std::clamp(position, 0.0, static_cast<double>(width)));
}

}  // namespace roadsum
