#include "platform/TextFile.h"

#include "base/TextLines.h"

#include <charconv>
#include <fstream>
#include <sstream>

std::optional<std::string> TextFile::Read(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        return std::nullopt;
    return text.str();
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

std::optional<uint64_t> TextFile::Number(const std::filesystem::path& path)
{
    auto line = FirstLine(path);
    if (!line)
        return std::nullopt;
    const std::string_view digits = TrimSpace(*line);
    uint64_t value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty())
        return std::nullopt;
    return value;
}
