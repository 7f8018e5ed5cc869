#include "runtime/Text.h"

#include "base/TextLines.h"

#include <cstddef>

namespace {

unsigned char AsciiLower(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool IsContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// Bytes taken by the character starting at text[pos]. A byte that does not
// start a well-formed sequence counts as a character of its own, so a broken
// text still advances and is never read past its end.
std::size_t CharacterLength(std::string_view text, std::size_t pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80)
        return 1;

    std::size_t length = 0;
    unsigned char secondMin = 0x80;
    unsigned char secondMax = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            secondMin = 0xA0;  // overlong
        else if (lead == 0xED)
            secondMax = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            secondMin = 0x90;  // overlong
        else if (lead == 0xF4)
            secondMax = 0x8F;  // beyond U+10FFFF
    } else {
        return 1;
    }

    if (text.size() - pos < length)
        return 1;
    const auto second = static_cast<unsigned char>(text[pos + 1]);
    if (second < secondMin || second > secondMax)
        return 1;
    for (std::size_t i = 2; i < length; ++i) {
        if (!IsContinuation(static_cast<unsigned char>(text[pos + i])))
            return 1;
    }
    return length;
}

}  // namespace

std::string Str(int64_t value)
{
    return std::to_string(value);
}

std::string EndOfLine()
{
    return "\n";
}

std::string ReplaceLineEndings(std::string_view text, std::string_view lineEnding)
{
    // Tool output mostly has line feeds only: then there is nothing to replace.
    if (lineEnding == "\n" && text.find('\r') == std::string_view::npos)
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        out.append(text.substr(start, i - start));
        out.append(lineEnding);
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    out.append(text.substr(start));
    return out;
}

std::vector<std::string> Split(std::string_view text, std::string_view separator)
{
    std::vector<std::string> parts;
    if (separator.empty()) {
        parts.emplace_back(text);
        return parts;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t found = text.find(separator, start);
        if (found == std::string_view::npos) {
            parts.emplace_back(text.substr(start));
            return parts;
        }
        parts.emplace_back(text.substr(start, found - start));
        start = found + separator.size();
    }
}

std::string NthField(std::string_view text, std::string_view separator, int64_t index)
{
    if (index < 1)
        return {};
    if (separator.empty())
        return index == 1 ? std::string(text) : std::string();

    std::size_t start = 0;
    for (int64_t field = 1;; ++field) {
        const std::size_t found = text.find(separator, start);
        if (field == index) {
            return std::string(found == std::string_view::npos ? text.substr(start)
                                                               : text.substr(start, found - start));
        }
        if (found == std::string_view::npos)
            return {};
        start = found + separator.size();
    }
}

std::string Left(std::string_view text, int64_t count)
{
    std::size_t pos = 0;
    for (int64_t taken = 0; taken < count && pos < text.size(); ++taken)
        pos += CharacterLength(text, pos);
    return std::string(text.substr(0, pos));
}

std::string Trim(std::string_view text)
{
    return std::string(TrimSpace(text));
}

bool TextEquals(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(static_cast<unsigned char>(a[i])) != AsciiLower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}
