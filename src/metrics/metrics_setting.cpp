#include "metrics/metrics_setting.h"

#include "alarm/settings.h"
#include "base/profile.h"
#include "base/traffic_log.h"

namespace metrics {

std::optional<ListenAddress> ReadListenSetting(const alarming::ProgramDirectory& directory) {
    const std::u16string path = directory.Path(alarming::kSettingsFileName);
    if (path.empty()) {
        return std::nullopt;
    }
    const std::u16string value = base::ReadIniString(kMetricsSection, kListenKey, u"", 64, path);
    if (value.empty()) {
        return std::nullopt;
    }
    std::optional<ListenAddress> address = ParseListenAddress(value);
    if (!address) {
        base::WriteTrafficLog(u"metrics endpoint off: LISTEN is not an IPv4 address and port: " + value + u"\n");
    }
    return address;
}

}  // namespace metrics
