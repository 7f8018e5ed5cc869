#pragma once

// The native side of a control. Only runtime/*.cpp and tests include this header.

#include "runtime/Control.h"

#include <QPointer>
#include <QWidget>

struct RectControl::Native {
    QPointer<QWidget> widget;
};

// The content area of the control's window, where its widget is placed.
QWidget* ContentOf(const RectControl& control);
