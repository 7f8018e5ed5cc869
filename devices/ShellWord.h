#pragma once

#include <string>
#include <string_view>

// A device identifier as it goes onto a disk command line. A plain word
// (letters, digits, '.', '_', '-', ':') and the empty text stay as they are;
// anything else is single-quoted, so an identifier can never run a command
// of its own.
std::string ShellWord(std::string_view identifier);
