#include "devices/splash.h"

#include "devices/mainWindow.h"
#include "kit/Pictures.h"
#include "kit/WindowBuilding.h"

std::shared_ptr<splash> splash::Instance()
{
    return ImplicitWindow<splash>();
}

const Window::EventTableType& splash::EventTable() const
{
    static const EventTableType table = {BindEvent(WindowEvent::Layout, &splash::Layout),
                                         BindEvent(WindowEvent::CreateControls, &splash::CreateControls),
                                         BindEvent(WindowEvent::Open, &splash::Event_Open)};
    return table;
}

void splash::Layout()
{
    ApplyWindowBlock(*this);
}

void splash::CreateControls()
{
    CreateControls0();
}

void splash::CreateControls0()
{
    CreateControl<Canvas>(*this, "Canvas1", {}, [](Canvas& canvas) { canvas.Backdrop(Tarnvikicon()); });
    CreateControl<Label>(*this, "Label1");
    CreateControl<Label>(*this, "Label2");
    CreateControl<Label>(*this, "Label3");
}

std::shared_ptr<Canvas> splash::Canvas1() const
{
    return ControlAccessor<Canvas>(this, "Canvas1");
}

std::shared_ptr<Label> splash::Label1() const
{
    return ControlAccessor<Label>(this, "Label1");
}

std::shared_ptr<Label> splash::Label2() const
{
    return ControlAccessor<Label>(this, "Label2");
}

std::shared_ptr<Label> splash::Label3() const
{
    return ControlAccessor<Label>(this, "Label3");
}

// Both steps go through the accessors: the hide reaches whichever splash is
// registered by then.
void splash::Event_Open()
{
    NotNil(mainWindow::Instance(), "the main window")->Show();
    NotNil(splash::Instance(), "the splash window")->Hide();
}
