#include <gtest/gtest.h>

#include "crash/pages/page_layout.h"
#include "fixed_measurer.h"
#include "shipped_pages.h"

namespace roadsum {
namespace {

using testing::shipped_page;

// One line per item: kind, name, caption or text, and the flags that matter.
std::string describe(const TNVForm& form) {
    std::string out;
    for (const auto& item : form.Items()) {
        switch (item->Kind()) {
            case NVItemKind::button: {
                auto b = std::dynamic_pointer_cast<TNVButton>(item);
                out += "button " + b->Name() + " \"" + b->Caption() + "\"" + (b->Enabled() ? "" : " disabled");
                break;
            }
            case NVItemKind::label: out += "label \"" + std::dynamic_pointer_cast<TNVLabel>(item)->Caption() + "\""; break;
            case NVItemKind::edit: {
                auto e = std::dynamic_pointer_cast<TNVEdit>(item);
                out += "edit " + e->Name() + " lines " + std::to_string(e->Lines()) + (e->Optional() ? " optional" : " required");
                break;
            }
            case NVItemKind::check_box: {
                auto c = std::dynamic_pointer_cast<TNVCheckBox>(item);
                out += "check " + c->Name() + " \"" + c->Caption() + "\"" + (c->Checked() ? " checked" : "");
                break;
            }
            case NVItemKind::image: {
                auto i = std::dynamic_pointer_cast<TNVImage>(item);
                out += "image " + i->Name() + (i->Border() ? " border" : "") + (i->Clickable() ? " clickable" : "");
                break;
            }
        }
        if (!item->OutputName().empty())
            out += " -> \"" + item->OutputName() + "\"" + (item->OutputType() == nvoOwnSection ? " section" : " header");
        out += "\n";
    }
    return out;
}

// The pages as the reporter's assistants describe them: titles, handlers, timers, items,
// outputs and flags.
TEST(ShippedPages, HoldTheirTitlesItemsOutputsAndFlags) {
    struct Case {
        const char* name;
        const char* file;
        const char* page;
        const char* items;
    } cases[] = {
        {"ContactForm", "contact_form.txt",
         "\"Contact Information\" handler noxExcept.HandleContactForm timer 0 focus \"\"",
         "button ContinueBtn \"Continue\"\n"
         "button SkipBtn \"Skip\" disabled\n"
         "button CancelBtn \"Cancel\"\n"
         "label \"your name:\"\n"
         "edit NameEdit lines 1 optional -> \"contact name\" header\n"
         "label \"your email:\"\n"
         "edit EmailEdit lines 1 required -> \"contact email\" header\n"
         "check MemCheck \"remember me\"\n"},
        {"DetailsForm", "details_form.txt", "\"Error Details\" handler  timer 0 focus \"\"",
         "button ContinueBtn \"Continue\"\n"
         "button SkipBtn \"Skip\"\n"
         "button CancelBtn \"Cancel\"\n"
         "label \"in which situation did the error occur?\"\n"
         "edit DetailsMemo lines 9 required -> \"error details\" section\n"},
        {"ScrShotForm", "scrshot_form.txt",
         "\"Screenshot Configuration\" handler noxExcept.HandleScreenshotForm timer 250 focus \"ContinueBtn\"",
         "button ContinueBtn \"Continue\"\n"
         "button SkipBtn \"Skip\" disabled\n"
         "button CancelBtn \"Cancel\"\n"
         "check AttachCheck \"attach a screenshot to the bug report\" checked\n"
         "image ScrShotImg border clickable\n"
         "label \"(click to edit image)\"\n"},
    };
    for (const Case& c : cases) {
        const auto f = shipped_page(c.name, c.file);
        ASSERT_TRUE(f) << c.file;
        EXPECT_EQ(f->Name(), c.name);
        EXPECT_EQ("\"" + f->Message() + "\" handler " + f->OnActionText() + " timer " + std::to_string(f->Timer()) +
                      " focus \"" + f->ActiveControl() + "\"",
                  c.page);
        EXPECT_EQ(describe(*f), c.items);
    }
}

TEST(ShippedPages, ContinueWaitsForTheAddressAndTheScreenshotFitsItsPage) {
    EXPECT_TRUE(shipped_page("ContactForm", "contact_form.txt")->ContinueBtn()->ForcedDisabled());
    EXPECT_TRUE(shipped_page("DetailsForm", "details_form.txt")->ContinueBtn()->ForcedDisabled());
    const auto f = shipped_page("ScrShotForm", "scrshot_form.txt");
    EXPECT_FALSE(f->ContinueBtn()->ForcedDisabled());
    f->SetPage(3, 3);
    const PageLayout l = layout_page(*f, testing::FixedMeasurer());
    EXPECT_LE(l.items[4].right(), l.width - kItemLeft);
}

}  // namespace
}  // namespace roadsum
