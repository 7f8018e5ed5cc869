#include "core/Text.h"

#include "base/TextLines.h"

#include <algorithm>
#include <cstddef>

namespace {

unsigned char AsciiLower(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Bytes taken by the character starting at text[pos]. A byte that does not
// start a well-formed sequence counts as a character of its own, so a broken
// text still advances and is never read past its end.
std::size_t CharacterLength(std::string_view text, std::size_t pos)
{
    char32_t ignored = 0;
    return std::max<std::size_t>(1, Utf8SequenceLength(text, pos, ignored));
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
