#include "about/aboutWindow.h"

#include "app/WindowBuilding.h"

std::shared_ptr<aboutWindow> aboutWindow::Instance()
{
    return ImplicitWindow<aboutWindow>();
}

const Window::EventTableType& aboutWindow::EventTable() const
{
    static const EventTableType table = {BindEvent(WindowEvent::Layout, &aboutWindow::Layout),
                                         BindEvent(WindowEvent::CreateControls, &aboutWindow::CreateControls)};
    return table;
}

void aboutWindow::Layout()
{
    ApplyWindowBlock(*this);
}

void aboutWindow::CreateControls()
{
    CreateControls0();
}

void aboutWindow::CreateControls0() {}
