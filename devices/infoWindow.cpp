#include "devices/infoWindow.h"

#include "app/WindowBuilding.h"

std::shared_ptr<infoWindow> infoWindow::Instance()
{
    return ImplicitWindow<infoWindow>();
}

const Window::EventTableType& infoWindow::EventTable() const
{
    static const EventTableType table = {BindEvent(WindowEvent::Layout, &infoWindow::Layout),
                                         BindEvent(WindowEvent::CreateControls, &infoWindow::CreateControls)};
    return table;
}

void infoWindow::Layout()
{
    ApplyWindowBlock(*this);
}

void infoWindow::CreateControls()
{
    CreateControls0();
}

void infoWindow::CreateControls0() {}
