#include "platform/TextFile.h"

#include "base/TextLines.h"
#include "platform/ToolText.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

std::optional<std::string> TextFile::Read(const std::filesystem::path& path)
{
    // Plain system calls: a listing reads several of these per device.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    auto text = ReadFrom(fd);
    ::close(fd);
    return text;
}

std::optional<std::string> TextFile::ReadFrom(int fd)
{
    std::string text;
    char buffer[4096];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            text.append(buffer, static_cast<size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        return text;
    }
}

std::optional<std::string> TextFile::FirstLine(const std::filesystem::path& path)
{
    auto text = Read(path);
    if (!text)
        return std::nullopt;
    auto end = text->find('\n');
    if (end != std::string::npos)
        text->erase(end);
    return text;
}

std::optional<std::string> TextFile::Value(const std::filesystem::path& path)
{
    auto text = Read(path);
    if (text && !text->empty() && text->back() == '\n')
        text->pop_back();
    return text;
}

std::optional<uint64_t> TextFile::Number(const std::filesystem::path& path)
{
    auto line = FirstLine(path);
    if (!line)
        return std::nullopt;
    return ParseDecimal<uint64_t>(TrimSpace(*line));
}

std::optional<std::vector<uint64_t>> TextFile::Numbers(const std::filesystem::path& path)
{
    auto line = FirstLine(path);
    if (!line)
        return std::nullopt;
    std::vector<uint64_t> numbers;
    std::string_view rest = *line;
    for (;;) {
        rest = TrimSpace(rest);
        if (rest.empty())
            return numbers;
        size_t end = rest.find_first_of(" \t");
        auto number = ParseDecimal<uint64_t>(rest.substr(0, end));
        if (!number)
            return std::nullopt;
        numbers.push_back(*number);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
    }
}
