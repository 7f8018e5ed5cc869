#include "RuntimeReset.h"

#include "runtime/Application.h"
#include "runtime/Runtime.h"

#include <QCoreApplication>

void ResetRuntime()
{
    SetRuntimeTrace(nullptr);  // it may refer to the finished test's locals
    CloseAllWindows();
    RuntimeRegisterAppObject(nullptr);
    RuntimeSetExceptionHelper(nullptr);
    RunFrameworkInitialization(nullptr);
    ClearExitRequest();
    Application::SetSupportsHiDPI(false);
    if (QCoreApplication::instance())
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
