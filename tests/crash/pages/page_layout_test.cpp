#include "crash/pages/page_layout.h"

#include <gtest/gtest.h>

#include "crash/pages/progress_layout.h"
#include "fixed_measurer.h"
#include "shipped_pages.h"

namespace roadsum {
namespace {

using testing::FixedMeasurer;
const FixedMeasurer kMeasurer;

std::vector<int> tops(const PageLayout& l) {
    std::vector<int> t;
    for (std::size_t i = 3; i < l.items.size(); ++i) t.push_back(l.items[i].top);
    return t;
}

TEST(PageLayout, APageWithOnlyTheThreeButtonsIsAtLeast315Wide) {
    TNVForm form("Empty");
    const PageLayout l = layout_page(form, kMeasurer);
    EXPECT_EQ(l.width, 315);
    EXPECT_EQ(l.height, 40 + 23 + 33);
    EXPECT_EQ(l.button_top, 65);
    EXPECT_EQ(l.items[1], (Rect{8, 65, 75, 23}));    // Skip at the left
    EXPECT_EQ(l.items[2], (Rect{232, 65, 75, 23}));  // Cancel at the right
    EXPECT_EQ(l.items[0], (Rect{149, 65, 75, 23}));  // Continue just left of it
    EXPECT_EQ(l.panel, (Rect{8, 25, 299, 30}));      // (8, 25) to (width - 9, button top - 10)
    EXPECT_EQ(l.title, (Rect{11, 6, 0, 18}));
}

TEST(PageLayout, WidthIsTheLargestOfButtonsMinWidthAndTitleWithPageNumbers) {
    struct Case {
        std::string continue_caption;
        int min_width;
        std::string message;
        int pages;
        int width;
    } cases[] = {
        {"Next >", 0, "", 1, 315},
        {std::string(30, 'x'), 0, "", 1, 204 + 75 + 75 + 32},   // caption 180 + 24 padding
        {"Next >", 500, "", 1, 500},
        {"Next >", 0, "Contact Information", 5, 315},           // 171 + 36 + 5 x 19 = 302
        {"Next >", 0, "Contact Information", 10, 171 + 36 + 190},
    };
    for (const Case& c : cases) {
        TNVForm form;
        form.ContinueBtn()->SetCaption(c.continue_caption);
        form.SetMinWidth(c.min_width);
        form.SetMessage(c.message);
        form.SetPage(1, c.pages);
        EXPECT_EQ(layout_page(form, kMeasurer).width, c.width) << c.message << " " << c.pages;
    }
}

TEST(PageLayout, TheContactPageStacksItsItemsWithTheGapsOfTheirKinds) {
    const auto form = testing::shipped_page("ContactForm", "contact_form.txt");
    ASSERT_TRUE(form);
    const PageLayout l = layout_page(*form, kMeasurer);
    // label 13, gap 4 (head label); edit 23, gap 8 (between head labels, an edit after the
    // next); label 13, gap 4; edit 23, gap 12 (another kind); check box 17.
    EXPECT_EQ(tops(l), (std::vector<int>{40, 57, 88, 105, 140}));
    EXPECT_EQ(l.items[4], (Rect{21, 57, 273, 23}));
    EXPECT_EQ(l.items[7].height, 17);
    EXPECT_EQ(l.height, 157 + 23 + 33);
    EXPECT_EQ(l.items[1].top, l.height - 23 - 8);
}

TEST(PageLayout, GapsBetweenItemsOfOneKind) {
    struct Case {
        std::vector<NVItemKind> kinds;
        std::vector<int> tops;
    } cases[] = {
        {{NVItemKind::edit, NVItemKind::edit}, {40, 40 + 23 + 6}},
        {{NVItemKind::button, NVItemKind::button}, {40, 40 + 23 + 4}},
        {{NVItemKind::check_box, NVItemKind::check_box}, {40, 40 + 17 + 8}},
        {{NVItemKind::label, NVItemKind::label}, {40, 40 + 13 + 8}},
        {{NVItemKind::image, NVItemKind::image}, {40, 40 + 10 + 8}},
        {{NVItemKind::label, NVItemKind::edit, NVItemKind::check_box}, {40, 40 + 13 + 12, 40 + 13 + 12 + 23 + 12}},
    };
    for (const Case& c : cases) {
        TNVForm form;
        for (NVItemKind kind : c.kinds) {
            const auto item = form.AddItem(kind, "x");
            if (kind == NVItemKind::label) std::dynamic_pointer_cast<TNVLabel>(item)->SetCaption("plain text");
            if (kind == NVItemKind::image) std::dynamic_pointer_cast<TNVImage>(item)->SetHeight(10);
        }
        EXPECT_EQ(tops(layout_page(form, kMeasurer)), c.tops) << c.kinds.size() << " items";
    }
}

TEST(PageLayout, SpacingHeadLabelsAndWrapping) {
    TNVForm form;
    auto head = std::dynamic_pointer_cast<TNVLabel>(form.AddItem(NVItemKind::label, "a"));
    head->SetCaption("what happened?");
    auto long_head = std::dynamic_pointer_cast<TNVLabel>(form.AddItem(NVItemKind::label, "b"));
    long_head->SetCaption(std::string(25, 'w') + " " + std::string(25, 'w') + ":");  // two lines: no head label
    auto spaced = form.AddItem(NVItemKind::edit, "c");
    spaced->SetSpacing(30);
    form.AddItem(NVItemKind::edit, "d");
    const PageLayout l = layout_page(form, kMeasurer);
    EXPECT_EQ(l.items[4].height, 26);  // wrapped at 273 pixels
    EXPECT_EQ(tops(l), (std::vector<int>{40, 40 + 13 + 4, 57 + 26 + 12, 95 + 23 + 30}));
    EXPECT_TRUE(is_head_label(*form.Items()[3], kMeasurer, 273));
    EXPECT_FALSE(is_head_label(*form.Items()[4], kMeasurer, 273));
}

TEST(PageLayout, ButtonsWhenNotAllThreeAreShown) {
    TNVForm form;
    form.SkipBtn()->SetVisible(false);
    PageLayout l = layout_page(form, kMeasurer);
    EXPECT_EQ(l.items[0].left, 8);    // Continue at the left
    EXPECT_EQ(l.items[1].width, 0);   // Skip not placed
    EXPECT_EQ(l.items[2].left, 232);  // Cancel at the right edge
    form.SkipBtn()->SetVisible(true);
    form.ContinueBtn()->SetVisible(false);
    l = layout_page(form, kMeasurer);
    EXPECT_EQ(l.items[1].left, 8);
    form.ContinueBtn()->SetVisible(true);
    form.CancelBtn()->SetVisible(false);
    l = layout_page(form, kMeasurer);
    EXPECT_EQ(l.items[0].left, 8);
    EXPECT_EQ(l.items[1].left, 8 + 75 + 8);
}

TEST(PageLayout, PageNumbersAndTheirSymbolAtTheTopRight) {
    TNVForm form;
    form.SetPage(2, 3);
    const PageLayout l = layout_page(form, kMeasurer);
    ASSERT_EQ(l.numbers.size(), 3u);
    EXPECT_EQ(l.numbers[0], (Rect{255, 6, 19, 13}));
    EXPECT_EQ(l.numbers[2].right(), 315 - 3);
    EXPECT_EQ(l.symbol, (Rect{235, 3, 20, 20}));
}

TEST(ProgressLayout, BitmapLabelBarAndButton) {
    const TextSize button{75, 23};
    ProgressLayout l = progress_layout(kMeasurer, {"Preparing attachments..."}, {32, 32}, button);
    EXPECT_EQ(l.bitmap, (Rect{12, 12, 32, 32}));
    EXPECT_EQ(l.label, (Rect{56, 21, 144, 13}));  // level with the bitmap's middle
    EXPECT_EQ(l.client_width, 220);               // the minimum
    EXPECT_EQ(l.bar, (Rect{12, 54, 196, 17}));
    EXPECT_EQ(l.button, (Rect{72, 81, 75, 23}));
    EXPECT_EQ(l.client_height, 116);

    std::string words;
    for (int i = 0; i < 20; ++i) words += "connecting ";
    l = progress_layout(kMeasurer, {"short", words}, {}, button);
    EXPECT_EQ(l.bitmap, Rect{});
    EXPECT_EQ(l.label.left, 12);
    EXPECT_EQ(l.label.width, 390);       // six words of ten letters fit into 420 pixels
    EXPECT_EQ(l.label.height, 13 * 4);   // twenty words on four lines
    EXPECT_EQ(l.client_width, 12 + l.label.width + 12);
}

}  // namespace
}  // namespace roadsum
