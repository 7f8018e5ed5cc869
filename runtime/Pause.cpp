#include "runtime/Pause.h"

#include "core/UIThread.h"
#include "runtime/Trace.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <algorithm>
#include <string>

void Pause(int64_t milliseconds)
{
    CheckUIThread();
    RuntimeTrace("Pause " + std::to_string(milliseconds));
    QDeadlineTimer deadline(std::max<int64_t>(milliseconds, 0));
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        const int64_t left = deadline.remainingTime();
        if (left <= 0)
            return;
        QThread::msleep(static_cast<unsigned long>(std::min<int64_t>(left, 10)));
    }
}
