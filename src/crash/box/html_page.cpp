#include "crash/box/html_page.h"

#include "crash/box/box_texts.h"

namespace roadsum {

namespace {

// What the failure brought (its message, the report) is text, never markup of the page.
std::string escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace

THtmlPageTexts HtmlPageTexts(const TCrashException& report) {
    THtmlPageTexts texts;
    texts.Title = report.Get(keys::TitleBar);
    const std::optional<SettingValue> raw = report.Lookup(keys::ExceptMsg.name);
    std::string message = raw ? raw->text : std::string();
    std::string broken;
    for (std::size_t i = 0; i < message.size(); ++i) {
        if (message.compare(i, 4, "%LF%") == 0 || message.compare(i, 4, "%lf%") == 0) {
            broken += "<br>\r\n";
            i += 3;
        } else {
            broken += message[i];
        }
    }
    texts.Message = ComposeBoxMessage(report, broken, escaped(report.ExceptMessage()));
    texts.ContinueText = report.Get(keys::ContinueBtnVis) ? report.Get(keys::ContinueBtnTxt) : "continue application";
    texts.ReportVisible = report.Get(keys::AutoShowBugRep);
    if (report.Get(keys::ShowBtnVis) && !texts.ReportVisible) texts.ShowText = report.Get(keys::ShowBtnTxt);
    return texts;
}

std::string HtmlPage(const THtmlPageTexts& texts, std::string_view report_text) {
    const char* const kSpacer = "<tr><td colspan=4 style=\"height:8pt;\"></td></tr>";
    std::string page;
    auto line = [&page](std::string_view part) {
        page += part;
        page += "\r\n";
    };
    line("<html><head><title>" + texts.Title + "</title></head><body>");
    line("<table border=\"0\" width=\"100%\" height=\"100%\">");
    line("<tr><td colspan=4 style=\"height:2pt;\"></td></tr>");
    line("<tr><td colspan=4 valign=\"top\">"
         "<p style=\"font-family:Tahoma,'MS Sans Serif';font-size:13pt;margin-left:4px;\">" +
         texts.Message + "</p></td></tr>");
    line(kSpacer);
    line("<tr><td><button onClick=\"history.back();\" style=\"height:19.5pt;\">&nbsp;" + texts.ContinueText +
         "&nbsp;</button></td>");
    line("<td><p>&nbsp;&nbsp;</p></td>");
    line("<td>" +
         (texts.ShowText.empty()
              ? std::string("&nbsp;")
              : "<button onClick=\"document.getElementById('bugReport').style.visibility='visible';"
                "this.style.visibility='hidden';\" style=\"height:19.5pt;\">&nbsp;" +
                    texts.ShowText + "&nbsp;</button>") +
         "</td>");
    line("<td width=\"100%\"></td></tr>");
    line(kSpacer);
    line("<tr><td colspan=4 height=\"100%\">");
    line(std::string("<textarea id=\"bugReport\" readonly cols=\"80\" rows=\"20\" style=\"width:100%;height:100%;") +
         (texts.ReportVisible ? "" : "visibility:hidden;") + "\">");
    page += escaped(report_text);
    page += "</textarea></td></tr></table></body></html>";
    return page;
}

}  // namespace roadsum
