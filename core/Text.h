#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Text helpers on UTF-8 strings. Positions and counts are in characters
// (code points), never in bytes, so no helper cuts a character in two.

// Decimal text of an integer ("Str with an empty format").
std::string Str(int64_t value);

// The platform's line ending: "\n" here.
std::string EndOfLine();

// Every CR LF, lone CR and lone LF in text becomes lineEnding.
std::string ReplaceLineEndings(std::string_view text, std::string_view lineEnding);

// The parts of text between separators. n separators give n + 1 parts, so an
// empty text gives one empty part and a trailing separator a last empty part.
// An empty separator gives the whole text as the only part.
std::vector<std::string> Split(std::string_view text, std::string_view separator);

// Field `index` (counted from 1) of text split at separator; "" when there is
// no such field.
std::string NthField(std::string_view text, std::string_view separator, int64_t index);

// The first `count` characters of text (all of it when shorter, "" for count <= 0).
std::string Left(std::string_view text, int64_t count);

// text without leading and trailing white space, as TrimSpace
// (base/TextLines.h) finds it: blanks, tabs, line breaks, the no-break space.
std::string Trim(std::string_view text);

// The runtime's text equality: ASCII letters compare without regard to case,
// every other byte must match exactly.
bool TextEquals(std::string_view a, std::string_view b);
