#include "alarm/program_directory.h"

#include "base/module_path.h"

namespace alarming {

ProgramDirectory::ProgramDirectory()
    : prefix_(base::FormProgramPath(base::ModuleFileName(), u"", base::kPathSeparator)) {}

ProgramDirectory::ProgramDirectory(std::u16string_view directory) {
    if (!directory.empty()) {
        prefix_ = std::u16string(directory) + base::kPathSeparator;
    }
}

std::u16string ProgramDirectory::Path(std::u16string_view relativeName) const {
    // The prefix ends in the separator, so the cut leaves the directory itself.
    return base::FormProgramPath(prefix_, relativeName, base::kPathSeparator);
}

}  // namespace alarming
