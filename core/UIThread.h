#pragma once

// The user interface belongs to one thread: the one that started the runtime.

// Makes the calling thread the user-interface thread, unless one already is.
// RuntimeInit calls it.
void TakeUIThread();
// Raises ThreadAccessingUIException unless called on the user-interface
// thread (or before there is one).
void CheckUIThread();
