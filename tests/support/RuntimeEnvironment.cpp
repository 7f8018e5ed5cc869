#include "runtime/Runtime.h"

#include <gtest/gtest.h>

// Every Qt test process starts the runtime once, on the offscreen platform
// that CTest selects.
namespace {

class RuntimeEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static char name[] = "tarnvik_test";
        static char* argv[] = {name, nullptr};
        RuntimeInit(1, argv);
    }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new RuntimeEnvironment);

}  // namespace
