#include "runtime/Shell.h"

#include "base/Process.h"
#include "core/AppFolders.h"
#include "runtime/DesktopServices.h"

#include <optional>
#include <vector>

namespace {

constexpr const char* kShell = "/bin/sh";

// The parent's environment with the tool stand-ins appended to PATH. Built
// as a copy: the parent's own environment stays untouched.
std::vector<std::string> ChildEnvironment()
{
    std::vector<std::string> env;
    std::optional<std::string> parentPath;
    for (std::string& entry : CurrentEnvironment()) {
        if (entry.rfind("PATH=", 0) == 0) {
            if (!parentPath)
                parentPath = entry.substr(5);
            continue;
        }
        env.push_back(std::move(entry));
    }

    std::string path = parentPath ? *parentPath : kDefaultSearchPath;
    const std::string tools = AppFolders::Tools();
    // An empty entry in PATH means the current folder; never add one.
    if (!tools.empty())
        path = path.empty() ? tools : path + ":" + tools;
    env.push_back("PATH=" + path);
    return env;
}

}  // namespace

void Shell::Execute(const std::string& commandLine)
{
    ProcessResult outcome = CurrentDesktopServices()->RunCommand(commandLine);
    result_ = std::move(outcome.output);
    errorOutput_ = std::move(outcome.errorOutput);
    errorCode_ = outcome.status;
}

ProcessResult RunCommandLine(const std::string& commandLine)
{
    return RunProcess({kShell, "-c", commandLine}, ChildEnvironment());
}
