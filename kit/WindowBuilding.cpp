#include "kit/WindowBuilding.h"

#include "core/Text.h"

std::string WindowClassOf(const Window& window)
{
    return NthField(window.RegistryName(), ".", 1);
}

void ApplyWindowBlock(Window& window)
{
    SetProperties(window, Layouts::WindowBlock(WindowClassOf(window)));
}
