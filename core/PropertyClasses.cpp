#include "core/PropertyBlock.h"

#include "core/Text.h"

// The property lists of the runtime's classes. A block's key takes its type
// from here; blocks may spell a name in another case (MacProcID, Multiline).

namespace {

using T = PropertyType;

constexpr PropertyInitial Int(int64_t v)
{
    return {true, false, v, 0, {}, {}};
}

constexpr PropertyInitial Real(double v)
{
    return {true, false, 0, v, {}, {}};
}

constexpr PropertyInitial Colour(Color c)
{
    return {true, false, 0, 0, c, {}};
}

constexpr PropertyInitial Text(std::string_view t)
{
    return {true, false, 0, 0, {}, t};
}

constexpr PropertySpec kTrue(std::string_view name)
{
    return PropertySpec{name, T::Boolean, {true, true, 0, 0, {}, {}}};
}

const PropertyClass& WindowClass()
{
    static const PropertyClass c("Window", nullptr,
                                 {{"Width", T::Integer, Int(100)},
                                  {"Height", T::Integer, Int(100)},
                                  {"MinWidth", T::Integer, Int(64)},
                                  {"MinHeight", T::Integer, Int(64)},
                                  {"MaxWidth", T::Integer, Int(32000)},
                                  {"MaxHeight", T::Integer, Int(32000)},
                                  {"Frame", T::Integer},
                                  {"Title", T::String},
                                  kTrue("CloseButton"),
                                  kTrue("Resizeable"),
                                  kTrue("MaximizeButton"),
                                  kTrue("MinimizeButton"),
                                  {"FullScreenButton", T::Boolean},
                                  {"Composite", T::Boolean},
                                  {"MacProcId", T::Integer},
                                  {"Placement", T::Integer},
                                  kTrue("Visible"),
                                  kTrue("LiveResize"),
                                  {"FullScreen", T::Boolean},
                                  {"HasBackColor", T::Boolean},
                                  {"BackColor", T::Color, Colour(Color{255, 255, 255, 0})},
                                  kTrue("MenuBarVisible")});
    return c;
}

const PropertyClass& ControlClass()
{
    static const PropertyClass c("Control", nullptr,
                                 {{"Name", T::String},
                                  {"Index", T::Integer, Int(-2147483648LL)},
                                  {"TabPanelIndex", T::Integer},
                                  {"InitialParent", T::String}});
    return c;
}

const PropertyClass& RectControlClass()
{
    static const PropertyClass c("RectControl", &ControlClass(),
                                 {{"Left", T::Integer},
                                  {"Top", T::Integer},
                                  {"Width", T::Integer},
                                  {"Height", T::Integer},
                                  {"LockLeft", T::Boolean},
                                  {"LockTop", T::Boolean},
                                  {"LockRight", T::Boolean},
                                  {"LockBottom", T::Boolean},
                                  {"TabIndex", T::Integer},
                                  kTrue("TabStop"),
                                  kTrue("Visible"),
                                  kTrue("Enabled"),
                                  {"HelpTag", T::String},
                                  kTrue("AutoDeactivate"),
                                  {"Transparent", T::Boolean}});
    return c;
}

// The font keys that every class with text has.
std::vector<PropertySpec> WithFont(std::vector<PropertySpec> own)
{
    for (PropertySpec s : std::initializer_list<PropertySpec>{{"TextFont", T::String, Text("System")},
                                                              {"TextSize", T::Single},
                                                              {"TextUnit", T::Enum1},
                                                              {"Bold", T::Boolean},
                                                              {"Italic", T::Boolean},
                                                              {"Underline", T::Boolean},
                                                              {"TextColor", T::Color}})
        own.push_back(s);
    return own;
}

const PropertyClass& CanvasClass()
{
    static const PropertyClass c("Canvas", &RectControlClass(),
                                 {kTrue("UseFocusRing"),
                                  {"AcceptFocus", T::Boolean},
                                  {"AcceptTabs", T::Boolean},
                                  kTrue("DoubleBuffer"),
                                  kTrue("EraseBackground")});
    return c;
}

const PropertyClass& LabelClass()
{
    static const PropertyClass c("Label", &RectControlClass(),
                                 WithFont({{"Text", T::String},
                                           {"TextAlign", T::Integer},
                                           {"MultiLine", T::Boolean},
                                           {"Selectable", T::Boolean},
                                           {"DataSource", T::String},
                                           {"DataField", T::String}}));
    return c;
}

const PropertyClass& TextEditClass()
{
    static const PropertyClass c("TextEdit", &RectControlClass(),
                                 WithFont({kTrue("Border"),
                                           kTrue("UseFocusRing"),
                                           {"BackColor", T::Color, Colour(Color{255, 255, 255, 0})},
                                           {"Format", T::String},
                                           kTrue("HideSelection"),
                                           {"Text", T::String},
                                           {"Mask", T::String},
                                           {"ReadOnly", T::Boolean},
                                           {"LimitText", T::Integer},
                                           {"AcceptTabs", T::Boolean},
                                           {"Alignment", T::Integer},
                                           {"DataSource", T::String},
                                           {"DataField", T::String}}));
    return c;
}

const PropertyClass& TextAreaClass()
{
    static const PropertyClass c("TextArea", &TextEditClass(),
                                 {kTrue("MultiLine"),
                                  {"ScrollBarHorizontal", T::Boolean},
                                  kTrue("ScrollBarVertical"),
                                  kTrue("Styled"),
                                  {"LineHeight", T::Double},
                                  {"LineSpacing", T::Double, Real(1.0)},
                                  {"AutomaticallyCheckSpelling", T::Boolean}});
    return c;
}

const PropertyClass& ListboxClass()
{
    static const PropertyClass c("Listbox", &RectControlClass(),
                                 WithFont({kTrue("Border"),
                                           {"ColumnCount", T::Integer, Int(1)},
                                           {"ColumnWidths", T::String},
                                           {"HasHeading", T::Boolean},
                                           kTrue("UseFocusRing"),
                                           {"InitialValue", T::String},
                                           {"HeadingIndex", T::Integer, Int(-1)},
                                           {"ScrollBarHorizontal", T::Boolean},
                                           kTrue("ScrollBarVertical"),
                                           {"GridLinesHorizontal", T::Integer},
                                           {"GridLinesVertical", T::Integer},
                                           {"DefaultRowHeight", T::Integer, Int(-1)},
                                           {"ShowDropIndicator", T::Boolean},
                                           {"_ScrollWidth", T::Integer, Int(-1)},
                                           {"_ScrollOffset", T::Integer},
                                           {"Hierarchical", T::Boolean},
                                           {"EnableDrag", T::Boolean},
                                           {"EnableDragReorder", T::Boolean},
                                           {"RequiresSelection", T::Boolean},
                                           {"SelectionType", T::Integer},
                                           kTrue("ColumnsResizable"),
                                           kTrue("AutoHideScrollbars"),
                                           {"DataSource", T::String},
                                           {"DataField", T::String}}));
    return c;
}

const PropertyClass& PushButtonClass()
{
    static const PropertyClass c(
        "PushButton", &RectControlClass(),
        WithFont({{"Caption", T::String}, {"Default", T::Boolean}, {"Cancel", T::Boolean}, {"ButtonStyle", T::Enum8}}));
    return c;
}

const PropertyClass& BevelButtonClass()
{
    static const PropertyClass c("BevelButton", &RectControlClass(),
                                 WithFont({{"Caption", T::String},
                                           {"CaptionAlign", T::Integer},
                                           {"CaptionPlacement", T::Integer},
                                           {"CaptionDelta", T::Integer},
                                           {"IconAlign", T::Integer},
                                           {"IconDX", T::Integer},
                                           {"IconDY", T::Integer},
                                           {"Bevel", T::Integer},
                                           {"HasMenu", T::Integer},
                                           {"HasBackColor", T::Boolean},
                                           {"BackColor", T::Color},
                                           {"Value", T::Boolean},
                                           {"MenuValue", T::Integer},
                                           {"ButtonType", T::Integer},
                                           kTrue("AcceptFocus")}));
    return c;
}

}  // namespace

const PropertyClass* FindPropertyClass(std::string_view className)
{
    for (const PropertyClass* c :
         {&WindowClass(), &ControlClass(), &RectControlClass(), &TextEditClass(), &TextAreaClass(), &LabelClass(),
          &CanvasClass(), &PushButtonClass(), &BevelButtonClass(), &ListboxClass()})
        if (c->Name() == className)
            return c;
    return nullptr;
}
