#include "devices/mainWindow.h"

#include "base/ShellWord.h"
#include "core/Text.h"
#include "devices/infoWindow.h"
#include "devices/splash.h"
#include "kit/MainMenuBar.h"
#include "kit/WindowBuilding.h"
#include "runtime/Dialogs.h"
#include "runtime/Pause.h"
#include "runtime/Shell.h"
#include "scan/DeviceScan.h"

#include <optional>
#include <utility>
#include <vector>

// How the device list comes about: a scan (Open, Scan...) runs three
// diskutil queries and keeps each raw output in a hidden text area; each
// parser hands its area's text to the scan core (scan/DeviceScan.h) and writes
// the column it gives into the list by row index (names make the rows, nodes
// and mounted states fill them). The filter step then reads the boot volume
// into the hidden label and drops the rows the core's two passes name. The
// selection decides which action buttons are enabled; mount, unmount and info
// act on the selected row once the disk tool confirms that its identifier
// still names the volume the row shows.

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

// The row an action works on: the main window's selected one, read once.
struct SelectedRow {
    int64_t index;
    std::string name;
    std::string identifier;
};

std::optional<SelectedRow> Selected()
{
    std::shared_ptr<Listbox> list = Main()->theParsedResult();
    const int64_t row = list->ListIndex();
    if (!IsRow(*list, row))
        return std::nullopt;
    return SelectedRow{row, list->Cell(row, 0), list->Cell(row, 1)};
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

std::string FailureText(const std::string& action, const Shell& shell)
{
    return action + " failed (exit status " + Str(shell.ErrorCode()) + "):" + EndOfLine() + FailureReason(shell);
}

// A message about a row: its "NAME (ID)" heading, then what happened.
void TellAbout(const SelectedRow& row, const std::string& what)
{
    MsgBox(EntryTitle(row.name, row.identifier) + EndOfLine() + EndOfLine() + what);
}

// A row names its device by an identifier the scan read, and identifiers
// are handed out again (a device detached, another attached). So before any
// command acts on a row, the identifier must be a device name and "diskutil
// info ID" must still describe the volume the row names. Gives that
// description, or nothing once the user has been told why not.
std::optional<std::string> ConfirmedInfo(const SelectedRow& row)
{
    if (!IsDeviceIdentifier(row.identifier)) {
        TellAbout(row, "\"" + row.identifier + "\" is not a device identifier, so no command was run.");
        return std::nullopt;
    }
    Shell shell;
    shell.Execute("diskutil info " + ShellWord(row.identifier));
    if (shell.ErrorCode() == 0 && StillNamed(shell.Result(), row.name))
        return shell.Result();
    std::string text = "The list is out of date: " + row.identifier + " no longer holds this volume." + EndOfLine() +
                       EndOfLine() + "Press Scan... to read the list again.";
    if (shell.ErrorCode() != 0)
        text += EndOfLine() + EndOfLine() + FailureText("diskutil info", shell);
    TellAbout(row, text);
    return std::nullopt;
}

// Mount and unmount, once the row is confirmed: only a command that succeeded
// changes the row's mounted state; a failure is explained instead. The
// selection is cleared either way; a row not confirmed keeps it.
void ChangeMountedState(const std::string& commandPrefix, const std::string& identifier, const std::string& newState,
                        const std::string& failedAction)
{
    std::optional<SelectedRow> selected = Selected();
    if (!selected)
        return;
    selected->identifier = identifier;
    if (!ConfirmedInfo(*selected))
        return;
    Shell shell;
    shell.Execute(commandPrefix + ShellWord(identifier));
    std::shared_ptr<Listbox> list = Main()->theParsedResult();
    if (shell.ErrorCode() == 0)
        list->Cell(selected->index, 2, newState);
    else
        TellAbout(*selected, FailureText(failedAction, shell));
    list->ListIndex(-1);
}

// The outputs of a scan's queries in order, up to the first that failed,
// and the status it failed with (0 when none did) with the runner's cause
// when the runner itself failed.
struct QueryOutputs {
    std::vector<std::string> texts;
    int failure = 0;
    std::string runnerFailure;
};

QueryOutputs RunQueries(Shell& shell)
{
    QueryOutputs outputs;
    for (const char* query : {ScanQuery::kNames, ScanQuery::kNodes, ScanQuery::kMounted}) {
        shell.Execute(query);
        if (shell.ErrorCode() != 0) {
            outputs.failure = shell.ErrorCode();
            if (shell.ErrorCode() == kRunFailed)
                outputs.runnerFailure = Trim(shell.ErrorOutput());
            break;
        }
        outputs.texts.push_back(shell.Result());
    }
    return outputs;
}

// How long to wait before each new try when the outputs do not pair up:
// devices coming and going settle, and the splash stays up meanwhile.
constexpr int64_t kRetryWaits[] = {100, 300, 900};

std::string MismatchMessage(const std::vector<std::string>& outputs)
{
    const auto entries = [&outputs](size_t query) { return Str(static_cast<int64_t>(EntryCount(outputs[query]))); };
    return "The answers of diskutil could not be matched up, so no device is listed." + EndOfLine() + EndOfLine() +
           "It gave " + entries(0) + " lines of volume names, " + entries(1) + " lines of device nodes and " +
           entries(2) + " lines of mounted states." + EndOfLine() + EndOfLine() + "Press Scan... to try again.";
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
    if (const std::optional<SelectedRow> row = Selected())
        Main()->mountDisk(row->identifier);
}

// The boot volume is refused before any command runs.
void mainWindow::unmountBtn_Action(std::shared_ptr<PushButton> button)
{
    (void)button;
    const std::optional<SelectedRow> row = Selected();
    if (!row)
        return;
    if (!TextEquals(row->identifier, bootVolume()->Text())) {
        Main()->unMountDisk(row->identifier);
        return;
    }
    Beep();
    TellAbout(*row, "This disk is the 'boot volume' and cannot be unmounted.");
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
// are parsed only when they hold as many entries each. When they do not (a
// name that holds another query's label, a line break inside a name, devices
// coming or going between the queries), the queries run again after a wait;
// when every try disagrees, no row is made and the user is told why.
void mainWindow::checkForDevices()
{
    Shell shell;
    QueryOutputs outputs = RunQueries(shell);
    bool pairUp = EntriesPairUp(outputs.texts);
    for (int64_t wait : kRetryWaits) {
        if (outputs.failure != 0 || pairUp)
            break;
        Pause(wait);
        outputs = RunQueries(shell);
        pairUp = EntriesPairUp(outputs.texts);
    }

    struct Column {
        std::shared_ptr<TextArea> (mainWindow::*area)() const;
        void (mainWindow::*parser)();
    };
    static const Column kColumns[] = {{&mainWindow::theResult1, &mainWindow::parseTheResult1},
                                      {&mainWindow::theResult2, &mainWindow::parseTheResult2},
                                      {&mainWindow::theResult3, &mainWindow::parseTheResult3}};
    for (size_t i = 0; i < outputs.texts.size(); ++i) {
        std::shared_ptr<mainWindow> window = Main();
        ((*window).*kColumns[i].area)()->Text(outputs.texts[i]);
        if (pairUp)
            ((*window).*kColumns[i].parser)();
    }

    if (outputs.failure != 0)
        MsgBox("Error code: " + Str(outputs.failure) +
               (outputs.runnerFailure.empty() ? "" : EndOfLine() + EndOfLine() + outputs.runnerFailure));
    else if (!pairUp)
        MsgBox(MismatchMessage(outputs.texts));
}

void mainWindow::mountDisk(const std::string& identifier)
{
    ChangeMountedState("diskutil mount ", identifier, "Yes", "Mounting");
}

void mainWindow::unMountDisk(const std::string& identifier)
{
    ChangeMountedState("diskutil unmount ", identifier, "No", "Unmounting");
}

// With no row selected there is nothing to describe: no command runs. The
// description shown is the one that confirmed the row.
void mainWindow::showDiskInfo()
{
    const std::optional<SelectedRow> row = Selected();
    if (!row)
        return;
    const std::optional<std::string> info = ConfirmedInfo(*row);
    if (!info)
        return;
    Info()->Show();
    Info()->Title("Tarnvik: diskutil info " + row->identifier);
    Info()->infoTitle()->Text(EntryTitle(row->name, row->identifier));
    Info()->infoTextArea()->Text(*info);
}
