#include "about/aboutWindow.h"

#include "kit/Pictures.h"
#include "kit/WindowBuilding.h"
#include "resources/Defined.h"
#include "runtime/Dialogs.h"
#include "runtime/Runtime.h"

#include <string>

std::shared_ptr<aboutWindow> aboutWindow::Instance()
{
    return ImplicitWindow<aboutWindow>();
}

const Window::EventTableType& aboutWindow::EventTable() const
{
    static const EventTableType table = {BindEvent(WindowEvent::CreateControls, &aboutWindow::CreateControls),
                                         BindEvent(WindowEvent::Layout, &aboutWindow::Layout),
                                         BindEvent(WindowEvent::MouseDown, &aboutWindow::Event_MouseDown)};
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

void aboutWindow::CreateControls0()
{
    CreateControl<Canvas>(*this, "Canvas1", {}, [](Canvas& canvas) { canvas.Backdrop(Tarnvikicon96()); });
    CreateControl<Label>(*this, "Label1");
    CreateControl<Label>(*this, "Label3");
    CreateControl<Label>(*this, "StaticText5",
                         {{LabelEvent::MouseEnter, RuntimeCreateDelegate(this, &aboutWindow::StaticText5_MouseEnter)},
                          {LabelEvent::MouseExit, RuntimeCreateDelegate(this, &aboutWindow::StaticText5_MouseExit)},
                          {LabelEvent::MouseDown, RuntimeCreateDelegate(this, &aboutWindow::StaticText5_MouseDown)}});
    CreateControl<Label>(*this, "StaticText7");
    CreateControl<BevelButton>(
        *this, "BevelButton1",
        {{BevelButtonEvent::Action, RuntimeCreateDelegate(this, &aboutWindow::BevelButton1_Action)}},
        [](BevelButton& button) { button.Icon(paypal()); });
    CreateControl<Label>(*this, "Label4");
}

std::shared_ptr<Canvas> aboutWindow::Canvas1() const
{
    return ControlAccessor<Canvas>(this, "Canvas1");
}

std::shared_ptr<Label> aboutWindow::Label1() const
{
    return ControlAccessor<Label>(this, "Label1");
}

std::shared_ptr<Label> aboutWindow::Label3() const
{
    return ControlAccessor<Label>(this, "Label3");
}

std::shared_ptr<Label> aboutWindow::StaticText5() const
{
    return ControlAccessor<Label>(this, "StaticText5");
}

std::shared_ptr<Label> aboutWindow::StaticText7() const
{
    return ControlAccessor<Label>(this, "StaticText7");
}

std::shared_ptr<BevelButton> aboutWindow::BevelButton1() const
{
    return ControlAccessor<BevelButton>(this, "BevelButton1");
}

std::shared_ptr<Label> aboutWindow::Label4() const
{
    return ControlAccessor<Label>(this, "Label4");
}

// The hover handlers act on the label handed to them, not on the accessor's.
void aboutWindow::StaticText5_MouseEnter(std::shared_ptr<Label> label)
{
    NotNil(label, "the link label")->TextColor(RGB(0, 0, 255, 0));
    label->Underline(true);
}

void aboutWindow::StaticText5_MouseExit(std::shared_ptr<Label> label)
{
    NotNil(label, "the link label")->TextColor(RGB(0, 0, 0, 0));
    label->Underline(false);
}

// The label's text is the link's target. The label outlives its closed
// window, so its text is still there to open.
bool aboutWindow::StaticText5_MouseDown(std::shared_ptr<Label> label, int64_t x, int64_t y)
{
    (void)x;
    (void)y;
    NotNil(aboutWindow::Instance(), "the about window")->Close();
    ShowURL(NotNil(label, "the link label")->Text());
    return false;
}

// The donation page is opened over HTTPS, never plain HTTP: it leads to a payment.
void aboutWindow::BevelButton1_Action(std::shared_ptr<BevelButton> button)
{
    (void)button;
    NotNil(aboutWindow::Instance(), "the about window")->Close();
    ShowURL(std::string(Defined::DonationAddress));
}

bool aboutWindow::Event_MouseDown(int64_t x, int64_t y)
{
    (void)x;
    (void)y;
    Close();
    return false;
}
