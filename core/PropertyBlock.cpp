#include "core/PropertyBlock.h"

#include "core/RuntimeException.h"
#include "core/Text.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <iterator>

namespace {

// What each type is: its name in messages, the bytes of its value in a
// block (String: of its byte count, the bytes follow), and its value before
// anything sets it, whose alternative is the one the type holds.
struct TypeInfo {
    PropertyType type;
    const char* name;
    size_t width;
    PropertyValue zero;
};

const TypeInfo& Info(PropertyType type)
{
    static const TypeInfo table[] = {
        {PropertyType::Boolean, "Boolean", 1, false},
        {PropertyType::Integer, "Integer", 8, int64_t{0}},
        {PropertyType::Enum8, "8-byte enumeration", 8, int64_t{0}},
        {PropertyType::Enum1, "1-byte enumeration", 1, int64_t{0}},
        {PropertyType::Single, "Single", 4, 0.0f},
        {PropertyType::Double, "Double", 8, 0.0},
        {PropertyType::Color, "Color", 4, Color{}},
        {PropertyType::String, "String", 4, std::string()},
    };
    return *std::find_if(std::begin(table), std::end(table), [type](const TypeInfo& t) { return t.type == type; });
}

// One function object of lambdas, for visiting the alternatives of a value.
template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

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
        const TypeInfo& info = Info(type);
        const std::string_view bytes = Take(info.width);
        const uint64_t raw = ReadLittleEndian(bytes);
        return std::visit(Overloaded{
                              [&](bool) -> PropertyValue {
                                  if (raw > 1)
                                      Fail("value of \"" + std::string(key_) + "\" is not a Boolean (byte " +
                                           Str(static_cast<int64_t>(raw)) + ")");
                                  return raw == 1;
                              },
                              [&](int64_t) -> PropertyValue { return static_cast<int64_t>(raw); },
                              [&](float) -> PropertyValue { return std::bit_cast<float>(static_cast<uint32_t>(raw)); },
                              [&](double) -> PropertyValue { return std::bit_cast<double>(raw); },
                              [&](Color) -> PropertyValue {
                                  return Color{static_cast<uint8_t>(bytes[0]), static_cast<uint8_t>(bytes[1]),
                                               static_cast<uint8_t>(bytes[2]), static_cast<uint8_t>(bytes[3])};
                              },
                              [&](const std::string&) -> PropertyValue { return std::string(Take(raw)); },
                          },
                          info.zero);
    }

    std::string_view Take(uint64_t count)
    {
        const uint64_t left = block_.size() - pos_;
        if (count > left)
            Fail("block ends inside the value of \"" + std::string(key_) + "\" (" + Info(cls_.Find(key_)->type).name +
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

    const TypeInfo& info = Info(spec->type);
    auto number = [&]() -> double {
        if (auto* f = std::get_if<float>(&value))
            return *f;
        if (auto* d = std::get_if<double>(&value))
            return *d;
        if (auto* i = std::get_if<int64_t>(&value))
            return static_cast<double>(*i);
        FailEntry(key, cls, "needs a number");
    };
    std::string bytes;
    std::visit(Overloaded{
                   [&](bool) {
                       if (!std::holds_alternative<bool>(value))
                           fail("needs a Boolean");
                       bytes.push_back(std::get<bool>(value) ? 1 : 0);
                   },
                   [&](int64_t) {
                       if (!std::holds_alternative<int64_t>(value))
                           fail("needs an integer");
                       const int64_t v = std::get<int64_t>(value);
                       if (info.width < 8 && (v < 0 || v >> (8 * info.width) != 0))
                           fail("needs a value from 0 to " + Str((int64_t{1} << (8 * info.width)) - 1));
                       WriteLittleEndian(bytes, static_cast<uint64_t>(v), info.width);
                   },
                   [&](float) { WriteLittleEndian(bytes, std::bit_cast<uint32_t>(static_cast<float>(number())), 4); },
                   [&](double) { WriteLittleEndian(bytes, std::bit_cast<uint64_t>(number()), 8); },
                   [&](Color) {
                       if (!std::holds_alternative<Color>(value))
                           fail("needs a colour");
                       const Color c = std::get<Color>(value);
                       bytes += {static_cast<char>(c.red), static_cast<char>(c.green), static_cast<char>(c.blue),
                                 static_cast<char>(c.alpha)};
                   },
                   [&](const std::string&) {
                       if (!std::holds_alternative<std::string>(value))
                           fail("needs a text");
                       const std::string& s = std::get<std::string>(value);
                       if (s.size() > UINT32_MAX)
                           fail("text too long");
                       WriteLittleEndian(bytes, s.size(), 4);
                       bytes += s;
                   },
               },
               info.zero);
    block.append(key);
    block.push_back(' ');
    block += bytes;
}

PropertyValue DefaultPropertyValue(const PropertySpec& spec)
{
    const PropertyValue& zero = Info(spec.type).zero;
    if (!spec.initial.set)
        return zero;
    const PropertyInitial& initial = spec.initial;
    return std::visit(Overloaded{
                          [&](bool) -> PropertyValue { return initial.boolean; },
                          [&](int64_t) -> PropertyValue { return initial.integer; },
                          [&](float) -> PropertyValue { return static_cast<float>(initial.number); },
                          [&](double) -> PropertyValue { return initial.number; },
                          [&](Color) -> PropertyValue { return initial.color; },
                          [&](const std::string&) -> PropertyValue { return std::string(initial.text); },
                      },
                      zero);
}

bool PropertyTypeHolds(PropertyType type, const PropertyValue& value)
{
    return value.index() == Info(type).zero.index();
}
