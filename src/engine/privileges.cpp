#include "engine/privileges.h"

#include <string>

#include "base/module_path.h"
#include "base/os_error.h"
#include "base/text.h"
#include "base/traffic_log.h"

namespace engine {
namespace {

constexpr std::u16string_view kMonitorRule = u"Zelvan平台-kvt";
constexpr std::u16string_view kHostRule = u"Zelvan平台";
constexpr std::uint32_t kPathNotFound = 3;  // ERROR_PATH_NOT_FOUND, when the OS gives no code

void AddException(IPrivilegeOps& ops, std::u16string_view name, std::u16string_view path) {
    const std::int32_t result = ops.AddFirewallException(name, path);
    if (result < 0) {
        base::WriteTrafficLogError("添加防火墙例外失败，error no = %d \n", base::LastOsError());
    }
}

}  // namespace

std::uint32_t InitPrivileges(IPrivilegeOps& ops, std::u16string_view modulePath,
                             std::u16string_view hostProcessName) {
    if (modulePath.empty()) {
        const std::uint32_t error = base::LastOsError();
        return error != 0 ? error : kPathNotFound;
    }
    AddException(ops, kMonitorRule, modulePath);
    const std::size_t separator = modulePath.rfind(base::kPathSeparator);
    if (separator != std::u16string_view::npos && separator > 0) {
        AddException(ops, kHostRule,
                     std::u16string(modulePath.substr(0, separator + 1)) + std::u16string(hostProcessName));
    }
    return ops.EnableProcessPrivileges();
}

std::uint32_t InitPrivileges(std::u16string_view hostProcessName) {
    const auto ops = CreatePrivilegeOps();
    return InitPrivileges(*ops, base::ModuleFileName(), hostProcessName);
}

}  // namespace engine
