#include "runtime/Handlers.h"

#include "runtime/Dialogs.h"
#include "runtime/RuntimeObject.h"

#include <typeinfo>

namespace {

// Set by the start-up sequence; nil until then.
ExceptionHelper helper = nullptr;

}  // namespace

std::exception_ptr CallFunctionWithExceptionHandling(void (*function)(void*), void* argument)
{
    try {
        function(argument);
    } catch (const RuntimeException&) {
        return std::current_exception();
    }
    return nullptr;
}

void RuntimeSetExceptionHelper(ExceptionHelper newHelper)
{
    helper = newHelper;
}

std::string DescribeException(std::exception_ptr exception)
{
    try {
        std::rethrow_exception(exception);
    } catch (const RuntimeException& e) {
        return e.Kind() + ": " + e.Message();
    } catch (const std::exception& e) {
        return RuntimeClassName(typeid(e)) + ": " + e.what();
    } catch (...) {
        return "unknown exception";
    }
}

bool RuntimeCallHandler(const std::function<bool()>& handler)
{
    struct Call {
        const std::function<bool()>* handler;
        bool result = false;
    } call{&handler};
    auto trampoline = [](void* p) {
        auto* c = static_cast<Call*>(p);
        c->result = (*c->handler)();
    };
    const ExceptionHelper entry = helper ? helper : &CallFunctionWithExceptionHandling;
    std::exception_ptr raised;
    try {
        raised = entry(trampoline, &call);
    } catch (...) {
        raised = std::current_exception();
    }
    if (!raised)
        return call.result;
    // The application keeps running; the user learns what went wrong.
    MsgBox(DescribeException(raised));
    return false;
}
