#include "core/PropertyHolder.h"
#include "core/RuntimeException.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

std::string Bytes(std::initializer_list<int> bytes)
{
    std::string s;
    for (int b : bytes)
        s.push_back(static_cast<char>(b));
    return s;
}

std::string Entry(std::string_view key, const PropertyValue& value, std::string_view cls)
{
    std::string block;
    AppendPropertyEntry(block, key, value, *FindPropertyClass(cls));
    return block;
}

// A bare holder of a runtime class's properties.
class Holder : public PropertyHolder {
public:
    explicit Holder(std::string_view cls) : class_(FindPropertyClass(cls)) {}
    const PropertyClass& PropertyList() const override { return *class_; }

private:
    const PropertyClass* class_;
};

TEST(PropertyBlockEncoding, ByteExamplesOfTheFormat)
{
    struct Case {
        const char* name;
        std::string_view cls;
        std::string_view key;
        PropertyValue value;
        std::string bytes;
    } cases[] = {
        {"integer 480", "Window", "Width", int64_t{480}, "Width "s + Bytes({0xE0, 0x01, 0, 0, 0, 0, 0, 0})},
        {"integer 220", "Window", "Height", int64_t{220}, "Height "s + Bytes({0xDC, 0, 0, 0, 0, 0, 0, 0})},
        {"no control array", "Label", "Index", int64_t{-2147483648LL},
         "Index "s + Bytes({0, 0, 0, 0x80, 0xFF, 0xFF, 0xFF, 0xFF})},
        {"single 16", "Label", "TextSize", 16.0f, "TextSize "s + Bytes({0x00, 0x00, 0x80, 0x41})},
        {"single 32", "Label", "TextSize", 32.0f, "TextSize "s + Bytes({0x00, 0x00, 0x00, 0x42})},
        {"double 1.0", "TextArea", "LineSpacing", 1.0, "LineSpacing "s + Bytes({0, 0, 0, 0, 0, 0, 0xF0, 0x3F})},
        {"colour then alpha", "Label", "TextColor", Color{0x61, 0x62, 0x63, 0},
         "TextColor "s + Bytes({0x61, 0x62, 0x63, 0x00})},
        {"boolean", "Label", "Bold", true, "Bold "s + Bytes({1})},
        {"1-byte enumeration", "Label", "TextUnit", int64_t{2}, "TextUnit "s + Bytes({2})},
        {"8-byte enumeration", "PushButton", "ButtonStyle", int64_t{1},
         "ButtonStyle "s + Bytes({1, 0, 0, 0, 0, 0, 0, 0})},
        {"string with count", "Window", "Title", "Tarnvik"s, "Title "s + Bytes({7, 0, 0, 0}) + "Tarnvik"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string block = Entry(c.key, c.value, c.cls);
        EXPECT_EQ(block, c.bytes);
        std::vector<PropertyEntry> decoded = DecodePropertyBlock(block, *FindPropertyClass(c.cls));
        ASSERT_EQ(decoded.size(), 1u);
        EXPECT_EQ(decoded[0].value, c.value);
    }
}

// A decoder that took a Single for a Double (or the reverse) would swallow
// the next entry's bytes; the entry after it proves the widths.
TEST(PropertyBlockDecoding, EachTypeTakesExactlyItsWidth)
{
    const std::string block = Entry("TextSize", 16.0f, "Label") + Entry("Bold", true, "Label") +
                              Entry("TextUnit", int64_t{0}, "Label") + Entry("Text", "x"s, "Label") +
                              Entry("TextColor", Color{1, 2, 3, 0}, "Label") + Entry("Left", int64_t{-5}, "Label");
    Holder label("Label");
    SetProperties(label, block);
    EXPECT_FLOAT_EQ(static_cast<float>(label.NumberProperty("TextSize")), 16.0f);
    EXPECT_TRUE(label.BooleanProperty("Bold"));
    EXPECT_EQ(label.StringProperty("Text"), "x");
    EXPECT_EQ(label.ColorProperty("TextColor"), (Color{1, 2, 3, 0}));
    EXPECT_EQ(label.IntegerProperty("Left"), -5);

    const std::string area = Entry("LineHeight", 0.0, "TextArea") + Entry("LineSpacing", 1.0, "TextArea") +
                             Entry("TextSize", 0.0f, "TextArea") + Entry("ReadOnly", true, "TextArea");
    Holder text("TextArea");
    SetProperties(text, area);
    EXPECT_DOUBLE_EQ(text.NumberProperty("LineSpacing"), 1.0);
    EXPECT_TRUE(text.BooleanProperty("ReadOnly"));
}

TEST(PropertyBlockDecoding, KeysMatchWithoutRegardToCaseAndInAnyOrder)
{
    // The blocks spell these names differently from the properties.
    std::string spelled = Entry("MacProcID", int64_t{0}, "Window");
    EXPECT_EQ(DecodePropertyBlock(spelled, *FindPropertyClass("Window"))[0].name, "MacProcId");
    EXPECT_EQ(DecodePropertyBlock(Entry("Multiline", true, "Label"), *FindPropertyClass("Label"))[0].name, "MultiLine");
    EXPECT_EQ(
        DecodePropertyBlock(Entry("ScrollbarHorizontal", false, "Listbox"), *FindPropertyClass("Listbox"))[0].name,
        "ScrollBarHorizontal");

    const std::string a = Entry("Transparent", true, "PushButton") + Entry("Caption", "Mount"s, "PushButton") +
                          Entry("TEXTSIZE", 12.0f, "PushButton");
    const std::string b = Entry("textsize", 12.0f, "PushButton") + Entry("caption", "Mount"s, "PushButton") +
                          Entry("transparent", true, "PushButton");
    Holder first("PushButton");
    Holder second("PushButton");
    SetProperties(first, a);
    SetProperties(second, b);
    for (const char* key : {"Transparent", "Caption", "TextSize"})
        EXPECT_EQ(first.Property(key), second.Property(key)) << key;
}

TEST(PropertyBlockDecoding, AKeyTheBlockDoesNotNameKeepsItsValue)
{
    Holder button("PushButton");
    button.SetProperty("TextColor", Color{9, 9, 9, 0});
    Holder area("TextArea");
    area.SetProperty("InitialParent", "kept"s);
    SetProperties(button, Entry("Caption", "OK"s, "PushButton"));
    SetProperties(area, Entry("Text", ""s, "TextArea"));
    EXPECT_EQ(button.ColorProperty("TextColor"), (Color{9, 9, 9, 0}));
    EXPECT_EQ(area.StringProperty("InitialParent"), "kept");
}

TEST(PropertyBlockDecoding, StringsAreTakenByteForByte)
{
    const std::string cases[] = {
        "\rThis is the connected devices list.\rDouble click an item tho show the full disk info page.\r",
        "Checking for connected devices,\rplease wait...\r",
        "Größe – ✓",
        "",
        "with a space and\0nul"s,
    };
    for (const std::string& text : cases) {
        Holder label("Label");
        SetProperties(label, Entry("HelpTag", text, "Label") + Entry("Text", text, "Label"));
        EXPECT_EQ(label.StringProperty("HelpTag"), text);
        EXPECT_EQ(label.StringProperty("Text"), text);
    }
}

TEST(PropertyBlockDecoding, BrokenBlocksRaiseAClearErrorAndNeverReadPastTheEnd)
{
    const std::string entries[] = {Entry("Name", "theParsedResult"s, "Listbox"), Entry("Left", int64_t{20}, "Listbox"),
                                   Entry("TextSize", 0.0f, "Listbox"), Entry("Border", true, "Listbox")};
    std::string good;
    std::vector<size_t> boundaries = {0};
    for (const std::string& entry : entries) {
        good += entry;
        boundaries.push_back(good.size());
    }
    struct Case {
        const char* name;
        std::string block;
        const char* message;
    } cases[] = {
        {"ends inside a key", "Wid", "ends inside the key"},
        {"ends before the space", "Left", "ends inside the key"},
        {"ends after the space", "Left ", "ends inside the value of \"Left\""},
        {"ends inside an integer", "Left "s + Bytes({20, 0, 0}), "needs 8 bytes, 3 left"},
        {"ends inside a single", "TextSize "s + Bytes({0, 0}), "needs 4 bytes, 2 left"},
        {"ends inside a string's count", "Name "s + Bytes({5, 0}), "needs 4 bytes, 2 left"},
        {"string count beyond the end", "Name "s + Bytes({0xFF, 0xFF, 0xFF, 0x7F}) + "abc", "left"},
        {"unknown key", "Colour "s + Bytes({0, 0, 0, 0}), "unknown property \"Colour\" at byte 0"},
        {"key of another class", "Caption "s + Bytes({0, 0, 0, 0}), "unknown property \"Caption\""},
        {"malformed key", "Le-ft "s + Bytes({0}), "malformed key"},
        {"empty key", " Left "s + Bytes({0, 0, 0, 0, 0, 0, 0, 0}), "empty key at byte 0"},
        {"boolean out of range", "Border "s + Bytes({2}), "not a Boolean"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            DecodePropertyBlock(c.block, *FindPropertyClass("Listbox"));
            ADD_FAILURE() << "decoded a broken block";
        } catch (const RuntimeException& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("Listbox"), std::string::npos) << e.what();
        }
    }
    // Every cut of a good block either ends on an entry boundary or is refused.
    for (size_t cut = 0; cut <= good.size(); ++cut) {
        const std::string prefix = good.substr(0, cut);  // its own buffer: a read past it is caught
        const auto boundary = std::find(boundaries.begin(), boundaries.end(), cut);
        try {
            const size_t decoded = DecodePropertyBlock(prefix, *FindPropertyClass("Listbox")).size();
            ASSERT_NE(boundary, boundaries.end()) << "decoded a block cut at byte " << cut;
            EXPECT_EQ(decoded, static_cast<size_t>(boundary - boundaries.begin()));
        } catch (const RuntimeException&) {
            EXPECT_EQ(boundary, boundaries.end()) << "refused a whole block of " << cut << " bytes";
        }
    }
}

TEST(PropertyBlockDecoding, ABrokenBlockChangesNothing)
{
    Holder label("Label");
    label.SetProperty("Text", "before"s);
    const std::string block = Entry("Text", "after"s, "Label") + "Bold";
    EXPECT_THROW(SetProperties(label, block), RuntimeException);
    EXPECT_EQ(label.StringProperty("Text"), "before");
}

TEST(PropertyBlockEncoding, RefusesValuesOfTheWrongKind)
{
    std::string block;
    const PropertyClass& label = *FindPropertyClass("Label");
    EXPECT_THROW(AppendPropertyEntry(block, "Text", int64_t{1}, label), RuntimeException);
    EXPECT_THROW(AppendPropertyEntry(block, "Bold", "yes"s, label), RuntimeException);
    EXPECT_THROW(AppendPropertyEntry(block, "TextUnit", int64_t{256}, label), RuntimeException);
    EXPECT_THROW(AppendPropertyEntry(block, "Nonsense", true, label), RuntimeException);
    EXPECT_TRUE(block.empty());
}

}  // namespace
