#pragma once

#include "base/Process.h"

#include <string>

// Runs one command line, synchronously: Execute returns when the whole line
// has ended. The line goes to the desktop services in use, whose real ones
// run it with RunCommandLine (both in DesktopServices.h).
//
// Result holds only what the command wrote to its standard output; the error
// stream is kept apart in ErrorOutput, so a message such as "diskutil: not
// found" never becomes part of a parsed result.
class Shell {
public:
    void Execute(const std::string& commandLine);

    const std::string& Result() const { return result_; }
    const std::string& ErrorOutput() const { return errorOutput_; }
    // Exit status of the line as the shell reports it (for a pipeline, that of
    // its last command); 127 when the shell finds no such command, 128 + n when
    // the shell itself was ended by signal n. When the shell cannot be run at
    // all it is 127 too, and ErrorOutput says why. When running the line failed
    // here rather than in the command (no pipes or process to be had, its
    // output or its end could not be read), it is kRunFailed and ErrorOutput
    // ends with the cause.
    int ErrorCode() const { return errorCode_; }

private:
    std::string result_;
    std::string errorOutput_;
    int errorCode_ = 0;
};
