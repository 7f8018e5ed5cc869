#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

// Plain text helpers for the lowest layers: tool output, sysfs files, test
// transcripts. (The windowing runtime's own text helpers build on these.)

// The lines of text split at line feeds, without them; a final line feed
// gives no empty last line, and an empty text no line at all.
std::vector<std::string_view> SplitLines(std::string_view text);

// text without leading and trailing white space: ASCII blanks, tabs, line
// breaks, vertical tabs, form feeds and the no-break space.
std::string_view TrimSpace(std::string_view text);

// text without the blanks (U+0020) at its end, and nothing else: for text
// whose other white space is part of it, such as a no-break space that ends a
// volume name.
std::string_view TrimTrailingBlanks(std::string_view text);

// Length in bytes of the well-formed UTF-8 sequence at text[pos], or 0 when
// none starts there (a stray or truncated byte, an overlong form, a
// surrogate, a value beyond U+10FFFF). codePoint receives its value.
size_t Utf8SequenceLength(std::string_view text, size_t pos, char32_t& codePoint);
