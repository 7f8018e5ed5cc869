#include "runtime/Window.h"

#include "core/UIThread.h"
#include "runtime/Control.h"
#include "runtime/Handlers.h"
#include "runtime/MenuItem.h"
#include "runtime/Trace.h"
#include "runtime/internal/NativeControl.h"
#include "runtime/internal/NativeMenus.h"
#include "runtime/internal/NativeWindow.h"
#include "runtime/internal/Pause.h"
#include "runtime/internal/QtValues.h"
#include "runtime/internal/Registry.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace {

// Lets the window system put a newly shown window on screen and paint it,
// without handling any user input meanwhile.
void FlushUntilExposed(QWidget* top)
{
    PauseUntil(1000, [top] {
        QWindow* handle = top->windowHandle();
        return handle && handle->isExposed();
    });
    top->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool IsGeometry(std::string_view name)
{
    return name == "Width" || name == "Height" || name == "MinWidth" || name == "MinHeight" || name == "MaxWidth" ||
           name == "MaxHeight";
}

bool IsFrame(std::string_view name)
{
    return name == "Frame" || name == "CloseButton" || name == "Resizeable" || name == "MaximizeButton" ||
           name == "MinimizeButton";
}

}  // namespace

Window::Window(std::string_view registryName) : registryName_(registryName), native_(std::make_unique<Native>()) {}

Window::~Window()
{
    if (native_->top)
        native_->top->deleteLater();
}

const PropertyClass& Window::PropertyList() const
{
    return *FindPropertyClass("Window");
}

const Window::EventTableType& Window::EventTable() const
{
    static const EventTableType none;
    return none;
}

bool Window::HandlesEvent(int event) const
{
    const EventTableType& table = EventTable();
    return std::any_of(table.begin(), table.end(), [event](const auto& entry) { return entry.first == event; });
}

bool Window::RaiseEvent(int event, const EventArgs& args)
{
    for (const auto& entry : EventTable()) {
        if (entry.first != event)
            continue;
        if (event == WindowEvent::Layout || event == WindowEvent::CreateControls)
            return entry.second(*this, args);
        std::shared_ptr<Window> self = shared_from_this();  // a handler may close its own window
        return RuntimeCallHandler([&] { return entry.second(*self, args); });
    }
    return false;
}

void Window::Constructor()
{
    CheckUIThread();
    if (constructed_ || closed_ || native_->top)
        throw RuntimeException("window " + registryName_ + " is already constructed");
    RuntimeTrace("Window.Constructor " + registryName_);
    RegistryAdd(shared_from_this());
    native_->top = new NativeTopLevel(shared_from_this());
    ApplyNativeFrame();
    ApplySizeLimits();
    native_->top->SetContentSize(static_cast<int>(Width()), static_cast<int>(Height()));
    try {
        RaiseEvent(WindowEvent::Layout);
        RaiseEvent(WindowEvent::CreateControls);
    } catch (...) {
        // A window that could not be built is not left half-built in the registry.
        Close();
        throw;
    }
    QWidget* previous = nullptr;
    std::vector<std::shared_ptr<RectControl>> order;
    for (const auto& control : controls_)
        if (auto rect = std::dynamic_pointer_cast<RectControl>(control); rect && rect->NativeData())
            order.push_back(rect);
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
        return a->IntegerProperty("TabIndex") < b->IntegerProperty("TabIndex");
    });
    for (const auto& rect : order) {
        QWidget* widget = rect->NativeData()->widget;
        if (!widget || widget->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
    constructed_ = true;
    ApplyProgramCommands();
    RaiseEvent(WindowEvent::Open);
    if (!closed_ && !shownOrHiddenByCode_ && BooleanProperty("Visible"))
        Show();
}

void Window::Show()
{
    CheckUIThread();
    if (closed_ || !native_->top)
        return;
    RuntimeTrace("Window.Show " + registryName_);
    shownOrHiddenByCode_ = true;
    NativeTopLevel* top = native_->top;
    if (!placed_) {
        Place(nullptr);
        placed_ = true;
    }
    top->show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        top->raise();
        top->activateWindow();
    }
    FlushUntilExposed(top);
}

void Window::ShowWithin(const std::shared_ptr<Window>& parent, int64_t facing)
{
    (void)facing;
    CheckUIThread();
    if (closed_ || !native_->top)
        return;
    NativeTopLevel* top = native_->top;
    if (parent && !parent->IsClosed() && parent->native_->top) {
        top->winId();  // makes sure the native windows exist before one is attached to the other
        parent->native_->top->winId();
        QWindow* parentHandle = parent->native_->top->windowHandle();
        const bool attached = top->isVisible() && top->windowModality() == Qt::WindowModal &&
                              top->windowHandle()->transientParent() == parentHandle;
        if (!attached) {
            // Qt takes modality only from a hidden window, and a window whose
            // block says Visible was shown when it was built.
            top->hide();
            top->setWindowModality(Qt::WindowModal);
            top->windowHandle()->setTransientParent(parentHandle);
            Place(parent);
            placed_ = true;
        }
    }
    Show();
}

void Window::Hide()
{
    CheckUIThread();
    if (closed_ || !native_->top)
        return;
    RuntimeTrace("Window.Hide " + registryName_);
    shownOrHiddenByCode_ = true;
    native_->top->hide();
}

void Window::Close()
{
    CheckUIThread();
    if (closed_)
        return;
    RuntimeTrace("Window.Close " + registryName_);
    closed_ = true;
    RegistryRemove(this);
    if (constructed_)
        RaiseEvent(WindowEvent::Close);
    if (NativeTopLevel* top = native_->top) {
        native_->top = nullptr;
        top->hide();
        // Later: the close may come from inside one of the window's own events.
        top->deleteLater();
    }
}

bool Window::IsVisible() const
{
    CheckUIThread();
    return !closed_ && native_->top && native_->top->isVisible();
}

std::string Window::Title() const
{
    return StringProperty("Title");
}

void Window::Title(const std::string& title)
{
    SetProperty("Title", title);
}

void Window::MenuBar(const std::shared_ptr<::MenuBar>& bar)
{
    CheckUIThread();
    menuBar_ = bar;
    if (!native_->top)
        return;
    if (!bar) {
        native_->top->SetMenuBarWidget(nullptr);
    } else {
        auto* native = new QMenuBar(native_->top);
        BuildNativeMenus(native, bar);
        native->setVisible(BooleanProperty("MenuBarVisible"));
        native_->top->SetMenuBarWidget(native);
    }
    FollowMenuBar();
}

void Window::FollowMenuBar()
{
    ApplySizeLimits();
    native_->top->SetContentSize(static_cast<int>(Width()), static_cast<int>(Height()));
    if (constructed_)
        ApplyProgramCommands();
}

void Window::ApplyProgramCommands()
{
    NativeTopLevel* top = native_->top;
    if (!top)
        return;
    // A window that shows its menu bar has the commands there; the same
    // shortcut twice in one window would trigger neither.
    const bool showsItsBar = menuBar_ && BooleanProperty("MenuBarVisible");
    top->SetProgramCommands(showsItsBar ? nullptr : ProgramCommandBar());
}

int64_t Window::Width() const
{
    return IntegerProperty("Width");
}

int64_t Window::Height() const
{
    return IntegerProperty("Height");
}

void Window::Width(int64_t width)
{
    SetProperty("Width", width);
}

void Window::Height(int64_t height)
{
    SetProperty("Height", height);
}

void Window::AddControl(const std::shared_ptr<Control>& control, const std::string& name)
{
    CheckUIThread();
    NotNil(control, "the control");
    if (ControlByName(name))
        throw RuntimeException("window " + registryName_ + " already has a control named " + name);
    Adopt(*control);
    control->SetProperty("Name", name);
    controls_.push_back(control);
}

std::shared_ptr<Control> Window::ControlByName(std::string_view name) const
{
    for (const auto& control : controls_)
        if (control->Name() == name)
            return control;
    return nullptr;
}

void Window::Adopt(Control& control)
{
    control.window_ = weak_from_this();
}

void Window::ContentResized(int64_t width, int64_t height)
{
    if (width != Width())
        SetProperty("Width", width);
    if (height != Height())
        SetProperty("Height", height);
}

void Window::PropertyChanged(std::string_view name)
{
    if (IsGeometry(name)) {
        const int64_t w = std::clamp(Width(), IntegerProperty("MinWidth"),
                                     std::max(IntegerProperty("MinWidth"), IntegerProperty("MaxWidth")));
        const int64_t h = std::clamp(Height(), IntegerProperty("MinHeight"),
                                     std::max(IntegerProperty("MinHeight"), IntegerProperty("MaxHeight")));
        if (w != Width() || h != Height()) {
            SetProperty(w != Width() ? "Width" : "Height", w != Width() ? w : h);
            return;
        }
        for (const auto& control : controls_)
            if (auto rect = std::dynamic_pointer_cast<RectControl>(control))
                rect->WindowResized(w, h);
        if (native_->top) {
            ApplySizeLimits();
            if (native_->top->Content()->size() != QSize(static_cast<int>(w), static_cast<int>(h)))
                native_->top->SetContentSize(static_cast<int>(w), static_cast<int>(h));
        }
        return;
    }
    if (!native_->top)
        return;
    if (name == "Title") {
        native_->top->setWindowTitle(ToQt(Title()));
    } else if (IsFrame(name)) {
        ApplyNativeFrame();
        ApplySizeLimits();
    } else if (name == "HasBackColor" || name == "BackColor") {
        QWidget* content = native_->top->Content();
        content->setAutoFillBackground(BooleanProperty("HasBackColor"));
        if (BooleanProperty("HasBackColor")) {
            QPalette palette = content->palette();
            palette.setColor(QPalette::Window, ToQColor(ColorProperty("BackColor")));
            content->setPalette(palette);
        }
    } else if (name == "MenuBarVisible") {
        if (auto* bar = native_->top->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly))
            bar->setVisible(BooleanProperty("MenuBarVisible"));
        FollowMenuBar();
    }
}

void Window::ApplyNativeFrame()
{
    NativeTopLevel* top = native_->top;
    if (!top)
        return;
    // Frame 8 is a dialog-like window; every other code a document window.
    Qt::WindowFlags flags = (IntegerProperty("Frame") == 8 ? Qt::Dialog : Qt::Window) | Qt::CustomizeWindowHint |
                            Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    if (BooleanProperty("CloseButton"))
        flags |= Qt::WindowCloseButtonHint;
    if (BooleanProperty("MinimizeButton"))
        flags |= Qt::WindowMinimizeButtonHint;
    if (BooleanProperty("MaximizeButton") && BooleanProperty("Resizeable"))
        flags |= Qt::WindowMaximizeButtonHint;
    if (top->windowFlags() == flags)
        return;
    const bool wasVisible = top->isVisible();
    top->setWindowFlags(flags);
    if (wasVisible)
        top->show();
}

void Window::ApplySizeLimits()
{
    NativeTopLevel* top = native_->top;
    if (!top)
        return;
    const int bar = top->MenuBarHeight();
    if (!BooleanProperty("Resizeable")) {
        top->setFixedSize(static_cast<int>(Width()), static_cast<int>(Height()) + bar);
        return;
    }
    const auto limit = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, 0, QWIDGETSIZE_MAX)); };
    top->setMinimumSize(limit(IntegerProperty("MinWidth")), limit(IntegerProperty("MinHeight") + bar));
    top->setMaximumSize(limit(std::max(IntegerProperty("MinWidth"), IntegerProperty("MaxWidth"))),
                        limit(std::max(IntegerProperty("MinHeight"), IntegerProperty("MaxHeight")) + bar));
}

void Window::Place(const std::shared_ptr<Window>& parent)
{
    NativeTopLevel* top = native_->top;
    QRect area;
    const int64_t placement = IntegerProperty("Placement");
    if (parent && parent->native_->top && (placement == 1 || placement == 0))
        area = parent->native_->top->frameGeometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isEmpty())
        return;
    const QSize size = top->size();
    top->move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 3);
}
