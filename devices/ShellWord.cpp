#include "devices/ShellWord.h"

namespace {

bool IsPlainCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '-' || c == ':';
}

}  // namespace

std::string ShellWord(std::string_view identifier)
{
    bool plain = true;
    for (char c : identifier)
        plain = plain && IsPlainCharacter(c);
    if (plain)
        return std::string(identifier);
    // Inside single quotes only the quote itself is special: end the quoted
    // part, add an escaped quote, start a new one.
    std::string word = "'";
    for (char c : identifier) {
        if (c == '\'')
            word += "'\\''";
        else
            word += c;
    }
    word += "'";
    return word;
}
