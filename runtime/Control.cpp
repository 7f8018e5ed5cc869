#include "runtime/Control.h"

#include "core/Text.h"
#include "core/UIThread.h"
#include "runtime/Handlers.h"
#include "runtime/Window.h"
#include "runtime/internal/NativeControl.h"
#include "runtime/internal/NativeWindow.h"
#include "runtime/internal/QtValues.h"

#include <algorithm>

Control::Control() = default;
Control::~Control() = default;

const PropertyClass& Control::PropertyList() const
{
    return *FindPropertyClass("Control");
}

std::span<const std::string_view> Control::EventNames() const
{
    return ControlEvent::kNames;
}

void Control::AddEventHandler(int event, Delegate handler)
{
    CheckUIThread();
    if (event < 0 || event >= static_cast<int>(EventNames().size()))
        throw OutOfBoundsException("class " + RuntimeClassName(typeid(*this)) + " has no event number " + Str(event));
    handlers_[event].push_back(std::move(handler));
}

bool Control::RaiseEvent(int event, EventArgs args)
{
    CheckUIThread();
    auto it = handlers_.find(event);
    if (it == handlers_.end())
        return false;
    std::shared_ptr<Control> self = shared_from_this();  // lives while its handlers run
    if (!args.sender)
        args.sender = self;
    const std::vector<Delegate> handlers = it->second;
    bool handled = false;
    for (const Delegate& handler : handlers)
        handled = RuntimeCallHandler([&] { return handler(args); }) || handled;
    return handled;
}

RectControl::RectControl() : native_(std::make_unique<Native>()) {}

// The widget belongs to the window's content area, which deletes it.
RectControl::~RectControl() = default;

QWidget* ContentOf(const RectControl& control)
{
    return NotNil(control.Window(), "the control's window")->NativeData()->top->Content();
}

void RectControl::RaiseActionIfEnabled(int actionEvent)
{
    if (Enabled())
        RaiseEvent(actionEvent);
}

const PropertyClass& RectControl::PropertyList() const
{
    return *FindPropertyClass("RectControl");
}

std::span<const std::string_view> RectControl::EventNames() const
{
    return RectControlEvent::kNames;
}

void RectControl::Constructor()
{
    CheckUIThread();
    std::shared_ptr<::Window> window = NotNil(Window(), "the control's window");
    if (!window->NativeData() || !window->NativeData()->top)
        throw RuntimeException("control " + Name() + " cannot be placed: its window is closed");
    if (native_->widget)
        return;
    BuildNative();
    SyncAll();
}

bool RectControl::IsVisible() const
{
    CheckUIThread();
    return native_->widget && native_->widget->isVisible();
}

void RectControl::PropertyChanged(std::string_view name)
{
    const bool horizontal = name == "Left" || name == "Width";
    const bool vertical = name == "Top" || name == "Height";
    if ((horizontal || vertical) && !applyingLocks_) {
        std::shared_ptr<::Window> window = Window();
        if (horizontal)
            horizontal_ = {Left(), Width(), window ? window->Width() : 0};
        else
            vertical_ = {Top(), Height(), window ? window->Height() : 0};
    }
    if (native_->widget) {
        SyncCommon(name);
        SyncNative(name);
    }
}

void RectControl::WindowResized(int64_t windowWidth, int64_t windowHeight)
{
    auto follow = [](const Base& base, bool lockStart, bool lockEnd, int64_t size, int64_t& start, int64_t& length) {
        const int64_t change = size - base.window;
        start = base.start;
        length = base.length;
        if (lockStart && lockEnd)
            length = std::max<int64_t>(0, base.length + change);
        else if (lockEnd)
            start = base.start + change;
    };
    int64_t left = 0, width = 0, top = 0, height = 0;
    follow(horizontal_, BooleanProperty("LockLeft"), BooleanProperty("LockRight"), windowWidth, left, width);
    follow(vertical_, BooleanProperty("LockTop"), BooleanProperty("LockBottom"), windowHeight, top, height);
    applyingLocks_ = true;
    if (left != Left())
        SetProperty("Left", left);
    if (width != Width())
        SetProperty("Width", width);
    if (top != Top())
        SetProperty("Top", top);
    if (height != Height())
        SetProperty("Height", height);
    applyingLocks_ = false;
}

void RectControl::SyncCommon(std::string_view name)
{
    QWidget* widget = native_->widget;
    const bool all = name.empty();
    if (all || name == "Left" || name == "Top" || name == "Width" || name == "Height")
        widget->setGeometry(static_cast<int>(Left()), static_cast<int>(Top()), static_cast<int>(Width()),
                            static_cast<int>(Height()));
    if (all || name == "Enabled")
        widget->setEnabled(Enabled());
    if (all || name == "Visible")
        widget->setVisible(Visible());
    if (all || name == "HelpTag")
        widget->setToolTip(ToQt(Trim(ReplaceLineEndings(StringProperty("HelpTag"), "\n"))));
    if (all || name == "TabStop") {
        if (!BooleanProperty("TabStop"))
            widget->setFocusPolicy(Qt::NoFocus);
    }
    // Every class with text takes its font from the same keys.
    static const std::string_view kFontKeys[] = {"TextFont", "TextSize", "TextUnit", "Bold", "Italic", "Underline"};
    if (PropertyList().Find("TextFont") &&
        (all || std::find(std::begin(kFontKeys), std::end(kFontKeys), name) != std::end(kFontKeys)))
        widget->setFont(FontOf(*this, widget->parentWidget()->font()));
}

void RectControl::SyncAll()
{
    SyncCommon("");
    SyncNative("");
}

void RuntimeAddEventHandler(const std::shared_ptr<Control>& control, int event, Delegate handler)
{
    NotNil(control, "the control")->AddEventHandler(event, std::move(handler));
}
