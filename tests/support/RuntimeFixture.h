#pragma once

#include "RuntimeReset.h"

#include "runtime/Dialogs.h"
#include "runtime/PropertyBlock.h"
#include "runtime/Runtime.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A clean runtime for each test, with the desktop answered by the test: it
// records every message, beep and opened address instead of showing them.
class RuntimeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetRuntime();
        SetDesktopHooksForTesting({[this](const std::string& text) { messages.push_back(text); }, [this] { ++beeps; },
                                   [this](const std::string& url) { urls.push_back(url); }});
    }
    void TearDown() override { ResetRuntime(); }

    std::vector<std::string> messages;
    int beeps = 0;
    std::vector<std::string> urls;
};

// Builds a property block for a class, entry by entry.
class BlockBuilder {
public:
    explicit BlockBuilder(std::string_view className) : class_(FindPropertyClass(className)) {}
    BlockBuilder& operator()(std::string_view key, PropertyValue value)
    {
        AppendPropertyEntry(bytes_, key, value, *class_);
        return *this;
    }
    BlockBuilder& operator()(std::string_view key, const char* text)
    {
        return (*this)(key, PropertyValue(std::string(text)));
    }
    BlockBuilder& operator()(std::string_view key, int value) { return (*this)(key, PropertyValue(int64_t{value})); }
    BlockBuilder& operator()(std::string_view key, bool value) { return (*this)(key, PropertyValue(value)); }
    const std::string& Bytes() const { return bytes_; }
    operator std::string_view() const { return bytes_; }

private:
    const PropertyClass* class_;
    std::string bytes_;
};
