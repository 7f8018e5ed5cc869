#include "runtime/Shell.h"

#include "runtime/DesktopServices.h"

void Shell::Execute(const std::string& commandLine)
{
    ProcessResult outcome = CurrentDesktopServices()->RunCommand(commandLine);
    result_ = std::move(outcome.output);
    errorOutput_ = std::move(outcome.errorOutput);
    errorCode_ = outcome.status;
}
