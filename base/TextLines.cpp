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
