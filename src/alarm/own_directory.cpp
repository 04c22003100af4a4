#include "alarm/own_directory.h"

#include "base/module_path.h"
#include "engine/name_lists.h"

namespace alarming {

std::u16string_view ImageDirectory(std::u16string_view path, char16_t separator, std::u16string_view marker) {
    std::u16string_view directory = path;
    if (path.find(marker) != std::u16string_view::npos) {
        const auto cut = path.rfind(separator);
        if (cut != std::u16string_view::npos) {
            directory = path.substr(0, cut);
        }
    }
    if (!directory.empty() && directory.back() == separator) {
        directory.remove_suffix(1);
    }
    return directory;
}

bool IsInDirectory(std::u16string_view path, std::u16string_view directory, char16_t separator,
                   std::u16string_view marker) {
    return engine::EqualsIgnoringCase(ImageDirectory(path, separator, marker), directory);
}

const std::u16string& OwnDirectory() {
    static const std::u16string directory(base::ProgramDirectory().Directory());
    return directory;
}

int IsInOwnDirectory(std::u16string_view path) {
    // A program whose own directory is unknown has nothing to exempt.
    if (OwnDirectory().empty()) {
        return 0;
    }
    return IsInDirectory(path, OwnDirectory(), base::kPathSeparator, kExecutableMarker) ? 1 : 0;
}

}  // namespace alarming
