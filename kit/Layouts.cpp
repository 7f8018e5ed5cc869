#include "kit/Layouts.h"

#include "core/RuntimeException.h"

#include <string>

const LayoutWindow& Layouts::Table(std::string_view windowClass)
{
    for (const LayoutWindow& table : LayoutTables())
        if (table.windowClass == windowClass)
            return table;
    throw RuntimeException("no layout table for window class " + std::string(windowClass));
}

std::string_view Layouts::WindowBlock(std::string_view windowClass)
{
    return Table(windowClass).block;
}

std::string_view Layouts::ControlBlock(std::string_view windowClass, std::string_view controlName)
{
    for (const LayoutControl& control : Table(windowClass).controls)
        if (control.name == controlName)
            return control.block;
    throw RuntimeException("no layout table for control " + std::string(controlName) + " of window class " +
                           std::string(windowClass));
}
