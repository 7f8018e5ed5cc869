#pragma once

#include "runtime/Control.h"

class Picture;

class Canvas : public RectControl {
public:
    Canvas();
    ~Canvas() override;
    const PropertyClass& PropertyList() const override;

    // The picture drawn behind the canvas's content; nil draws nothing.
    std::shared_ptr<Picture> Backdrop() const { return backdrop_; }
    void Backdrop(const std::shared_ptr<Picture>& picture);

protected:
    void BuildNative() override;

private:
    std::shared_ptr<Picture> backdrop_;
};
