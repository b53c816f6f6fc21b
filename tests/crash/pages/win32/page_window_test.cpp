#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

#include "crash/pages/gdi_win32.h"
#include "crash/pages/nv_assistant.h"
#include "crash/pages/page_resources_win32.h"
#include "crash/picture/bitmap.h"
#include "page_user.h"
#include "screen_test_support.h"

namespace roadsum {

// Handlers the pages find by name in this program's debug information (with C names: the
// debug information keeps those of this calling convention by their plain name).
std::mutex g_mutex;
std::vector<std::string> g_events;

__attribute__((noinline)) void record_event(INVForm* form, int action, INVItem* item, void* exception) {
    std::lock_guard lock(g_mutex);
    g_events.push_back(form->Name() + " " + std::to_string(action) + " " + (item ? item->Name() : "-") +
                       (exception ? " report" : ""));
}

// Kept small, as handlers should be: the check by name looks at the end of its code.
extern "C" void NV_HANDLER_CALL CountingHandler(INVForm* form, int action, INVItem* item, void* exception) {
    record_event(form, action, item, exception);
}

// Fits in every way but removes no argument from the stack when it returns.
void PlainHandler(INVForm* form, int action, INVItem* item, void* exception) { record_event(form, action, item, exception); }

namespace {

using testing::pump;

std::vector<std::string> events() {
    std::lock_guard lock(g_mutex);
    return g_events;
}

using testing::page_window;
using testing::User;

class PageWindowTest : public ::testing::Test {
protected:
    PageWindowTest() {
        g_events.clear();
        SetCursorPos(0, 0);
        owner_ = CreateWindowExA(0, "Static", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, nullptr, nullptr,
                                 nullptr, nullptr);
        assistant_ = LoadAssistant(reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr)), "Send Assistant",
                                   {"ContactForm", "DetailsForm", "ScrShotForm"});
    }
    ~PageWindowTest() override { DestroyWindow(owner_); }
    TNVForm& page(int i) { return static_cast<TNVForm&>(*assistant_->Form(i)); }
    std::uintptr_t owner() const { return reinterpret_cast<std::uintptr_t>(owner_); }

    HWND owner_;
    std::shared_ptr<TNVAssistant> assistant_;
};

TEST_F(PageWindowTest, TheShippedPagesLoadWithTheirItemsAndButtons) {
    ASSERT_EQ(assistant_->FormCount(), 3);
    const int counts[] = {8, 5, 6};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(page(i).ItemCount(), counts[i]) << page(i).Name();
        EXPECT_EQ(page(i).ContinueBtn()->Caption(), "Continue");
        EXPECT_EQ(page(i).SkipBtn()->Caption(), "Skip");
        EXPECT_EQ(page(i).CancelBtn()->Caption(), "Cancel");
    }
    EXPECT_TRUE(page(0).Edit("EmailEdit"));
    EXPECT_TRUE(page(1).Edit("DetailsMemo"));
    EXPECT_TRUE(page(2).Image("ScrShotImg"));

    // A corrupt page gives its message and is left out; a missing one is left out quietly.
    std::vector<std::string> messages;
    const auto some = LoadAssistant(reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr)), "Some",
                                    {"BrokenForm", "NoSuchForm", "DetailsForm"}, 0,
                                    [&](const std::string& text, const std::string& caption) { messages.push_back(caption + ": " + text); });
    ASSERT_EQ(some->FormCount(), 1);
    EXPECT_EQ(some->Form(0)->Name(), "DetailsForm");
    EXPECT_EQ(messages, std::vector<std::string>{"noxExcept: Internal error: Invalid assistant resource ($12)."});

    // The pages come from the resource module (a language module) when it holds the first.
    const auto self = reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
    const auto kernel = reinterpret_cast<std::uintptr_t>(GetModuleHandleA("kernel32.dll"));
    EXPECT_EQ(LoadAssistant(kernel, "x", {"ContactForm", "DetailsForm"}, self)->FormCount(), 2);
    EXPECT_EQ(LoadAssistant(self, "x", {"ContactForm", "DetailsForm"}, kernel)->FormCount(), 2);
    EXPECT_EQ(LoadAssistant(kernel, "x", {"ContactForm", "DetailsForm"})->FormCount(), 0);
}

// The send assistant as a user goes through it; a picture of each page.
TEST_F(PageWindowTest, TheSendAssistantShowsItsPagesInTurn) {
    for (int i = 0; i < 3; ++i) page(i).SetOnAction(CountingHandler);
    bool owner_disabled = true, all_shown = false;
    std::string titles;
    int result = 0;
    {
        User user([&](User& u) {
            auto title = [&] {
                char text[64] = {};
                GetWindowTextA(u.page(), text, sizeof text);
                titles += std::string(text) + ";";
            };
            if (!u.wait_for_page(page(0))) return;
            title();
            u.type(u.item(page(0), "NameEdit"), "Jane Doe");
            u.type(u.item(page(0), "EmailEdit"), "jane@example.com");
            u.click(u.item(page(0), "MemCheck"));
            u.save_picture("assistant-page-1.bmp");
            // The screen as it is now, as the screenshot page shows a report's screenshot.
            const std::shared_ptr<INVBitmap> screen = TakeScreenshot(false)->Zoom(320, 240);
            page(2).Image("ScrShotImg")->SetBitmap(std::make_shared<const PixelImage>(screen->Pixels()));
            SendMessageA(u.item(page(0), "ContinueBtn"), BM_CLICK, 0, 0);
            if (!u.wait_for_page(page(1))) return;
            owner_disabled = owner_disabled && !IsWindowEnabled(owner_);
            title();
            u.type(u.item(page(1), "DetailsMemo"), "I clicked GO with a distance of abc.");
            u.save_picture("assistant-page-2.bmp");
            SendMessageA(u.item(page(1), "SkipBtn"), BM_CLICK, 0, 0);
            if (!u.wait_for_page(page(2))) return;
            owner_disabled = owner_disabled && !IsWindowEnabled(owner_);
            title();
            u.save_picture("assistant-page-3.bmp");
            all_shown = true;
            u.key(u.focus(), VK_RETURN);
        });
        result = assistant_->ShowModal(owner());
    }
    EXPECT_TRUE(all_shown);
    EXPECT_EQ(result, mrContinue);
    EXPECT_TRUE(owner_disabled);
    EXPECT_TRUE(IsWindowEnabled(owner_));
    EXPECT_EQ(titles, "Send Assistant;Send Assistant;Send Assistant;");
    EXPECT_EQ(page(0).ModalResult(), mrContinue);
    EXPECT_EQ(page(1).ModalResult(), mrSkip);
    EXPECT_EQ(page(2).ModalResult(), mrContinue);
    const std::vector<std::string> seen = events();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "ContactForm 2 -"), 1);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "DetailsForm 3 SkipBtn"), 1);
    EXPECT_EQ(seen.back(), "ScrShotForm 2 -");
}

TEST_F(PageWindowTest, ContactPageContinuesOnlyOnceTheAddressIsTyped) {
    TNVForm& form = page(0);
    form.SetOnAction(CountingHandler);
    form.SetTitle("Send Assistant");
    form.SetPage(1, 3);
    bool continue_at_start = true, continue_after_typing = false, owner_disabled = false;
    std::uint32_t name_frame = 0, email_frame = 0;
    std::vector<COLORREF> colours;
    RECT client{};
    int result = 0;
    {
        User user([&](User& u) {
            GetClientRect(u.page(), &client);
            owner_disabled = !IsWindowEnabled(owner_);
            HWND cont = u.item(form, "ContinueBtn");
            continue_at_start = IsWindowEnabled(cont);
            u.save_picture("page-contact-empty.bmp");  // looked at with the others
            // The focused name edit has the focus frame, the address edit the quiet one.
            const Rect name = form.Edit("NameEdit")->Bounds(), email = form.Edit("EmailEdit")->Bounds();
            name_frame = testing::client_pixel(u.page(), u.picture, name.left + 1, name.top + 1);
            email_frame = testing::client_pixel(u.page(), u.picture, email.left + 1, email.top + 1);
            u.type(u.item(form, "NameEdit"), "Jane Doe");
            u.type(u.item(form, "EmailEdit"), "j");
            continue_after_typing = IsWindowEnabled(cont);
            // Text colours: black when not Colored; dark green while valid, dark red while not.
            HDC dc = CreateCompatibleDC(nullptr);
            auto colour = [&](const char* edit) {
                SendMessageA(u.page(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(u.item(form, edit)));
                return GetTextColor(dc);
            };
            colours.push_back(colour("NameEdit"));
            colours.push_back(colour("EmailEdit"));
            form.Edit("EmailEdit")->SetValid(false);
            colours.push_back(colour("EmailEdit"));
            form.Edit("EmailEdit")->SetValid(true);
            DeleteDC(dc);
            u.type(u.item(form, "EmailEdit"), "ane@example.com");
            u.click(u.item(form, "MemCheck"));
            u.key(u.focus(), VK_RETURN);  // Enter on the check box presses Continue
        });
        result = form.ShowModal(owner());
    }
    EXPECT_EQ(result, mrContinue);
    EXPECT_TRUE(owner_disabled);
    EXPECT_TRUE(IsWindowEnabled(owner_));
    EXPECT_EQ(page_window(), nullptr);
    EXPECT_FALSE(continue_at_start);
    EXPECT_TRUE(continue_after_typing);
    EXPECT_EQ(name_frame, testing::pixel_of(GetSysColor(COLOR_HIGHLIGHT)));
    EXPECT_EQ(email_frame, testing::pixel_of(shade(GetSysColor(COLOR_BTNFACE), 24)));
    EXPECT_EQ(colours, (std::vector<COLORREF>{RGB(0, 0, 0), RGB(0, 128, 0), RGB(128, 0, 0)}));
    EXPECT_GE(client.right, 315);
    EXPECT_EQ(form.Edit("NameEdit")->Text(), "Jane Doe");
    EXPECT_EQ(form.Edit("EmailEdit")->Text(), "jane@example.com");
    EXPECT_TRUE(form.CheckBox("MemCheck")->Checked());
    const std::vector<std::string> seen = events();
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(seen.front(), "ContactForm 1 -");
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "ContactForm 3 EmailEdit"), 16);  // one per character
    EXPECT_EQ(seen[seen.size() - 2], "ContactForm 3 ContinueBtn");
    EXPECT_EQ(seen.back(), "ContactForm 2 -");
}

TEST_F(PageWindowTest, DetailsPageMemoKeepsEnterAndEscapeCancels) {
    TNVForm& form = page(1);
    form.SetPage(2, 3);
    std::string memo_text;
    int result = 0;
    {
        User user([&](User& u) {
            HWND memo = u.item(form, "DetailsMemo");
            u.type(memo, "clicked GO");
            u.key(memo, VK_RETURN);  // through the page's loop: a new line, the page stays
            User::wait_for([&] { return GetWindowTextLengthA(memo) == 12; });
            u.type(memo, "twice");
            char text[128] = {};
            GetWindowTextA(memo, text, sizeof text);
            memo_text = text;
            u.key(memo, VK_ESCAPE);
        });
        result = form.ShowModal(owner());
    }
    EXPECT_EQ(result, mrCancel);
    EXPECT_EQ(memo_text, "clicked GO\r\ntwice");
}

TEST_F(PageWindowTest, ScreenshotPageTicksEvery250msShowsItsPictureAndTakesEnter) {
    TNVForm& form = page(2);
    form.SetPage(3, 3);
    form.SetOnAction(CountingHandler);
    LRESULT hand_over_image = FALSE, hand_over_label = TRUE;
    bool continue_focused = false;
    int result = 0;
    {
        User user([&](User& u) {
            continue_focused = u.focus() == u.item(form, "ContinueBtn");
            User::wait_for([] {
                const std::vector<std::string> seen = events();
                return std::count(seen.begin(), seen.end(), "ScrShotForm 3 -") >= 2;
            }, 3000);
            hand_over_image = SendMessageA(u.page(), WM_SETCURSOR, reinterpret_cast<WPARAM>(u.item(form, "ScrShotImg")),
                                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            hand_over_label = SendMessageA(u.page(), WM_SETCURSOR, reinterpret_cast<WPARAM>(u.item(form, "EditLabel")),
                                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            SendMessageA(u.page(), WM_COMMAND, MAKEWPARAM(100 + 4, STN_CLICKED),
                         reinterpret_cast<LPARAM>(u.item(form, "ScrShotImg")));
            u.key(u.focus(), VK_RETURN);
        });
        result = form.ShowModal(owner());
    }
    EXPECT_EQ(result, mrContinue);
    EXPECT_TRUE(continue_focused);  // ActiveControl
    EXPECT_TRUE(hand_over_image);
    EXPECT_FALSE(hand_over_label);
    const std::vector<std::string> seen = events();
    EXPECT_GE(std::count(seen.begin(), seen.end(), "ScrShotForm 3 -"), 2);  // timer ticks, no item
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "ScrShotForm 3 ScrShotImg"), 1);
    EXPECT_EQ(seen.back(), "ScrShotForm 2 -");
}

TEST_F(PageWindowTest, SystemCloseCancelsAndFocusComesBackOnReactivation) {
    TNVForm& form = page(0);
    form.SetOnAction(CountingHandler);
    bool focus_back = false;
    int result = 0;
    {
        User user([&](User& u) {
            // The page notes what had the focus when another window comes up and gives it
            // back when it is active again.
            HWND email = u.item(form, "EmailEdit");
            u.click(email);
            SendMessageA(u.page(), WM_ACTIVATE, WA_INACTIVE, 0);
            u.click(u.item(form, "NameEdit"));
            SendMessageA(u.page(), WM_ACTIVATE, WA_ACTIVE, 0);
            focus_back = u.focus() == email;
            PostMessageA(u.page(), WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        result = form.ShowModal(owner());
    }
    EXPECT_EQ(result, mrCancel);
    EXPECT_TRUE(focus_back);
    EXPECT_EQ(events().back(), "ContactForm 2 -");
}

TEST_F(PageWindowTest, HandlersAreFoundByNameOnlyWhenTheyRemoveTheirStackArgument) {
    EXPECT_EQ(ResolvePageHandler("PageWindowTest.CountingHandler"), &CountingHandler);
    EXPECT_EQ(ResolvePageHandler("PageWindowTest.PlainHandler"), nullptr);
    EXPECT_EQ(ResolvePageHandler("PageWindowTest.NoSuchHandler"), nullptr);
    TNVForm& form = page(1);
    ASSERT_TRUE(form.SetProperty("OnAction", "PageWindowTest.CountingHandler"));
    EXPECT_EQ(form.OnAction(), &CountingHandler);
    int result = 0;
    {
        User user([&](User& u) { SendMessageA(u.item(form, "CancelBtn"), BM_CLICK, 0, 0); });
        result = form.ShowModal(owner());
    }
    EXPECT_EQ(result, mrCancel);
    EXPECT_EQ(events(), (std::vector<std::string>{"DetailsForm 1 -", "DetailsForm 3 CancelBtn", "DetailsForm 2 -"}));
}

}  // namespace
}  // namespace roadsum
