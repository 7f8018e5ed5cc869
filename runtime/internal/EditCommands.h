#pragma once

#include <string>

// The standard edit commands (EditUndo, EditCut, EditCopy, EditPaste,
// EditClear, EditSelectAll), by menu item name, on the focused text area:
// the one kind of control of the runtime's that the user edits.

bool IsEditCommand(const std::string& name);
// Whether the focused control can take the command now.
bool CanRunEditCommand(const std::string& name);
// Carries the command out when the focused control can take it; returns whether it did.
bool RunEditCommand(const std::string& name);
