// The real Roadsum.exe, used as a person would: typing, clicking, reading the window.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "../toolkit/clipboard_text.h"
#include "automation.h"
#include "toolkit/form.h"

namespace roadsum::e2e {
namespace {

TEST(RoadsumWindow, ATypedWorkedExampleShowsItsResultsAndTheScreenshotIsSaved) {
    RoadsumProcess roadsum;
    ASSERT_NE(roadsum.Window(), nullptr) << "no main window appeared";
    char title[64] = {};
    GetWindowTextA(roadsum.Window(), title, sizeof title);
    EXPECT_STREQ(title, "Roadsum");
    EXPECT_EQ(roadsum.Query("StayAwayCbx", aqState), "1,1,1,0") << "the focus starts on Stay Away";

    roadsum.TypeInto("TotalHoursForProjectTb", "84");
    roadsum.TypeInto("NumberOfTechniciansTb", "2");
    roadsum.TypeInto("DistanceOneWayTb", "100");
    roadsum.TypeInto("TravelTimeInMinsOneWayTb", "90");
    EXPECT_EQ(roadsum.Text("TotalHoursForProjectTb"), "84");
    EXPECT_EQ(roadsum.Text("NumberOfTechniciansTb"), "2");
    roadsum.Click("StayAwayCbx");
    EXPECT_TRUE(roadsum.WaitUntil([&] { return roadsum.Query("StayAwayCbx", aqState) == "1,1,1,1"; }));
    roadsum.Click("Label6");  // "Calculate"
    roadsum.WaitUntil([&] { return roadsum.Text("Label22") != "Days of working"; });

    EXPECT_EQ(roadsum.Text("Label8"), "Accomodation (6 Nights) - $1,680.00");
    EXPECT_EQ(roadsum.Text("Label9"), "Vehicle (2 Trips) - $260.00");
    EXPECT_EQ(roadsum.Text("Label10"), "Travelling (2 Trips) - $330.00");
    EXPECT_EQ(roadsum.Text("Label13"), "Total Travelling && Accom - $2,270.00");
    EXPECT_EQ(roadsum.Text("Label22"), "5.25 Days of working");
    EXPECT_EQ(roadsum.Query("StayAwayCbx", aqState), "1,1,1,1") << "Calculate leaves the focus where it was";
    for (const char* label : {"Label8", "Label9", "Label10", "Label13", "Label22"}) {
        RECT r = roadsum.ScreenRect(label), total = roadsum.ScreenRect("Label13");
        EXPECT_EQ(r.right, total.right) << label << " shares the right edge";
    }
    EXPECT_TRUE(roadsum.SaveScreenshot(ROADSUM_SCREENSHOT_DIR "/roadsum-window.bmp"));
}

// The crash reporter decides what follows a failure: with the shipped settings its exception
// box asks, "continue application" lets the program go on, and the report is saved into
// bugreport.txt beside the program. No plain message box appears.
TEST(RoadsumWindow, AnInvalidFieldIsReportedAndTheProgramGoesOn) {
    const std::string program = ProgramPath();
    const std::string report_file = program.substr(0, program.find_last_of("\\/") + 1) + "bugreport.txt";
    DeleteFileA(report_file.c_str());
    RoadsumProcess roadsum;
    ASSERT_NE(roadsum.Window(), nullptr);
    roadsum.TypeInto("DistanceOneWayTb", "12.5");
    roadsum.Click("Label6");
    HWND box = nullptr;
    for (int waited = 0; waited < 10000 && !box; waited += 20, Sleep(20))
        box = FindWindowA("noxExceptWndClass", nullptr);
    EXPECT_NE(box, nullptr) << "the exception box asks";
    EXPECT_EQ(roadsum.FindMessageBox(500), nullptr) << "no plain message box";
    const HWND go_on = box ? FindWindowExA(box, nullptr, "Button", "continue application") : nullptr;
    ASSERT_NE(go_on, nullptr);
    RECT r;
    GetWindowRect(go_on, &r);
    roadsum.ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_TRUE(roadsum.WaitUntil([&] { return !IsWindow(box); })) << "the box goes";
    EXPECT_EQ(roadsum.Text("Label8"), "Accomodation") << "no label changed";
    EXPECT_EQ(roadsum.Query("RoadsumFrm", aqState).substr(0, 1), "1") << "still running";
    std::string saved;
    EXPECT_TRUE(roadsum.WaitUntil([&] {
        std::ifstream in(report_file, std::ios::binary);
        saved.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return saved.find("\r\n\r\n", saved.size() < 4 ? 0 : saved.size() - 4) != std::string::npos;
    })) << "the report is saved";
    EXPECT_NE(saved.find("\r\nexception class  : EConvertError\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\r\nmain thread ($"), std::string::npos) << saved;
    DeleteFileA(report_file.c_str());

    roadsum.TypeInto("DistanceOneWayTb", "100");
    roadsum.TypeInto("TotalHoursForProjectTb", "84");
    roadsum.TypeInto("NumberOfTechniciansTb", "2");
    roadsum.TypeInto("TravelTimeInMinsOneWayTb", "90");
    roadsum.Click("Label6");
    EXPECT_TRUE(roadsum.WaitUntil([&] { return roadsum.Text("Label22") == "5.25 Days of working"; }))
        << "the program calculates on after the failure";
}

TEST(RoadsumWindow, ALongTextPastedWithCtrlVArrivesWholeInAFieldAndInASpinEdit) {
    RoadsumProcess roadsum;
    ASSERT_NE(roadsum.Window(), nullptr);
    const std::string text = testing::CountingDigits(40000);
    for (const char* field : {"DistanceOneWayTb", "NumberOfTechniciansTb"}) {
        SCOPED_TRACE(field);
        ASSERT_TRUE(testing::SetClipboardText(text));
        roadsum.TypeInto(field, "");  // focused and empty
        HWND edit = roadsum.FocusedWindow();
        ASSERT_NE(edit, nullptr);
        roadsum.Chord(VK_CONTROL, 'V');
        roadsum.WaitUntil([&] { return RoadsumProcess::WindowText(edit).size() >= text.size(); });
        EXPECT_TRUE(testing::SameText(RoadsumProcess::WindowText(edit), text));
    }
    // Leaving the spin edit reads its text as a number, which this one is not: it stays.
    roadsum.Click("StayAwayCbx");
    EXPECT_EQ(roadsum.Text("NumberOfTechniciansTb"), text.substr(0, 255));
}

// The names of the files in the program's folder.
std::set<std::string> FilesBesideTheProgram() {
    std::string folder = ProgramPath().substr(0, ProgramPath().find_last_of("\\/") + 1);
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.insert(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

TEST(RoadsumWindow, TheGoButtonCalculatesAndTheCloseButtonEndsTheProgramLeavingNothingBehind) {
    std::set<std::string> before = FilesBesideTheProgram();
    RoadsumProcess roadsum;
    ASSERT_NE(roadsum.Window(), nullptr);
    roadsum.TypeInto("TotalHoursForProjectTb", "84");
    roadsum.TypeInto("NumberOfTechniciansTb", "2");
    roadsum.TypeInto("DistanceOneWayTb", "100");
    roadsum.TypeInto("TravelTimeInMinsOneWayTb", "90");
    roadsum.Click("PricelistBtn");
    EXPECT_TRUE(roadsum.WaitUntil([&] { return roadsum.Text("Label22") == "5.25 Days of working"; }));
    EXPECT_EQ(roadsum.Text("Label9"), "Vehicle (6 Trips) - $780.00");
    EXPECT_EQ(roadsum.Query("TravelTimeInMinsOneWayTb", aqState), "1,1,1,0") << "the GO button takes no focus";
    roadsum.Click("ShapeButton2");
    EXPECT_EQ(roadsum.WaitForExit(), 0);
    EXPECT_EQ(FilesBesideTheProgram(), before) << "nothing is saved";
}

TEST(RoadsumWindow, TheFramesCloseBoxEndsTheProgram) {
    RoadsumProcess roadsum;
    ASSERT_NE(roadsum.Window(), nullptr);
    RECT r;
    GetWindowRect(roadsum.Window(), &r);
    int frame = GetSystemMetrics(SM_CXFRAME), button = GetSystemMetrics(SM_CXSIZE);
    roadsum.ClickAt(r.right - frame - button / 2 - 1, r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2);
    EXPECT_EQ(roadsum.WaitForExit(), 0);
}

}  // namespace
}  // namespace roadsum::e2e
