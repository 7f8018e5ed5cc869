#include "runtime/DesktopServices.h"

#include "core/AppFolders.h"
#include "runtime/internal/ProgramName.h"
#include "runtime/internal/QtValues.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextEdit>
#include <QUrl>

#include <algorithm>
#include <mutex>
#include <optional>
#include <vector>

namespace {

// A message with an OK button that is always on screen and the default.
// Qt keeps the box within the screen's width, wrapping long lines; its height
// follows the text. A text too tall for the screen's free area shows as much
// of its start as fits in about half that height, and the whole text is one
// click away under Show Details..., whose pane takes the rest and scrolls.
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
    // On screen, and wide enough for its text: Qt wraps no word wider than
    // the screen, the box would cut it off.
    bool Fits() const
    {
        const QRect area = screen()->availableGeometry();
        return FramedHeight() <= area.height() && frameGeometry().width() <= area.width() &&
               layout()->minimumSize().width() <= width();
    }

    // The text up to `length`, cut back to the end of a word (or line). A
    // word wider than the box can be is cut where it is, as no line holds it.
    QString Lead(qsizetype length) const
    {
        qsizetype start = length;  // of the word the cut falls in
        while (start > 0 && !whole_[start - 1].isSpace())
            --start;
        qsizetype end = length;
        while (end < whole_.size() && !whole_[end].isSpace())
            ++end;
        if (start < length && length < end &&
            fontMetrics().horizontalAdvance(whole_.mid(start, end - start)) <= widest_)
            length = start;
        QString lead = whole_.left(length);
        while (!lead.isEmpty() && lead.back().isSpace())
            lead.chop(1);
        return lead + QStringLiteral("\n\u2026");
    }

    void FitTheScreen()
    {
        if (Fits())
            return;
        widest_ = width();  // laid out for the whole text, as wide as the box gets
        const int screenHeight = screen()->availableGeometry().height();
        // Twice the share of the text that the height allows bounds the
        // search, so the whole text is laid out only once.
        qsizetype fitting = 0;
        qsizetype tooLong = whole_.size();
        const qsizetype bound = 2 * whole_.size() * screenHeight / FramedHeight() + 1;
        setText(Lead(std::min(bound, tooLong)));
        setDetailedText(whole_);
        QAbstractButton* details = nullptr;
        for (QAbstractButton* button : buttons())
            if (buttonRole(button) == QMessageBox::ActionRole)
                details = button;
        // Return stays with OK, even after a click on the details button.
        if (auto* push = qobject_cast<QPushButton*>(details))
            push->setAutoDefault(false);
        // The details pane takes half the height; measured with the details
        // open, the taller of the two states: the longest lead that fits (a
        // longer lead is never shorter on screen).
        auto* pane = findChild<QTextEdit*>();
        const int paneHeight = screenHeight / 2;
        if (pane)
            pane->setFixedHeight(paneHeight);
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
        // The pane also takes what the lead leaves over. Qt sizes the box
        // afresh for a new text, once the pane's new height has reached it.
        if (pane) {
            pane->setFixedHeight(paneHeight + std::max(0, screenHeight - FramedHeight()));
            pane->parentWidget()->updateGeometry();
            setText(Lead(fitting));
        }
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
    int widest_ = 0;
};

constexpr const char* kShell = "/bin/sh";

// The parent's environment with the tool stand-ins appended to PATH. Built
// as a copy: the parent's own environment stays untouched.
std::vector<std::string> ChildEnvironment()
{
    std::vector<std::string> env;
    std::optional<std::string> parentPath;
    for (std::string& entry : CurrentEnvironment()) {
        if (entry.rfind("PATH=", 0) == 0) {
            if (!parentPath)
                parentPath = entry.substr(5);
            continue;
        }
        env.push_back(std::move(entry));
    }

    std::string path = parentPath ? *parentPath : kDefaultSearchPath;
    const std::string tools = AppFolders::Tools();
    // An empty entry in PATH means the current folder; never add one.
    if (!tools.empty())
        path = path.empty() ? tools : path + ":" + tools;
    env.push_back("PATH=" + path);
    return env;
}

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

ProcessResult RunCommandLine(const std::string& commandLine)
{
    return RunProcess({kShell, "-c", commandLine}, ChildEnvironment());
}
