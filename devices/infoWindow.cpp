#include "devices/infoWindow.h"

#include "kit/WindowBuilding.h"

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

void infoWindow::CreateControls0()
{
    CreateControl<TextArea>(*this, "infoTextArea");
    CreateControl<PushButton>(
        *this, "PushButton1",
        {{PushButtonEvent::Action, RuntimeCreateDelegate(this, &infoWindow::PushButton1_Action)}});
    CreateControl<Label>(*this, "infoTitle");
}

std::shared_ptr<TextArea> infoWindow::infoTextArea() const
{
    return ControlAccessor<TextArea>(this, "infoTextArea");
}

std::shared_ptr<PushButton> infoWindow::PushButton1() const
{
    return ControlAccessor<PushButton>(this, "PushButton1");
}

std::shared_ptr<Label> infoWindow::infoTitle() const
{
    return ControlAccessor<Label>(this, "infoTitle");
}

// A closed info window is discarded; the next request builds a new one.
void infoWindow::PushButton1_Action(std::shared_ptr<PushButton> button)
{
    (void)button;
    NotNil(infoWindow::Instance(), "the disk info window")->Close();
}
