#pragma once

#include <string>

// Where the application's resources and disk-tool stand-ins live. The build
// tree mirrors the installed layout: <prefix>/bin/<exe>,
// <prefix>/share/<app>/resources and <prefix>/libexec/<app>, so both are found
// relative to the running executable.
//
// Folders come without "." or ".." parts and without a trailing slash. When
// the executable cannot be located, all three are "".
namespace AppFolders {
std::string ExecutableFolder();
std::string Resources();
std::string Tools();

// Points Resources or Tools at another folder, until the next override; an
// empty text points it back beside the executable.
void OverrideResources(const std::string& folder);
void OverrideTools(const std::string& folder);
}  // namespace AppFolders
