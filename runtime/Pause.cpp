#include "runtime/Pause.h"

#include "core/UIThread.h"
#include "runtime/Trace.h"
#include "runtime/internal/Pause.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <algorithm>
#include <string>

bool PauseUntil(int64_t milliseconds, const std::function<bool()>& done)
{
    QDeadlineTimer deadline(std::max<int64_t>(milliseconds, 0));
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (done())
            return true;
        const int64_t left = deadline.remainingTime();
        if (left <= 0)
            return false;
        QThread::msleep(static_cast<unsigned long>(std::min<int64_t>(left, 2)));
    }
}

void Pause(int64_t milliseconds)
{
    CheckUIThread();
    RuntimeTrace("Pause " + std::to_string(milliseconds));
    PauseUntil(milliseconds, [] { return false; });
}
