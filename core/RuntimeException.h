#pragma once

#include <stdexcept>
#include <string>

// Errors inside the runtime travel as these; Kind() names the kind in the
// message that the runtime shows when one escapes a handler.
class RuntimeException : public std::runtime_error {
public:
    explicit RuntimeException(const std::string& message) : std::runtime_error(message) {}
    virtual std::string Kind() const { return "RuntimeException"; }
    std::string Message() const { return what(); }
};

class NilObjectException : public RuntimeException {
public:
    using RuntimeException::RuntimeException;
    std::string Kind() const override { return "NilObjectException"; }
};

class OutOfBoundsException : public RuntimeException {
public:
    using RuntimeException::RuntimeException;
    std::string Kind() const override { return "OutOfBoundsException"; }
};

class ThreadAccessingUIException : public RuntimeException {
public:
    using RuntimeException::RuntimeException;
    std::string Kind() const override { return "ThreadAccessingUIException"; }
};

class IllegalCastException : public RuntimeException {
public:
    using RuntimeException::RuntimeException;
    std::string Kind() const override { return "IllegalCastException"; }
};
