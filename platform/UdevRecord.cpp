#include "platform/UdevRecord.h"

#include "base/TextLines.h"
#include "platform/TextFile.h"
#include "platform/ToolText.h"

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<UdevRecord> UdevRecord::Load(const SystemRoot& root, DeviceNumber device)
{
    auto text = TextFile::Read(root.Path("/run/udev/data") / ("b" + device.Text()));
    if (!text)
        return std::nullopt;
    return FromText(*text);
}

UdevRecord UdevRecord::FromText(std::string_view text)
{
    UdevRecord record;
    for (std::string_view line : SplitLines(text)) {
        if (line.substr(0, 2) == "S:")
            record.links_.emplace_back(line.substr(2));
        if (line.substr(0, 2) != "E:")
            continue;
        line.remove_prefix(2);
        auto equals = line.find('=');
        if (equals == std::string_view::npos || equals == 0)
            continue;
        record.properties_[std::string(line.substr(0, equals))] = std::string(line.substr(equals + 1));
    }
    return record;
}

std::optional<std::string> UdevRecord::Property(const std::string& key) const
{
    auto found = properties_.find(key);
    if (found == properties_.end())
        return std::nullopt;
    return found->second;
}

std::string UdevRecord::Label() const
{
    if (auto encoded = Property("ID_FS_LABEL_ENC"))
        return DecodeEscapes(*encoded);
    return Property("ID_FS_LABEL").value_or("");
}

std::optional<UdevRecord::DiskSequenceLink> UdevRecord::DiskSequence() const
{
    constexpr std::string_view kPrefix = "disk/by-diskseq/";
    constexpr std::string_view kPart = "-part";
    for (std::string_view link : links_) {
        if (link.substr(0, kPrefix.size()) != kPrefix)
            continue;
        link.remove_prefix(kPrefix.size());
        size_t part = link.find(kPart);
        auto sequence = ParseDecimal<uint64_t>(link.substr(0, part));
        auto partition = part == std::string_view::npos ? std::optional<uint64_t>(0)
                                                        : ParseDecimal<uint64_t>(link.substr(part + kPart.size()));
        if (sequence && partition)
            return DiskSequenceLink{*sequence, *partition};
    }
    return std::nullopt;
}

std::string UdevRecord::DecodeEscapes(std::string_view text)
{
    std::string decoded;
    decoded.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            int high = HexValue(text[i + 2]);
            int low = HexValue(text[i + 3]);
            if (high >= 0 && low >= 0) {
                decoded.push_back(static_cast<char>(high * 16 + low));
                i += 3;
                continue;
            }
        }
        decoded.push_back(text[i]);
    }
    return decoded;
}
