#pragma once

#include <string_view>
#include <vector>

// The layout tables of the application's windows, compiled from
// resources/layout into property blocks.
struct LayoutControl {
    std::string_view name;
    std::string_view className;
    std::string_view block;
};

struct LayoutWindow {
    std::string_view windowClass;
    std::string_view block;
    std::vector<LayoutControl> controls;  // in creation order
};

const std::vector<LayoutWindow>& LayoutTables();

namespace Layouts {
// The table of a window class; RuntimeException when there is none.
const LayoutWindow& Table(std::string_view windowClass);
// The window block of a window class; RuntimeException when there is none.
std::string_view WindowBlock(std::string_view windowClass);
// The block of one control of a window class; RuntimeException when there is none.
std::string_view ControlBlock(std::string_view windowClass, std::string_view controlName);
}  // namespace Layouts
