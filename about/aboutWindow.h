#pragma once

#include "runtime/BevelButton.h"
#include "runtime/Canvas.h"
#include "runtime/Label.h"
#include "runtime/Window.h"

#include <cstdint>
#include <memory>

// The about window: the small program icon, name, version, ownership line,
// the maker's web address as a link and a donation button. Each of its
// actions closes it; a closed about window is built anew by the next access.
class aboutWindow : public Window {
public:
    static constexpr std::string_view kRegistryName = "aboutWindow.aboutWindow";
    static std::shared_ptr<aboutWindow> Instance();
    aboutWindow() : Window(kRegistryName) {}

    void Layout();
    void CreateControls();
    void CreateControls0();
    std::shared_ptr<Canvas> Canvas1() const;
    std::shared_ptr<Label> Label1() const;
    std::shared_ptr<Label> Label3() const;
    std::shared_ptr<Label> StaticText5() const;
    std::shared_ptr<Label> StaticText7() const;
    std::shared_ptr<BevelButton> BevelButton1() const;
    std::shared_ptr<Label> Label4() const;
    void StaticText5_MouseEnter(std::shared_ptr<Label> label);
    void StaticText5_MouseExit(std::shared_ptr<Label> label);
    bool StaticText5_MouseDown(std::shared_ptr<Label> label, int64_t x, int64_t y);
    void BevelButton1_Action(std::shared_ptr<BevelButton> button);
    bool Event_MouseDown(int64_t x, int64_t y);

protected:
    const EventTableType& EventTable() const override;
};
