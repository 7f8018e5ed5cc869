#include "platform/DeviceNumber.h"

#include "base/TextLines.h"
#include "platform/ToolText.h"

#include <sys/sysmacros.h>

std::optional<DeviceNumber> DeviceNumber::Parse(std::string_view text)
{
    text = TrimSpace(text);
    auto colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    auto majorPart = ParseDecimal<unsigned>(text.substr(0, colon));
    auto minorPart = ParseDecimal<unsigned>(text.substr(colon + 1));
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
