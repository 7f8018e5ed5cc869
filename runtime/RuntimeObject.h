#pragma once

#include "core/RuntimeException.h"

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <typeinfo>

// Class records: the runtime's name for each class it creates and casts, and
// how it makes the class's objects. A class gets its record on first use if
// no initialiser registered it.
void RuntimeRegisterClass(const std::string& name, const std::type_info& type);
std::string RuntimeClassName(const std::type_info& type);

// What makes an object of a class when it is not the class's own constructor.
using ObjectMaker = std::function<std::shared_ptr<void>()>;
void RuntimeSetObjectMaker(const std::type_info& type, ObjectMaker make);
// The class's maker; empty when its own constructor makes its objects.
ObjectMaker RuntimeObjectMaker(const std::type_info& type);

// From now on RuntimeNewObject<T> makes a Made, a class derived from T;
// RuntimeMakeObjectsAs<T, T> goes back to T itself.
template <class T, class Made>
void RuntimeMakeObjectsAs()
{
    static_assert(std::is_base_of_v<T, Made>);
    if constexpr (std::is_same_v<T, Made>)
        RuntimeSetObjectMaker(typeid(T), {});
    else
        RuntimeSetObjectMaker(typeid(T),
                              [] { return std::shared_ptr<void>(std::shared_ptr<T>(std::make_shared<Made>())); });
}

template <class T>
std::shared_ptr<T> RuntimeNewObject()
{
    // A maker hands out its object as a T, so the cast back is exact.
    if (ObjectMaker make = RuntimeObjectMaker(typeid(T)))
        return std::static_pointer_cast<T>(make());
    return std::make_shared<T>();
}

// The runtime's cast with a class test: nil stays nil; an object of another
// class raises IllegalCastException.
template <class T, class U>
std::shared_ptr<T> RuntimeCheckCast(const std::shared_ptr<U>& object)
{
    if (!object)
        return nullptr;
    std::shared_ptr<T> cast = std::dynamic_pointer_cast<T>(object);
    if (!cast)
        throw IllegalCastException("an object of class " + RuntimeClassName(typeid(*object)) + " is not a " +
                                   RuntimeClassName(typeid(T)));
    return cast;
}

// Raises NilObjectException when a reference about to be used is nil.
template <class T>
const std::shared_ptr<T>& NotNil(const std::shared_ptr<T>& object, const char* what)
{
    if (!object)
        throw NilObjectException(std::string(what) + " is nil");
    return object;
}
