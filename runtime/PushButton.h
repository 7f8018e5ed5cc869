#pragma once

#include "runtime/Control.h"

class PushButton : public RectControl {
public:
    PushButton();
    ~PushButton() override;
    const PropertyClass& PropertyList() const override;
    std::span<const std::string_view> EventNames() const override;

    std::string Caption() const { return StringProperty("Caption"); }
    void Caption(const std::string& caption) { SetProperty("Caption", caption); }
    bool Default() const { return BooleanProperty("Default"); }
    bool Cancel() const { return BooleanProperty("Cancel"); }

    // Presses the button as the user would: a disabled button raises no Action.
    void Push();

protected:
    void BuildNative() override;
    void SyncNative(std::string_view property) override;
};
