#include "base/Process.h"
#include "base/ShellWord.h"
#include "base/TextLines.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

TEST(ShellWord, PlainWordsStayAndEverythingElseIsQuotedSoTheShellRunsNothing)
{
    struct Case {
        std::string identifier;
        std::string word;
    } cases[] = {
        {"disk2s1", "disk2s1"},     {"loop0p1", "loop0p1"},
        {"a.b_c-d:e", "a.b_c-d:e"}, {"", ""},
        {"my disk", "'my disk'"},   {"x;touch y", "'x;touch y'"},
        {"$(id)", "'$(id)'"},       {"`id`", "'`id`'"},
        {"it's", "'it'\\''s'"},     {"'", "''\\'''"},
        {"a\"b", "'a\"b'"},         {"disk*", "'disk*'"},
        {"a\nb", "'a\nb'"},         {"/dev/disk1", "'/dev/disk1'"},
        {"Lüfter", "'Lüfter'"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShellWord(c.identifier), c.word) << c.identifier;
}

// The quoting holds when a real shell reads the word back.
TEST(ShellWord, TheShellReadsBackTheOriginalText)
{
    for (const std::string text : {"my disk", "it's", "$(touch /tmp/x)", "a\nb", "'", "\\"}) {
        const ProcessResult echoed = RunProcess({"/bin/sh", "-c", "printf '%s' " + ShellWord(text)});
        EXPECT_EQ(echoed.output, text);
    }
}

TEST(RunProcess, AProgramThatCannotStartGives127AndSaysWhy)
{
    const struct {
        std::vector<std::string> argv;
        std::string errorOutput;
    } cases[] = {
        {{"/nonexistent/tarnvik-tool", "-list"}, "Cannot start /nonexistent/tarnvik-tool: No such file or directory\n"},
        {{"/dev/null"}, "Cannot start /dev/null: Permission denied\n"},
        {{}, "Cannot start : no program given\n"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = RunProcess(c.argv);
        EXPECT_EQ(r.status, 127) << c.errorOutput;
        EXPECT_EQ(r.output, "") << c.errorOutput;
        EXPECT_EQ(r.errorOutput, c.errorOutput);
    }
}

TEST(SplitLines, GivesTheLinesWithoutTheirBreaks)
{
    struct Case {
        std::string_view text;
        std::vector<std::string_view> lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\nb", {"a", "b"}},
        {"a\n\nb\n", {"a", "", "b"}},
        {"\n", {""}},
        {"a\r\nb", {"a\r", "b"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitLines(c.text), c.lines) << c.text;
}

TEST(TrimSpace, RemovesOuterWhiteSpaceOnly)
{
    struct Case {
        std::string_view text;
        std::string_view trimmed;
    } cases[] = {
        {"", ""},     {" \t\r\n", ""},          {"  a b  ", "a b"}, {"\xC2\xA0x\xC2\xA0", "x"},
        {"x\n", "x"}, {"\xC3\xA9", "\xC3\xA9"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TrimSpace(c.text), c.trimmed) << c.text;
}

}  // namespace

namespace {

TEST(Utf8SequenceLength, WellFormedSequencesOnlyWithTheirValue)
{
    struct Case {
        const char* name;
        std::string_view text;
        size_t length;
        char32_t codePoint;  // when length > 0
    } cases[] = {
        {"ASCII", "a", 1, U'a'},
        {"two bytes", "\xC3\xA9", 2, U'\u00E9'},
        {"three bytes", "\xE2\x82\xAC", 3, U'\u20AC'},
        {"four bytes", "\xF0\x9F\x98\x80", 4, U'\U0001F600'},
        {"highest value", "\xF4\x8F\xBF\xBF", 4, U'\U0010FFFF'},
        {"stray continuation byte", "\x80", 0, 0},
        {"truncated", "\xE2\x82", 0, 0},
        {"lead followed by ASCII",
         "\xC3"
         "A",
         0, 0},
        {"overlong two bytes", "\xC0\xAF", 0, 0},
        {"overlong three bytes", "\xE0\x80\xAF", 0, 0},
        {"surrogate", "\xED\xA0\x80", 0, 0},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", 0, 0},
        {"not a lead byte", "\xFF", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        char32_t codePoint = 0;
        EXPECT_EQ(Utf8SequenceLength(c.text, 0, codePoint), c.length);
        if (c.length > 0) {
            EXPECT_EQ(codePoint, c.codePoint);
        }
    }
}

}  // namespace
