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

// Where the program's files are: the directory of its own executable, or, for tests and tools, a
// directory given to it. Paths are formed as FormProgramPath forms them.
class ProgramDirectory {
  public:
    // The running program's directory.
    ProgramDirectory();
    // An explicit directory, without a trailing separator.
    explicit ProgramDirectory(std::u16string_view directory);

    // The directory, a separator and `relativeName` (written with backslashes, as "config\\Alarm.txt").
    // Empty when the directory is unknown, so that no read or write reaches a wrong place.
    std::u16string Path(std::u16string_view relativeName) const;
    // The directory itself, without a trailing separator; empty when unknown.
    std::u16string_view Directory() const;

  private:
    // The directory with its trailing separator; empty when unknown.
    std::u16string prefix_;
};

}  // namespace base
