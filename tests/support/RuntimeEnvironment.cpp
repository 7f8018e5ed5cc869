#include "RuntimeReset.h"

#include "runtime/Runtime.h"

#include <gtest/gtest.h>

#include <cstdlib>

// Every Qt test process starts the runtime once, on the offscreen platform,
// whatever display the machine has.
namespace {

class RuntimeEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static char name[] = "tarnvik_test";
        static char* argv[] = {name, nullptr};
        RuntimeInit(1, argv);
    }
    void TearDown() override
    {
        ResetRuntime();
        RuntimePerformFinalizers();
    }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new RuntimeEnvironment);

}  // namespace
