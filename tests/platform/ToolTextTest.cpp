#include "platform/ToolText.h"

#include <gtest/gtest.h>

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

}  // namespace
