#pragma once

// Puts the runtime back where a fresh process finds it after RuntimeInit: no
// window, no application object, no exit request, no late start-up callback,
// the runtime's own exception entry and nobody listening to its steps. The
// native sides of closed windows are gone when it returns.
void ResetRuntime();
