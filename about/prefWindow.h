#pragma once

#include "runtime/PushButton.h"
#include "runtime/Window.h"

#include <memory>

// The preferences window: there are no preferences, only an OK button. OK
// hides the window, so the next showing finds the same one.
class prefWindow : public Window {
public:
    static constexpr std::string_view kRegistryName = "prefWindow.prefWindow";
    static std::shared_ptr<prefWindow> Instance();
    prefWindow() : Window(kRegistryName) {}

    void Layout();
    void CreateControls();
    void CreateControls0();
    std::shared_ptr<PushButton> PushButton1() const;
    void PushButton1_Action(std::shared_ptr<PushButton> button);

protected:
    const EventTableType& EventTable() const override;
};
