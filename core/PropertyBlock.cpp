#include "core/PropertyBlock.h"

#include "core/RuntimeException.h"
#include "core/Text.h"

#include <bit>
#include <cmath>

namespace {

std::string TypeName(PropertyType type)
{
    switch (type) {
    case PropertyType::Boolean: return "Boolean";
    case PropertyType::Integer: return "Integer";
    case PropertyType::Enum8: return "8-byte enumeration";
    case PropertyType::Enum1: return "1-byte enumeration";
    case PropertyType::Single: return "Single";
    case PropertyType::Double: return "Double";
    case PropertyType::Color: return "Color";
    case PropertyType::String: return "String";
    }
    return "?";
}

bool IsKeyChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

uint64_t ReadLittleEndian(std::string_view bytes)
{
    uint64_t v = 0;
    for (size_t i = bytes.size(); i-- > 0;)
        v = (v << 8) | static_cast<unsigned char>(bytes[i]);
    return v;
}

void WriteLittleEndian(std::string& out, uint64_t v, size_t size)
{
    for (size_t i = 0; i < size; ++i) {
        out.push_back(static_cast<char>(v & 0xFF));
        v >>= 8;
    }
}

// Reads the block front to back; every read checks what is left first.
class Reader {
public:
    Reader(std::string_view block, const PropertyClass& cls) : block_(block), cls_(cls) {}

    std::vector<PropertyEntry> ReadAll()
    {
        std::vector<PropertyEntry> entries;
        while (pos_ < block_.size())
            entries.push_back(ReadEntry());
        return entries;
    }

private:
    PropertyEntry ReadEntry()
    {
        const size_t start = pos_;
        while (pos_ < block_.size() && block_[pos_] != ' ') {
            if (!IsKeyChar(block_[pos_]))
                Fail("malformed key at byte " + Str(static_cast<int64_t>(start)));
            ++pos_;
        }
        if (pos_ == block_.size())
            Fail("block ends inside the key that starts at byte " + Str(static_cast<int64_t>(start)));
        if (pos_ == start)
            Fail("empty key at byte " + Str(static_cast<int64_t>(start)));
        const std::string_view key = block_.substr(start, pos_ - start);
        ++pos_;  // the space
        const PropertySpec* spec = cls_.Find(key);
        if (!spec)
            Fail("unknown property \"" + std::string(key) + "\" at byte " + Str(static_cast<int64_t>(start)));
        key_ = spec->name;
        return PropertyEntry{std::string(spec->name), spec->type, ReadValue(spec->type)};
    }

    PropertyValue ReadValue(PropertyType type)
    {
        switch (type) {
        case PropertyType::Boolean: {
            const unsigned char b = static_cast<unsigned char>(Take(1)[0]);
            if (b > 1)
                Fail("value of \"" + std::string(key_) + "\" is not a Boolean (byte " + Str(b) + ")");
            return b == 1;
        }
        case PropertyType::Integer:
        case PropertyType::Enum8: return static_cast<int64_t>(ReadLittleEndian(Take(8)));
        case PropertyType::Enum1: return static_cast<int64_t>(static_cast<unsigned char>(Take(1)[0]));
        case PropertyType::Single: return std::bit_cast<float>(static_cast<uint32_t>(ReadLittleEndian(Take(4))));
        case PropertyType::Double: return std::bit_cast<double>(ReadLittleEndian(Take(8)));
        case PropertyType::Color: {
            const std::string_view c = Take(4);
            return Color{static_cast<uint8_t>(c[0]), static_cast<uint8_t>(c[1]), static_cast<uint8_t>(c[2]),
                         static_cast<uint8_t>(c[3])};
        }
        case PropertyType::String: {
            const uint64_t length = ReadLittleEndian(Take(4));
            return std::string(Take(length));
        }
        }
        Fail("unsupported type");
    }

    std::string_view Take(uint64_t count)
    {
        const uint64_t left = block_.size() - pos_;
        if (count > left)
            Fail("block ends inside the value of \"" + std::string(key_) + "\" (" + TypeName(cls_.Find(key_)->type) +
                 ") at byte " + Str(static_cast<int64_t>(pos_)) + ": needs " + Str(static_cast<int64_t>(count)) +
                 " bytes, " + Str(static_cast<int64_t>(left)) + " left");
        const std::string_view bytes = block_.substr(pos_, count);
        pos_ += count;
        return bytes;
    }

    [[noreturn]] void Fail(const std::string& what) const
    {
        throw RuntimeException("property block for class " + std::string(cls_.Name()) + ": " + what);
    }

    std::string_view block_;
    const PropertyClass& cls_;
    size_t pos_ = 0;
    std::string_view key_;
};

[[noreturn]] void FailEntry(std::string_view key, const PropertyClass& cls, const std::string& what)
{
    throw RuntimeException("property \"" + std::string(key) + "\" of class " + std::string(cls.Name()) + ": " + what);
}

}  // namespace

PropertyClass::PropertyClass(std::string_view name, const PropertyClass* base, std::vector<PropertySpec> own)
    : name_(name), base_(base), own_(std::move(own))
{
}

const PropertySpec* PropertyClass::Find(std::string_view key) const
{
    for (const PropertyClass* c = this; c; c = c->base_)
        for (const PropertySpec& spec : c->own_)
            if (TextEquals(spec.name, key))
                return &spec;
    return nullptr;
}

std::vector<PropertyEntry> DecodePropertyBlock(std::string_view block, const PropertyClass& cls)
{
    return Reader(block, cls).ReadAll();
}

void AppendPropertyEntry(std::string& block, std::string_view key, const PropertyValue& value, const PropertyClass& cls)
{
    const PropertySpec* spec = cls.Find(key);
    auto fail = [&](const std::string& what) { FailEntry(key, cls, what); };
    if (!spec)
        FailEntry(key, cls, "no such property");
    for (char c : key)
        if (!IsKeyChar(c))
            fail("malformed key");

    std::string bytes;
    auto number = [&]() -> double {
        if (auto* f = std::get_if<float>(&value))
            return *f;
        if (auto* d = std::get_if<double>(&value))
            return *d;
        if (auto* i = std::get_if<int64_t>(&value))
            return static_cast<double>(*i);
        FailEntry(key, cls, "needs a number");
    };
    switch (spec->type) {
    case PropertyType::Boolean:
        if (!std::holds_alternative<bool>(value))
            fail("needs a Boolean");
        bytes.push_back(std::get<bool>(value) ? 1 : 0);
        break;
    case PropertyType::Integer:
    case PropertyType::Enum8:
        if (!std::holds_alternative<int64_t>(value))
            fail("needs an integer");
        WriteLittleEndian(bytes, static_cast<uint64_t>(std::get<int64_t>(value)), 8);
        break;
    case PropertyType::Enum1: {
        if (!std::holds_alternative<int64_t>(value))
            fail("needs an integer");
        const int64_t v = std::get<int64_t>(value);
        if (v < 0 || v > 255)
            fail("needs a value from 0 to 255");
        bytes.push_back(static_cast<char>(v));
        break;
    }
    case PropertyType::Single:
        WriteLittleEndian(bytes, std::bit_cast<uint32_t>(static_cast<float>(number())), 4);
        break;
    case PropertyType::Double: WriteLittleEndian(bytes, std::bit_cast<uint64_t>(number()), 8); break;
    case PropertyType::Color: {
        if (!std::holds_alternative<Color>(value))
            fail("needs a colour");
        const Color c = std::get<Color>(value);
        bytes += {static_cast<char>(c.red), static_cast<char>(c.green), static_cast<char>(c.blue),
                  static_cast<char>(c.alpha)};
        break;
    }
    case PropertyType::String: {
        if (!std::holds_alternative<std::string>(value))
            fail("needs a text");
        const std::string& s = std::get<std::string>(value);
        if (s.size() > UINT32_MAX)
            fail("text too long");
        WriteLittleEndian(bytes, s.size(), 4);
        bytes += s;
        break;
    }
    }
    block.append(key);
    block.push_back(' ');
    block += bytes;
}

PropertyValue DefaultPropertyValue(const PropertySpec& spec)
{
    if (spec.initial.set) {
        switch (spec.type) {
        case PropertyType::Boolean: return spec.initial.boolean;
        case PropertyType::Integer:
        case PropertyType::Enum8:
        case PropertyType::Enum1: return spec.initial.integer;
        case PropertyType::Single: return static_cast<float>(spec.initial.number);
        case PropertyType::Double: return spec.initial.number;
        case PropertyType::Color: return spec.initial.color;
        case PropertyType::String: return std::string(spec.initial.text);
        }
    }
    switch (spec.type) {
    case PropertyType::Boolean: return false;
    case PropertyType::Integer:
    case PropertyType::Enum8:
    case PropertyType::Enum1: return int64_t{0};
    case PropertyType::Single: return 0.0f;
    case PropertyType::Double: return 0.0;
    case PropertyType::Color: return Color{};
    case PropertyType::String: return std::string();
    }
    return false;
}
