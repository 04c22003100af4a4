#include "plugin/console_host.h"

namespace console {

std::u16string MonitorCommandLine(std::u16string_view path, std::u16string_view hostName,
                                  std::u16string_view pipeName) {
    std::u16string line = u"\"";
    line.append(path).append(u"\" ").append(hostName).append(u" ").append(pipeName);
    return line;
}

}  // namespace console
