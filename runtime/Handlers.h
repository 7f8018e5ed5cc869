#pragma once

#include <exception>
#include <functional>
#include <string>

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
