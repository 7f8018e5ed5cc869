#include "scan/DeviceScan.h"

#include "core/Text.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace {

// Rows i from 0 take line i while both exist.
void FillColumn(std::vector<DeviceRow>& rows, std::string DeviceRow::*column, std::vector<std::string> values)
{
    const size_t count = std::min(rows.size(), values.size());
    for (size_t i = 0; i < count; ++i)
        rows[i].*column = std::move(values[i]);
}

// A name's first `count` characters compared with a prefix of that many.
struct Prefix {
    int64_t count;
    std::string_view text;
};
constexpr Prefix kFirstPass[] = {{6, "Notapp"}};
constexpr Prefix kSecondPass[] = {{6, "Preboo"}, {3, "EFI"}, {2, "VM"}, {2, ""}, {8, "Recovery"}};

template <size_t N>
bool MatchesAny(const Prefix (&prefixes)[N], std::string_view name)
{
    return std::any_of(std::begin(prefixes), std::end(prefixes),
                       [name](const Prefix& prefix) { return TextEquals(Left(name, prefix.count), prefix.text); });
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const DeviceRow& row)
{
    return out << "{\"" << row.name << "\", \"" << row.identifier << "\", \"" << row.mounted << "\"}";
}

std::vector<std::string> OutputLines(std::string_view output)
{
    return Split(ReplaceLineEndings(output, EndOfLine()), EndOfLine());
}

std::string IdentifierOfNode(std::string_view nodeLine)
{
    return Trim(NthField(nodeLine, "/", 3));
}

std::vector<std::string> NamesFrom(std::string_view namesOutput)
{
    return OutputLines(namesOutput);
}

std::vector<DeviceRow> RowsFromNames(std::string_view namesOutput)
{
    std::vector<DeviceRow> rows;
    for (std::string& name : NamesFrom(namesOutput))
        rows.push_back({std::move(name), {}, {}});
    return rows;
}

std::vector<std::string> IdentifiersFrom(std::string_view nodesOutput)
{
    std::vector<std::string> identifiers = OutputLines(nodesOutput);
    for (std::string& line : identifiers)
        line = IdentifierOfNode(line);
    return identifiers;
}

void FillIdentifiers(std::vector<DeviceRow>& rows, std::string_view nodesOutput)
{
    FillColumn(rows, &DeviceRow::identifier, IdentifiersFrom(nodesOutput));
}

void FillMountedStates(std::vector<DeviceRow>& rows, std::string_view mountedOutput)
{
    FillColumn(rows, &DeviceRow::mounted, OutputLines(mountedOutput));
}

size_t CountOutputLines(std::string_view output)
{
    // Every line feed ends a line, and so does every carriage return not
    // followed by one.
    size_t lines = 1 + static_cast<size_t>(std::count(output.begin(), output.end(), '\n'));
    for (size_t at = output.find('\r'); at != std::string_view::npos; at = output.find('\r', at + 1))
        if (at + 1 == output.size() || output[at + 1] != '\n')
            ++lines;
    return lines;
}

std::vector<size_t> LineCounts(const std::vector<std::string>& outputs)
{
    std::vector<size_t> counts;
    for (const std::string& output : outputs)
        counts.push_back(CountOutputLines(output));
    return counts;
}

bool LinesPairUp(const std::vector<size_t>& counts)
{
    return std::adjacent_find(counts.begin(), counts.end(), std::not_equal_to<>()) == counts.end();
}

std::string BootVolumeFrom(std::string_view blessOutput)
{
    return Trim(NthField(blessOutput, "/", 3));
}

bool RemovedBy(FilterPass pass, std::string_view name)
{
    return pass == FilterPass::First ? MatchesAny(kFirstPass, name) : MatchesAny(kSecondPass, name);
}

std::vector<DeviceRow> Filtered(std::vector<DeviceRow> rows)
{
    for (FilterPass pass : {FilterPass::First, FilterPass::Second})
        std::erase_if(rows, [pass](const DeviceRow& row) { return RemovedBy(pass, row.name); });
    return rows;
}
