#include "scan/DeviceScan.h"

#include "base/ShellWord.h"
#include "base/TextLines.h"
#include "core/Text.h"

#include <algorithm>
#include <array>

namespace {

// A name's first `count` characters compared with a prefix of that many.
struct Prefix {
    int64_t count;
    std::string_view text;
};
constexpr std::array kFirstPass = {Prefix{6, "Notapp"}};
constexpr std::array kSecondPass = {Prefix{6, "Preboo"}, Prefix{3, "EFI"}, Prefix{2, "VM"}, Prefix{8, "Recovery"}};

template <size_t N>
bool MatchesAny(const std::array<Prefix, N>& prefixes, std::string_view name)
{
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [name](const Prefix& prefix) { return TextEquals(Left(name, prefix.count), prefix.text); });
}

// The identifier a device node names: its third "/"-field, trimmed. The rows
// and the boot volume take theirs alike, so Unmount knows the boot volume's row.
std::string IdentifierOfNode(std::string_view node)
{
    return Trim(NthField(node, "/", 3));
}

// awk's default field split: runs of blanks and tabs, none at either end.
std::vector<std::string_view> AwkFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    size_t at = 0;
    for (;;) {
        at = line.find_first_not_of(" \t", at);
        if (at == std::string_view::npos)
            return fields;
        const size_t end = std::min(line.find_first_of(" \t", at), line.size());
        fields.push_back(line.substr(at, end - at));
        at = end;
    }
}

// grep may take a text holding a NUL or bytes that are not UTF-8 for binary
// data and print none of its lines.
bool GrepReadsAsText(std::string_view text)
{
    char32_t ignored = 0;
    for (size_t at = 0; at < text.size();) {
        const size_t length = text[at] == '\0' ? 0 : Utf8SequenceLength(text, at, ignored);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

}  // namespace

std::vector<std::string> OutputLines(std::string_view output)
{
    return Split(ReplaceLineEndings(output, EndOfLine()), EndOfLine());
}

std::vector<std::string> NamesFrom(std::string_view namesOutput)
{
    return OutputLines(namesOutput);
}

std::vector<std::string> IdentifiersFrom(std::string_view nodesOutput)
{
    std::vector<std::string> identifiers = OutputLines(nodesOutput);
    for (std::string& line : identifiers)
        line = IdentifierOfNode(line);
    return identifiers;
}

size_t EntryCount(std::string_view output)
{
    // Every line feed ends a line, and so does every carriage return not
    // followed by one; text after the last line ending is a line too.
    size_t entries = 0;
    for (size_t at = 0; at < output.size(); ++at)
        if (output[at] == '\n' || (output[at] == '\r' && (at + 1 == output.size() || output[at + 1] != '\n')))
            ++entries;
    const char last = output.empty() ? '\n' : output.back();
    return entries + (last == '\n' || last == '\r' ? 0 : 1);
}

bool EntriesPairUp(const std::vector<std::string>& outputs)
{
    if (outputs.empty())
        return true;
    const size_t entries = EntryCount(outputs.front());
    return std::all_of(outputs.begin() + 1, outputs.end(),
                       [entries](const std::string& output) { return EntryCount(output) == entries; });
}

std::string BootVolumeFrom(std::string_view blessOutput)
{
    return IdentifierOfNode(blessOutput);
}

bool RemovedBy(FilterPass pass, std::string_view name)
{
    if (pass == FilterPass::First)
        return MatchesAny(kFirstPass, name);
    return name.empty() || MatchesAny(kSecondPass, name);
}

bool IsDeviceIdentifier(std::string_view identifier)
{
    return !identifier.empty() && identifier.front() != '-' && IsPlainWord(identifier);
}

std::optional<std::string> NamesOutputOf(std::string_view infoOutput)
{
    if (!GrepReadsAsText(infoOutput))
        return std::nullopt;
    std::string names;
    for (std::string_view line : SplitLines(infoOutput)) {
        if (line.find("Volume Name:") == std::string_view::npos)
            continue;
        const std::vector<std::string_view> fields = AwkFields(line);
        for (size_t field = 2; field < 5 && field < fields.size(); ++field)
            names += fields[field];
        names += '\n';
    }
    return names;
}

bool StillNamed(std::string_view infoOutput, std::string_view rowName)
{
    const std::optional<std::string> names = NamesOutputOf(infoOutput);
    return names && EntryCount(*names) == 1 && NamesFrom(*names).front() == rowName;
}
