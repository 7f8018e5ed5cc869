#include "base/ShellWord.h"

namespace {

bool IsPlainCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '-' || c == ':';
}

}  // namespace

std::string ShellWord(std::string_view text)
{
    bool plain = true;
    for (char c : text)
        plain = plain && IsPlainCharacter(c);
    if (plain)
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
