// The assistant-page reader on any input, and the layout of whatever page it reads. An input
// in the text form (the readable seeds: the shipped pages) is compiled first.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "crash/pages/form_resource.h"
#include "crash/pages/page_layout.h"
#include "crash/settings/component_stream_text.h"

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

// Fixed character cells: every text has a size, as with the system's fonts.
class CellMeasurer final : public roadsum::TextMeasurer {
public:
    roadsum::TextSize measure(roadsum::FontRole, std::string_view text, int wrap_width) const override {
        const long long width = static_cast<long long>(text.size()) * 6;
        if (wrap_width <= 0) return {static_cast<int>(std::min(width, 1LL << 24)), 13};
        const long long lines = width / wrap_width + 1;
        return {static_cast<int>(std::min<long long>(width, wrap_width)), static_cast<int>(std::min(lines * 13, 1LL << 24))};
    }
};

void read(std::span<const std::uint8_t> data) {
    const roadsum::FormReadResult r = roadsum::read_form_resource(data);
    check((r.form == nullptr) != r.error.empty());
    if (!r.form) {
        check(r.error.starts_with("Internal error: Invalid assistant resource ("));
        return;
    }
    check(r.form->ItemCount() >= 3);
    r.form->SetPage(2, 3);
    const roadsum::PageLayout l = roadsum::layout_page(*r.form, CellMeasurer());
    check(l.width >= roadsum::kPageMinWidth && l.height > 0);
    check(l.items.size() == static_cast<std::size_t>(r.form->ItemCount()));
    check(r.form->ContinueAllowed() == !r.form->ContinueBtn()->ForcedDisabled());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (text.starts_with("object") || text.starts_with("#")) {
        try {
            const std::vector<std::uint8_t> stream =
                roadsum::write_component_stream(roadsum::component_stream_from_text(text));
            read(stream);
        } catch (const std::exception&) {
            // Not a text the compiler takes; the bytes themselves are read below.
        }
    }
    read({data, size});
    return 0;
}
