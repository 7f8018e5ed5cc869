#pragma once

#include "runtime/Control.h"
#include "runtime/Events.h"
#include "runtime/RuntimeObject.h"
#include "runtime/Window.h"

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class Application;

// The process: RuntimeInit, RuntimePerformInitializers, the start-up
// sequence (which installs the exception helper, sets up the classes, binds
// the component libraries and hands over a late start-up callback),
// RuntimeRun, RuntimePerformFinalizers, RuntimeExit.
void RuntimeInit(int argc, char** argv);
// Runs the runtime's own static initialisers, then the system's, in order.
void RuntimePerformInitializers(const std::vector<std::function<void()>>& systemInitializers);

// Calls function(argument); returns the RuntimeException it raised, or a
// null pointer when it raised none. Any other exception is raised again.
std::exception_ptr CallFunctionWithExceptionHandling(void (*function)(void*), void* argument);
using ExceptionHelper = std::exception_ptr (*)(void (*function)(void*), void* argument);
// The entry through which the runtime calls the system's handlers.
void RuntimeSetExceptionHelper(ExceptionHelper helper);

void RuntimeInitExternalClasses();
// Binds the component libraries: the command runner Shell and the picture button.
void InitPluginEntrypoints();
// Once the runtime has started (inside RuntimeRun) it raises the application's
// Open event and then calls lateStartup.
void RunFrameworkInitialization(std::function<void()> lateStartup);
// What RuntimeRun does first, once its loop runs: the application's Open
// event, then the late start-up callback, each as a handler. The Open event
// comes first so that the splash it shows is on screen while the default
// window, built by the splash's own Open, runs its first scan.
void RuntimeStartApplication();
// The event loop; returns when the application quits.
void RuntimeRun();
void RuntimePerformFinalizers();
// The process's exit status: the code given to Quit, 1 after an unhandled
// exception at start-up, 0 otherwise.
int RuntimeExit();
// Asks the application to quit with exitCode; before the loop runs, the loop
// then ends at once.
void Quit(int exitCode = 0);
// Default handling of an exception that escaped the start-up sequence:
// it is shown (and written to the error stream), and the exit status becomes 1.
void UnhandledException(std::exception_ptr exception);

void RuntimeRegisterAppObject(const std::shared_ptr<Application>& app);
std::shared_ptr<Application> GetAppObject();

// Runs system code as the runtime calls a handler: an exception that escapes
// is shown in a modal message naming its kind and message, and goes no
// further. Returns the handler's result, false after an exception.
bool RuntimeCallHandler(const std::function<bool()>& handler);

// A handler made of a window's method, bound to that window. The window is
// held weakly: a handler raised after the window is gone does nothing, and
// one that runs keeps its window alive to its end.
template <class W, class C>
Delegate RuntimeCreateDelegate(W* receiver, void (W::*method)(std::shared_ptr<C>))
{
    std::weak_ptr<Window> weak = receiver->weak_from_this();
    return [weak, method](const EventArgs& args) {
        std::shared_ptr<W> window = RuntimeCheckCast<W>(weak.lock());
        if (!window)
            return false;
        ((*window).*method)(RuntimeCheckCast<C>(args.sender));
        return false;
    };
}

template <class W, class C>
Delegate RuntimeCreateDelegate(W* receiver, bool (W::*method)(std::shared_ptr<C>, int64_t, int64_t))
{
    std::weak_ptr<Window> weak = receiver->weak_from_this();
    return [weak, method](const EventArgs& args) {
        std::shared_ptr<W> window = RuntimeCheckCast<W>(weak.lock());
        if (!window)
            return false;
        return ((*window).*method)(RuntimeCheckCast<C>(args.sender), args.x, args.y);
    };
}

void RuntimeAddEventHandler(const std::shared_ptr<Control>& control, int event, Delegate handler);

// Raises ThreadAccessingUIException unless called on the main thread (the
// thread that called RuntimeInit).
void CheckUIThread();

// Test support: closes every window, forgets the application object, the
// exit request and the exception helper, and restores the desktop hooks.
void RuntimeResetForTesting();
// Tests see the runtime's main steps as short texts ("Window.Constructor
// mainWindow.mainWindow", "AddMenuHandler fileQuit", ...).
void SetRuntimeTraceForTesting(std::function<void(const std::string&)> trace);
void RuntimeTrace(const std::string& step);

template <class T>
std::shared_ptr<T> ControlAccessor(const Window* window, std::string_view name)
{
    if (!window)
        throw NilObjectException("the window of control " + std::string(name) + " is nil");
    std::shared_ptr<Control> control = window->ControlByName(name);
    if (!control)
        throw NilObjectException("window " + window->RegistryName() + " has no control named " + std::string(name));
    return RuntimeCheckCast<T>(control);
}
