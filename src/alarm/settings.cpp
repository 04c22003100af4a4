#include "alarm/settings.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "base/profile.h"
#include "base/text.h"

namespace alarming {

std::atomic<std::uint32_t> ShowSuspension{1};
std::atomic<std::uint32_t> AlarmEnabled{1};
std::atomic<std::int32_t> SuspensionX{0};
std::atomic<std::int32_t> SuspensionY{0};
std::atomic<std::uint32_t> SettingsReloadPending{1};

namespace {

// The white space the run-time's iswspace knows (as found under Wine's msvcrt).
bool IsBlank(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r') || c == u'\u00a0' || c == u'\u1680' ||
           (c >= u'\u2000' && c <= u'\u200a') || c == u'\u2028' || c == u'\u2029' || c == u'\u202f' ||
           c == u'\u205f' || c == u'\u3000';
}

// The digit's value, or -1: _wtoi reads every decimal digit block of its run-time's table, the
// full-width digits included, not only ASCII (the zero of each block, as found under Wine's msvcrt).
int DigitValue(char16_t c) {
    static constexpr char16_t kZeros[] = {u'0',      u'\u0660', u'\u06f0', u'\u0966', u'\u09e6', u'\u0a66',
                                          u'\u0ae6', u'\u0b66', u'\u0c66', u'\u0ce6', u'\u0d66', u'\u0e50',
                                          u'\u0ed0', u'\u0f20', u'\u1040', u'\u17e0', u'\u1810', u'\uff10'};
    for (const char16_t zero : kZeros) {
        if (c >= zero && c <= zero + 9) {
            return c - zero;
        }
    }
    return -1;
}

std::u16string Decimal(std::int64_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    return base::AsciiToUtf16(text);
}

std::u16string OneOrZero(bool one) {
    return one ? u"1" : u"0";
}

bool WriteSetting(const ProgramDirectory& directory, std::u16string_view section, std::u16string_view key,
                  std::u16string_view value) {
    const std::u16string path = directory.Path(kSettingsFileName);
    return !path.empty() && base::WriteIniString(section, key, value, path);
}

}  // namespace

std::int32_t DecimalValue(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // Held just past the 32-bit range, so that the clamp below sees an overflow without one happening.
    constexpr std::int64_t kCap = std::int64_t{1} << 32;
    std::int64_t value = 0;
    for (; i < text.size() && DigitValue(text[i]) >= 0; ++i) {
        value = std::min(value * 10 + DigitValue(text[i]), kCap);
    }
    value = std::clamp<std::int64_t>(negative ? -value : value, std::numeric_limits<std::int32_t>::min(),
                                     std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(value);
}

bool WriteShowAndAlarm(const ProgramDirectory& directory, std::uint32_t show, std::uint32_t alarm) {
    const bool shown = WriteSetting(directory, kSuspensionSection, kShowKey, OneOrZero(show != 0));
    const bool alarmed = WriteSetting(directory, kAlarmSection, kAlarmKey, OneOrZero(alarm == 1));
    return shown && alarmed;
}

bool SaveThresholdSettings(const ProgramDirectory& directory, std::u16string_view percentage,
                           std::int32_t show) {
    const std::u16string config = directory.Path(kAlarmConfigName);
    if (config.empty() || !base::WriteIniString(kPercentageSection, kPercentageKey, percentage, config)) {
        return false;
    }
    return WriteSetting(directory, kSuspensionSection, kShowKey, Decimal(show));
}

bool WriteAlarmSetting(const ProgramDirectory& directory, std::uint32_t alarmEnabled) {
    return WriteSetting(directory, kAlarmSection, kAlarmKey, OneOrZero(alarmEnabled == 1));
}

bool WriteSuspensionSettings(const ProgramDirectory& directory, std::uint32_t show,
                             const std::optional<WindowOrigin>& window) {
    ShowSuspension.store(show, std::memory_order_relaxed);
    bool written =
        WriteSetting(directory, kSuspensionSection, kShowKey, Decimal(static_cast<std::int32_t>(show)));
    if (window) {
        const std::u16string location = Decimal(window->left) + u"," + Decimal(window->top);
        written = WriteSetting(directory, kSuspensionSection, kLocationKey, location) && written;
    }
    return written;
}

bool ReadKeepMissedBytes(const ProgramDirectory& directory) {
    const std::u16string path = directory.Path(kSettingsFileName);
    return path.empty() || base::ReadIniInt(kMonitorSection, kKeepMissedKey, 1, path) != 0;
}

std::uint32_t RefreshAlarmEnabled(const ProgramDirectory& directory) {
    const std::u16string path = directory.Path(kSettingsFileName);
    std::u16string value = path.empty()
                               ? std::u16string()
                               : base::ReadIniString(kAlarmSection, kAlarmKey, u"1", kSettingCapacity, path);
    if (value.empty()) {
        value = u"1";
    }
    const std::uint32_t enabled = DecimalValue(value) == 1 ? 1 : 0;
    AlarmEnabled.store(enabled, std::memory_order_relaxed);
    return enabled;
}

bool SetAlarmEnabled(const ProgramDirectory& directory, std::uint32_t value) {
    const bool written = WriteAlarmSetting(directory, value);
    AlarmEnabled.store(value, std::memory_order_relaxed);
    return written;
}

std::int32_t ReadShowSetting(const ProgramDirectory& directory) {
    const std::u16string path = directory.Path(kSettingsFileName);
    if (path.empty()) {
        return 1;
    }
    std::u16string value = base::ReadIniString(kSuspensionSection, kShowKey, u"1", kSettingCapacity, path);
    // An empty value counts as the default, as a missing one does.
    if (value.empty()) {
        value = u"1";
    }
    return DecimalValue(value);
}

}  // namespace alarming
