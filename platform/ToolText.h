#pragma once

#include <string>
#include <string_view>

// Text the stand-ins print: every value and message goes out through here.
// (Splitting lines and trimming are base/TextLines.h.)

// value as one line of printable text: control characters become spaces and
// bytes that are not well-formed UTF-8 "?". "Volume Name:", "Device Node:"
// and "Mounted:" lose their colon, so no value can pass for one of the labels
// the application pairs the entries of `diskutil info -all` up by.
std::string PrintableLine(std::string_view value);
