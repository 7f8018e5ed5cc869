#pragma once

#include "core/PropertyBlock.h"

#include <map>
#include <string>
#include <string_view>

// An object whose properties a block can set: windows and controls. Values
// live here, not in the native widget, so a control keeps its text after its
// window has been closed. A property never set reads as its type's default.
class PropertyHolder {
public:
    virtual ~PropertyHolder() = default;
    virtual const PropertyClass& PropertyList() const = 0;

    // The name matches without regard to case. Throws RuntimeException for a
    // name the class does not have or a value of the wrong type, and
    // ThreadAccessingUIException off the user-interface thread.
    void SetProperty(std::string_view name, PropertyValue value);
    PropertyValue Property(std::string_view name) const;

    bool BooleanProperty(std::string_view name) const;
    int64_t IntegerProperty(std::string_view name) const;
    double NumberProperty(std::string_view name) const;  // Single or Double
    Color ColorProperty(std::string_view name) const;
    std::string StringProperty(std::string_view name) const;

protected:
    // Called after a property has changed, with its canonical name.
    virtual void PropertyChanged(std::string_view name) { (void)name; }

private:
    const PropertySpec& Spec(std::string_view name) const;
    std::map<std::string, PropertyValue, std::less<>> values_;
};

// Applies a whole block: decodes it first, so a malformed block changes nothing.
void SetProperties(PropertyHolder& object, std::string_view block);
