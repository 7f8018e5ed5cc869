#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class Control;

// An event is named by its number: its place in the event list of the
// raising object's class, inherited events first.
namespace WindowEvent {
enum : int {
    Activate,
    AddMenuHandlers,
    CancelClose,
    Close,
    ConstructContextualMenu,
    ContentsChanged,
    ContextualMenuAction,
    CreateControls,
    Deactivate,
    DragEnter,
    DragExit,
    DragOver,
    DropObject,
    EnableMenuItems,
    KeyDown,
    KeyUp,
    Layout,
    Maximize,
    Minimize,
    MouseDown,
    MouseDrag,
    MouseEnter,
    MouseExit,
    MouseMove,
    MouseUp,
    MouseWheel,
    Moved,
    Open,
    Paint,
    Resized,
    Resizing,
    Restore,
    ScaleFactorChanged,
    SetupBindings,
};
}

namespace ApplicationEvent {
enum : int {
    Activate,
    AppearanceChanged,
    CancelClose,
    Close,
    Deactivate,
    EnableMenuItems,
    HandleAppleEvent,
    NewDocument,
    Open,
    OpenDocument,
    UnhandledException,
};
}

namespace ControlEvent {
enum : int { Close, CreatePane, Open };
}

namespace RectControlEvent {
enum : int {
    ConstructContextualMenu = 3,
    ContextualMenuAction,
    DragEnter,
    DragExit,
    DragOver,
    DropObject,
    KeyDown,
    KeyUp,
    MouseEnter,
    MouseExit,
    MouseMove,
    MouseWheel,
};
}

namespace PushButtonEvent {
enum : int { Action = 15, GotFocus, LostFocus, MouseDown, MouseUp };
}

namespace LabelEvent {
enum : int {
    MouseEnter = RectControlEvent::MouseEnter,
    MouseExit = RectControlEvent::MouseExit,
    AcceleratorKey = 15,
    MouseDown,
    MouseDrag,
    MouseUp
};
}

namespace BevelButtonEvent {
enum : int { MouseUp = 15, MouseDown, Action, GotFocus, LostFocus };
}

namespace ListboxEvent {
enum : int {
    CellAction = 15,
    CellBackgroundPaint,
    CellClick,
    CellGotFocus,
    CellKeyDown,
    CellLostFocus,
    CellTextChange,
    CellTextPaint,
    Change,
    CollapseRow,
    CompareRows,
    DisclosureWidgetPaint,
    DoubleClick,
    DragOverRow,
    DragReorderRows,
    DragRow,
    DropObjectOnRow,
    EnableMenuItems,
    ExpandRow,
    GotFocus,
    HeaderPressed,
    LostFocus,
    MouseDown,
    MouseDrag,
    MouseUp,
    SortColumn,
};
}

// The event lists by name, in numbering order, for checks and messages.
const std::vector<std::string_view>& WindowEventNames();
const std::vector<std::string_view>& ApplicationEventNames();

struct EventArgs {
    std::shared_ptr<Control> sender;  // the control that raised it; nil for window events
    int64_t x = 0;
    int64_t y = 0;
};

// A handler bound to its receiver. The result is the handler's Boolean
// result where it has one (MouseDown: "handled"), false otherwise.
using Delegate = std::function<bool(const EventArgs&)>;
