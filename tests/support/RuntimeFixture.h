#pragma once

#include "RuntimeReset.h"
#include "TestDesktop.h"

#include "core/PropertyBlock.h"
#include "runtime/Runtime.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// A clean runtime for each test, with the desktop answered by the test: it
// records every message, beep and opened address instead of showing them.
// Command lines run in the real shell unless a script answers them.
class RuntimeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetRuntime();
        replaced_ = SetDesktopServices(desktop);
    }
    void TearDown() override
    {
        ResetRuntime();
        SetDesktopServices(replaced_);
    }

    const std::shared_ptr<TestDesktop> desktop = std::make_shared<TestDesktop>();
    std::vector<std::string>& messages = desktop->messages;
    int& beeps = desktop->beeps;
    std::vector<std::string>& urls = desktop->urls;

private:
    std::shared_ptr<DesktopServices> replaced_;
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
    operator std::string_view() const { return bytes_; }

private:
    const PropertyClass* class_;
    std::string bytes_;
};
