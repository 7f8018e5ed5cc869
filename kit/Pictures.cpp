#include "kit/Pictures.h"

namespace {

// An accessor's cache: nil until a load gives a picture, which it then keeps.
struct PictureCache {
    const char* resourceName;
    std::shared_ptr<Picture> pic;
};

PictureCache iconCache{"Tarnvikicon", nullptr};
PictureCache icon96Cache{"Tarnvikicon96", nullptr};
PictureCache paypalCache{"paypal", nullptr};

std::shared_ptr<Picture> Load(PictureCache& cache)
{
    if (!cache.pic)
        cache.pic = Picture::OpenFromApp(cache.resourceName);
    return cache.pic;
}

}  // namespace

std::shared_ptr<Picture> Tarnvikicon()
{
    return Load(iconCache);
}

std::shared_ptr<Picture> Tarnvikicon96()
{
    return Load(icon96Cache);
}

std::shared_ptr<Picture> paypal()
{
    return Load(paypalCache);
}

void PictureCachesInitializer()
{
    for (PictureCache* cache : {&iconCache, &icon96Cache, &paypalCache})
        cache->pic = nullptr;
}
