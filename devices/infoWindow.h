#pragma once

#include "runtime/Window.h"

class infoWindow : public Window {
public:
    static constexpr std::string_view kRegistryName = "infoWindow.infoWindow";
    static std::shared_ptr<infoWindow> Instance();
    infoWindow() : Window(kRegistryName) {}

    void Layout();
    void CreateControls();
    void CreateControls0();

protected:
    const EventTableType& EventTable() const override;
};
