#pragma once

#include "core/Color.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// Property blocks: the byte strings that hold a window's or a control's
// initial properties. A block is a run of entries "<Key> <value>" with no
// count, separator or terminator; a value's encoding comes from the type of
// its key in the property list of the object's class and its bases, so the
// block itself carries no type tags.

enum class PropertyType {
    Boolean,  // 1 byte, 0 or 1
    Integer,  // 8 bytes, little-endian two's complement
    Enum8,    // as Integer
    Enum1,    // 1 byte, unsigned
    Single,   // 4 bytes, IEEE 754, little-endian
    Double,   // 8 bytes, IEEE 754, little-endian
    Color,    // 4 bytes: red, green, blue, alpha
    String,   // 4-byte little-endian byte count, then the UTF-8 bytes
};

// Boolean -> bool; Integer, Enum8, Enum1 -> int64_t; Single -> float;
// Double -> double; Color -> Color; String -> std::string.
using PropertyValue = std::variant<bool, int64_t, float, double, Color, std::string>;

// The value a property starts with, where it is not its type's default.
// Plain data, so the property lists are built without temporaries.
struct PropertyInitial {
    bool set = false;
    bool boolean = false;
    int64_t integer = 0;
    double number = 0;
    Color color = {};
    std::string_view text = {};
};

struct PropertySpec {
    std::string_view name;  // canonical spelling
    PropertyType type;
    PropertyInitial initial = {};
};

// The property list of one runtime class; lookups include the bases.
class PropertyClass {
public:
    PropertyClass(std::string_view name, const PropertyClass* base, std::vector<PropertySpec> own);
    std::string_view Name() const { return name_; }
    const PropertyClass* Base() const { return base_; }
    // Case-insensitive lookup through the class and its bases; nullptr if none.
    const PropertySpec* Find(std::string_view key) const;

private:
    std::string_view name_;
    const PropertyClass* base_;
    std::vector<PropertySpec> own_;
};

// The runtime's classes: "Window", "Control", "RectControl", "TextEdit",
// "TextArea", "Label", "Canvas", "PushButton", "BevelButton", "Listbox".
// nullptr for an unknown name.
const PropertyClass* FindPropertyClass(std::string_view className);

struct PropertyEntry {
    std::string name;  // canonical name from the property list
    PropertyType type;
    PropertyValue value;
};

// Decodes a whole block. Throws RuntimeException, naming the byte offset, for
// a key that names no property of the class, a malformed key, or a block that
// ends inside an entry; it never reads past the end of the block.
std::vector<PropertyEntry> DecodePropertyBlock(std::string_view block, const PropertyClass& cls);

// Encodes one entry; the value's alternative must fit the key's type
// (an Integer-like type takes int64_t, Single and Double accept any number).
// Throws RuntimeException for an unknown key or a value of the wrong kind.
void AppendPropertyEntry(std::string& block, std::string_view key, const PropertyValue& value,
                         const PropertyClass& cls);

// The value a property holds before anything has set it.
PropertyValue DefaultPropertyValue(const PropertySpec& spec);
// Whether the value is of the alternative the type holds.
bool PropertyTypeHolds(PropertyType type, const PropertyValue& value);
