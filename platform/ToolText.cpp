#include "platform/ToolText.h"

#include "base/TextLines.h"

#include <array>

namespace {

constexpr std::array<std::string_view, 3> kPairedLabels = {"Volume Name:", "Device Node:", "Mounted:"};

bool IsControl(char32_t codePoint)
{
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F) || codePoint == 0x2028 || codePoint == 0x2029;
}

}  // namespace

std::string PrintableLine(std::string_view value)
{
    std::string clean;
    clean.reserve(value.size());
    for (size_t i = 0; i < value.size();) {
        char32_t codePoint = 0;
        size_t length = Utf8SequenceLength(value, i, codePoint);
        if (length == 0) {
            clean += '?';
            ++i;
            continue;
        }
        if (IsControl(codePoint))
            clean += ' ';
        else
            clean.append(value.substr(i, length));
        i += length;
    }
    // Dropping a colon can join text into a new label ("Mounted::"), so repeat until none is left.
    for (bool changed = true; changed;) {
        changed = false;
        for (std::string_view label : kPairedLabels) {
            for (size_t at = clean.find(label); at != std::string::npos; at = clean.find(label, at)) {
                clean.erase(at + label.size() - 1, 1);
                changed = true;
            }
        }
    }
    return clean;
}
