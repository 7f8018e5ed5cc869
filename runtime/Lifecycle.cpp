#include "runtime/Lifecycle.h"

#include "core/UIThread.h"
#include "runtime/Application.h"
#include "runtime/Dialogs.h"
#include "runtime/Handlers.h"
#include "runtime/MenuItem.h"
#include "runtime/Shell.h"
#include "runtime/Trace.h"
#include "runtime/Window.h"
#include "runtime/internal/ProgramName.h"
#include "runtime/internal/QtValues.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontInfo>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

// How control flows: main() -> RuntimeInit (the Qt application) -> the
// system's start-up sequence -> RuntimeRun, which raises the application's
// Open event, then calls the late start-up callback, then runs Qt's loop.

namespace {

struct LifecycleState {
    std::unique_ptr<QApplication> qtApp;
    int argc = 0;
    std::vector<std::string> argStorage;
    std::vector<char*> argv;

    std::function<void()> lateStartup;
    bool quitRequested = false;
    bool loopRunning = false;
    int exitCode = 0;
};

// Never destroyed: the Qt application must not be torn down by static
// destruction, after Qt's own statics are gone. RuntimePerformFinalizers ends
// it in order.
LifecycleState& State()
{
    static LifecycleState* state = new LifecycleState;
    return *state;
}

// The user closing the last window on screen ends the program.
void QuitWhenNoWindowIsShown()
{
    for (const auto& window : RegisteredWindows())
        if (window->IsVisible())
            return;
    Quit(0);
}

// A chosen menu item goes to the application's handler of its name; the
// Quit item that no handler takes quits.
bool RunMenuCommand(const MenuItem& item)
{
    if (std::shared_ptr<Application> app = GetAppObject())
        if (app->DispatchMenuCommand(item.Name(), item.Index().value_or(0)))
            return true;
    if (item.Kind() == MenuItemKind::Quit) {
        Quit(0);
        return true;
    }
    return false;
}

bool DisplayMissing()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return false;
    return !qEnvironmentVariableIsSet("DISPLAY") && !qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

}  // namespace

void RuntimeInit(int argc, char** argv)
{
    TakeUIThread();
    OnWindowClosedByUser(&QuitWhenNoWindowIsShown);
    SetMenuCommandHandler(&RunMenuCommand);
    LifecycleState& s = State();
    if (s.qtApp)
        return;
    s.argStorage.assign(argv, argv + argc);
    for (std::string& arg : s.argStorage)
        s.argv.push_back(arg.data());
    s.argv.push_back(nullptr);
    s.argc = argc;
    if (DisplayMissing()) {
        std::fprintf(stderr,
                     "%s: no display to open windows on. Start it in a desktop session, or without a display "
                     "under Xvfb: xvfb-run -a %s\n",
                     argc > 0 ? argv[0] : "tarnvik", argc > 0 ? argv[0] : "tarnvik");
        std::exit(1);
    }
    s.qtApp = std::make_unique<QApplication>(s.argc, s.argv.data());
    // The runtime decides when the application ends (Quit, or the user
    // closing the last visible window), not Qt.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(ProgramName());
    // The layouts are measured for a compact sans face at 13 pixels; use one
    // where the machine has it.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(13);
    if (QFontInfo(font).family() == font.family())
        QApplication::setFont(font);
    RuntimeTrace("RuntimeInit");
}

void RuntimePerformInitializers(const std::vector<std::function<void()>>& systemInitializers)
{
    RuntimeTrace("RuntimePerformInitializers");
    RuntimeRegisterClass("Application", typeid(Application));
    RuntimeRegisterClass("Window", typeid(Window));
    for (const auto& initializer : systemInitializers)
        initializer();
}

void RuntimeInitExternalClasses()
{
    RuntimeTrace("RuntimeInitExternalClasses");
    RuntimeRegisterClass("MenuItem", typeid(MenuItem));
    RuntimeRegisterClass("MenuBar", typeid(MenuBar));
    RuntimeRegisterClass("AppleMenuItem", typeid(AppleMenuItem));
    RuntimeRegisterClass("QuitMenuItem", typeid(QuitMenuItem));
}

void InitPluginEntrypoints()
{
    RuntimeTrace("InitPluginEntrypoints");
    RuntimeRegisterClass("Shell", typeid(Shell));
}

void RunFrameworkInitialization(std::function<void()> lateStartup)
{
    State().lateStartup = std::move(lateStartup);
}

void RuntimeRun()
{
    LifecycleState& s = State();
    if (!s.qtApp)
        throw RuntimeException("RuntimeRun before RuntimeInit");
    if (s.quitRequested)
        return;
    QTimer::singleShot(0, &RuntimeStartApplication);
    s.loopRunning = true;
    const int code = QApplication::exec();
    s.loopRunning = false;
    if (!s.quitRequested)
        s.exitCode = code;
}

void RuntimeStartApplication()
{
    if (std::shared_ptr<Application> app = GetAppObject())
        app->RaiseEvent(ApplicationEvent::Open);
    if (State().lateStartup && !State().quitRequested)
        RuntimeCallHandler([] {
            State().lateStartup();
            return false;
        });
}

void RuntimePerformFinalizers()
{
    LifecycleState& s = State();
    CloseAllWindows();
    RuntimeRegisterAppObject(nullptr);
    if (s.qtApp) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        s.qtApp.reset();
    }
}

int RuntimeExit()
{
    return State().exitCode;
}

void Quit(int exitCode)
{
    LifecycleState& s = State();
    RuntimeTrace("Quit " + std::to_string(exitCode));
    s.exitCode = exitCode;
    s.quitRequested = true;
    if (s.loopRunning)
        QCoreApplication::exit(exitCode);
}

void ClearExitRequest()
{
    State().quitRequested = false;
    State().exitCode = 0;
}

void UnhandledException(std::exception_ptr exception)
{
    const std::string text = DescribeException(exception);
    std::fprintf(stderr, "%s: unhandled %s\n", FromQt(ProgramName()).c_str(), text.c_str());
    State().exitCode = 1;
    if (State().qtApp)
        MsgBox("Unhandled " + text);
}

QString ProgramName()
{
    QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (name.isEmpty())
        name = QStringLiteral("Application");
    name[0] = name[0].toUpper();
    return name;
}
