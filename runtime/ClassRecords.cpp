#include "runtime/RuntimeObject.h"

#include <cxxabi.h>

#include <cstdlib>
#include <map>
#include <typeindex>

namespace {

std::map<std::type_index, std::string>& Names()
{
    static std::map<std::type_index, std::string> names;
    return names;
}

std::string Demangle(const char* name)
{
    int status = 0;
    char* demangled = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    std::string result = (status == 0 && demangled) ? demangled : name;
    std::free(demangled);
    return result;
}

}  // namespace

void RuntimeRegisterClass(const std::string& name, const std::type_info& type)
{
    Names()[std::type_index(type)] = name;
}

std::string RuntimeClassName(const std::type_info& type)
{
    auto& names = Names();
    auto it = names.find(std::type_index(type));
    if (it == names.end())
        it = names.emplace(std::type_index(type), Demangle(type.name())).first;
    return it->second;
}
