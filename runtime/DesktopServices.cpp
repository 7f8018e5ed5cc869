#include "runtime/DesktopServices.h"

#include "runtime/Shell.h"
#include "runtime/internal/ProgramName.h"
#include "runtime/internal/QtValues.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

#include <mutex>

namespace {

class SystemDesktop final : public DesktopServices {
public:
    ProcessResult RunCommand(const std::string& commandLine) override { return RunCommandLine(commandLine); }

    void MsgBox(const std::string& text) override
    {
        QMessageBox box;
        box.setWindowTitle(ProgramName());
        box.setTextFormat(Qt::PlainText);
        box.setText(DisplayText(text));
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
    }

    void Beep() override { QApplication::beep(); }

    void ShowURL(const std::string& url) override
    {
        const QUrl address(ToQt(url), QUrl::StrictMode);
        if (address.isValid())
            QDesktopServices::openUrl(address);
    }
};

// Commands may run on any thread, so the services in use are guarded.
std::mutex servicesMutex;
std::shared_ptr<DesktopServices> replacement;  // nil: the real ones

}  // namespace

std::shared_ptr<DesktopServices> CurrentDesktopServices()
{
    static const auto real = std::make_shared<SystemDesktop>();
    std::lock_guard lock(servicesMutex);
    return replacement ? replacement : real;
}

std::shared_ptr<DesktopServices> SetDesktopServices(std::shared_ptr<DesktopServices> services)
{
    std::lock_guard lock(servicesMutex);
    std::swap(replacement, services);
    return services;
}
