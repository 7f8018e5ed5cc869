#pragma once

#include <functional>
#include <string>

// The runtime reports its main steps as short texts ("Window.Constructor
// mainWindow.mainWindow", "AddMenuHandler fileQuit", "MsgBox", ...) to one
// listener, when someone listens: a log, or a test that checks the order of
// the steps. Nobody listens unless told.
using RuntimeTraceListener = std::function<void(const std::string& step)>;
// Replaces the listener; an empty one stops the reports.
void SetRuntimeTrace(RuntimeTraceListener listener);
void RuntimeTrace(const std::string& step);
