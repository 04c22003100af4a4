#pragma once

#include <string>
#include <string_view>

namespace alarming {

// Where the configuration files are: the directory of the program's own executable, or, for tests and
// tools, a directory given to it. Paths are formed as base::ProgramPath forms them; nothing here
// creates a directory.
class ProgramDirectory {
  public:
    // The running program's directory.
    ProgramDirectory();
    // An explicit directory, without a trailing separator.
    explicit ProgramDirectory(std::u16string_view directory);

    // The directory, a separator and `relativeName` (written with backslashes, as "config\\Alarm.txt").
    // Empty when the directory is unknown, so that no read or write reaches a wrong place.
    std::u16string Path(std::u16string_view relativeName) const;

  private:
    // The directory with its trailing separator; empty when unknown.
    std::u16string prefix_;
};

}  // namespace alarming
