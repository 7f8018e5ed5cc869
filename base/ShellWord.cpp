#include "base/ShellWord.h"

#include <algorithm>

namespace {

bool IsPlainCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '-' || c == ':';
}

}  // namespace

bool IsPlainWord(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), IsPlainCharacter);
}

std::string ShellWord(std::string_view text)
{
    if (IsPlainWord(text))
        return std::string(text);
    // Inside single quotes only the quote itself is special: end the quoted
    // part, add an escaped quote, start a new one.
    std::string word = "'";
    for (char c : text) {
        if (c == '\'')
            word += "'\\''";
        else
            word += c;
    }
    word += "'";
    return word;
}
