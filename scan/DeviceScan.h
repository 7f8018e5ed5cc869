#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// The device scan's logic as plain functions, with no window involved: the
// disk tool's three outputs become device rows by line position, the
// boot-volume query's output becomes an identifier, and the filter's two
// passes decide which rows stay. The main window's scan methods move text and
// rows between its controls and these functions.

// The scan's command lines, run through the shell in this order.
namespace ScanQuery {
inline constexpr const char* kNames = "diskutil info -all | grep 'Volume Name:' | awk '{print $3 $4 $5}'";
inline constexpr const char* kNodes = "diskutil info -all | grep 'Device Node:' | awk '{print $3 $4 $5}'";
inline constexpr const char* kMounted = "diskutil info -all | grep 'Mounted:' | awk '{print $2}'";
inline constexpr const char* kBoot = "bless --getBoot";
}  // namespace ScanQuery

// One row of the device list.
struct DeviceRow {
    std::string name;        // column 0: the line of the names output, unchanged
    std::string identifier;  // column 1: the identifier cut from the line of the nodes output
    std::string mounted;     // column 2: the line of the mounted-state output, unchanged

    bool operator==(const DeviceRow&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const DeviceRow& row);
};

// An output split into lines whatever line endings it came with (CR, LF or
// CR LF). A text that ends with a line ending gives a last line that is
// empty, so every output awk printed gives one empty line at its end.
std::vector<std::string> OutputLines(std::string_view output);

// The identifier a device-node line names: its third "/"-field, trimmed
// ("/dev/disk2s1" gives "disk2s1"; a line without a third field gives "").
std::string IdentifierOfNode(std::string_view nodeLine);

// Column 0 as the names output gives it, one name per line, unchanged.
std::vector<std::string> NamesFrom(std::string_view namesOutput);
// Column 1 as the nodes output gives it, one identifier per line.
std::vector<std::string> IdentifiersFrom(std::string_view nodesOutput);

// The names output makes the rows, one per line, with empty columns 1 and 2.
std::vector<DeviceRow> RowsFromNames(std::string_view namesOutput);
// The nodes and mounted-state outputs fill columns 1 and 2 of the rows that
// exist, line i into row i; lines beyond the last row are dropped, rows
// beyond the last line keep their column empty.
void FillIdentifiers(std::vector<DeviceRow>& rows, std::string_view nodesOutput);
void FillMountedStates(std::vector<DeviceRow>& rows, std::string_view mountedOutput);

// How many lines an output has, as OutputLines splits it.
size_t CountOutputLines(std::string_view output);
// How many lines each output has, as the parsers split them. Rows are tied to
// their devices by line position only, so they may be made only from outputs
// whose counts agree: a name that holds a label of another query, or a line
// break inside a name, adds a line to one output and shifts every later row.
std::vector<size_t> LineCounts(const std::vector<std::string>& outputs);
bool LinesPairUp(const std::vector<size_t>& counts);

// The boot volume's identifier from what the boot-volume query printed.
std::string BootVolumeFrom(std::string_view blessOutput);

// The filter's two passes. The first drops names beginning with "Notapp";
// the second empty names and those beginning with "Preboo", "EFI", "VM" or
// "Recovery". Letter case follows the runtime's text equality.
enum class FilterPass { First, Second };
bool RemovedBy(FilterPass pass, std::string_view name);
// Both passes over rows; the rows that stay keep their order.
std::vector<DeviceRow> Filtered(std::vector<DeviceRow> rows);
