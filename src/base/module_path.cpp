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
    return FormProgramPath(ModuleFileName(), relativeName, kPathSeparator);
}

}  // namespace base
