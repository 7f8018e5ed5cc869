#pragma once

#include <cstdint>
#include <functional>

// Pause's wait, ended early once done() holds (asked after each round of
// events): the windows stay painted and no user input is handled. Returns
// whether done() held before the time was up.
bool PauseUntil(int64_t milliseconds, const std::function<bool()>& done);
