#include "crash/pages/form_resource.h"

#include <cctype>

#include "crash/common/text_lists.h"

namespace roadsum {
namespace {

// Integers of 8, 16 and 32 bits, short and long texts, identifiers and the two booleans.
constexpr ValueTypeSet kPageValueTypes{ValueType::Int8,  ValueType::Int16, ValueType::Int32,
                                       ValueType::String, ValueType::Ident, ValueType::False,
                                       ValueType::True,  ValueType::LString};

std::string value_text(const StreamValue& v) {
    if (v.is_integer()) return std::to_string(v.integer);
    if (v.type == ValueType::False) return "False";
    if (v.type == ValueType::True) return "True";
    return v.bytes;
}

// The class letter becomes "T": "INVButton" selects TNVButton.
std::optional<NVItemKind> item_kind(std::string_view class_name) {
    if (class_name.empty()) return std::nullopt;
    const std::string_view rest = class_name.substr(1);
    if (equal_ignoring_case(rest, "NVButton")) return NVItemKind::button;
    if (equal_ignoring_case(rest, "NVLabel")) return NVItemKind::label;
    if (equal_ignoring_case(rest, "NVEdit")) return NVItemKind::edit;
    if (equal_ignoring_case(rest, "NVCheckBox")) return NVItemKind::check_box;
    if (equal_ignoring_case(rest, "NVImage")) return NVItemKind::image;
    return std::nullopt;
}

// Items stand in the order of the stream, nested ones after their parent.
void add_items(TNVForm& form, const std::vector<StreamObject>& objects) {
    for (const StreamObject& object : objects) {
        const std::optional<NVItemKind> kind = item_kind(object.class_name);
        std::string name = equal_ignoring_case(object.name, "AbortBtn") ? std::string("CancelBtn") : object.name;
        std::shared_ptr<TNVItem> item;
        if (kind == NVItemKind::button) {
            for (int i = 0; i < 3; ++i)
                if (equal_ignoring_case(name, kStandardButtonNames[i])) item = std::dynamic_pointer_cast<TNVItem>(form.Item(i));
        }
        if (!item && kind) item = form.AddItem(*kind, name);
        if (item)
            for (const StreamProperty& p : object.properties) item->SetProperty(p.name, value_text(p.value));
        add_items(form, object.children);
    }
}

}  // namespace

std::string form_resource_name(std::string_view form_name) {
    std::string name = "TNX";
    for (char c : form_name) name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

FormReadResult read_form_resource(std::span<const std::uint8_t> data, const std::string& name) {
    StreamReadOptions options;
    options.accepted = kPageValueTypes;
    const StreamReadResult read = read_component_stream(data, options);
    if (!read.complete()) return {nullptr, invalid_resource_message("assistant", read)};
    auto form = std::make_shared<TNVForm>(name.empty() ? read.root.name : name);
    for (const StreamProperty& p : read.root.properties) form->SetProperty(p.name, value_text(p.value));
    add_items(*form, read.root.children);
    form->UpdateContinue();
    return {form, {}};
}

}  // namespace roadsum
