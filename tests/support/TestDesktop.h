#pragma once

#include "runtime/DesktopServices.h"

#include <functional>
#include <string>
#include <vector>

// The desktop as the tests see it: every message, beep and opened address is
// recorded instead of shown, and a command line goes to the script when one
// is set (ScriptedShell), else to the real shell.
class TestDesktop : public DesktopServices {
public:
    ProcessResult RunCommand(const std::string& commandLine) override;
    void MsgBox(const std::string& text) override { messages.push_back(text); }
    void Beep() override { ++beeps; }
    void ShowURL(const std::string& url) override { urls.push_back(url); }

    std::vector<std::string> messages;
    int beeps = 0;
    std::vector<std::string> urls;
    std::function<ProcessResult(const std::string& commandLine)> script;  // nil: the real shell
};
