#include "runtime/Dialogs.h"

#include "runtime/Runtime.h"
#include "runtime/internal/Native.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

#include <algorithm>

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

Color RGB(int red, int green, int blue, int alpha)
{
    auto byte = [](int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); };
    return Color{byte(red), byte(green), byte(blue), byte(alpha)};
}
