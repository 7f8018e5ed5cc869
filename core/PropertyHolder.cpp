#include "core/PropertyHolder.h"

#include "core/RuntimeException.h"
#include "core/UIThread.h"

const PropertySpec& PropertyHolder::Spec(std::string_view name) const
{
    const PropertySpec* spec = PropertyList().Find(name);
    if (!spec)
        throw RuntimeException("class " + std::string(PropertyList().Name()) + " has no property \"" +
                               std::string(name) + "\"");
    return *spec;
}

void PropertyHolder::SetProperty(std::string_view name, PropertyValue value)
{
    // Every property of a window or control is the user interface's, and a
    // change goes on to the native widget.
    CheckUIThread();
    const PropertySpec& spec = Spec(name);
    if (spec.type == PropertyType::Single && std::holds_alternative<double>(value))
        value = static_cast<float>(std::get<double>(value));
    else if (spec.type == PropertyType::Double && std::holds_alternative<float>(value))
        value = static_cast<double>(std::get<float>(value));
    if (!PropertyTypeHolds(spec.type, value))
        throw RuntimeException("property \"" + std::string(spec.name) + "\" of class " +
                               std::string(PropertyList().Name()) + " cannot take a value of that type");
    auto it = values_.find(spec.name);
    if (it == values_.end())
        values_.emplace(std::string(spec.name), std::move(value));
    else
        it->second = std::move(value);
    PropertyChanged(spec.name);
}

PropertyValue PropertyHolder::Property(std::string_view name) const
{
    CheckUIThread();
    const PropertySpec& spec = Spec(name);
    auto it = values_.find(spec.name);
    return it == values_.end() ? DefaultPropertyValue(spec) : it->second;
}

bool PropertyHolder::BooleanProperty(std::string_view name) const
{
    return std::get<bool>(Property(name));
}

int64_t PropertyHolder::IntegerProperty(std::string_view name) const
{
    return std::get<int64_t>(Property(name));
}

double PropertyHolder::NumberProperty(std::string_view name) const
{
    PropertyValue v = Property(name);
    if (auto* f = std::get_if<float>(&v))
        return *f;
    return std::get<double>(v);
}

Color PropertyHolder::ColorProperty(std::string_view name) const
{
    return std::get<Color>(Property(name));
}

std::string PropertyHolder::StringProperty(std::string_view name) const
{
    return std::get<std::string>(Property(name));
}

void SetProperties(PropertyHolder& object, std::string_view block)
{
    std::vector<PropertyEntry> entries = DecodePropertyBlock(block, object.PropertyList());
    for (PropertyEntry& entry : entries)
        object.SetProperty(entry.name, std::move(entry.value));
}
