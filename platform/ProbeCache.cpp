#include "platform/ProbeCache.h"

#include "base/TextLines.h"
#include "platform/TextFile.h"
#include "platform/ToolText.h"
#include "platform/UdevRecord.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kFileName = "probe-cache";

// A field without blanks or line breaks; UdevRecord::DecodeEscapes undoes it.
std::string Escape(std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string escaped;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte == 0x7f || c == '\\') {
            escaped += "\\x";
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 15];
        } else {
            escaped += c;
        }
    }
    // An empty field still has to be one word.
    return escaped.empty() ? "-" : "+" + escaped;
}

std::string Unescape(std::string_view field)
{
    return field.empty() || field[0] == '-' ? std::string() : UdevRecord::DecodeEscapes(field.substr(1));
}

std::vector<std::string_view> Words(std::string_view line)
{
    std::vector<std::string_view> words;
    while (!line.empty()) {
        size_t end = line.find(' ');
        words.push_back(line.substr(0, end));
        if (end == std::string_view::npos)
            break;
        line.remove_prefix(end + 1);
    }
    return words;
}

// Only a folder of our own that nobody else may write to: its contents decide what we print.
bool Trusted(int fd, bool folder)
{
    struct stat info {};
    return ::fstat(fd, &info) == 0 && info.st_uid == ::geteuid() && (info.st_mode & (folder ? 077 : 022)) == 0 &&
           (folder ? S_ISDIR(info.st_mode) : S_ISREG(info.st_mode));
}

}  // namespace

ProbeCache::ProbeCache(std::filesystem::path folder) : folder_(std::move(folder))
{
    Read();
}

int64_t ProbeCache::Now()
{
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

int ProbeCache::OpenFolder(bool create) const
{
    if (create && ::mkdir(folder_.c_str(), 0700) != 0 && errno != EEXIST)
        return -1;
    int fd = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0 && !Trusted(fd, true)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void ProbeCache::Read()
{
    int dir = OpenFolder(false);
    if (dir < 0)
        return;
    int fd = ::openat(dir, kFileName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    ::close(dir);
    if (fd < 0)
        return;
    const std::string text = Trusted(fd, false) ? TextFile::ReadFrom(fd).value_or("") : "";
    ::close(fd);
    for (std::string_view line : SplitLines(text)) {
        // device partition start size sequence writes stamp content type label uuid
        auto words = Words(line);
        if (words.size() != 11)
            continue;
        auto device = DeviceNumber::Parse(words[0]);
        auto partition = ParseDecimal<uint64_t>(words[1]);
        auto start = ParseDecimal<uint64_t>(words[2]);
        auto size = ParseDecimal<uint64_t>(words[3]);
        auto sequence = ParseDecimal<uint64_t>(words[4]);
        auto stamp = ParseDecimal<int64_t>(words[6]);
        auto content = ParseDecimal<int>(words[7]);
        if (!device || !partition || !start || !size || !sequence || !stamp || !content || *content < 0 || *content > 2)
            continue;
        facts_[Key{*device, *partition, *start, *size, *sequence, std::string(words[5])}] =
            Facts{*stamp, static_cast<Content>(*content), Unescape(words[9]), Unescape(words[8]), Unescape(words[10])};
    }
}

bool ProbeCache::Find(const Key& key, DiskEntry& entry, int64_t now) const
{
    std::lock_guard lock(mutex_);
    auto found = facts_.find(key);
    if (found == facts_.end())
        return false;
    const Facts& facts = found->second;
    if (now < facts.stamp || now - facts.stamp >= kLifetimeNanoseconds)
        return false;
    entry.content = facts.content;
    entry.label = facts.label;
    entry.fileSystemType = facts.fileSystemType;
    entry.uuid = facts.uuid;
    return true;
}

void ProbeCache::Store(const Key& key, const DiskEntry& entry, int64_t now)
{
    std::lock_guard lock(mutex_);
    facts_[key] = Facts{now, entry.content, entry.label, entry.fileSystemType, entry.uuid};
    changed_ = true;
}

void ProbeCache::Save(int64_t now)
{
    std::lock_guard lock(mutex_);
    if (!changed_)
        return;
    std::string text;
    for (const auto& [key, facts] : facts_) {
        if (now < facts.stamp || now - facts.stamp >= kLifetimeNanoseconds)
            continue;
        text += key.device.Text() + ' ' + std::to_string(key.partition) + ' ' + std::to_string(key.startSector) + ' ' +
                std::to_string(key.sizeBytes) + ' ' + std::to_string(key.diskSequence) + ' ' + key.writes + ' ' +
                std::to_string(facts.stamp) + ' ' + std::to_string(static_cast<int>(facts.content)) + ' ' +
                Escape(facts.fileSystemType) + ' ' + Escape(facts.label) + ' ' + Escape(facts.uuid) + '\n';
    }
    int dir = OpenFolder(true);
    if (dir < 0)
        return;
    // Written whole under a name of its own, then renamed over: readers see the old file or the new one.
    std::string temporary = std::string(kFileName) + "." + std::to_string(::getpid());
    int fd = ::openat(dir, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        ::unlinkat(dir, temporary.c_str(), 0);  // left by a process of the same id that died
        fd = ::openat(dir, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    }
    if (fd >= 0) {
        bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::close(fd);
        if (!written || ::renameat(dir, temporary.c_str(), dir, kFileName) != 0)
            ::unlinkat(dir, temporary.c_str(), 0);
    }
    ::close(dir);
    changed_ = false;
}
