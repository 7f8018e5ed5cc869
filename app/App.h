#pragma once

#include "runtime/Application.h"

#include <cstdint>
#include <memory>

// The application object: it shows the splash when the application opens,
// and carries the handlers of the About, Preferences and Quit commands.
class App : public Application {
public:
    // The global accessor: the registered application object.
    static std::shared_ptr<App> Instance();

    void Event_Open();
    bool _aboutMenu_Action(int64_t index);
    bool _prefMenu_Action();
    bool _fileQuit_Action();
    void Constructor() {}

protected:
    const EventTableType& EventTable() const override;
};
