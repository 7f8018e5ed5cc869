#include "runtime/DesktopServices.h"

#include "runtime/Shell.h"
#include "runtime/internal/ProgramName.h"
#include "runtime/internal/QtValues.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QUrl>

#include <algorithm>
#include <mutex>

namespace {

// A message with an OK button that is always on screen and the default.
// Qt keeps the box within the screen's width; its height follows the text.
// A text too tall for the screen's free area shows its leading lines, and
// the whole text is one click away under Show Details..., where it scrolls.
class MessageBox final : public QMessageBox {
public:
    explicit MessageBox(const QString& text) : whole_(text)
    {
        setWindowTitle(ProgramName());
        setTextFormat(Qt::PlainText);
        setText(text);
        setStandardButtons(QMessageBox::Ok);
        setDefaultButton(QMessageBox::Ok);
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);  // sizes the box for its text
        if (!fitted_) {
            fitted_ = true;
            FitTheScreen();
        }
    }

private:
    // The box's height with its frame. The window system may not have framed
    // it yet, so room is left for a title bar.
    int FramedHeight() const
    {
        return height() +
               std::max(frameGeometry().height() - height(), style()->pixelMetric(QStyle::PM_TitleBarHeight));
    }
    bool Fits() const { return FramedHeight() <= screen()->availableGeometry().height(); }

    // The text up to `length`, cut back to a whole line where there is one.
    QString Lead(qsizetype length) const
    {
        QString lead = whole_.left(length);
        if (const qsizetype end = lead.lastIndexOf(QLatin1Char('\n')); end >= 0)
            lead.truncate(end);
        return lead + QStringLiteral("\n\u2026");
    }

    void FitTheScreen()
    {
        if (Fits())
            return;
        // Twice the share of the text that the height allows bounds the
        // search, so the whole text is laid out only once.
        qsizetype fitting = 0;
        qsizetype tooLong = whole_.size();
        const qsizetype bound = 2 * whole_.size() * screen()->availableGeometry().height() / FramedHeight() + 1;
        setText(Lead(std::min(bound, tooLong)));
        setDetailedText(whole_);
        QAbstractButton* details = nullptr;
        for (QAbstractButton* button : buttons())
            if (buttonRole(button) == QMessageBox::ActionRole)
                details = button;
        // Return stays with OK, even after a click on the details button.
        if (auto* push = qobject_cast<QPushButton*>(details))
            push->setAutoDefault(false);
        // Measured with the details open, the taller of the two states: the
        // longest lead that fits (a longer lead is never shorter on screen).
        if (details)
            details->click();
        if (bound < tooLong && !Fits())
            tooLong = bound;
        while (tooLong - fitting > 1) {
            const qsizetype middle = fitting + (tooLong - fitting) / 2;
            setText(Lead(middle));
            (Fits() ? fitting : tooLong) = middle;
        }
        setText(Lead(fitting));
        const int openHeight = FramedHeight();
        if (details)
            details->click();
        // Centred as usual, but high enough that the details open downwards on screen.
        adjustPosition(parentWidget());
        const QRect area = screen()->availableGeometry();
        if (y() + openHeight > area.bottom() + 1)
            move(x(), std::max(area.top(), area.bottom() + 1 - openHeight));
    }

    const QString whole_;
    bool fitted_ = false;
};

class SystemDesktop final : public DesktopServices {
public:
    ProcessResult RunCommand(const std::string& commandLine) override { return RunCommandLine(commandLine); }

    void MsgBox(const std::string& text) override
    {
        MessageBox box(DisplayText(text));
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
