#pragma once

#include "runtime/Window.h"

class aboutWindow : public Window {
public:
    static constexpr std::string_view kRegistryName = "aboutWindow.aboutWindow";
    static std::shared_ptr<aboutWindow> Instance();
    aboutWindow() : Window(kRegistryName) {}

    void Layout();
    void CreateControls();
    void CreateControls0();

protected:
    const EventTableType& EventTable() const override;
};
