#include <gtest/gtest.h>

#include <limits>

#include "crash/pages/progress_alert_impl.h"
#include "crash/pages/progress_areas.h"

namespace roadsum {
namespace {

TEST(ProgressAreas, OverallPositionAcrossAreas) {
    constexpr std::int64_t kBig = std::int64_t{1} << 62;
    struct Case {
        std::vector<std::int64_t> weights;
        std::size_t area;
        int position;
        int overall;
    } cases[] = {
        {{100, 300, 600}, 0, 0, 0},
        {{100, 300, 600}, 0, 500, 50},
        {{100, 300, 600}, 1, 0, 100},
        {{100, 300, 600}, 1, 1000, 400},
        {{100, 300, 600}, 2, 333, 599},  // 600 x 333 / 1000 = 199.8, each division truncates
        {{100, 300, 600}, 2, 1000, 1000},
        {{1, 2}, 1, 500, 666},
        {{7}, 0, 999, 857},  // 7 x 999 / 1000 = 6 of 7
        {{0, 5}, 1, 200, 200},
        {{0, 0}, 1, 500, 0},          // no weight at all: nothing to show
        {{kBig / 2, kBig / 2}, 1, 500, 750},  // 64-bit weights whose products overflow
        {{kBig / 4, kBig / 4, kBig / 2}, 2, 500, 750},
        {{100, -50, 100}, 2, 0, 500},  // a negative weight counts as none
        {{100, 100}, 0, 5000, 500},    // positions are clamped to the area
        {{100, 100}, 1, -3, 500},
        {{100, 100}, 2, 0, 1000},      // past the last area: all done
    };
    for (const Case& c : cases) {
        ProgressAreas areas;
        for (std::int64_t w : c.weights) areas.add("x", w);
        EXPECT_EQ(areas.overall(c.area, c.position), c.overall)
            << "area " << c.area << " at " << c.position << " of " << c.weights.size() << " areas";
    }
}

TEST(ProgressAreas, AreasStartWhereTheOthersEndAndRepeatAMissingText) {
    ProgressAreas areas;
    areas.add(std::nullopt, 10);
    areas.add("Connecting to server...", 20);
    areas.add(std::nullopt, 30);
    areas.add("", 5);
    ASSERT_EQ(areas.count(), 4u);
    EXPECT_EQ(areas[0].text, "");
    EXPECT_EQ(areas[2].text, "Connecting to server...");
    EXPECT_EQ(areas[3].text, "");
    EXPECT_EQ(areas[2].start, 30);
    EXPECT_EQ(areas.total(), 65);
    EXPECT_EQ(scale_down(3, std::int64_t{1} << 62, 4), std::int64_t{3} << 60);

    // A total that would pass 63 bits stops growing.
    ProgressAreas huge;
    huge.add("a", std::numeric_limits<std::int64_t>::max() - 5);
    huge.add("b", 10);
    EXPECT_EQ(huge[1].weight, 5);
    EXPECT_EQ(huge.total(), std::numeric_limits<std::int64_t>::max());
}

// Records what the window was told.
class FakeView final : public ProgressView {
public:
    struct Log {
        std::string title;
        std::vector<std::string> texts_to_fit;
        std::vector<std::string> texts;
        std::vector<int> positions;
        bool open = false;
        bool cancelled = false;
    };
    explicit FakeView(Log& log) : log_(log) {}
    bool open(const std::string& title, const std::vector<std::string>& texts, std::uintptr_t) override {
        log_.title = title;
        log_.texts_to_fit = texts;
        return log_.open = true;
    }
    void set_title(const std::string& title) override { log_.title = title; }
    void set_text(const std::string& text) override { log_.texts.push_back(text); }
    void set_position(int position) override { log_.positions.push_back(position); }
    void close() override { log_.open = false; }
    void process_messages() override {}
    bool cancelled() const override { return log_.cancelled; }

private:
    Log& log_;
};

TEST(ProgressAlert, DrivesTheWindowThroughTheAreas) {
    FakeView::Log log;
    TIProgressAlert alert("Sending bug report...", std::make_unique<FakeView>(log));
    alert.AddArea("Preparing attachments...", 100);
    alert.AddArea("Connecting to server...", 100);
    alert.AddArea(std::nullopt, 200);
    alert.SetCurrentArea(1);
    alert.SetPosition(500);  // before Show: only remembered
    EXPECT_TRUE(log.positions.empty());
    ASSERT_TRUE(alert.Show(0));
    EXPECT_EQ(log.title, "Sending bug report...");
    // The label is sized for the texts from the current area on.
    EXPECT_EQ(log.texts_to_fit, (std::vector<std::string>{"Connecting to server...", "Connecting to server..."}));
    EXPECT_EQ(log.texts, std::vector<std::string>{"Connecting to server..."});
    EXPECT_EQ(log.positions, std::vector<int>{375});

    alert.AreaDone();
    alert.SetPosition(250);
    alert.SetCurrentArea(7);   // ignored
    alert.SetCurrentArea(-1);  // ignored
    alert.SetCurrentArea(3);   // the number of areas: the last one is finished
    EXPECT_EQ(alert.CurrentArea(), 2);
    EXPECT_EQ(alert.OverallPosition(), 1000);
    EXPECT_EQ(log.positions, (std::vector<int>{375, 500, 625, 1000}));
    EXPECT_EQ(log.texts.size(), 2u);

    alert.SetTitle("Done");
    EXPECT_EQ(log.title, "Done");
    log.cancelled = true;
    EXPECT_TRUE(alert.Cancelled());
    alert.Close();
    EXPECT_FALSE(log.open);
}

TEST(ProgressAlert, WithoutAreasShowsPleaseWait) {
    FakeView::Log log;
    TIProgressAlert alert("Information", std::make_unique<FakeView>(log));
    ASSERT_TRUE(alert.Show(0));
    EXPECT_EQ(log.texts, std::vector<std::string>{"Please wait..."});
    alert.SetPosition(400);
    EXPECT_EQ(log.positions.back(), 400);
    alert.AreaDone();
    EXPECT_EQ(log.positions.back(), 1000);
    alert.ClearAreas();
    EXPECT_EQ(alert.OverallPosition(), 0);
}

TEST(ProgressAlert, AwayFromWindowsItCountsButShowsNothing) {
    const std::shared_ptr<IProgressAlert> alert = NewProgressAlert("Sending bug report...");
    alert->AddArea("a", 1);
    alert->AddArea("b", 3);
    alert->AreaDone();
    alert->SetPosition(500);
#ifndef _WIN32
    EXPECT_FALSE(alert->Show(0));
#endif
    EXPECT_EQ(alert->OverallPosition(), 500);  // (1 + 3 x 500 / 1000) x 1000 / 4
    EXPECT_FALSE(alert->Cancelled());
}

}  // namespace
}  // namespace roadsum
