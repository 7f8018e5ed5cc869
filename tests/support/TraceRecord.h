#pragma once

#include "runtime/Trace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

// The runtime's steps (SetRuntimeTrace) as a test records them, with the
// questions tests ask of their order. The runtime's reset between tests
// stops the recording.
class TraceRecord {
public:
    // Records every step from now on; onStep, when given, sees each too.
    void Start(std::function<void(const std::string&)> onStep = {})
    {
        SetRuntimeTrace([this, onStep](const std::string& step) {
            steps.push_back(step);
            if (onStep)
                onStep(step);
        });
    }
    // A step of the test's own, in its place among the runtime's.
    void Add(const std::string& step) { steps.push_back(step); }
    void Clear() { steps.clear(); }

    long Count(const std::string& step) const { return std::count(steps.begin(), steps.end(), step); }
    // Where step happened first or last; a test failure when it never did.
    size_t First(const std::string& step) const
    {
        const auto it = std::find(steps.begin(), steps.end(), step);
        EXPECT_NE(it, steps.end()) << step << " never happened";
        return static_cast<size_t>(it - steps.begin());
    }
    size_t Last(const std::string& step) const
    {
        const auto it = std::find(steps.rbegin(), steps.rend(), step);
        EXPECT_NE(it, steps.rend()) << step << " never happened";
        return it == steps.rend() ? steps.size() : static_cast<size_t>(steps.rend() - it - 1);
    }

    std::vector<std::string> steps;
};
