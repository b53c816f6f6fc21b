#include <gtest/gtest.h>

#include <memory>

#include "capture_fakes.h"
#include "crash/capture/report_screenshot.h"
#include "crash/picture/bitmap.h"

namespace roadsum {
namespace {

TEST(ReportScreenshotTest, ColourDepthKeepsWhatItsBitsHold) {
    struct Case {
        int depth;
        std::uint32_t in, out;
    } const cases[] = {
        {32, rgb_pixel(0x12, 0x34, 0x56), rgb_pixel(0x12, 0x34, 0x56)},
        {24, rgb_pixel(0x12, 0x34, 0x56), rgb_pixel(0x12, 0x34, 0x56)},
        // 5-6-5: the kept top bits repeated downwards.
        {16, rgb_pixel(0x12, 0x34, 0x56), rgb_pixel(0x10, 0x34, 0x52)},
        {15, rgb_pixel(0x12, 0x34, 0x56), rgb_pixel(0x10, 0x31, 0x52)},
        {8, rgb_pixel(0x12, 0x34, 0x56), rgb_pixel(0x00, 0x24, 0x55)},
        {8, rgb_pixel(0xFF, 0xFF, 0xFF), rgb_pixel(0xFF, 0xFF, 0xFF)},
        {16, rgb_pixel(0xFF, 0xFF, 0xFF), rgb_pixel(0xFF, 0xFF, 0xFF)},
        // Below 8 bits: grey levels (two for one bit).
        {1, rgb_pixel(0xFF, 0x00, 0x00), rgb_pixel(0x00, 0x00, 0x00)},
        {1, rgb_pixel(0xC0, 0xC0, 0xC0), rgb_pixel(0xFF, 0xFF, 0xFF)},
        {4, rgb_pixel(0x80, 0x80, 0x80), rgb_pixel(0x88, 0x88, 0x88)},
    };
    for (const Case& c : cases) {
        PixelImage picture(1, 1, c.in);
        EXPECT_EQ(ReduceColourDepth(picture, c.depth).at(0, 0), c.out) << "depth " << c.depth << " of " << std::hex << c.in;
    }
}

TEST(ReportScreenshotTest, TheScreenshotPageGoesWithTheReportsScreenshot) {
    testing::CaptureWorld world("Assistant1 = \"SendAssistant|Send Assistant|ContactForm|DetailsForm|ScrShotForm\"\n");
    const Ref<TCrashException> report = world.report(ekNormal, testing::exception_of({"Exception"}));
    using Pages = std::vector<std::string>;
    EXPECT_EQ(report->FindAssistant("sendassistant")->pages, (Pages{"ContactForm", "DetailsForm"}));
    EXPECT_TRUE(report->AppendScreenshot());

    report->SetScreenshot(std::make_shared<TINVBitmap>(PixelImage(4, 3, 0xFFFFFF)));
    EXPECT_EQ(report->FindAssistant("SENDASSISTANT")->pages, (Pages{"ContactForm", "DetailsForm", "ScrShotForm"}));
    ASSERT_TRUE(report->Screenshot());
    EXPECT_EQ(report->Screenshot()->Width(), 4);

    report->Set(keys::ScrShotDepth, 0);
    EXPECT_EQ(report->FindAssistant("SendAssistant")->pages, (Pages{"ContactForm", "DetailsForm"}));
}

}  // namespace
}  // namespace roadsum
