#include "crash/pages/form_resource.h"

#include <gtest/gtest.h>

#include "crash/settings/component_stream_text.h"

namespace roadsum {
namespace {

std::vector<std::uint8_t> stream(std::string_view text) { return write_component_stream(component_stream_from_text(text)); }

FormReadResult read(std::string_view text, const std::string& name = {}) { return read_form_resource(stream(text), name); }

TEST(FormResource, ObjectsBecomeItemsByClassAndName) {
    const FormReadResult r = read(R"(
object SomeForm: TNXSomeForm
  Message = "Some Title"
  MinWidth = 400
  Timer = 250
  ActiveControl = "ContinueBtn"
  Left = 10                              # not a page property: ignored
  object ContinueBtn: INVButton
    Caption = "Continue"
  end
  object AbortBtn: INVButton             # read as CancelBtn
    Caption = "Stop"
    Visible = false
  end
  object Label1: XNVLabel                # only the class letter differs
    Caption = "your name:"
  end
  object NameEdit: INVEdit
    Optional = true
    object Nested: INVCheckBox           # nested objects follow their parent
      Text = "remember me"
    end
  end
  object Thing: INVGrid                  # no such item: left out, its children still read
    object Picture: INVImage
      Width = 32
    end
  end
  object SkipBtn: INVLabel               # a label of that name is an item of its own
    Caption = "not the button"
  end
end
)");
    ASSERT_TRUE(r.form) << r.error;
    const TNVForm& f = *r.form;
    EXPECT_EQ(f.Name(), "SomeForm");  // the root's name, none being given
    EXPECT_EQ(f.Message(), "Some Title");
    EXPECT_EQ(f.MinWidth(), 400);
    EXPECT_EQ(f.Timer(), 250);
    EXPECT_EQ(f.ActiveControl(), "ContinueBtn");
    EXPECT_EQ(f.ContinueBtn()->Caption(), "Continue");
    EXPECT_EQ(f.SkipBtn()->Caption(), "Skip");
    EXPECT_EQ(f.CancelBtn()->Caption(), "Stop");
    EXPECT_FALSE(f.CancelBtn()->Visible());

    std::vector<std::string> names;
    for (const auto& item : f.Items()) names.push_back(item->Name());
    EXPECT_EQ(names, (std::vector<std::string>{"ContinueBtn", "SkipBtn", "CancelBtn", "Label1", "NameEdit", "Nested", "Picture", "SkipBtn"}));
    EXPECT_EQ(f.Label("label1")->Caption(), "your name:");
    EXPECT_TRUE(f.Edit("NameEdit")->Optional());
    EXPECT_EQ(f.CheckBox("Nested")->Caption(), "remember me");
    EXPECT_EQ(f.Image("Picture")->Width(), 32);
    EXPECT_EQ(f.Label("SkipBtn")->Caption(), "not the button");
    EXPECT_EQ(f.Edit("Label1"), nullptr);  // found by name and kind

    EXPECT_EQ(read("object X: TNXX\nend\n", "ContactForm").form->Name(), "ContactForm");
}

TEST(FormResource, EveryAcceptedValueKindBecomesText) {
    const FormReadResult r = read(R"(
object F: TNXF
  object E: INVEdit
    Lines = int8(3)
    Text = lstring("first%lf%second%LF%third")
    OutputName = ident("error details")
    OutputType = nvoOwnSection
    Colored = true
    Valid = false
    Spacing = int16(300)
  end
  object B: INVButton
    MinWidth = int32(100000)
    NoOwnerDraw = "yes"
  end
  object C: INVCheckBox
    Checked = "TRUE"
    OutputType = nvoHeader
  end
  object I: INVImage
    Border = "1"
    Clickable = "2"
    Height = "twelve"
    File = "C:\\shot.bmp"
  end
end
)");
    ASSERT_TRUE(r.form) << r.error;
    const auto e = r.form->Edit("E");
    EXPECT_EQ(e->Lines(), 3);
    EXPECT_EQ(e->Text(), "first\r\nsecond\r\nthird");
    EXPECT_EQ(e->OutputName(), "error details");
    EXPECT_EQ(e->OutputType(), nvoOwnSection);
    EXPECT_TRUE(e->Colored());
    EXPECT_FALSE(e->Valid());
    EXPECT_EQ(e->Spacing(), 300);
    EXPECT_EQ(r.form->Button("B")->MinWidth(), 100000);
    EXPECT_TRUE(r.form->Button("B")->NoOwnerDraw());
    EXPECT_TRUE(r.form->CheckBox("C")->Checked());
    EXPECT_EQ(r.form->CheckBox("C")->OutputType(), nvoHeader);
    const auto i = r.form->Image("I");
    EXPECT_TRUE(i->Border());
    EXPECT_FALSE(i->Clickable());  // only "yes", "true" and exactly "1" are true
    EXPECT_EQ(i->Height(), 0);     // not a number
    EXPECT_EQ(i->File(), "C:\\shot.bmp");
}

TEST(FormResource, PropertyTexts) {
    for (auto [text, value] : {std::pair{"yes", true}, {"YES", true}, {"True", true}, {"1", true}, {"", false},
                               {"no", false}, {"false", false}, {"01", false}, {" 1", false}, {"-1", false}})
        EXPECT_EQ(property_bool(text), value) << text;
    for (auto [text, value] : {std::pair{"250", 250}, {"-7", -7}, {"+5", 5}, {"", 0}, {"12px", 0}, {"99999999999", 0}})
        EXPECT_EQ(property_int(text), value) << text;
    EXPECT_EQ(property_output_type("nvoOwnSection"), nvoOwnSection);
    EXPECT_EQ(property_output_type("OWNSECTION please"), nvoOwnSection);
    EXPECT_EQ(property_output_type("own section"), nvoHeader);
    EXPECT_EQ(property_edit_text("%lf%%lf"), "\r\n%lf");
    EXPECT_EQ(form_resource_name("ScrShotForm"), "TNXSCRSHOTFORM");
}

// A value of a kind pages do not take, in place of a property's value type byte.
std::vector<std::uint8_t> with_value_type(std::uint8_t type) {
    std::vector<std::uint8_t> data = stream("object F: TNXF\n  Message = \"abc\"\nend\n");
    const std::string name = "Message";
    const auto at = std::search(data.begin(), data.end(), name.begin(), name.end()) + static_cast<long>(name.size());
    *at = type;
    return data;
}

TEST(FormResource, ACorruptResourceGivesTheMessageAndNoPage) {
    struct Case {
        std::vector<std::uint8_t> data;
        const char* message;
    } cases[] = {
        {with_value_type(0x05), "Internal error: Invalid assistant resource ($05)."},
        {with_value_type(0x0A), "Internal error: Invalid assistant resource ($0A)."},
        {stream("object F: TNXF\n  M = wstring(\"wide\")\nend\n"), "Internal error: Invalid assistant resource ($12)."},
        {stream("object F: TNXF\n  M = utf8(\"text\")\nend\n"), "Internal error: Invalid assistant resource ($14)."},
        {stream("object F: TNXF\n  object E: INVEdit\n    T = wstring(\"x\")\n  end\nend\n"),
         "Internal error: Invalid assistant resource ($12)."},
        {{'T', 'P', 'F', '0', 3, 'T', 'N'}, "Internal error: Invalid assistant resource (truncated)."},
        {{'X', 'P', 'F', '0'}, "Internal error: Invalid assistant resource (no component stream)."},
        {{}, "Internal error: Invalid assistant resource (no component stream)."},
    };
    for (const Case& c : cases) {
        const FormReadResult r = read_form_resource(c.data);
        EXPECT_EQ(r.form, nullptr);
        EXPECT_EQ(r.error, c.message);
    }
}

}  // namespace
}  // namespace roadsum
