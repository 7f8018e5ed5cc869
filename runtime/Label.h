#pragma once

#include "runtime/Control.h"

class Label : public RectControl {
public:
    Label();
    ~Label() override;
    const PropertyClass& PropertyList() const override;
    std::span<const std::string_view> EventNames() const override;

    std::string Text() const { return StringProperty("Text"); }
    void Text(const std::string& text) { SetProperty("Text", text); }
    Color TextColor() const { return ColorProperty("TextColor"); }
    void TextColor(Color color) { SetProperty("TextColor", color); }
    bool Underline() const { return BooleanProperty("Underline"); }
    void Underline(bool underline) { SetProperty("Underline", underline); }

protected:
    void BuildNative() override;
    void SyncNative(std::string_view property) override;
};
