#pragma once

#include <QString>

// The name the program's menu and its messages carry: the executable's name,
// capitalised.
QString ProgramName();
