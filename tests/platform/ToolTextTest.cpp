#include "platform/ToolText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace {

TEST(DiskPrintableLine, OneLineWithoutThePairedLabels)
{
    const std::pair<std::string, std::string> cases[] = {
        {"MY DATA", "MY DATA"},
        {"Données été", "Données été"},
        {"a\nb\rc\td", "a b c d"},
        {std::string("nul\0x", 5), "nul x"},
        {"bell\x07\x7f", "bell  "},
        {"c1\xc2\x85"
         "end",
         "c1 end"},  // NEL
        {"ls\xe2\x80\xa8"
         "ps\xe2\x80\xa9"
         "end",
         "ls ps end"},                                     // line and paragraph separators
        {"\xc2\xa0nbsp\xc2\xa0", "\xc2\xa0nbsp\xc2\xa0"},  // printable: stays
        {"bad\xff\xc3", "bad??"},                          // invalid and cut UTF-8
        {"over\xc0\xaflong", "over??long"},                // overlong "/"
        {"Mounted: x", "Mounted x"},
        {"Volume Name:Device Node:", "Volume NameDevice Node"},
        {"Mounted::", "Mounted"},  // dropping one colon must not leave a new label
        {"MountedMounted::", "MountedMounted"},
        {"mounted: lower case is harmless", "mounted: lower case is harmless"},
    };
    for (const auto& [raw, clean] : cases)
        EXPECT_EQ(PrintableLine(raw), clean) << raw;
}

TEST(DiskParseDecimal, TheWholeTextAndInRangeOrNothing)
{
    const std::pair<std::string_view, std::optional<uint64_t>> cases[] = {
        {"0", 0},
        {"007", 7},
        {"18446744073709551615", UINT64_MAX},
        {"18446744073709551616", std::nullopt},  // out of range
        {"", std::nullopt},
        {"-1", std::nullopt},
        {"+1", std::nullopt},
        {" 1", std::nullopt},
        {"1\n", std::nullopt},
        {"12ab", std::nullopt},
        {"0x10", std::nullopt},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ParseDecimal<uint64_t>(text), value) << text;
    EXPECT_EQ(ParseDecimal<int64_t>("-5"), -5);
    EXPECT_EQ(ParseDecimal<int64_t>("-"), std::nullopt);
    EXPECT_EQ(ParseDecimal<int>("2147483648"), std::nullopt);
}

}  // namespace
