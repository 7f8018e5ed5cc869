#pragma once

#include "runtime/Window.h"

class mainWindow : public Window {
public:
    static constexpr std::string_view kRegistryName = "mainWindow.mainWindow";
    static std::shared_ptr<mainWindow> Instance();
    mainWindow() : Window(kRegistryName) {}

    void Layout();
    void CreateControls();
    void CreateControls0();

protected:
    const EventTableType& EventTable() const override;
};
