#pragma once

#include <string>

// What a window asks of the desktop, through the services in use
// (DesktopServices). Each belongs to the user-interface thread.

// Modal message with an OK button; returns when the user has dismissed it.
void MsgBox(const std::string& text);
// The system alert sound.
void Beep();
// Asks the desktop to open a web address; reports nothing.
void ShowURL(const std::string& url);
