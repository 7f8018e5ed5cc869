#include "platform/EntryFormatter.h"

#include "base/TextLines.h"
#include "platform/ToolText.h"

#include <array>
#include <cstdio>

namespace {

constexpr std::string_view kIndent = "   ";
constexpr size_t kLabelWidth = 26;  // "File System Personality:" and two spaces
constexpr std::string_view kSeparator = "**********";

void Line(std::string& out, std::string_view label, std::string_view value)
{
    std::string line(kIndent);
    line += label;
    line.append(label.size() < kLabelWidth ? kLabelWidth - label.size() : 1, ' ');
    line += PrintableLine(value);
    line.resize(TrimTrailingBlanks(line).size());
    out += line;
    out += '\n';
}

const char* YesNo(bool value)
{
    return value ? "Yes" : "No";
}

}  // namespace

std::string EntryFormatter::HumanSize(uint64_t bytes)
{
    static constexpr std::array<const char*, 6> kUnits = {"KB", "MB", "GB", "TB", "PB", "EB"};
    std::string exact = " (" + std::to_string(bytes) + " Bytes)";
    if (bytes < 1000)
        return std::to_string(bytes) + " B" + exact;
    double value = static_cast<double>(bytes);
    size_t unit = 0;
    value /= 1000.0;
    // 999.96 KB would print as "1000.0 KB"
    while (value >= 999.95 && unit + 1 < kUnits.size()) {
        value /= 1000.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    return text + exact;
}

std::string EntryFormatter::Entry(const DiskEntry& entry)
{
    std::string out;
    Line(out, "Device Identifier:", entry.identifier);
    Line(out, "Device Node:", entry.DeviceNode());
    Line(out, "Whole:", YesNo(entry.whole));
    Line(out, "Part of Whole:", entry.wholeIdentifier);
    Line(out, "Volume Name:", entry.VolumeName());
    Line(out, "Mounted:", entry.MountedText());
    Line(out, "Mount Point:", entry.mountPoint);
    Line(out, "File System Personality:", entry.Personality());
    Line(out, "Disk Size:", HumanSize(entry.sizeBytes));
    Line(out, "Volume UUID:", entry.uuid);
    Line(out, "Read-Only Media:", YesNo(entry.readOnly));
    Line(out, "Removable Media:", YesNo(entry.removable));
    Line(out, "Device Number:", entry.device.Text());
    if (!entry.mapperName.empty())
        Line(out, "Mapper Name:", entry.mapperName);
    if (!entry.backingFile.empty())
        Line(out, "Backing File:", entry.backingFile);
    if (entry.HoldsPartitions()) {
        std::string list;
        for (const auto& part : entry.partitions)
            list += (list.empty() ? "" : " ") + part;
        Line(out, "Partitions:", list);
    }
    return out;
}

std::string EntryFormatter::All(const std::vector<DiskEntry>& entries)
{
    std::string out;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i > 0) {
            out += '\n';
            out += kSeparator;
            out += "\n\n";
        }
        out += Entry(entries[i]);
    }
    return out;
}
