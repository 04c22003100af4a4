#pragma once

// Whether a process's image lies in the program's own directory: the monitor and the accelerator live
// there, and the alarm never reports them.

#include <string>
#include <string_view>

namespace alarming {

// What marks a path as naming an executable file rather than a directory: ".exe" on Windows; every
// image path on Linux names its file.
extern const std::u16string_view kExecutableMarker;

// The directory an image path stands for: the part before the last separator when the path contains
// `marker`, else the whole path; either way without one trailing separator.
std::u16string_view ImageDirectory(std::u16string_view path, char16_t separator, std::u16string_view marker);

// ImageDirectory of `path` equals `directory`, letters A to Z compared without case.
bool IsInDirectory(std::u16string_view path, std::u16string_view directory, char16_t separator,
                   std::u16string_view marker);

// The directory of the program's own executable, computed on the first call.
const std::u16string& OwnDirectory();

// 1 when `path` lies in OwnDirectory(), else 0.
int IsInOwnDirectory(std::u16string_view path);

}  // namespace alarming
