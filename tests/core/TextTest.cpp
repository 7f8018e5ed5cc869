#include "core/Text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

using Parts = std::vector<std::string>;

TEST(TextStr, WritesDecimalDigits)
{
    const struct {
        int64_t value;
        const char* text;
    } cases[] = {
        {0, "0"},
        {7, "7"},
        {-42, "-42"},
        {1000000, "1000000"},
        {std::numeric_limits<int64_t>::max(), "9223372036854775807"},
        {std::numeric_limits<int64_t>::min(), "-9223372036854775808"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Str(c.value), c.text) << c.text;
}

TEST(TextEndOfLine, IsLineFeed)
{
    EXPECT_EQ(EndOfLine(), "\n");
}

TEST(TextReplaceLineEndings, EveryKindOfBreakBecomesTheChosenOne)
{
    const struct {
        const char* text;
        const char* eol;
        const char* expected;
    } cases[] = {
        {"", "\n", ""},
        {"no break", "\n", "no break"},
        {"a\r\nb", "\n", "a\nb"},
        {"a\rb", "\n", "a\nb"},
        {"a\nb", "\r\n", "a\r\nb"},
        {"a\r\nb\rc\nd", "|", "a|b|c|d"},
        // CR LF is one break; LF CR is two.
        {"a\n\rb", "|", "a||b"},
        {"a\r\r\nb", "|", "a||b"},
        {"\r\n\r\n", "\n", "\n\n"},
        {"trailing\r", "\n", "trailing\n"},
        {"a\r\nb", "", "ab"},
        {"é\r\nü", "<br>", "é<br>ü"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplaceLineEndings(c.text, c.eol), c.expected) << '"' << c.text << '"';
}

TEST(TextSplit, NSeparatorsGiveNPlusOneParts)
{
    const struct {
        const char* text;
        const char* separator;
        Parts expected;
    } cases[] = {
        {"a,b,c", ",", {"a", "b", "c"}},
        {"", ",", {""}},
        {"a\n", "\n", {"a", ""}},
        {",a,", ",", {"", "a", ""}},
        {",,", ",", {"", "", ""}},
        {"abc", ",", {"abc"}},
        {"a::b:c", "::", {"a", "b:c"}},
        {"a:::b", "::", {"a", ":b"}},
        {"x→y→", "→", {"x", "y", ""}},
        {"añb", "ñ", {"a", "b"}},
        {"a,b", "", {"a,b"}},
        {"", "", {""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Split(c.text, c.separator), c.expected) << '"' << c.text << "\" at \"" << c.separator << '"';
}

TEST(TextNthField, CountsFromOneAndAnswersEmptyOutsideTheFields)
{
    const struct {
        const char* text;
        const char* separator;
        int64_t index;
        const char* expected;
    } cases[] = {
        {"/dev/disk2s1", "/", 1, ""},
        {"/dev/disk2s1", "/", 2, "dev"},
        {"/dev/disk2s1", "/", 3, "disk2s1"},
        {"/dev/disk2s1", "/", 4, ""},
        {"/dev/disk2s1", "/", 0, ""},
        {"/dev/disk2s1", "/", -1, ""},
        {"/dev/disk2s1", "/", std::numeric_limits<int64_t>::max(), ""},
        {"/dev/disk2s1", "/", std::numeric_limits<int64_t>::min(), ""},
        {"", "/", 1, ""},
        {"", "/", 2, ""},
        {"a,b,", ",", 3, ""},
        {"a,b,", ",", 4, ""},
        {"key = value", " = ", 2, "value"},
        {"α•β•γ", "•", 3, "γ"},
        {"abc", "", 1, "abc"},
        {"abc", "", 2, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NthField(c.text, c.separator, c.index), c.expected)
            << '"' << c.text << "\" at \"" << c.separator << "\" field " << c.index;
}

TEST(TextLeft, CountsCharactersNotBytes)
{
    const struct {
        std::string text;
        int64_t count;
        std::string expected;
    } cases[] = {
        {"Tarnvik", 3, "Tar"}, {"Tarnvik", 7, "Tarnvik"}, {"Tarnvik", 100, "Tarnvik"},
        {"Tarnvik", 0, ""},    {"Tarnvik", -5, ""},       {"", 3, ""},
        {"été", 1, "é"},       {"été", 2, "ét"},          {"€uro", 1, "€"},
        {"😀x", 1, "😀"},        {"a😀", 2, "a😀"},           {"日本語", 2, "日本"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Left(c.text, c.count), c.expected) << '"' << c.text << "\" " << c.count;
}

TEST(TextLeft, MalformedBytesCountOneEachAndStayInsideTheText)
{
    const struct {
        const char* label;
        std::string text;
        int64_t count;
        std::string expected;
    } cases[] = {
        {"stray continuation", "\x80\x80x", 2, "\x80\x80"},
        {"lead at the very end", "a\xC3", 5, "a\xC3"},
        {"three-byte lead cut short", "\xE2\x82", 1, "\xE2"},
        {"four-byte lead cut short", "\xF0\x9F\x98", 2, "\xF0\x9F"},
        {"lead followed by ASCII",
         "\xC3"
         "A",
         1, "\xC3"},
        {"overlong form",
         "\xC0\xAF"
         "b",
         2, "\xC0\xAF"},
        {"invalid byte",
         "\xFF"
         "é",
         2,
         "\xFF"
         "é"},
        {"surrogate", "\xED\xA0\x80", 1, "\xED"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Left(c.text, c.count), c.expected) << c.label;
}

TEST(TextTrim, RemovesOuterWhiteSpaceOnly)
{
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"  disk2  ", "disk2"},
        {"\t\r\n disk2\r\n", "disk2"},
        {"\v\fdisk2\f\v", "disk2"},
        {"inner  space\tstays", "inner  space\tstays"},
        {" a b ", "a b"},
        {"", ""},
        {" \t\r\n ", ""},
        {"\xC2\xA0"
         "disk\xC2\xA0",
         "disk"},
        {" \xC2\xA0 x \xC2\xA0 ", "x"},
        {"\xC2\xA0\xC2\xA0", ""},
        {"a\xC2\xA0"
         "b",
         "a\xC2\xA0"
         "b"},
        // Characters ending in the byte A0 are not white space.
        {"\xE0\xA4\xA0", "\xE0\xA4\xA0"},
        {"é ", "é"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Trim(c.text), c.expected) << '"' << c.text << '"';
}

TEST(TextEquals, IgnoresTheCaseOfAsciiLettersOnly)
{
    const struct {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"fileQuit", "FileQuit", true},
        {"NO", "No", true},
        {"", "", true},
        {"disk2s1", "DISK2S1", true},
        {"abc", "abd", false},
        {"abc", "abcd", false},
        {"abc", "", false},
        {"É", "é", false},
        {"É", "É", true},
        {"straße", "STRASSE", false},
        // Only letters fold: '@' and '`' sit next to 'A' and 'a'.
        {"@", "`", false},
        {"[", "{", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextEquals(c.a, c.b), c.equal) << '"' << c.a << "\" vs \"" << c.b << '"';
}

}  // namespace
