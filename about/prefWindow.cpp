#include "about/prefWindow.h"

#include "kit/WindowBuilding.h"
#include "runtime/Runtime.h"

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

void prefWindow::CreateControls0()
{
    CreateControl<PushButton>(
        *this, "PushButton1",
        {{PushButtonEvent::Action, RuntimeCreateDelegate(this, &prefWindow::PushButton1_Action)}});
}

std::shared_ptr<PushButton> prefWindow::PushButton1() const
{
    return ControlAccessor<PushButton>(this, "PushButton1");
}

// Hidden, not closed: the window stays registered for the next showing.
void prefWindow::PushButton1_Action(std::shared_ptr<PushButton> button)
{
    (void)button;
    NotNil(prefWindow::Instance(), "the preferences window")->Hide();
}
