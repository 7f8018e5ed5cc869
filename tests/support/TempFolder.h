#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes. Path() is empty when it could not be made.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarnvik-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    // A /bin/sh script called name in the folder, which its owner and group may run.
    std::filesystem::path AddScript(const std::string& name, const std::string& body) const
    {
        const std::filesystem::path file = path_ / name;
        std::ofstream(file) << "#!/bin/sh\n" << body << "\n";
        std::filesystem::permissions(file, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                               std::filesystem::perms::group_exec);
        return file;
    }

private:
    std::filesystem::path path_;
};

// Restores an environment variable as it was, set or unset.
class SavedVariable {
public:
    explicit SavedVariable(const char* name) : name_(name)
    {
        if (const char* value = std::getenv(name))
            value_ = value;
    }
    ~SavedVariable()
    {
        if (value_)
            ::setenv(name_.c_str(), value_->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
    }
    SavedVariable(const SavedVariable&) = delete;
    SavedVariable& operator=(const SavedVariable&) = delete;

    const std::optional<std::string>& Value() const { return value_; }

private:
    std::string name_;
    std::optional<std::string> value_;
};
