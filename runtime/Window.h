#pragma once

#include "core/PropertyHolder.h"
#include "runtime/Events.h"
#include "runtime/RuntimeObject.h"
#include "runtime/WindowRegistry.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class Control;
class MenuBar;

// A window: its properties come from a window block, its controls are
// created in order by its CreateControls handler. The runtime's registry
// holds each open window under its registry name; Hide keeps it there,
// Close removes it and tears down the native window, while the object lives
// on for whoever still holds it.
//
// A subclass binds window events to its methods in its event table. The
// runtime raises Layout, then CreateControls, then Open from Constructor;
// Layout and CreateControls are building steps (their exceptions reach the
// code that asked for the window), Open is a handler.
class Window : public PropertyHolder, public std::enable_shared_from_this<Window> {
public:
    explicit Window(std::string_view registryName);
    ~Window() override;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    const PropertyClass& PropertyList() const override;
    const std::string& RegistryName() const { return registryName_; }

    // Registers the window, builds it and raises Open. A window whose block
    // says Visible is shown afterwards, unless its Open handler has already
    // shown or hidden it.
    void Constructor();

    // Show returns once the window is on screen: it flushes pending paint and
    // window-system events (never user input). On a closed window, Show and
    // Hide do nothing.
    void Show();
    // Shows the window attached to `parent`, modal to it, and placed as its
    // Placement says relative to the parent unless it is already on screen
    // so; the first showing as every later one. facing is reserved.
    void ShowWithin(const std::shared_ptr<Window>& parent, int64_t facing = 0);
    void Hide();
    void Close();
    bool IsVisible() const;
    bool IsClosed() const { return closed_; }

    std::string Title() const;
    void Title(const std::string& title);
    std::shared_ptr<::MenuBar> MenuBar() const { return menuBar_; }
    void MenuBar(const std::shared_ptr<::MenuBar>& bar);

    // The content area's size, kept within the window's size limits.
    int64_t Width() const;
    int64_t Height() const;
    void Width(int64_t width);
    void Height(int64_t height);

    // A new control of class T for this window; it joins the window with AddControl.
    template <class T>
    std::shared_ptr<T> New()
    {
        std::shared_ptr<T> control = RuntimeNewObject<T>();
        Adopt(*control);
        return control;
    }
    void AddControl(const std::shared_ptr<Control>& control, const std::string& name);
    // The control registered under name, or nil.
    std::shared_ptr<Control> ControlByName(std::string_view name) const;
    const std::vector<std::shared_ptr<Control>>& Controls() const { return controls_; }

    // Raises a window event through the class's event table. Building steps
    // propagate exceptions; every other event runs as a handler. Returns the
    // handler's result (false when the class binds none).
    bool RaiseEvent(int event, const EventArgs& args = {});
    bool HandlesEvent(int event) const;

    // The native side; only the runtime's own files use it.
    struct Native;
    Native* NativeData() const { return native_.get(); }
    void ContentResized(int64_t width, int64_t height);
    // A window that shows no menu bar of its own still answers the program's
    // commands (About, Quit) of the bar SetProgramCommandBar gave, by their
    // shortcuts. Called, on the user-interface thread, when the window's own
    // bar changes or that bar does.
    void ApplyProgramCommands();

protected:
    using WindowHandler = std::function<bool(Window&, const EventArgs&)>;
    using EventTableType = std::vector<std::pair<int, WindowHandler>>;
    virtual const EventTableType& EventTable() const;

    template <class W>
    static std::pair<int, WindowHandler> BindEvent(int event, void (W::*method)())
    {
        return {event, [method](Window& w, const EventArgs&) {
                    (static_cast<W&>(w).*method)();
                    return false;
                }};
    }
    template <class W>
    static std::pair<int, WindowHandler> BindEvent(int event, bool (W::*method)(int64_t, int64_t))
    {
        return {event, [method](Window& w, const EventArgs& a) { return (static_cast<W&>(w).*method)(a.x, a.y); }};
    }

    void PropertyChanged(std::string_view name) override;

private:
    void Adopt(Control& control);
    void ApplyNativeFrame();
    void ApplySizeLimits();
    // The menu bar came, went, or was shown or hidden: the content area keeps
    // its size, and the size limits and the program's commands follow.
    void FollowMenuBar();
    void Place(const std::shared_ptr<Window>& parent);

    std::string registryName_;
    std::unique_ptr<Native> native_;
    std::vector<std::shared_ptr<Control>> controls_;
    std::shared_ptr<::MenuBar> menuBar_;
    bool constructed_ = false;
    bool closed_ = false;
    bool shownOrHiddenByCode_ = false;
    bool placed_ = false;
};

// A window's control of class T registered under name. Raises
// NilObjectException when the window is nil or has no such control, and
// IllegalCastException when the control is of another class.
template <class T>
std::shared_ptr<T> ControlAccessor(const Window* window, std::string_view name)
{
    if (!window)
        throw NilObjectException("the window of control " + std::string(name) + " is nil");
    std::shared_ptr<Control> control = window->ControlByName(name);
    if (!control)
        throw NilObjectException("window " + window->RegistryName() + " has no control named " + std::string(name));
    return RuntimeCheckCast<T>(control);
}
