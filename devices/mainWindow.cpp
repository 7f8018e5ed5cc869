#include "devices/mainWindow.h"

#include "app/MainMenuBar.h"
#include "app/WindowBuilding.h"

std::shared_ptr<mainWindow> mainWindow::Instance()
{
    return ImplicitWindow<mainWindow>();
}

const Window::EventTableType& mainWindow::EventTable() const
{
    static const EventTableType table = {BindEvent(WindowEvent::Layout, &mainWindow::Layout),
                                         BindEvent(WindowEvent::CreateControls, &mainWindow::CreateControls)};
    return table;
}

void mainWindow::Layout()
{
    MenuBar(MainMenuBar::Instance());
    ApplyWindowBlock(*this);
}

void mainWindow::CreateControls()
{
    CreateControls0();
}

void mainWindow::CreateControls0() {}
