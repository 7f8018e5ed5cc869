#pragma once

#include <charconv>
#include <optional>
#include <string>
#include <string_view>

// Text the stand-ins print, and the numbers they read. (Splitting lines and
// trimming are base/TextLines.h.)

// value as one line of printable text: control characters become spaces and
// bytes that are not well-formed UTF-8 "?". "Volume Name:", "Device Node:"
// and "Mounted:" lose their colon, so no value can pass for one of the labels
// the application pairs the entries of `diskutil info -all` up by.
std::string PrintableLine(std::string_view value);

// A whole text as a decimal number (a leading '-' only for a signed Number);
// nullopt for an empty text, anything else in it, or a value out of range.
template <typename Number>
std::optional<Number> ParseDecimal(std::string_view digits)
{
    Number value{};
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty())
        return std::nullopt;
    return value;
}
