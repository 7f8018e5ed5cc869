#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The device scan's logic as plain functions, with no window involved: the
// disk tool's three outputs become the list's columns by line position, the
// boot-volume query's output becomes an identifier, the filter's two passes
// decide which rows stay, and a row is checked against what the disk tool
// says of its device before anything acts on it. The main window moves text
// and rows between its controls and these functions.

// The scan's command lines, run through the shell in this order.
namespace ScanQuery {
inline constexpr const char* kNames = "diskutil info -all | grep 'Volume Name:' | awk '{print $3 $4 $5}'";
inline constexpr const char* kNodes = "diskutil info -all | grep 'Device Node:' | awk '{print $3 $4 $5}'";
inline constexpr const char* kMounted = "diskutil info -all | grep 'Mounted:' | awk '{print $2}'";
inline constexpr const char* kBoot = "bless --getBoot";
}  // namespace ScanQuery

// An output split into lines whatever line endings it came with (CR, LF or
// CR LF). A text that ends with a line ending gives a last line that is
// empty, so every output awk printed gives one empty line at its end. The
// mounted-state column is these lines, unchanged.
std::vector<std::string> OutputLines(std::string_view output);
// The name column: the names output's lines, unchanged.
std::vector<std::string> NamesFrom(std::string_view namesOutput);
// The identifier column: of each line of the nodes output, its third
// "/"-field, trimmed ("/dev/disk2s1" gives "disk2s1"; a line without a third
// field gives "").
std::vector<std::string> IdentifiersFrom(std::string_view nodesOutput);

// How many entries an output holds: the lines it printed, not counting the
// empty one after its last line ending.
size_t EntryCount(std::string_view output);
// Rows are tied to their devices by line position only, so they may be made
// only from outputs that hold as many entries each: a name that holds a label
// of another query, or a line break inside a name, adds a line to one output
// and shifts every later row.
bool EntriesPairUp(const std::vector<std::string>& outputs);

// The boot volume's identifier from what the boot-volume query printed.
std::string BootVolumeFrom(std::string_view blessOutput);

// The filter's two passes. The first drops names beginning with "Notapp";
// the second empty names and those beginning with "Preboo", "EFI", "VM" or
// "Recovery". Letter case follows the runtime's text equality.
enum class FilterPass { First, Second };
bool RemovedBy(FilterPass pass, std::string_view name);

// Whether a row's identifier may be handed to the disk tool: a device name of
// letters, digits, '.', '_', ':' and '-' that does not begin with '-', so it
// can be neither an option nor a missing operand.
bool IsDeviceIdentifier(std::string_view identifier);

// What the names query prints for the given "diskutil info" text: its lines
// holding "Volume Name:", each reduced to fields 3 to 5 run together, as
// grep and awk make them. Nothing when the text holds a NUL or bytes that
// are not UTF-8: what grep prints then depends on the locale, down to no
// line at all, so such a text confirms no name.
std::optional<std::string> NamesOutputOf(std::string_view infoOutput);
// Whether the "diskutil info ID" text still describes the volume a row names:
// it gives exactly one name, and that is the row's.
bool StillNamed(std::string_view infoOutput, std::string_view rowName);
