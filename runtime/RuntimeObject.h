#pragma once

#include "runtime/RuntimeException.h"

#include <memory>
#include <string>
#include <typeinfo>

// Class records: the runtime's names for the classes it creates and casts.
// A class gets its record on first use if no initialiser registered it.
void RuntimeRegisterClass(const std::string& name, const std::type_info& type);
std::string RuntimeClassName(const std::type_info& type);

template <class T>
std::shared_ptr<T> RuntimeNewObject()
{
    RuntimeClassName(typeid(T));  // makes sure the record exists
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
