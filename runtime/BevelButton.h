#pragma once

#include "runtime/Control.h"

class Picture;

// A button that shows a picture (and an optional caption).
class BevelButton : public RectControl {
public:
    BevelButton();
    ~BevelButton() override;
    const PropertyClass& PropertyList() const override;
    std::span<const std::string_view> EventNames() const override;

    std::string Caption() const { return StringProperty("Caption"); }
    void Caption(const std::string& caption) { SetProperty("Caption", caption); }
    std::shared_ptr<Picture> Icon() const { return icon_; }
    void Icon(const std::shared_ptr<Picture>& picture);

    // Presses the button as the user would: a disabled button raises no Action.
    void Push();

protected:
    void BuildNative() override;
    void SyncNative(std::string_view property) override;

private:
    std::shared_ptr<Picture> icon_;
};
