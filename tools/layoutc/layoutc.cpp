// Compiles the window and control layout tables (resources/layout/*.layout)
// into the property blocks the application applies, as a C++ source file.
// Each key takes its type from the runtime's property list of the object's
// class, so a misspelt key or a value of the wrong kind stops the build.
//
// A table file holds, in order:
//   window <windowClass>            the window block's entries follow
//   control <name> <ControlClass>   a control block's entries follow
//   <Key> <value>                   one entry; the value by the key's type:
//       Boolean True/False; Integer 123 or -5; Single/Double 16 or 1.0;
//       Color four hex bytes "FF FF FF 00"; String "text" with \r \n \t \" \\ \xHH
// Blank lines and lines starting with # are ignored.
//
// A definitions file (--defs) names texts that several places share, one
// `Name "text"` per line; ${Name} inside any text is replaced by it, and the
// definitions are also written as constants to a header (--header).

#include "core/PropertyBlock.h"
#include "core/RuntimeException.h"
#include "core/Text.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Block {
    std::string name;       // window class, or control name
    std::string className;  // "Window" or the control's class
    std::string bytes;
};

struct WindowTable {
    Block window;
    std::vector<Block> controls;
};

struct Failure {
    std::string message;
};

std::vector<std::pair<std::string, std::string>> definitions;

const std::string* Definition(const std::string& name)
{
    for (const auto& [key, value] : definitions)
        if (key == name)
            return &value;
    return nullptr;
}

std::string Substitute(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size();) {
        if (text.compare(i, 2, "${") != 0) {
            out.push_back(text[i++]);
            continue;
        }
        const size_t end = text.find('}', i);
        if (end == std::string::npos)
            throw Failure{"${ without }"};
        const std::string name = text.substr(i + 2, end - i - 2);
        const std::string* value = Definition(name);
        if (!value)
            throw Failure{"no definition named " + name};
        out += *value;
        i = end + 1;
    }
    return out;
}

std::string ParseString(const std::string& text)
{
    if (text.size() < 2 || text.front() != '"' || text.back() != '"')
        throw Failure{"a text value is written in double quotes"};
    std::string out;
    for (size_t i = 1; i + 1 < text.size(); ++i) {
        char c = text[i];
        if (c != '\\') {
            if (c == '"')
                throw Failure{"a double quote inside a text is written \\\""};
            out.push_back(c);
            continue;
        }
        // The closing quote is at text.size() - 1.
        if (++i >= text.size() - 1)
            throw Failure{"a text ends inside an escape"};
        switch (text[i]) {
        case 'r': out.push_back('\r'); break;
        case 'n': out.push_back('\n'); break;
        case 't': out.push_back('\t'); break;
        case '"': out.push_back('"'); break;
        case '\\': out.push_back('\\'); break;
        case 'x': {
            if (i + 2 >= text.size() - 1 || !std::isxdigit(static_cast<unsigned char>(text[i + 1])) ||
                !std::isxdigit(static_cast<unsigned char>(text[i + 2])))
                throw Failure{"\\x needs two hex digits"};
            out.push_back(static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16)));
            i += 2;
            break;
        }
        default: throw Failure{std::string("unknown escape \\") + text[i]};
        }
    }
    return out;
}

PropertyValue ParseValue(const PropertySpec& spec, const std::string& text)
{
    try {
        size_t used = 0;
        switch (spec.type) {
        case PropertyType::Boolean:
            if (text == "True")
                return true;
            if (text == "False")
                return false;
            throw Failure{"a Boolean is True or False"};
        case PropertyType::Integer:
        case PropertyType::Enum8:
        case PropertyType::Enum1: {
            const int64_t v = std::stoll(text, &used);
            if (used != text.size())
                throw Failure{"not an integer"};
            return v;
        }
        case PropertyType::Single:
        case PropertyType::Double: {
            const double v = std::stod(text, &used);
            if (used != text.size())
                throw Failure{"not a number"};
            return v;
        }
        case PropertyType::Color: {
            std::istringstream in(text);
            unsigned bytes[4];
            std::string extra;
            for (unsigned& b : bytes) {
                std::string hex;
                if (!(in >> hex) || hex.size() != 2)
                    throw Failure{"a colour is four hex bytes, e.g. FF FF FF 00"};
                b = static_cast<unsigned>(std::stoul(hex, &used, 16));
                if (used != 2)
                    throw Failure{"a colour is four hex bytes, e.g. FF FF FF 00"};
            }
            if (in >> extra)
                throw Failure{"a colour is four hex bytes, e.g. FF FF FF 00"};
            return Color{static_cast<uint8_t>(bytes[0]), static_cast<uint8_t>(bytes[1]), static_cast<uint8_t>(bytes[2]),
                         static_cast<uint8_t>(bytes[3])};
        }
        case PropertyType::String: return Substitute(ParseString(text));
        }
    } catch (const std::logic_error&) {
        throw Failure{"cannot read the value \"" + text + "\""};
    }
    throw Failure{"unsupported type"};
}

WindowTable ReadTable(const std::string& path)
{
    std::ifstream in(path);
    if (!in)
        throw Failure{path + ": cannot open"};
    WindowTable table;
    Block* current = nullptr;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const std::string where = path + ":" + std::to_string(number) + ": ";
        try {
            line = Trim(line);
            if (line.empty() || line.front() == '#')
                continue;
            const auto space = line.find(' ');
            const std::string word = line.substr(0, space);
            const std::string rest = space == std::string::npos ? "" : Trim(line.substr(space + 1));
            if (word == "window") {
                if (!table.window.name.empty())
                    throw Failure{"one window per table"};
                table.window = {rest, "Window", ""};
                current = &table.window;
            } else if (word == "control") {
                std::istringstream parts(rest);
                Block control;
                parts >> control.name >> control.className;
                if (control.name.empty() || !FindPropertyClass(control.className) || control.className == "Window")
                    throw Failure{"control needs a name and a control class"};
                for (const Block& other : table.controls)
                    if (other.name == control.name)
                        throw Failure{"a second control named " + control.name};
                table.controls.push_back(control);
                current = &table.controls.back();
            } else {
                if (!current)
                    throw Failure{"an entry before any window or control line"};
                const PropertyClass& cls = *FindPropertyClass(current->className);
                const PropertySpec* spec = cls.Find(word);
                if (!spec)
                    throw Failure{"class " + current->className + " has no property " + word};
                const PropertyValue value = ParseValue(*spec, rest);
                if (current != &table.window && spec->name == "Name" && std::get<std::string>(value) != current->name)
                    throw Failure{"the Name entry must equal the control's name " + current->name};
                AppendPropertyEntry(current->bytes, word, value, cls);
            }
        } catch (const Failure& f) {
            throw Failure{where + f.message};
        } catch (const RuntimeException& e) {
            throw Failure{where + e.what()};
        }
    }
    if (table.window.name.empty())
        throw Failure{path + ": no window line"};
    return table;
}

std::string Literal(const std::string& bytes)
{
    std::string out = "\"";
    static const char* hex = "0123456789ABCDEF";
    for (unsigned char c : bytes) {
        out += "\\x";
        out += hex[c >> 4];
        out += hex[c & 15];
        if (out.size() % 96 == 0)
            out += "\"\n    \"";
    }
    return out + "\"";
}

void ReadDefinitions(const std::string& path)
{
    std::ifstream in(path);
    if (!in)
        throw Failure{path + ": cannot open"};
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        line = Trim(line);
        if (line.empty() || line.front() == '#')
            continue;
        try {
            const auto space = line.find(' ');
            if (space == std::string::npos)
                throw Failure{"a definition is Name \"text\""};
            const std::string name = line.substr(0, space);
            // Each name is one constant of the header.
            if (Definition(name))
                throw Failure{"a second definition of " + name};
            definitions.emplace_back(name, Substitute(ParseString(Trim(line.substr(space + 1)))));
        } catch (const Failure& f) {
            throw Failure{path + ":" + std::to_string(number) + ": " + f.message};
        }
    }
}

void WriteIfChanged(const std::string& path, const std::string& text)
{
    // Only rewrite when something changed, so unchanged tables rebuild nothing.
    std::ifstream old(path, std::ios::binary);
    std::string existing((std::istreambuf_iterator<char>(old)), std::istreambuf_iterator<char>());
    if (existing == text)
        return;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    if (!file)
        throw Failure{path + ": cannot write"};
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string defs, header, output;
    std::vector<std::string> inputs;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--defs" && i + 1 < args.size())
            defs = args[++i];
        else if (args[i] == "--header" && i + 1 < args.size())
            header = args[++i];
        else if (output.empty())
            output = args[i];
        else
            inputs.push_back(args[i]);
    }
    if (output.empty() || inputs.empty()) {
        std::cerr << "usage: layoutc [--defs DEFS --header OUT.h] OUTPUT.cpp TABLE.layout...\n";
        return 2;
    }
    try {
        if (!defs.empty())
            ReadDefinitions(defs);
        std::vector<WindowTable> tables;
        for (const std::string& input : inputs)
            tables.push_back(ReadTable(input));
        std::ostringstream out;
        out << "// Generated by layoutc from resources/layout; edit the tables, not this file.\n"
            << "#include \"kit/Layouts.h\"\n\nnamespace {\n";
        int n = 0;
        for (const WindowTable& t : tables) {
            out << "const char kWindow" << n << "[] =\n    " << Literal(t.window.bytes) << ";\n";
            for (size_t c = 0; c < t.controls.size(); ++c)
                out << "const char kControl" << n << "_" << c << "[] =\n    " << Literal(t.controls[c].bytes) << ";\n";
            ++n;
        }
        out << "}  // namespace\n\nconst std::vector<LayoutWindow>& LayoutTables()\n{\n"
            << "    static const std::vector<LayoutWindow> tables = {\n";
        n = 0;
        for (const WindowTable& t : tables) {
            out << "        {\"" << t.window.name << "\", {kWindow" << n << ", " << t.window.bytes.size() << "}, {\n";
            for (size_t c = 0; c < t.controls.size(); ++c)
                out << "            {\"" << t.controls[c].name << "\", \"" << t.controls[c].className << "\", {kControl"
                    << n << "_" << c << ", " << t.controls[c].bytes.size() << "}},\n";
            out << "        }},\n";
            ++n;
        }
        out << "    };\n    return tables;\n}\n";
        WriteIfChanged(output, out.str());
        if (!header.empty()) {
            std::ostringstream h;
            h << "// Generated by layoutc from the definitions file; edit that, not this file.\n#pragma once\n\n"
              << "#include <string_view>\n\nnamespace Defined {\n";
            for (const auto& [name, value] : definitions)
                h << "inline constexpr std::string_view " << name << " = " << Literal(value) << ";\n";
            h << "}  // namespace Defined\n";
            WriteIfChanged(header, h.str());
        }
    } catch (const Failure& f) {
        std::cerr << "layoutc: " << f.message << "\n";
        return 1;
    }
    return 0;
}
