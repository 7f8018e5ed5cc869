#pragma once

#include <cstdint>

// Waits on the user-interface thread. The windows on screen stay painted
// meanwhile, but no user input is handled, as while a command runs.
void Pause(int64_t milliseconds);
