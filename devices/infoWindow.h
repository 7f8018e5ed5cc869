#pragma once

#include "runtime/Label.h"
#include "runtime/PushButton.h"
#include "runtime/TextArea.h"
#include "runtime/Window.h"

#include <memory>

// The full description of one entry of the device list: a heading naming
// it, the whole text in a read-only area, and OK, which closes the window so
// that the next request builds a fresh one.
class infoWindow : public Window {
public:
    static constexpr std::string_view kRegistryName = "infoWindow.infoWindow";
    static std::shared_ptr<infoWindow> Instance();
    infoWindow() : Window(kRegistryName) {}

    void Layout();
    void CreateControls();
    void CreateControls0();
    std::shared_ptr<TextArea> infoTextArea() const;
    std::shared_ptr<PushButton> PushButton1() const;
    std::shared_ptr<Label> infoTitle() const;
    void PushButton1_Action(std::shared_ptr<PushButton> button);

protected:
    const EventTableType& EventTable() const override;
};
