#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "support/temp_dir.h"

namespace testing_support {

// Points the traffic log at a fresh temporary file for the lifetime of the object and closes it after.
// Not copyable, as its directory is not.
class LogCapture {
  public:
    LogCapture();
    ~LogCapture();

    // The messages written so far, as UTF-8, without the time stamp and the line end.
    std::vector<std::string> Messages() const;
    // How many messages start with `prefix` (UTF-8).
    int CountStartingWith(std::string_view prefix) const;

  private:
    TempDir dir_;
};

}  // namespace testing_support
