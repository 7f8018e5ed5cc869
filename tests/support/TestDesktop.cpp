#include "TestDesktop.h"

ProcessResult TestDesktop::RunCommand(const std::string& commandLine)
{
    return script ? script(commandLine) : RunCommandLine(commandLine);
}
