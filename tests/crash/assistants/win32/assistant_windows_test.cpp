// The assistants in their windows under Wine: the contact page's registry memory, the address
// check holding Continue back, the screenshot edited through the shell's "edit" verb and taken
// back on the page's timer, the report's own screenshot, and pictures of the three pages.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "capture_fakes.h"
#include "crash/assistants/install_assistants_win32.h"
#include "crash/capture/report_screenshot.h"
#include "crash/pages/nv_assistant.h"
#include "page_user.h"

namespace roadsum {
namespace {

using testing::User;

constexpr const char* kContactKey = "Software\\Pelwin\\ContactForm";

std::optional<std::string> remembered(const char* value) {
    char text[256] = {};
    DWORD size = sizeof text;
    if (RegGetValueA(HKEY_CURRENT_USER, kContactKey, value, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(text);
}

class AssistantWindows : public ::testing::Test {
protected:
    AssistantWindows()
        : world_("Assistant1 = \"SendAssistant|Send Assistant|ContactForm|DetailsForm|ScrShotForm\"\n"
                 "Assistant2 = \"SaveAssistant|Save Assistant|ContactForm|DetailsForm\"\n"
                 "Assistant3 = \"ShotAssistant|Screenshot|ScrShotForm\"\n") {
        InstallAssistants();
        RegDeleteKeyA(HKEY_CURRENT_USER, kContactKey);
        SetCursorPos(0, 0);
        // A topmost owner, as the exception box may be.
        owner_ = CreateWindowExA(WS_EX_TOPMOST, "Static", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                                 nullptr, nullptr, nullptr, nullptr);
        report_ = new_report();
        previous_hook_ = SetAssistantCreatedHook([this](INVAssistant& made) { assistant_ = &made; });
    }
    ~AssistantWindows() override {
        SetAssistantCreatedHook(previous_hook_);
        DestroyWindow(owner_);
        RegDeleteKeyA(HKEY_CURRENT_USER, kContactKey);
    }
    Ref<TCrashException> new_report() { return world_.report(ekNormal, testing::exception_of({"Exception"})); }
    TAssistantResult show(const std::string& name) {
        return ShowReportAssistant(*report_, name, owner_, reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr)));
    }
    bool owner_topmost() const { return GetWindowLongA(owner_, GWL_EXSTYLE) & WS_EX_TOPMOST; }

    // A page of the assistant being shown, and the window of one of its items.
    TNVForm& page(int index) const { return static_cast<TNVForm&>(*assistant_->Form(index)); }
    HWND item(int page_index, const char* name) const {
        return reinterpret_cast<HWND>(page(page_index).FindItem(name, kind_of(name))->Handle());
    }
    static NVItemKind kind_of(std::string_view name) {
        if (name.ends_with("Btn")) return NVItemKind::button;
        if (name.ends_with("Check")) return NVItemKind::check_box;
        if (name.ends_with("Img")) return NVItemKind::image;
        return NVItemKind::edit;
    }

    testing::CaptureWorld world_;
    HWND owner_;
    Ref<TCrashException> report_;
    INVAssistant* assistant_ = nullptr;  // the one being shown
    AssistantHook previous_hook_;
};

std::string text_of(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

TEST_F(AssistantWindows, ContactPageHoldsBackBadAddressesAndRemembersOrForgetsTheContact) {
    bool held_back = false, topmost_meanwhile = true;
    {
        User user([&](User& u) {
            topmost_meanwhile = owner_topmost();
            if (!u.wait_for_page(page(0))) return;
            u.type(item(0, "NameEdit"), "Jane Doe");
            u.type(item(0, "EmailEdit"), "jane.example.com");
            held_back = !IsWindowEnabled(item(0, "ContinueBtn"));
            SetWindowTextA(item(0, "EmailEdit"), "");
            u.type(item(0, "EmailEdit"), "jane@example.com");
            u.click(item(0, "MemCheck"));
            u.save_picture("assistants-contact.bmp");
            SendMessageA(item(0, "ContinueBtn"), BM_CLICK, 0, 0);
            if (!u.wait_for_page(page(1))) return;
            // Enter in a memo breaks the line.
            u.type(item(1, "DetailsMemo"), "It failed when I typed abc.\rThen it went away.");
            u.save_picture("assistants-details.bmp");
            SendMessageA(item(1, "ContinueBtn"), BM_CLICK, 0, 0);
        });
        EXPECT_EQ(show("saveassistant"), TAssistantResult::Done);
    }
    EXPECT_TRUE(held_back);
    EXPECT_FALSE(topmost_meanwhile);
    EXPECT_TRUE(owner_topmost());
    EXPECT_EQ(remembered("RememberName"), "Jane Doe");
    EXPECT_EQ(remembered("RememberEmail"), "jane@example.com");
    EXPECT_EQ(report_->Get(keys::MailFrom), "Jane Doe <jane@example.com>");
    EXPECT_EQ(report_->Fields()->Find("contact email"), "jane@example.com");
    EXPECT_EQ(report_->Sections()->Find("error details"), "It failed when I typed abc.\r\nThen it went away.");

    // Another report: the page comes filled from the registry; unticking forgets both values.
    report_ = new_report();
    std::string name_seen, email_seen;
    bool ticked = false, continue_focused = false;
    {
        User user([&](User& u) {
            if (!u.wait_for_page(page(0))) return;
            name_seen = text_of(item(0, "NameEdit"));
            email_seen = text_of(item(0, "EmailEdit"));
            ticked = page(0).CheckBox("MemCheck")->Checked();
            continue_focused = u.focus() == item(0, "ContinueBtn");
            u.save_picture("assistants-contact-remembered.bmp");
            u.click(item(0, "MemCheck"));
            SendMessageA(item(0, "ContinueBtn"), BM_CLICK, 0, 0);
            if (!u.wait_for_page(page(1))) return;
            SendMessageA(item(1, "CancelBtn"), BM_CLICK, 0, 0);
        });
        EXPECT_EQ(show("SaveAssistant"), TAssistantResult::Cancelled);
    }
    EXPECT_EQ(name_seen, "Jane Doe");
    EXPECT_EQ(email_seen, "jane@example.com");
    EXPECT_TRUE(ticked);
    EXPECT_TRUE(continue_focused);
    EXPECT_EQ(remembered("RememberName"), std::nullopt);
    EXPECT_EQ(remembered("RememberEmail"), std::nullopt);
}

// Stands in for the user's picture editor: the shell's "edit" verb for bitmaps copies a red
// picture over the file it is given, as an editor saving its work would. The class of ".bmp"
// that was there before comes back afterwards.
class EditVerb {
public:
    explicit EditVerb(const std::string& edited) {
        char before[256] = {};
        DWORD size = sizeof before;
        if (RegGetValueA(HKEY_CLASSES_ROOT, ".bmp", nullptr, RRF_RT_REG_SZ, nullptr, before, &size) == ERROR_SUCCESS)
            before_ = before;
        set(".bmp", "RoadsumTest.Picture");
        set("RoadsumTest.Picture\\shell\\edit\\command",
            "C:\\windows\\system32\\cmd.exe /c copy /y \"" + edited + "\" \"%1\"");
    }
    ~EditVerb() {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, "RoadsumTest.Picture");
        RegDeleteKeyA(HKEY_CLASSES_ROOT, "RoadsumTest.Picture");
        if (before_)
            set(".bmp", *before_);
        else
            RegDeleteKeyValueA(HKEY_CLASSES_ROOT, ".bmp", nullptr);
    }

private:
    static void set(const char* key, const std::string& value) {
        RegSetKeyValueA(HKEY_CLASSES_ROOT, key, nullptr, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
    }
    std::optional<std::string> before_;
};

std::string temp_path(const char* name) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    return std::string(temp) + name;
}

TEST_F(AssistantWindows, ScreenshotEditedOnDiskComesBackOnThePageAndGoesAlong) {
    const std::string edited_file = temp_path("roadsum-edited.bmp");
    const PixelImage edited(400, 300, rgb_pixel(200, 0, 0));
    ASSERT_TRUE(TINVBitmap(edited).SaveAsBmp(edited_file));
    EditVerb verb(edited_file);
    // The report's screenshot: blue with a white band, wider than the page's image.
    PixelImage taken(480, 240, rgb_pixel(0, 0, 160));
    for (int y = 100; y < 140; ++y)
        for (int x = 0; x < 480; ++x) taken.row(y)[x] = rgb_pixel(255, 255, 255);
    report_->SetScreenshot(std::make_shared<TINVBitmap>(taken));
    const std::string shown_file = temp_path(".noxExcept\\screenShot.bmp");

    std::uint32_t before = 0, after = 0;
    bool file_while_shown = false, reloaded = false;
    DWORD waited = 0;
    {
        User user([&](User& u) {
            if (!u.wait_for_page(page(0))) return;
            HWND image = item(0, "ScrShotImg");
            RECT r;
            GetClientRect(image, &r);
            POINT centre{r.right / 2, r.bottom / 2};
            MapWindowPoints(image, u.page(), &centre, 1);
            u.save_picture("assistants-screenshot.bmp");
            before = testing::client_pixel(u.page(), u.picture, centre.x, centre.y);
            const DWORD clicked = GetTickCount();
            u.click(image);
            reloaded = User::wait_for([&] { return report_->Screenshot()->Pixels() == edited; }, 10000);
            waited = GetTickCount() - clicked;
            file_while_shown = GetFileAttributesA(shown_file.c_str()) != INVALID_FILE_ATTRIBUTES;
            u.save_picture("assistants-screenshot-edited.bmp");
            after = testing::client_pixel(u.page(), u.picture, centre.x, centre.y);
            u.click(item(0, "AttachCheck"));
            SendMessageA(item(0, "ContinueBtn"), BM_CLICK, 0, 0);
        });
        EXPECT_EQ(show("ShotAssistant"), TAssistantResult::Done);
    }
    DeleteFileA(edited_file.c_str());
    EXPECT_EQ(before, rgb_pixel(255, 255, 255));
    EXPECT_TRUE(reloaded) << "waited " << waited << " ms";
    std::printf("edited picture back in the report %lu ms after the click\n", static_cast<unsigned long>(waited));
    EXPECT_TRUE(file_while_shown);
    EXPECT_EQ(after, rgb_pixel(200, 0, 0));
    EXPECT_FALSE(report_->AppendScreenshot());
    EXPECT_EQ(GetFileAttributesA(shown_file.c_str()), INVALID_FILE_ATTRIBUTES);  // deleted on closing
}

TEST_F(AssistantWindows, TheReportTakesItsScreenshotAsTheSettingsSay) {
    testing::pump(100);
    report_->Set(keys::ScrShotAppOnly, true);
    report_->Set(keys::ScrShotDepth, 0);
    TakeReportScreenshot(*report_);
    EXPECT_FALSE(report_->Screenshot());

    report_->Set(keys::ScrShotDepth, 16);
    TakeReportScreenshot(*report_);
    ASSERT_TRUE(report_->Screenshot());
    RECT r;
    GetWindowRect(owner_, &r);
    // Only this program's one window, in 5-6-5 colours.
    EXPECT_EQ(report_->Screenshot()->Width(), r.right - r.left);
    EXPECT_EQ(report_->Screenshot()->Height(), r.bottom - r.top);
    EXPECT_EQ(ReduceColourDepth(report_->Screenshot()->Pixels(), 16), report_->Screenshot()->Pixels());
}

}  // namespace
}  // namespace roadsum
