#pragma once

// What the system's code (its windows and its application object) uses of
// the runtime, in one include.

#include "core/Color.h"
#include "core/UIThread.h"
#include "runtime/Application.h"
#include "runtime/Control.h"
#include "runtime/Events.h"
#include "runtime/Handlers.h"
#include "runtime/Lifecycle.h"
#include "runtime/RuntimeObject.h"
#include "runtime/Trace.h"
#include "runtime/Window.h"
