#pragma once

#include <functional>
#include <string>

// Modal message with an OK button; returns when the user has dismissed it.
void MsgBox(const std::string& text);
// The system alert sound.
void Beep();
// Asks the desktop to open a web address; reports nothing.
void ShowURL(const std::string& url);

// Tests answer the desktop's side of these: each set function replaces the
// real dialog, sound or browser; an empty one restores it.
struct DesktopHooks {
    std::function<void(const std::string& text)> msgBox;
    std::function<void()> beep;
    std::function<void(const std::string& url)> showURL;
};
void SetDesktopHooksForTesting(DesktopHooks hooks);
