#include "runtime/Runtime.h"

#include "runtime/Application.h"
#include "runtime/Dialogs.h"
#include "runtime/MenuItem.h"
#include "runtime/Shell.h"
#include "runtime/internal/Native.h"
#include "runtime/internal/Registry.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontInfo>
#include <QTimer>

#include <cxxabi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <thread>
#include <typeindex>

// How control flows: main() -> RuntimeInit (the Qt application) -> the
// system's start-up sequence -> RuntimeRun, which raises the application's
// Open event, then calls the late start-up callback, then runs Qt's loop.
// Every call from Qt into the system's code goes through RuntimeCallHandler.

namespace {

struct RuntimeState {
    std::unique_ptr<QApplication> qtApp;
    int argc = 0;
    std::vector<std::string> argStorage;
    std::vector<char*> argv;
    std::thread::id mainThread;
    bool mainThreadKnown = false;

    std::shared_ptr<Application> app;
    ExceptionHelper helper = nullptr;
    std::function<void()> lateStartup;
    bool quitRequested = false;
    bool loopRunning = false;
    int exitCode = 0;

    std::vector<std::shared_ptr<Window>> registry;
    std::function<void(const std::string&)> trace;
    std::map<std::type_index, std::string> classNames;
};

// Never destroyed: windows and the Qt application must not be torn down by
// static destruction, after Qt's own statics are gone. RuntimePerformFinalizers
// ends them in order.
RuntimeState& State()
{
    static RuntimeState* state = new RuntimeState;
    return *state;
}

std::string Demangle(const char* name)
{
    int status = 0;
    char* demangled = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    std::string result = (status == 0 && demangled) ? demangled : name;
    std::free(demangled);
    return result;
}

// The text a report of an exception shows: its kind, then its message.
std::string DescribeException(std::exception_ptr exception)
{
    try {
        std::rethrow_exception(exception);
    } catch (const RuntimeException& e) {
        return e.Kind() + ": " + e.Message();
    } catch (const std::exception& e) {
        return Demangle(typeid(e).name()) + ": " + e.what();
    } catch (...) {
        return "unknown exception";
    }
}

bool DisplayMissing()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return false;
    return !qEnvironmentVariableIsSet("DISPLAY") && !qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

}  // namespace

void RegistryAdd(const std::shared_ptr<Window>& window)
{
    State().registry.push_back(window);
}

void RegistryRemove(const Window* window)
{
    auto& registry = State().registry;
    registry.erase(std::remove_if(registry.begin(), registry.end(),
                                  [window](const std::shared_ptr<Window>& w) { return w.get() == window; }),
                   registry.end());
}

std::shared_ptr<Window> GetImplicitWindow(std::string_view registryName)
{
    CheckUIThread();
    for (const auto& window : State().registry)
        if (window->RegistryName() == registryName)
            return window;
    return nullptr;
}

std::vector<std::shared_ptr<Window>> RegisteredWindows()
{
    return State().registry;
}

void RuntimeRegisterClass(const std::string& name, const std::type_info& type)
{
    State().classNames[std::type_index(type)] = name;
}

std::string RuntimeClassName(const std::type_info& type)
{
    auto& names = State().classNames;
    auto it = names.find(std::type_index(type));
    if (it == names.end())
        it = names.emplace(std::type_index(type), Demangle(type.name())).first;
    return it->second;
}

void RuntimeInit(int argc, char** argv)
{
    RuntimeState& s = State();
    if (!s.mainThreadKnown) {
        s.mainThread = std::this_thread::get_id();
        s.mainThreadKnown = true;
    }
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

std::exception_ptr CallFunctionWithExceptionHandling(void (*function)(void*), void* argument)
{
    try {
        function(argument);
    } catch (const RuntimeException&) {
        return std::current_exception();
    }
    return nullptr;
}

void RuntimeSetExceptionHelper(ExceptionHelper helper)
{
    State().helper = helper;
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
    RuntimeState& s = State();
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
    RuntimeState& s = State();
    for (const auto& window : RegisteredWindows())
        window->Close();
    s.app.reset();
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
    RuntimeState& s = State();
    RuntimeTrace("Quit " + std::to_string(exitCode));
    s.exitCode = exitCode;
    s.quitRequested = true;
    if (s.loopRunning)
        QCoreApplication::exit(exitCode);
}

void UnhandledException(std::exception_ptr exception)
{
    const std::string text = DescribeException(exception);
    std::fprintf(stderr, "%s: unhandled %s\n", FromQt(ProgramName()).c_str(), text.c_str());
    State().exitCode = 1;
    if (State().qtApp)
        MsgBox("Unhandled " + text);
}

void RuntimeRegisterAppObject(const std::shared_ptr<Application>& app)
{
    RuntimeTrace("RuntimeRegisterAppObject");
    State().app = app;
}

std::shared_ptr<Application> GetAppObject()
{
    return State().app;
}

bool RuntimeCallHandler(const std::function<bool()>& handler)
{
    struct Call {
        const std::function<bool()>* handler;
        bool result = false;
    } call{&handler};
    auto trampoline = [](void* p) {
        auto* c = static_cast<Call*>(p);
        c->result = (*c->handler)();
    };
    ExceptionHelper helper = State().helper ? State().helper : &CallFunctionWithExceptionHandling;
    std::exception_ptr raised;
    try {
        raised = helper(trampoline, &call);
    } catch (...) {
        raised = std::current_exception();
    }
    if (!raised)
        return call.result;
    // The application keeps running; the user learns what went wrong.
    MsgBox(DescribeException(raised));
    return false;
}

void RuntimeAddEventHandler(const std::shared_ptr<Control>& control, int event, Delegate handler)
{
    NotNil(control, "the control")->AddEventHandler(event, std::move(handler));
}

void CheckUIThread()
{
    const RuntimeState& s = State();
    if (s.mainThreadKnown && std::this_thread::get_id() != s.mainThread)
        throw ThreadAccessingUIException("a user-interface operation was called off the main thread");
}

void RuntimeResetForTesting()
{
    RuntimeState& s = State();
    s.trace = nullptr;  // it may refer to the finished test's locals
    for (const auto& window : RegisteredWindows())
        window->Close();
    s.registry.clear();
    s.app.reset();
    s.helper = nullptr;
    s.lateStartup = nullptr;
    s.quitRequested = false;
    s.exitCode = 0;
    SetDesktopHooksForTesting({});
    Shell::SetScriptForTesting({});
    Application::SetSupportsHiDPI(false);
    MenuItem::FailNextChildLookupForTesting("");
    if (s.qtApp)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void SetRuntimeTraceForTesting(std::function<void(const std::string&)> trace)
{
    State().trace = std::move(trace);
}

void RuntimeTrace(const std::string& step)
{
    if (State().trace)
        State().trace(step);
}

QString ProgramName()
{
    QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (name.isEmpty())
        name = QStringLiteral("Application");
    name[0] = name[0].toUpper();
    return name;
}
