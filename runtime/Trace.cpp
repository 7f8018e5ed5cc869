#include "runtime/Trace.h"

namespace {

RuntimeTraceListener listener;

}  // namespace

void SetRuntimeTrace(RuntimeTraceListener newListener)
{
    listener = std::move(newListener);
}

void RuntimeTrace(const std::string& step)
{
    if (listener)
        listener(step);
}
