#pragma once

#include <exception>
#include <functional>
#include <vector>

// The process: RuntimeInit, RuntimePerformInitializers, the start-up
// sequence (which installs the exception helper, sets up the classes, binds
// the component libraries and hands over a late start-up callback),
// RuntimeRun, RuntimePerformFinalizers, RuntimeExit.
// RuntimeInit starts the toolkit. From then on, a chosen menu item goes to
// the application's handler of its name (the Quit item no handler takes
// quits), and the user closing the last window on screen ends the program
// with Quit(0).
void RuntimeInit(int argc, char** argv);
// Runs the runtime's own static initialisers, then the system's, in order.
void RuntimePerformInitializers(const std::vector<std::function<void()>>& systemInitializers);

void RuntimeInitExternalClasses();
// Binds the component libraries: the command runner Shell and the picture button.
void InitPluginEntrypoints();
// Once the runtime has started (inside RuntimeRun) it raises the application's
// Open event and then calls lateStartup. An empty function calls nothing.
void RunFrameworkInitialization(std::function<void()> lateStartup);
// What RuntimeRun does first, once its loop runs: the application's Open
// event, then the late start-up callback, each as a handler. The Open event
// comes first so that the splash it shows is on screen while the default
// window, built by the splash's own Open, runs its first scan.
void RuntimeStartApplication();
// The event loop; returns when the application quits.
void RuntimeRun();
// Closes every window and forgets the application object, then ends the
// toolkit. The exit status stays for RuntimeExit.
void RuntimePerformFinalizers();
// The process's exit status: the code given to Quit, 1 after an unhandled
// exception at start-up, 0 otherwise.
int RuntimeExit();
// Asks the application to quit with exitCode; before the loop runs, the loop
// then ends at once.
void Quit(int exitCode = 0);
// Withdraws a request to quit that no loop has acted on yet, and the exit
// status it set (or an unhandled exception set): the next RuntimeRun runs its
// loop, and RuntimeExit says 0 until something sets it again.
void ClearExitRequest();
// Default handling of an exception that escaped the start-up sequence:
// it is shown (and written to the error stream), and the exit status becomes 1.
void UnhandledException(std::exception_ptr exception);
