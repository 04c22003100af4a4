#pragma once

#include <string>
#include <string_view>

namespace base {

// The directory separator of this OS: '\\' on Windows, '/' on Linux.
extern const char16_t kPathSeparator;

// The full file name of the program's own executable; empty when the OS cannot tell.
std::u16string ModuleFileName();

// Every configuration and log path is the program's directory, a separator and a relative name written
// with backslashes ("config\\Alarm.txt"). The module file name is cut at its last separator; with
// separator '/', the backslashes of the relative name become slashes. Empty when the module file name
// has no separator. Nothing here creates a directory.
std::u16string FormProgramPath(std::u16string_view moduleFileName, std::u16string_view relativeName,
                               char16_t separator);

// FormProgramPath for this program's own executable.
std::u16string ProgramPath(std::u16string_view relativeName);

}  // namespace base
