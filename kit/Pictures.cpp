#include "kit/Pictures.h"

namespace {

struct PictureCache {
    const char* resourceName;
    bool initialised = false;
    std::shared_ptr<Picture> pic;
};

PictureCache iconCache{"Tarnvikicon", false, nullptr};
PictureCache icon96Cache{"Tarnvikicon96", false, nullptr};
PictureCache paypalCache{"paypal", false, nullptr};

std::shared_ptr<Picture> Load(PictureCache& cache)
{
    if (cache.initialised) {
        if (cache.pic)
            return cache.pic;
    } else {
        cache.initialised = true;
        cache.pic = nullptr;
    }
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
    for (PictureCache* cache : {&iconCache, &icon96Cache, &paypalCache}) {
        cache->initialised = false;
        cache->pic = nullptr;
    }
}
