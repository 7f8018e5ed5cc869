#include "core/UIThread.h"

#include "core/RuntimeException.h"

#include <atomic>
#include <thread>

namespace {

// Set once; read from any thread.
std::atomic<bool> known{false};
std::thread::id uiThread;

}  // namespace

void TakeUIThread()
{
    if (known)
        return;
    uiThread = std::this_thread::get_id();
    known = true;
}

void CheckUIThread()
{
    if (known && std::this_thread::get_id() != uiThread)
        throw ThreadAccessingUIException("a user-interface operation was called off the main thread");
}
