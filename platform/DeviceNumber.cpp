#include "platform/DeviceNumber.h"

#include "base/TextLines.h"

#include <sys/sysmacros.h>

#include <charconv>

namespace {

std::optional<unsigned> ParseUnsigned(std::string_view text)
{
    unsigned value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<DeviceNumber> DeviceNumber::Parse(std::string_view text)
{
    text = TrimSpace(text);
    auto colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    auto majorPart = ParseUnsigned(text.substr(0, colon));
    auto minorPart = ParseUnsigned(text.substr(colon + 1));
    if (!majorPart || !minorPart)
        return std::nullopt;
    return DeviceNumber{*majorPart, *minorPart};
}

DeviceNumber DeviceNumber::FromDev(dev_t device)
{
    return DeviceNumber{::major(device), ::minor(device)};
}

std::string DeviceNumber::Text() const
{
    return std::to_string(majorNumber) + ":" + std::to_string(minorNumber);
}
