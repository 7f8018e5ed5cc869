#include "runtime/Dialogs.h"

#include "core/UIThread.h"
#include "runtime/DesktopServices.h"
#include "runtime/Trace.h"

void MsgBox(const std::string& text)
{
    CheckUIThread();
    RuntimeTrace("MsgBox");
    CurrentDesktopServices()->MsgBox(text);
}

void Beep()
{
    CheckUIThread();
    RuntimeTrace("Beep");
    CurrentDesktopServices()->Beep();
}

void ShowURL(const std::string& url)
{
    CheckUIThread();
    RuntimeTrace("ShowURL " + url);
    CurrentDesktopServices()->ShowURL(url);
}
