#include "app/App.h"

#include "about/aboutWindow.h"
#include "about/prefWindow.h"
#include "devices/mainWindow.h"
#include "devices/splash.h"
#include "runtime/Runtime.h"

std::shared_ptr<App> App::Instance()
{
    return RuntimeCheckCast<App>(GetAppObject());
}

const Application::EventTableType& App::EventTable() const
{
    static const EventTableType table = {BindEvent(ApplicationEvent::Open, &App::Event_Open)};
    return table;
}

void App::Event_Open()
{
    NotNil(splash::Instance(), "the splash window")->Show();
}

bool App::_aboutMenu_Action(int64_t index)
{
    (void)index;
    NotNil(aboutWindow::Instance(), "the about window")->Show();
    return true;
}

bool App::_prefMenu_Action()
{
    std::shared_ptr<prefWindow> preferences = NotNil(prefWindow::Instance(), "the preferences window");
    std::shared_ptr<mainWindow> main = NotNil(mainWindow::Instance(), "the main window");
    preferences->ShowWithin(main, 0);
    return true;
}

bool App::_fileQuit_Action()
{
    Quit(0);
    return true;
}
