#pragma once

#include <string>

// The standard edit commands (EditUndo, EditCut, EditCopy, EditPaste,
// EditClear, EditSelectAll), by menu item name, on the focused text control.

bool IsEditCommand(const std::string& name);
// Whether the focused control can take the command now; when run is true it
// also carries it out.
bool EditCommand(const std::string& name, bool run);
