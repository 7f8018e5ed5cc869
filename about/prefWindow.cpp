#include "about/prefWindow.h"

#include "app/WindowBuilding.h"

std::shared_ptr<prefWindow> prefWindow::Instance()
{
    return ImplicitWindow<prefWindow>();
}

const Window::EventTableType& prefWindow::EventTable() const
{
    static const EventTableType table = {BindEvent(WindowEvent::Layout, &prefWindow::Layout),
                                         BindEvent(WindowEvent::CreateControls, &prefWindow::CreateControls)};
    return table;
}

void prefWindow::Layout()
{
    ApplyWindowBlock(*this);
}

void prefWindow::CreateControls()
{
    CreateControls0();
}

void prefWindow::CreateControls0() {}
