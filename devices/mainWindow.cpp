#include "devices/mainWindow.h"

#include "base/ShellWord.h"
#include "core/Text.h"
#include "devices/infoWindow.h"
#include "devices/splash.h"
#include "kit/MainMenuBar.h"
#include "kit/WindowBuilding.h"
#include "runtime/Dialogs.h"
#include "runtime/Shell.h"
#include "scan/DeviceScan.h"

#include <utility>
#include <vector>

// How the device list comes about: a scan (Open, Scan...) runs three
// diskutil queries and keeps each raw output in a hidden text area; each
// parser hands its area's text to the scan core (scan/DeviceScan.h) and writes
// the column it gives into the list by row index (names make the rows, nodes
// and mounted states fill them). The filter step then reads the boot volume
// into the hidden label and drops the rows the core's two passes name. The
// selection decides which action buttons are enabled; mount, unmount and info
// act on the selected row.

namespace {

std::shared_ptr<mainWindow> Main()
{
    return NotNil(mainWindow::Instance(), "the main window");
}

std::shared_ptr<infoWindow> Info()
{
    return NotNil(infoWindow::Instance(), "the disk info window");
}

void HideAndCloseSplash()
{
    NotNil(splash::Instance(), "the splash window")->Hide();
    NotNil(splash::Instance(), "the splash window")->Close();
}

// A column the scan core gives, into the rows that exist: value i into row i.
void WriteColumn(Listbox& list, int64_t column, const std::vector<std::string>& values)
{
    for (size_t i = 0; i < values.size() && static_cast<int64_t>(i) < list.ListCount(); ++i)
        list.Cell(static_cast<int64_t>(i), column, values[i]);
}

bool IsRow(const Listbox& list, int64_t row)
{
    return row >= 0 && row < list.ListCount();
}

// "NAME (ID)", as the messages and the info window's heading name an entry.
std::string EntryTitle(const std::string& name, const std::string& identifier)
{
    return name + " (" + identifier + ")";
}

// What the tool said when it failed: its error stream, or its output when it
// wrote its reason there.
std::string FailureReason(const Shell& shell)
{
    const std::string error = Trim(shell.ErrorOutput());
    return error.empty() ? Trim(shell.Result()) : error;
}

// Mount and unmount: only a command that succeeded changes the row's mounted
// state; a failure is explained instead. The selection is cleared either way.
void ChangeMountedState(const std::string& commandPrefix, const std::string& identifier, const std::string& newState,
                        const std::string& failedAction)
{
    Shell shell;
    shell.Execute(commandPrefix + ShellWord(identifier));
    std::shared_ptr<Listbox> list = Main()->theParsedResult();
    const int64_t row = list->ListIndex();
    if (shell.ErrorCode() == 0) {
        if (IsRow(*list, row))
            list->Cell(row, 2, newState);
    } else {
        const std::string name = IsRow(*list, row) ? list->Cell(row, 0) : std::string();
        MsgBox(EntryTitle(name, identifier) + EndOfLine() + EndOfLine() + failedAction + " failed (exit status " +
               Str(shell.ErrorCode()) + "):" + EndOfLine() + FailureReason(shell));
    }
    Main()->theParsedResult()->ListIndex(-1);
}

// Entry `index` of the menu item array `name` anywhere below menu.
std::shared_ptr<MenuItem> FindArrayEntry(const MenuItem& menu, std::string_view name, int64_t index)
{
    for (const auto& child : menu.Children()) {
        if (TextEquals(child->Name(), name) && child->Index() == index)
            return child;
        if (auto found = FindArrayEntry(*child, name, index))
            return found;
    }
    return nullptr;
}

}  // namespace

std::shared_ptr<mainWindow> mainWindow::Instance()
{
    return ImplicitWindow<mainWindow>();
}

const Window::EventTableType& mainWindow::EventTable() const
{
    static const EventTableType table = {BindEvent(WindowEvent::Layout, &mainWindow::Layout),
                                         BindEvent(WindowEvent::CreateControls, &mainWindow::CreateControls),
                                         BindEvent(WindowEvent::Open, &mainWindow::Event_Open)};
    return table;
}

void mainWindow::Layout()
{
    MenuBar(MainMenuBar::Instance());
    ApplyWindowBlock(*this);
}

void mainWindow::CreateControls()
{
    CreateControls0();
}

void mainWindow::CreateControls0()
{
    CreateControl<TextArea>(*this, "theResult3");
    CreateControl<TextArea>(*this, "theResult2");
    CreateControl<TextArea>(*this, "theResult1");
    CreateControl<Listbox>(
        *this, "theParsedResult",
        {{ListboxEvent::DoubleClick, RuntimeCreateDelegate(this, &mainWindow::theParsedResult_DoubleClick)},
         {ListboxEvent::Change, RuntimeCreateDelegate(this, &mainWindow::theParsedResult_Change)}});
    CreateControl<PushButton>(*this, "mountBtn",
                              {{PushButtonEvent::Action, RuntimeCreateDelegate(this, &mainWindow::mountBtn_Action)}});
    CreateControl<PushButton>(*this, "unmountBtn",
                              {{PushButtonEvent::Action, RuntimeCreateDelegate(this, &mainWindow::unmountBtn_Action)}});
    CreateControl<PushButton>(*this, "scanBtn",
                              {{PushButtonEvent::Action, RuntimeCreateDelegate(this, &mainWindow::scanBtn_Action)}});
    CreateControl<Label>(*this, "bootVolume");
    CreateControl<PushButton>(*this, "infoBtn",
                              {{PushButtonEvent::Action, RuntimeCreateDelegate(this, &mainWindow::infoBtn_Action)}});
}

std::shared_ptr<TextArea> mainWindow::theResult3() const
{
    return ControlAccessor<TextArea>(this, "theResult3");
}

std::shared_ptr<TextArea> mainWindow::theResult2() const
{
    return ControlAccessor<TextArea>(this, "theResult2");
}

std::shared_ptr<TextArea> mainWindow::theResult1() const
{
    return ControlAccessor<TextArea>(this, "theResult1");
}

std::shared_ptr<Listbox> mainWindow::theParsedResult() const
{
    return ControlAccessor<Listbox>(this, "theParsedResult");
}

std::shared_ptr<PushButton> mainWindow::mountBtn() const
{
    return ControlAccessor<PushButton>(this, "mountBtn");
}

std::shared_ptr<PushButton> mainWindow::unmountBtn() const
{
    return ControlAccessor<PushButton>(this, "unmountBtn");
}

std::shared_ptr<PushButton> mainWindow::scanBtn() const
{
    return ControlAccessor<PushButton>(this, "scanBtn");
}

std::shared_ptr<Label> mainWindow::bootVolume() const
{
    return ControlAccessor<Label>(this, "bootVolume");
}

std::shared_ptr<PushButton> mainWindow::infoBtn() const
{
    return ControlAccessor<PushButton>(this, "infoBtn");
}

void mainWindow::theParsedResult_DoubleClick(std::shared_ptr<Listbox> list)
{
    (void)list;
    showDiskInfo();
}

// The buttons follow the selection: a row that is not mounted offers Mount,
// any other state (an empty one too) offers Unmount.
void mainWindow::theParsedResult_Change(std::shared_ptr<Listbox> list)
{
    NotNil(list, "the device list");
    if (!IsRow(*list, list->ListIndex())) {
        mountBtn()->Enabled(false);
        unmountBtn()->Enabled(false);
        infoBtn()->Enabled(false);
        return;
    }
    infoBtn()->Enabled(true);
    if (TextEquals(list->Cell(list->ListIndex(), 2), "No")) {
        mountBtn()->Enabled(true);
        unmountBtn()->Enabled(false);
    } else {
        mountBtn()->Enabled(false);
        unmountBtn()->Enabled(true);
    }
}

void mainWindow::mountBtn_Action(std::shared_ptr<PushButton> button)
{
    (void)button;
    std::shared_ptr<Listbox> list = Main()->theParsedResult();
    const int64_t row = list->ListIndex();
    if (!IsRow(*list, row))
        return;
    Main()->mountDisk(list->Cell(row, 1));
}

// The boot volume is refused before any command runs.
void mainWindow::unmountBtn_Action(std::shared_ptr<PushButton> button)
{
    (void)button;
    std::shared_ptr<Listbox> list = Main()->theParsedResult();
    const int64_t row = list->ListIndex();
    if (!IsRow(*list, row))
        return;
    const std::string identifier = list->Cell(row, 1);
    const std::string name = list->Cell(row, 0);
    if (!TextEquals(identifier, bootVolume()->Text())) {
        Main()->unMountDisk(identifier);
        return;
    }
    Beep();
    MsgBox(EntryTitle(name, identifier) + EndOfLine() + EndOfLine() +
           "This disk is the 'boot volume' and cannot be unmounted.");
}

// Every scan starts from an empty list.
void mainWindow::scanBtn_Action(std::shared_ptr<PushButton> button)
{
    (void)button;
    Main()->theParsedResult()->DeleteAllRows();
    Main()->checkForDevices();
    Main()->cleanOutNotApplicable();
}

void mainWindow::infoBtn_Action(std::shared_ptr<PushButton> button)
{
    (void)button;
    showDiskInfo();
}

std::shared_ptr<MenuItem> mainWindow::MenuItemNamed(std::string_view name) const
{
    return NotNil(MenuBar(), "the main window's menu bar")->Lookup(name);
}

std::shared_ptr<MenuItem> mainWindow::EditMenu() const
{
    return MenuItemNamed("EditMenu");
}

std::shared_ptr<MenuItem> mainWindow::EditSelectAll() const
{
    return MenuItemNamed("EditSelectAll");
}

std::shared_ptr<MenuItem> mainWindow::EditSeparator2() const
{
    return MenuItemNamed("EditSeparator2");
}

std::shared_ptr<MenuItem> mainWindow::EditClear() const
{
    return MenuItemNamed("EditClear");
}

std::shared_ptr<MenuItem> mainWindow::EditPaste() const
{
    return MenuItemNamed("EditPaste");
}

std::shared_ptr<MenuItem> mainWindow::EditCopy() const
{
    return MenuItemNamed("EditCopy");
}

std::shared_ptr<MenuItem> mainWindow::EditCut() const
{
    return MenuItemNamed("EditCut");
}

std::shared_ptr<MenuItem> mainWindow::EditSeparator1() const
{
    return MenuItemNamed("EditSeparator1");
}

std::shared_ptr<MenuItem> mainWindow::EditUndo() const
{
    return MenuItemNamed("EditUndo");
}

std::shared_ptr<MenuItem> mainWindow::FileMenu() const
{
    return MenuItemNamed("FileMenu");
}

std::shared_ptr<MenuItem> mainWindow::FileQuit() const
{
    return MenuItemNamed("FileQuit");
}

std::shared_ptr<MenuItem> mainWindow::aboutMenu(int64_t index) const
{
    return FindArrayEntry(*NotNil(MenuBar(), "the main window's menu bar"), "aboutMenu", index);
}

// The splash is on screen during the first scan; the filter step ends by
// hiding and closing it.
void mainWindow::Event_Open()
{
    NotNil(splash::Instance(), "the splash window")->Show();
    std::shared_ptr<Listbox> list = Main()->theParsedResult();
    list->Heading(0, "Volume Name");
    list->Heading(1, "Identifier");
    list->Heading(2, "Mounted");
    Main()->checkForDevices();
    Main()->cleanOutNotApplicable();
}

// The parsers hand their text area's output to the scan core and write the
// column it gives into the list: the names make the rows, the other two
// outputs fill the rows that exist by position.
void mainWindow::parseTheResult2()
{
    std::shared_ptr<mainWindow> window = Main();
    WriteColumn(*window->theParsedResult(), 1, IdentifiersFrom(window->theResult2()->Text()));
}

void mainWindow::parseTheResult1()
{
    std::shared_ptr<mainWindow> window = Main();
    std::shared_ptr<Listbox> list = window->theParsedResult();
    for (std::string& name : NamesFrom(window->theResult1()->Text()))
        list->AddRow({std::move(name)});
}

// Reads the boot volume, then drops the rows without a name and those of the
// system's own support volumes, in the scan core's two passes, each one
// stable pass over the list.
void mainWindow::cleanOutNotApplicable()
{
    Shell shell;
    shell.Execute(ScanQuery::kBoot);
    bootVolume()->Text(BootVolumeFrom(shell.Result()));

    std::shared_ptr<Listbox> list = theParsedResult();
    for (FilterPass pass : {FilterPass::First, FilterPass::Second})
        list->RemoveRowsWhere(0, [pass](const std::string& name) { return RemovedBy(pass, name); });

    HideAndCloseSplash();
}

void mainWindow::parseTheResult3()
{
    std::shared_ptr<mainWindow> window = Main();
    WriteColumn(*window->theParsedResult(), 2, OutputLines(window->theResult3()->Text()));
}

// A query that fails ends the scan's queries; what it printed is neither kept
// nor parsed, and its text area keeps the previous scan's output.
//
// The rows are tied to their devices only by line position, so the outputs
// are parsed only when their line counts agree. When they do not (a name that
// holds another query's label, a line break inside a name, devices coming or
// going between the queries), the queries run once more; when they still do
// not, no row is made and the user is told why, so no action can reach a
// device other than the one whose name is shown.
void mainWindow::checkForDevices()
{
    struct Query {
        const char* commandLine;
        std::shared_ptr<TextArea> (mainWindow::*area)() const;
        void (mainWindow::*parser)();
    };
    static const Query kQueries[] = {
        {ScanQuery::kNames, &mainWindow::theResult1, &mainWindow::parseTheResult1},
        {ScanQuery::kNodes, &mainWindow::theResult2, &mainWindow::parseTheResult2},
        {ScanQuery::kMounted, &mainWindow::theResult3, &mainWindow::parseTheResult3},
    };
    // Each output goes to its text area; its parser runs when the outputs pair up.
    const auto keep = [](const std::vector<std::string>& outputs, bool parse) {
        for (size_t i = 0; i < outputs.size(); ++i) {
            std::shared_ptr<mainWindow> window = Main();
            ((*window).*kQueries[i].area)()->Text(outputs[i]);
            if (parse)
                ((*window).*kQueries[i].parser)();
        }
    };
    Shell shell;
    std::vector<std::string> outputs;
    std::vector<size_t> counts;
    for (int attempt = 0; attempt < 2; ++attempt) {
        outputs.clear();
        for (const Query& query : kQueries) {
            shell.Execute(query.commandLine);
            if (shell.ErrorCode() != 0) {
                keep(outputs, LinesPairUp(LineCounts(outputs)));
                MsgBox("Error code: " + Str(shell.ErrorCode()));
                return;
            }
            outputs.push_back(shell.Result());
        }
        counts = LineCounts(outputs);
        if (LinesPairUp(counts)) {
            keep(outputs, true);
            return;
        }
    }
    keep(outputs, false);
    MsgBox("The answers of diskutil could not be matched up, so no device is listed." + EndOfLine() + EndOfLine() +
           "It gave " + Str(static_cast<int64_t>(counts[0])) + " lines of volume names, " +
           Str(static_cast<int64_t>(counts[1])) + " lines of device nodes and " + Str(static_cast<int64_t>(counts[2])) +
           " lines of mounted states." + EndOfLine() + EndOfLine() + "Press Scan... to try again.");
}

void mainWindow::mountDisk(const std::string& identifier)
{
    ChangeMountedState("diskutil mount ", identifier, "Yes", "Mounting");
}

void mainWindow::unMountDisk(const std::string& identifier)
{
    ChangeMountedState("diskutil unmount ", identifier, "No", "Unmounting");
}

// With no row selected there is nothing to describe: no command runs. When
// the command fails, its reason follows its output, so the window never
// shows an empty description as if nothing had gone wrong.
void mainWindow::showDiskInfo()
{
    Shell shell;
    std::shared_ptr<Listbox> list = Main()->theParsedResult();
    const int64_t row = list->ListIndex();
    if (!IsRow(*list, row))
        return;
    const std::string identifier = list->Cell(row, 1);
    shell.Execute("diskutil info " + ShellWord(identifier));
    Info()->Show();
    Info()->Title("Tarnvik: diskutil info " + identifier);
    Info()->infoTitle()->Text(EntryTitle(list->Cell(row, 0), identifier));
    std::string text = shell.Result();
    if (shell.ErrorCode() != 0 && !shell.ErrorOutput().empty())
        text += (text.empty() ? "" : EndOfLine()) + shell.ErrorOutput();
    Info()->infoTextArea()->Text(text);
}
