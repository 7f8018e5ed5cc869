#pragma once

#include "runtime/Canvas.h"
#include "runtime/Label.h"
#include "runtime/Window.h"

// The window shown while the devices are read at start-up: the program
// icon, its name, its version and a message to wait.
class splash : public Window {
public:
    static constexpr std::string_view kRegistryName = "splash.splash";
    static std::shared_ptr<splash> Instance();
    splash() : Window(kRegistryName) {}

    void Layout();
    void CreateControls();
    void CreateControls0();
    std::shared_ptr<Canvas> Canvas1() const;
    std::shared_ptr<Label> Label1() const;
    std::shared_ptr<Label> Label2() const;
    std::shared_ptr<Label> Label3() const;
    void Event_Open();

protected:
    const EventTableType& EventTable() const override;
};
