#pragma once

// The native side of menus. Only runtime/*.cpp and tests include this header.

#include "runtime/MenuItem.h"

#include <QAction>
#include <QKeySequence>
#include <QMenuBar>
#include <QPointer>

#include <memory>
#include <string>
#include <vector>

// Every native action that shows the item; its setters update them all.
struct MenuItem::Native {
    std::vector<QPointer<QAction>> actions;
};

// "Cmd+Q" style shortcuts name the platform's command key, which is Ctrl here.
QKeySequence ToKeySequence(const std::string& shortcut);
// Shows the item's text on a native action: a separator line for "-",
// which then carries no text (a style draws a separator's text beside its line).
void ShowText(QAction* action, const MenuItem& item);

// Builds the native menus of a menu bar into bar.
void BuildNativeMenus(QMenuBar* bar, const std::shared_ptr<MenuBar>& model);
// The program's commands of a menu bar (About, Quit: reachable wherever the
// user is) as native actions owned by parent, for a window without a menu bar.
std::vector<QAction*> ProgramCommandActions(const std::shared_ptr<MenuBar>& model, QObject* parent);
