// The page that stands in for the exception box when a web server's request failed: the
// message, a continue button that goes back, and the report behind a show button.
#pragma once

#include <string>
#include <string_view>

#include "crash/capture/crash_exception.h"

namespace roadsum {

struct THtmlPageTexts {
    std::string Title;          // TitleBar, expanded
    std::string Message;        // ExceptMsg with "%LF%" as "<br>" and a line break, expanded
    std::string ContinueText;   // the caption, or "continue application" when that button is hidden
    std::string ShowText;       // empty: no show button
    bool ReportVisible = false;  // AutoShowBugRep: the report shows from the start
};

// Put before the page on a CGI output.
inline constexpr const char* kHtmlContentType = "Content-Type: text/html\r\n\r\n";

THtmlPageTexts HtmlPageTexts(const TCrashException& report);
std::string HtmlPage(const THtmlPageTexts& texts, std::string_view report_text);

}  // namespace roadsum
