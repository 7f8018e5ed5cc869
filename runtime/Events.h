#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

class Control;

// An event is named by its number: its place in the event list of the
// raising object's class, inherited events first. Each class's list below is
// the one source of both its event numbers (ListboxEvent::Change) and its
// event names (ListboxEvent::kNames).
#define TARNVIK_EVENT_NUMBER(name) name,
#define TARNVIK_EVENT_NAME(name) #name,

// clang-format off
#define TARNVIK_WINDOW_EVENTS(X)                                                                                       \
    X(Activate) X(AddMenuHandlers) X(CancelClose) X(Close) X(ConstructContextualMenu) X(ContentsChanged)               \
    X(ContextualMenuAction) X(CreateControls) X(Deactivate) X(DragEnter) X(DragExit) X(DragOver) X(DropObject)         \
    X(EnableMenuItems) X(KeyDown) X(KeyUp) X(Layout) X(Maximize) X(Minimize) X(MouseDown) X(MouseDrag) X(MouseEnter)   \
    X(MouseExit) X(MouseMove) X(MouseUp) X(MouseWheel) X(Moved) X(Open) X(Paint) X(Resized) X(Resizing) X(Restore)    \
    X(ScaleFactorChanged) X(SetupBindings)

#define TARNVIK_APPLICATION_EVENTS(X)                                                                                  \
    X(Activate) X(AppearanceChanged) X(CancelClose) X(Close) X(Deactivate) X(EnableMenuItems) X(HandleAppleEvent)      \
    X(NewDocument) X(Open) X(OpenDocument) X(UnhandledException)

#define TARNVIK_CONTROL_EVENTS(X) X(Close) X(CreatePane) X(Open)

#define TARNVIK_RECTCONTROL_EVENTS(X)                                                                                  \
    TARNVIK_CONTROL_EVENTS(X)                                                                                          \
    X(ConstructContextualMenu) X(ContextualMenuAction) X(DragEnter) X(DragExit) X(DragOver) X(DropObject) X(KeyDown)   \
    X(KeyUp) X(MouseEnter) X(MouseExit) X(MouseMove) X(MouseWheel)

#define TARNVIK_PUSHBUTTON_EVENTS(X)                                                                                   \
    TARNVIK_RECTCONTROL_EVENTS(X) X(Action) X(GotFocus) X(LostFocus) X(MouseDown) X(MouseUp)

#define TARNVIK_LABEL_EVENTS(X) TARNVIK_RECTCONTROL_EVENTS(X) X(AcceleratorKey) X(MouseDown) X(MouseDrag) X(MouseUp)

#define TARNVIK_BEVELBUTTON_EVENTS(X)                                                                                  \
    TARNVIK_RECTCONTROL_EVENTS(X) X(MouseUp) X(MouseDown) X(Action) X(GotFocus) X(LostFocus)

#define TARNVIK_LISTBOX_EVENTS(X)                                                                                      \
    TARNVIK_RECTCONTROL_EVENTS(X)                                                                                      \
    X(CellAction) X(CellBackgroundPaint) X(CellClick) X(CellGotFocus) X(CellKeyDown) X(CellLostFocus)                  \
    X(CellTextChange) X(CellTextPaint) X(Change) X(CollapseRow) X(CompareRows) X(DisclosureWidgetPaint)               \
    X(DoubleClick) X(DragOverRow) X(DragReorderRows) X(DragRow) X(DropObjectOnRow) X(EnableMenuItems) X(ExpandRow)    \
    X(GotFocus) X(HeaderPressed) X(LostFocus) X(MouseDown) X(MouseDrag) X(MouseUp) X(SortColumn)
// clang-format on

// A class's event numbers (an enumeration) and names (kNames) from its list.
#define TARNVIK_EVENT_CLASS(space, LIST)                                     \
    namespace space {                                                        \
    enum : int { LIST(TARNVIK_EVENT_NUMBER) };                               \
    inline constexpr std::string_view kNames[] = {LIST(TARNVIK_EVENT_NAME)}; \
    }

TARNVIK_EVENT_CLASS(WindowEvent, TARNVIK_WINDOW_EVENTS)
TARNVIK_EVENT_CLASS(ApplicationEvent, TARNVIK_APPLICATION_EVENTS)
TARNVIK_EVENT_CLASS(ControlEvent, TARNVIK_CONTROL_EVENTS)
TARNVIK_EVENT_CLASS(RectControlEvent, TARNVIK_RECTCONTROL_EVENTS)
TARNVIK_EVENT_CLASS(PushButtonEvent, TARNVIK_PUSHBUTTON_EVENTS)
TARNVIK_EVENT_CLASS(LabelEvent, TARNVIK_LABEL_EVENTS)
TARNVIK_EVENT_CLASS(BevelButtonEvent, TARNVIK_BEVELBUTTON_EVENTS)
TARNVIK_EVENT_CLASS(ListboxEvent, TARNVIK_LISTBOX_EVENTS)

#undef TARNVIK_EVENT_CLASS
#undef TARNVIK_WINDOW_EVENTS
#undef TARNVIK_APPLICATION_EVENTS
#undef TARNVIK_CONTROL_EVENTS
#undef TARNVIK_RECTCONTROL_EVENTS
#undef TARNVIK_PUSHBUTTON_EVENTS
#undef TARNVIK_LABEL_EVENTS
#undef TARNVIK_BEVELBUTTON_EVENTS
#undef TARNVIK_LISTBOX_EVENTS
#undef TARNVIK_EVENT_NUMBER
#undef TARNVIK_EVENT_NAME

struct EventArgs {
    std::shared_ptr<Control> sender;  // the control that raised it; nil for window events
    int64_t x = 0;
    int64_t y = 0;
};

// A handler bound to its receiver. The result is the handler's Boolean
// result where it has one (MouseDown: "handled"), false otherwise.
using Delegate = std::function<bool(const EventArgs&)>;
