#include <gtest/gtest.h>

#include "crash/debuginfo/map_file.h"
#include "crash/pages/page_handlers.h"
#include "crash/process/memory_reader.h"

namespace roadsum {
namespace {

// Code of a few functions at 0x401000 and the debug information that names them.
class Program final : public MemoryReader {
public:
    static constexpr std::uint32_t kBase = 0x401000;
    Program() {
        add("ContactHandler", {0x55, 0x89, 0xE5, 0x5D, 0xC2, 0x04, 0x00});  // push ebp; ...; ret 4
        add("PlainReturn", {0x55, 0x89, 0xE5, 0x5D, 0xC3});                  // ret
        add("EightBytes", {0x55, 0x89, 0xE5, 0x5D, 0xC2, 0x08, 0x00});      // ret 8
        add("Branches", {0x85, 0xC0, 0x74, 0x03, 0xC2, 0x04, 0x00, 0x31, 0xC0, 0xC2, 0x04, 0x00});
        add("Broken", {0xFF, 0xFF, 0xC2, 0x04, 0x00});                       // not an instruction
        DebugTables t;
        t.Segments.push_back({true, true, kBase, static_cast<std::uint32_t>(code_.size()), "PageUnit", 0});
        t.Segments.push_back({true, true, kBase + 0x1000, 0x100, "OtherUnit", 0});
        for (auto [name, address] : names_) t.Publics.push_back({true, true, name, address});
        map_.Assign(std::move(t));
        map_.Loaded = true;
        map_.CodeStart = kBase;
        map_.CodeEnd = kBase + static_cast<std::uint32_t>(code_.size());
    }
    bool try_read(std::uint32_t address, void* buffer, std::uint32_t count) const override {
        if (address < kBase || address - kBase + count > code_.size()) return false;
        std::copy_n(code_.begin() + (address - kBase), count, static_cast<std::uint8_t*>(buffer));
        return true;
    }
    bool readable_range(std::uint32_t address, std::uint32_t& begin, std::uint32_t& end) const override {
        begin = kBase;
        end = kBase + static_cast<std::uint32_t>(code_.size());
        return address >= begin && address < end;
    }
    const TMapFile& map() const { return map_; }
    std::uint32_t address_of(const std::string& name) const {
        for (auto [n, a] : names_)
            if (n == name) return a;
        return 0;
    }

private:
    void add(const std::string& name, std::vector<std::uint8_t> bytes) {
        names_.push_back({name, kBase + static_cast<std::uint32_t>(code_.size())});
        code_.insert(code_.end(), bytes.begin(), bytes.end());
        code_.insert(code_.end(), 9, 0xCC);  // padding between functions
    }
    std::vector<std::uint8_t> code_;
    std::vector<std::pair<std::string, std::uint32_t>> names_;
    TMapFile map_;
};

TEST(PageHandlerLookup, OnlyFunctionsThatEndInReturnFourAreHandlers) {
    const Program p;
    struct Case {
        const char* text;
        const char* found;  // the function's name, or null for none
    } cases[] = {
        {"PageUnit.ContactHandler", "ContactHandler"},
        {"pageunit.contacthandler", "ContactHandler"},  // names ignore case
        {"PageUnit.Branches", "Branches"},
        {"PageUnit.PlainReturn", nullptr},  // no argument removed from the stack
        {"PageUnit.EightBytes", nullptr},   // two arguments removed
        {"PageUnit.Broken", nullptr},       // does not analyse as valid code
        {"OtherUnit.ContactHandler", nullptr},
        {"PageUnit.Missing", nullptr},
        {"ContactHandler", nullptr},
        {"PageUnit.", nullptr},
        {".ContactHandler", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        const std::optional<std::uint32_t> found = find_page_handler(p.map(), p, c.text);
        if (c.found) {
            ASSERT_TRUE(found) << c.text;
            EXPECT_EQ(*found, p.address_of(c.found)) << c.text;
        } else {
            EXPECT_FALSE(found) << c.text;
        }
    }
    EXPECT_FALSE(find_page_handler(TMapFile{}, p, "PageUnit.ContactHandler"));  // no debug information
}

void NV_HANDLER_CALL contact(INVForm*, int, INVItem*, void*) {}

TEST(PageHandlerLookup, BuiltInNamesSelectTheRegisteredHandlers) {
    EXPECT_EQ(ResolvePageHandler("noxExcept.HandleScreenshotForm"), nullptr);  // none registered yet
    RegisterBuiltInPageHandler(kContactFormHandler, contact);
    EXPECT_EQ(ResolvePageHandler("noxExcept.HandleContactForm"), &contact);
    EXPECT_EQ(ResolvePageHandler("NOXEXCEPT.handlecontactform"), &contact);
    EXPECT_EQ(ResolvePageHandler("noxExcept.HandleScreenshotForm"), nullptr);
    EXPECT_EQ(ResolvePageHandler(""), nullptr);
    RegisterBuiltInPageHandler(kContactFormHandler, nullptr);
    EXPECT_EQ(ResolvePageHandler("noxExcept.HandleContactForm"), nullptr);
}

}  // namespace
}  // namespace roadsum
