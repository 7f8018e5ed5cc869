#include "runtime/RuntimeObject.h"

#include <cxxabi.h>

#include <cstdlib>
#include <map>
#include <typeindex>

namespace {

struct ClassRecord {
    std::string name;
    ObjectMaker make;  // empty: the class's own constructor
};

std::map<std::type_index, ClassRecord>& Records()
{
    static std::map<std::type_index, ClassRecord> records;
    return records;
}

std::string Demangle(const char* name)
{
    int status = 0;
    char* demangled = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    std::string result = (status == 0 && demangled) ? demangled : name;
    std::free(demangled);
    return result;
}

ClassRecord& RecordOf(const std::type_info& type)
{
    auto& records = Records();
    auto it = records.find(std::type_index(type));
    if (it == records.end())
        it = records.emplace(std::type_index(type), ClassRecord{Demangle(type.name()), {}}).first;
    return it->second;
}

}  // namespace

void RuntimeRegisterClass(const std::string& name, const std::type_info& type)
{
    RecordOf(type).name = name;
}

std::string RuntimeClassName(const std::type_info& type)
{
    return RecordOf(type).name;
}

void RuntimeSetObjectMaker(const std::type_info& type, ObjectMaker make)
{
    RecordOf(type).make = std::move(make);
}

ObjectMaker RuntimeObjectMaker(const std::type_info& type)
{
    return RecordOf(type).make;
}
