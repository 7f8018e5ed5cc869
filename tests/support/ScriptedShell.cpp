#include "ScriptedShell.h"

void ScriptedShell::Install()
{
    desktop_.script = [this](const std::string& line) {
        lines.push_back(line);
        if (onExecute)
            onExecute(line);
        auto it = answers_.find(line);
        if (it == answers_.end())
            return ProcessResult{127, "", "sh: not scripted: " + line + "\n"};
        return it->second;
    };
}

void ScriptedShell::Remove()
{
    desktop_.script = nullptr;
}

void ScriptedShell::Answer(const std::string& commandLine, const std::string& output, int status,
                           const std::string& errorOutput)
{
    answers_[commandLine] = ProcessResult{status, output, errorOutput};
}
