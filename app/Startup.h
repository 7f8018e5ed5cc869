#pragma once

#include <functional>
#include <vector>

// The start-up sequence. main() runs RuntimeInit, the static initialisers
// (SystemInitializers), Main, the finalisers and RuntimeExit.

// The system's static initialisers, in order: the class record of App, the
// menu bar's shared-instance variable, the picture caches, then the class
// records of the menu bar and the windows.
std::vector<std::function<void()>> SystemInitializers();

// The start-up sequence proper: installs the exception entry, runs the early
// start-up, hands the runtime the late start-up callback and runs the event
// loop. An exception that escapes any step skips the rest and goes to the
// runtime's UnhandledException.
void Main();

// The early start-up, in order: high-resolution support, the runtime's
// classes, the component libraries, file types, the application object and
// its menu handlers.
void EarlyStartup();
void InitFileTypes();
void NewAppInstance();
void ApplicationAddMenuHandlers();

// The late start-up callback: reaches the default window.
void LateStartup();
void MakeDefaultView();
