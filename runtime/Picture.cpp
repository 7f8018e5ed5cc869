#include "runtime/Picture.h"

#include "core/AppFolders.h"
#include "core/UIThread.h"
#include "runtime/Trace.h"
#include "runtime/internal/NativePicture.h"
#include "runtime/internal/QtValues.h"

Picture::Picture(std::unique_ptr<Image> image) : image_(std::move(image)) {}
Picture::~Picture() = default;

std::shared_ptr<Picture> Picture::OpenFromApp(const std::string& name)
{
    CheckUIThread();
    // A resource name is a plain file name, never a path.
    if (name.empty() || name.find('/') != std::string::npos || name.front() == '.')
        return nullptr;
    auto image = std::make_unique<Image>();
    const QString path = ToQt(AppFolders::Resources() + "/" + name + ".png");
    if (!image->image.load(path) || image->image.isNull())
        return nullptr;
    RuntimeTrace("Picture.OpenFromApp " + name);
    return std::shared_ptr<Picture>(new Picture(std::move(image)));
}

int Picture::Width() const
{
    return image_->image.width();
}

int Picture::Height() const
{
    return image_->image.height();
}
