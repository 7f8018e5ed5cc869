#pragma once

#include "runtime/Window.h"

class prefWindow : public Window {
public:
    static constexpr std::string_view kRegistryName = "prefWindow.prefWindow";
    static std::shared_ptr<prefWindow> Instance();
    prefWindow() : Window(kRegistryName) {}

    void Layout();
    void CreateControls();
    void CreateControls0();

protected:
    const EventTableType& EventTable() const override;
};
