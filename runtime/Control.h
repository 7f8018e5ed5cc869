#pragma once

#include "core/PropertyHolder.h"
#include "runtime/Events.h"
#include "runtime/RuntimeObject.h"

#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class Window;

// A control belongs to one window. Its properties live in the object, so it
// keeps them after its window has been closed; its native widget lives only
// as long as the window's.
class Control : public PropertyHolder, public std::enable_shared_from_this<Control> {
public:
    ~Control() override;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const PropertyClass& PropertyList() const override;
    std::string Name() const { return StringProperty("Name"); }
    // The window the control belongs to; nil once that window is gone.
    std::shared_ptr<::Window> Window() const { return window_.lock(); }

    // The class's event list, inherited events first; an event's number is its place here.
    virtual std::span<const std::string_view> EventNames() const;
    // Attaches a handler to an event number; throws OutOfBoundsException for
    // a number outside the class's event list.
    void AddEventHandler(int event, Delegate handler);
    // Calls the handlers of an event, each as a handler (an exception is
    // reported and goes no further). Returns true when one returned true.
    bool RaiseEvent(int event, EventArgs args = {});

protected:
    Control();

private:
    friend class ::Window;
    std::weak_ptr<::Window> window_;
    std::map<int, std::vector<Delegate>> handlers_;
};

// A control with a place in its window. Constructor creates its native
// widget in the window's content area; geometry follows the edge locks when
// the window's size changes.
class RectControl : public Control {
public:
    ~RectControl() override;
    const PropertyClass& PropertyList() const override;
    std::span<const std::string_view> EventNames() const override;

    void Constructor();

    bool Enabled() const { return BooleanProperty("Enabled"); }
    void Enabled(bool enabled) { SetProperty("Enabled", enabled); }
    bool Visible() const { return BooleanProperty("Visible"); }
    void Visible(bool visible) { SetProperty("Visible", visible); }
    // Whether the control is on screen now (its window shown, itself visible).
    bool IsVisible() const;

    int64_t Left() const { return IntegerProperty("Left"); }
    int64_t Top() const { return IntegerProperty("Top"); }
    int64_t Width() const { return IntegerProperty("Width"); }
    int64_t Height() const { return IntegerProperty("Height"); }

    // The window's content area changed size: apply the edge locks.
    void WindowResized(int64_t windowWidth, int64_t windowHeight);

    struct Native;
    Native* NativeData() const { return native_.get(); }

protected:
    RectControl();
    void PropertyChanged(std::string_view name) override;
    // A press as the user makes it: a disabled control raises no Action.
    void RaiseActionIfEnabled(int actionEvent);
    // Each class creates its own widget and pushes its own properties to it.
    virtual void BuildNative() = 0;
    virtual void SyncNative(std::string_view property) { (void)property; }
    std::unique_ptr<Native> native_;

private:
    void SyncCommon(std::string_view property);
    void SyncAll();
    // Geometry as last set, and the window size it was set for, per axis.
    struct Base {
        int64_t start = 0;
        int64_t length = 0;
        int64_t window = 0;
    };
    Base horizontal_;
    Base vertical_;
    bool applyingLocks_ = false;
};

// A handler made of a window's method, bound to that window. The window is
// held weakly: a handler raised after the window is gone does nothing, and
// one that runs keeps its window alive to its end.
template <class W, class C>
Delegate RuntimeCreateDelegate(W* receiver, void (W::*method)(std::shared_ptr<C>))
{
    std::weak_ptr<Window> weak = receiver->weak_from_this();
    return [weak, method](const EventArgs& args) {
        std::shared_ptr<W> window = RuntimeCheckCast<W>(weak.lock());
        if (!window)
            return false;
        ((*window).*method)(RuntimeCheckCast<C>(args.sender));
        return false;
    };
}

template <class W, class C>
Delegate RuntimeCreateDelegate(W* receiver, bool (W::*method)(std::shared_ptr<C>, int64_t, int64_t))
{
    std::weak_ptr<Window> weak = receiver->weak_from_this();
    return [weak, method](const EventArgs& args) {
        std::shared_ptr<W> window = RuntimeCheckCast<W>(weak.lock());
        if (!window)
            return false;
        return ((*window).*method)(RuntimeCheckCast<C>(args.sender), args.x, args.y);
    };
}

void RuntimeAddEventHandler(const std::shared_ptr<Control>& control, int event, Delegate handler);
