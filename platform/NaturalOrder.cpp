#include "platform/NaturalOrder.h"

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Compares two digit runs by value without converting them, so any length works.
int CompareNumbers(std::string_view a, std::string_view b)
{
    while (a.size() > 1 && a.front() == '0')
        a.remove_prefix(1);
    while (b.size() > 1 && b.front() == '0')
        b.remove_prefix(1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    int order = a.compare(b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

}  // namespace

bool NaturalOrder::operator()(std::string_view a, std::string_view b) const
{
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            size_t endA = i;
            while (endA < a.size() && IsDigit(a[endA]))
                ++endA;
            size_t endB = j;
            while (endB < b.size() && IsDigit(b[endB]))
                ++endB;
            int order = CompareNumbers(a.substr(i, endA - i), b.substr(j, endB - j));
            if (order != 0)
                return order < 0;
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    // Equal by value ("a01" and "a1"): fall back to plain order to stay strict.
    return a < b;
}
