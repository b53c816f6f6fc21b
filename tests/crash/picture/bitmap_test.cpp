#include "crash/picture/bitmap.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "crash/picture/bmp_file.h"
#include "crash/picture/png_encoding.h"
#include "crash/picture/whole_file.h"
#include "sample_pictures.h"

namespace roadsum {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class WholeFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(ROADSUM_PICTURE_DIR) / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    // Every name in the folder: nothing left behind beside the targets.
    std::vector<std::string> names() const {
        std::vector<std::string> all;
        for (const auto& e : fs::directory_iterator(dir_)) all.push_back(e.path().filename().string());
        std::sort(all.begin(), all.end());
        return all;
    }
    fs::path dir_;
};

TEST_F(WholeFileTest, ReplacesTheTargetOnlyWithTheWholeNewFile) {
    const std::string path = (dir_ / "shot.png").string();
    ASSERT_TRUE(write_whole_file(path, "old contents"));
    ASSERT_TRUE(write_whole_file(path, "new"));
    EXPECT_EQ(contents(path), "new");
    EXPECT_EQ(names(), std::vector<std::string>{"shot.png"});

    std::string error;
    EXPECT_FALSE(write_whole_file((dir_ / "no such folder" / "x.png").string(), "x", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(write_whole_file(dir_.string(), "x", &error));  // a folder is never replaced
    EXPECT_EQ(error, "it is a folder");
    EXPECT_EQ(names(), std::vector<std::string>{"shot.png"});
}

TEST_F(WholeFileTest, BitmapSavesItsFilesAndZooms) {
    const PixelImage pixels = testing::screenshot_like(160, 120);
    const TINVBitmap bitmap(pixels);
    EXPECT_EQ(bitmap.Width(), 160);
    EXPECT_EQ(bitmap.Height(), 120);
    EXPECT_FALSE(bitmap.Draw(nullptr, 0, 0));

    ASSERT_TRUE(bitmap.SaveAsBmp((dir_ / "shot.bmp").string()));
    const std::string bmp = contents(dir_ / "shot.bmp");
    EXPECT_EQ(bmp, bitmap.AsBmpStr());
    EXPECT_EQ(read_bmp(bytes_of(bmp)).image, pixels);
    ASSERT_TRUE(bitmap.SaveAsPng((dir_ / "shot.png").string(), 1));
    EXPECT_EQ(contents(dir_ / "shot.png"), encode_png(pixels, 1));

    const std::shared_ptr<INVBitmap> small = bitmap.Zoom(40, 30);
    ASSERT_TRUE(small);
    EXPECT_EQ(small->Width(), 40);
    EXPECT_EQ(small->Height(), 30);
    EXPECT_EQ(bitmap.Zoom(0, 30), nullptr);

    const TINVBitmap empty{PixelImage{}};
    EXPECT_EQ(empty.AsPngStr(0), "");
    EXPECT_FALSE(empty.SaveAsPng((dir_ / "empty.png").string(), 0));
    EXPECT_FALSE(empty.SaveAsBmp((dir_ / "empty.bmp").string()));
    EXPECT_EQ(names(), (std::vector<std::string>{"shot.bmp", "shot.png"}));
}

}  // namespace
}  // namespace roadsum
