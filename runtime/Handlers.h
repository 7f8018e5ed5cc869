#pragma once

#include "runtime/Control.h"
#include "runtime/Events.h"
#include "runtime/RuntimeObject.h"

#include <exception>
#include <functional>
#include <memory>
#include <string>

class Window;

// How the runtime calls the system's code. Every call from the toolkit into
// a handler goes through RuntimeCallHandler: an exception that escapes it is
// reported to the user and goes no further.

// Calls function(argument); returns the RuntimeException it raised, or a
// null pointer when it raised none. Any other exception is raised again.
std::exception_ptr CallFunctionWithExceptionHandling(void (*function)(void*), void* argument);
using ExceptionHelper = std::exception_ptr (*)(void (*function)(void*), void* argument);
// The entry through which the runtime calls the system's handlers; nil makes
// it CallFunctionWithExceptionHandling.
void RuntimeSetExceptionHelper(ExceptionHelper helper);

// Runs system code as the runtime calls a handler: an exception that escapes
// is shown in a modal message naming its kind and message, and goes no
// further. Returns the handler's result, false after an exception.
bool RuntimeCallHandler(const std::function<bool()>& handler);

// The text a report of an exception shows: its kind, then its message.
std::string DescribeException(std::exception_ptr exception);

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
