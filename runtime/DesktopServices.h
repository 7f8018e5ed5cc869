#pragma once

#include "base/Process.h"

#include <memory>
#include <string>

// What the program asks of the machine around it: run a command line, show a
// message, sound the alert, open a web address. The runtime reaches all four
// through the services in use, which are the real ones unless someone (a
// test) has put others in their place.
class DesktopServices {
public:
    virtual ~DesktopServices() = default;
    // Runs one command line through /bin/sh and waits for it; see Shell.
    virtual ProcessResult RunCommand(const std::string& commandLine) = 0;
    // A modal message with an OK button; returns once it is dismissed.
    virtual void MsgBox(const std::string& text) = 0;
    virtual void Beep() = 0;
    // Asks the desktop to open a web address; reports nothing.
    virtual void ShowURL(const std::string& url) = 0;
};

// The services in use.
std::shared_ptr<DesktopServices> CurrentDesktopServices();
// Puts services in place of those in use and returns the ones replaced, so
// they can be put back; nil puts the real ones back.
std::shared_ptr<DesktopServices> SetDesktopServices(std::shared_ptr<DesktopServices> services);

// The real command runner: the line through /bin/sh -c, with stdin
// /dev/null. The folder of the disk-tool stand-ins (AppFolders::Tools) is
// appended to the end of PATH, so a real tool found earlier on PATH wins. The
// command gets no other descriptor of the application and default signal
// handling.
ProcessResult RunCommandLine(const std::string& commandLine);
