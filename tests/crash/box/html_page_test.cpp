#include "crash/box/html_page.h"

#include <gtest/gtest.h>

#include "capture_fakes.h"

namespace roadsum {
namespace {

using testing::CaptureWorld;
using testing::exception_of;

TEST(HtmlPage, IsWrittenExactlyAsListed) {
    CaptureWorld world("TitleBar = \"Roadsum\"\nExceptMsg = \"An error occurred.%LF%%exceptMsg%\"\n"
                       "ContinueBtnVis = true\nContinueBtnTxt = \"continue application\"\n"
                       "ShowBtnVis = true\nShowBtnTxt = \"show bug report\"\nAutoShowBugRep = false\n");
    auto report = world.report(ekNormal, exception_of({"EConvertError"}, "'a<b' is not a valid value"));
    EXPECT_EQ(HtmlPage(HtmlPageTexts(*report), "date/time : now\r\n</textarea> & more"),
              "<html><head><title>Roadsum</title></head><body>\r\n"
              "<table border=\"0\" width=\"100%\" height=\"100%\">\r\n"
              "<tr><td colspan=4 style=\"height:2pt;\"></td></tr>\r\n"
              "<tr><td colspan=4 valign=\"top\"><p style=\"font-family:Tahoma,'MS Sans Serif';font-size:13pt;"
              "margin-left:4px;\">An error occurred.<br>\r\n'a&lt;b' is not a valid value</p></td></tr>\r\n"
              "<tr><td colspan=4 style=\"height:8pt;\"></td></tr>\r\n"
              "<tr><td><button onClick=\"history.back();\" style=\"height:19.5pt;\">&nbsp;continue application"
              "&nbsp;</button></td>\r\n"
              "<td><p>&nbsp;&nbsp;</p></td>\r\n"
              "<td><button onClick=\"document.getElementById('bugReport').style.visibility='visible';"
              "this.style.visibility='hidden';\" style=\"height:19.5pt;\">&nbsp;show bug report&nbsp;</button></td>\r\n"
              "<td width=\"100%\"></td></tr>\r\n"
              "<tr><td colspan=4 style=\"height:8pt;\"></td></tr>\r\n"
              "<tr><td colspan=4 height=\"100%\">\r\n"
              "<textarea id=\"bugReport\" readonly cols=\"80\" rows=\"20\" style=\"width:100%;height:100%;"
              "visibility:hidden;\">\r\n"
              "date/time : now\r\n&lt;/textarea&gt; &amp; more</textarea></td></tr></table></body></html>");
}

TEST(HtmlPage, HiddenButtonsAndTheReportShownFromTheStart) {
    CaptureWorld world("ContinueBtnVis = false\nContinueBtnTxt = \"go on\"\nShowBtnVis = true\nAutoShowBugRep = true\n");
    auto report = world.report(ekNormal, exception_of({"Exception"}));
    const THtmlPageTexts texts = HtmlPageTexts(*report);
    EXPECT_EQ(texts.ContinueText, "continue application");
    EXPECT_EQ(texts.ShowText, "");
    const std::string page = HtmlPage(texts, "r");
    EXPECT_NE(page.find("<td>&nbsp;</td>\r\n"), std::string::npos);
    EXPECT_NE(page.find("height:100%;\">\r\nr</textarea>"), std::string::npos);
}

}  // namespace
}  // namespace roadsum
