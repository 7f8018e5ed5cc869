#pragma once

// The native side of a picture. Only runtime/*.cpp and tests include this header.

#include "runtime/Picture.h"

#include <QImage>

struct Picture::Image {
    QImage image;
};
