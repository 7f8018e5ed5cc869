#include "TestDesktop.h"

#include "runtime/Shell.h"

ProcessResult TestDesktop::RunCommand(const std::string& commandLine)
{
    return script ? script(commandLine) : RunCommandLine(commandLine);
}
