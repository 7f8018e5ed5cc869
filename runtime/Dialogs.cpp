#include "runtime/Dialogs.h"

#include "runtime/Trace.h"
#include "runtime/UIThread.h"
#include "runtime/internal/ProgramName.h"
#include "runtime/internal/QtValues.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

namespace {

DesktopHooks& Hooks()
{
    static DesktopHooks hooks;
    return hooks;
}

}  // namespace

void SetDesktopHooksForTesting(DesktopHooks hooks)
{
    Hooks() = std::move(hooks);
}

void MsgBox(const std::string& text)
{
    CheckUIThread();
    RuntimeTrace("MsgBox");
    if (Hooks().msgBox) {
        const auto hook = Hooks().msgBox;
        hook(text);
        return;
    }
    QMessageBox box;
    box.setWindowTitle(ProgramName());
    box.setTextFormat(Qt::PlainText);
    box.setText(DisplayText(text));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void Beep()
{
    CheckUIThread();
    RuntimeTrace("Beep");
    if (Hooks().beep) {
        const auto hook = Hooks().beep;
        hook();
        return;
    }
    QApplication::beep();
}

void ShowURL(const std::string& url)
{
    CheckUIThread();
    RuntimeTrace("ShowURL " + url);
    if (Hooks().showURL) {
        const auto hook = Hooks().showURL;
        hook(url);
        return;
    }
    const QUrl address(ToQt(url), QUrl::StrictMode);
    if (address.isValid())
        QDesktopServices::openUrl(address);
}
