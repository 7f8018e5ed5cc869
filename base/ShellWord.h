#pragma once

#include <string>
#include <string_view>

// A text as one word of a shell command line. A plain word (letters, digits,
// '.', '_', '-', ':') and the empty text stay as they are; anything else is
// single-quoted, so the text can never run a command of its own.
std::string ShellWord(std::string_view text);
// Whether text is such a plain word (the empty text is one).
bool IsPlainWord(std::string_view text);
