#include "base/module_path.h"

namespace base {

std::u16string FormProgramPath(std::u16string_view moduleFileName, std::u16string_view relativeName,
                               char16_t separator) {
    const auto cut = moduleFileName.rfind(separator);
    if (cut == std::u16string_view::npos) {
        return {};
    }
    std::u16string path(moduleFileName.substr(0, cut));
    path.push_back(separator);
    for (char16_t c : relativeName) {
        path.push_back(c == u'\\' ? separator : c);
    }
    return path;
}

std::u16string ProgramPath(std::u16string_view relativeName) {
    return ProgramDirectory().Path(relativeName);
}

ProgramDirectory::ProgramDirectory() : prefix_(FormProgramPath(ModuleFileName(), u"", kPathSeparator)) {}

ProgramDirectory::ProgramDirectory(std::u16string_view directory) {
    if (!directory.empty()) {
        prefix_ = std::u16string(directory) + kPathSeparator;
    }
}

std::u16string ProgramDirectory::Path(std::u16string_view relativeName) const {
    // The prefix ends in the separator, so the cut leaves the directory itself.
    return FormProgramPath(prefix_, relativeName, kPathSeparator);
}

std::u16string_view ProgramDirectory::Directory() const {
    return std::u16string_view(prefix_).substr(0, prefix_.empty() ? 0 : prefix_.size() - 1);
}

}  // namespace base
