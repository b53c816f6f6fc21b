// The per-module cache: one load per module file, again when the file changed.
#include <gtest/gtest.h>

#include "crash/debuginfo/map_file_cache.h"
#include "debug_tables_fixture.h"
#include "fake_debug_files.h"

namespace roadsum::testing {
namespace {

struct CountingLoader {
    int loads = 0;
    bool valid = true;
    MapFileCache::Loader loader() {
        return [this] {
            ++loads;
            TMapFile m;
            m.Loaded = valid;
            m.ModulePath = "load " + std::to_string(loads);
            return m;
        };
    }
};

TEST(MapFileCache, LoadsEachModuleOnceIgnoringTheCaseOfItsName) {
    FakeDebugFiles files;
    files.add("C:\\app\\Roadsum.exe", "image");
    MapFileCache cache(files);
    CountingLoader load;
    const auto first = cache.Get("C:\\app\\Roadsum.exe", load.loader());
    const auto again = cache.Get("c:\\APP\\roadsum.EXE", load.loader());
    EXPECT_EQ(load.loads, 1);
    EXPECT_EQ(first, again);
    EXPECT_EQ(cache.Count(), 1u);
}

TEST(MapFileCache, ChangedModuleFileIsReadAgain) {
    FakeDebugFiles files;
    files.add("C:\\app\\a.dll", "a", 0x5000);
    files.add("C:\\app\\b.dll", "b", 0x5000);
    MapFileCache cache(files);
    CountingLoader load;
    const auto old_a = cache.Get("C:\\app\\a.dll", load.loader());
    cache.Get("C:\\app\\b.dll", load.loader());
    files.touch("C:\\app\\a.dll", 0x5000, 0x0001);  // two seconds later
    const auto new_a = cache.Get("C:\\app\\a.dll", load.loader());
    EXPECT_EQ(load.loads, 3);
    EXPECT_NE(old_a, new_a);
    EXPECT_EQ(old_a->ModulePath, "load 1");  // its holder keeps it
    EXPECT_EQ(new_a->ModulePath, "load 3");
    EXPECT_EQ(cache.Count(), 2u);
    cache.Get("C:\\app\\b.dll", load.loader());
    cache.Get("C:\\app\\a.dll", load.loader());
    EXPECT_EQ(load.loads, 3);
}

TEST(MapFileCache, OnlyValidObjectsAreKept) {
    FakeDebugFiles files;
    files.add("C:\\app\\nodebug.dll", "x");
    MapFileCache cache(files);
    CountingLoader load;
    load.valid = false;
    EXPECT_FALSE(cache.Get("C:\\app\\nodebug.dll", load.loader())->Loaded);
    EXPECT_FALSE(cache.Get("C:\\app\\nodebug.dll", load.loader())->Loaded);
    EXPECT_EQ(load.loads, 2);
    EXPECT_EQ(cache.Count(), 0u);
    // A file whose time cannot be read cannot be checked later either.
    load.valid = true;
    EXPECT_TRUE(cache.Get("C:\\app\\gone.dll", load.loader())->Loaded);
    EXPECT_EQ(cache.Count(), 0u);
}

}  // namespace
}  // namespace roadsum::testing
