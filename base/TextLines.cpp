#include "base/TextLines.h"

namespace {

bool IsAsciiSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// No-break space, as UTF-8.
constexpr std::string_view kNoBreakSpace = "\xC2\xA0";

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

size_t Utf8SequenceLength(std::string_view text, size_t pos, char32_t& codePoint)
{
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(pos);
    size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        codePoint = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        codePoint = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        codePoint = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (pos + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(pos + k) & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (byte(pos + k) & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

std::string_view TrimSpace(std::string_view text)
{
    for (;;) {
        if (!text.empty() && IsAsciiSpace(text.front()))
            text.remove_prefix(1);
        else if (text.starts_with(kNoBreakSpace))
            text.remove_prefix(kNoBreakSpace.size());
        else
            break;
    }
    for (;;) {
        if (!text.empty() && IsAsciiSpace(text.back()))
            text.remove_suffix(1);
        else if (text.ends_with(kNoBreakSpace))
            text.remove_suffix(kNoBreakSpace.size());
        else
            break;
    }
    return text;
}

std::string_view TrimTrailingBlanks(std::string_view text)
{
    const size_t kept = text.find_last_not_of(' ');
    return text.substr(0, kept == std::string_view::npos ? 0 : kept + 1);
}
