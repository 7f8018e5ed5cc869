#pragma once

#include "TestDesktop.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

// Stands in for /bin/sh: records every command line the application runs
// and answers each with the output, error output and exit status chosen for
// it. A line nobody scripted fails as a shell would (status 127).
class ScriptedShell {
public:
    explicit ScriptedShell(TestDesktop& desktop) : desktop_(desktop) {}
    // Answers in place of the real shell until Remove or destruction.
    void Install();
    void Remove();
    ~ScriptedShell() { Remove(); }

    void Answer(const std::string& commandLine, const std::string& output, int status = 0,
                const std::string& errorOutput = "");

    std::vector<std::string> lines;                          // in the order they ran
    std::function<void(const std::string& line)> onExecute;  // runs before each answer

private:
    TestDesktop& desktop_;
    std::map<std::string, ProcessResult> answers_;
};
