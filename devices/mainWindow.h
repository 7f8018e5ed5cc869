#pragma once

#include "runtime/Label.h"
#include "runtime/Listbox.h"
#include "runtime/MenuItem.h"
#include "runtime/PushButton.h"
#include "runtime/TextArea.h"
#include "runtime/Window.h"

#include <cstdint>
#include <memory>
#include <string>

// The application's default window: the device list with its Scan..., info,
// Unmount and Mount buttons. Its state lives in its controls: the list's
// rows, the raw output of the last scan in three hidden text areas and the
// boot-volume identifier in a hidden label.
class mainWindow : public Window {
public:
    static constexpr std::string_view kRegistryName = "mainWindow.mainWindow";
    static std::shared_ptr<mainWindow> Instance();
    mainWindow() : Window(kRegistryName) {}

    void Layout();
    void CreateControls();
    void CreateControls0();
    std::shared_ptr<TextArea> theResult3() const;
    std::shared_ptr<TextArea> theResult2() const;
    std::shared_ptr<TextArea> theResult1() const;
    std::shared_ptr<Listbox> theParsedResult() const;
    std::shared_ptr<PushButton> mountBtn() const;
    std::shared_ptr<PushButton> unmountBtn() const;
    std::shared_ptr<PushButton> scanBtn() const;
    std::shared_ptr<Label> bootVolume() const;
    std::shared_ptr<PushButton> infoBtn() const;
    void theParsedResult_DoubleClick(std::shared_ptr<Listbox> list);
    void theParsedResult_Change(std::shared_ptr<Listbox> list);
    void mountBtn_Action(std::shared_ptr<PushButton> button);
    void unmountBtn_Action(std::shared_ptr<PushButton> button);
    void scanBtn_Action(std::shared_ptr<PushButton> button);
    void infoBtn_Action(std::shared_ptr<PushButton> button);
    // The items of the window's menu bar, by name; nil for one it lacks.
    std::shared_ptr<MenuItem> EditMenu() const;
    std::shared_ptr<MenuItem> EditSelectAll() const;
    std::shared_ptr<MenuItem> EditSeparator2() const;
    std::shared_ptr<MenuItem> EditClear() const;
    std::shared_ptr<MenuItem> EditPaste() const;
    std::shared_ptr<MenuItem> EditCopy() const;
    std::shared_ptr<MenuItem> EditCut() const;
    std::shared_ptr<MenuItem> EditSeparator1() const;
    std::shared_ptr<MenuItem> EditUndo() const;
    std::shared_ptr<MenuItem> FileMenu() const;
    std::shared_ptr<MenuItem> FileQuit() const;
    // Entry `index` of the menu item array "aboutMenu".
    std::shared_ptr<MenuItem> aboutMenu(int64_t index) const;
    void Event_Open();
    void parseTheResult2();
    void parseTheResult1();
    void cleanOutNotApplicable();
    void parseTheResult3();
    void checkForDevices();
    void mountDisk(const std::string& identifier);
    void unMountDisk(const std::string& identifier);
    void showDiskInfo();

protected:
    const EventTableType& EventTable() const override;

private:
    std::shared_ptr<MenuItem> MenuItemNamed(std::string_view name) const;
};
