#pragma once

#include "runtime/Picture.h"

#include <memory>

// The program's pictures, each loaded on first use and kept: a picture once
// loaded is handed out as the same object for the whole run, and a load that
// gave nothing is tried again at the next call. The three are independent.
std::shared_ptr<Picture> Tarnvikicon();    // the program icon, 191 by 181
std::shared_ptr<Picture> Tarnvikicon96();  // the small program icon, 96 by 96
std::shared_ptr<Picture> paypal();         // the donation button, 114 by 26

// The accessors' static initialiser: every cache starts empty, so the first
// call of each accessor loads its picture.
void PictureCachesInitializer();
