#pragma once

#include <memory>
#include <string>

// An image from the application's resources folder.
class Picture {
public:
    ~Picture();
    // The image resource `name` (name.png in the resources folder), or nil
    // when it is missing or unreadable.
    static std::shared_ptr<Picture> OpenFromApp(const std::string& name);

    int Width() const;
    int Height() const;

    struct Image;
    const Image& Data() const { return *image_; }

private:
    explicit Picture(std::unique_ptr<Image> image);
    std::unique_ptr<Image> image_;
};
