#include "ui/settings_dialog_rules.h"

#include <limits>

#include "alarm/settings.h"
#include "base/profile.h"
#include "base/text.h"

namespace ui {
namespace {

std::uint32_t Flag(const std::atomic<std::uint32_t>& flag) {
    return flag.load(std::memory_order_relaxed);
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

}  // namespace

SettingDlgRules::SettingDlgRules(alarming::ProgramDirectory directory, IFloatingSwitch& floating)
    : directory_(std::move(directory)), floating_(floating) {}

SettingChecks SettingDlgRules::Open() {
    if (Flag(alarming::SettingsReloadPending) == 1) {
        alarming::ShowSuspension = alarming::ReadShowSetting(directory_) != 0 ? 1 : 0;
        alarming::RefreshAlarmEnabled(directory_);
        alarming::SettingsReloadPending = 0;
    }
    return {Flag(alarming::ShowSuspension) == 1, Flag(alarming::AlarmEnabled) == 1};
}

void SettingDlgRules::ClickShow(bool checked) {
    alarming::ShowSuspension = checked ? 1 : 0;
    alarming::WriteShowAndAlarm(directory_, Flag(alarming::ShowSuspension), Flag(alarming::AlarmEnabled));
    if (!floating_.HasWindow()) {
        floating_.CreateAndShow();
    } else if (checked && !floating_.IsVisible()) {
        floating_.Show();
    } else if (!checked && floating_.IsVisible()) {
        floating_.Hide();
    }
}

void SettingDlgRules::ClickAlarm(bool checked) {
    alarming::AlarmEnabled = checked ? 1 : 0;
}

bool SettingDlgRules::Ok() {
    return alarming::WriteShowAndAlarm(directory_, Flag(alarming::ShowSuspension),
                                       Flag(alarming::AlarmEnabled));
}

std::optional<std::int32_t> ParseSignedDecimal(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        value = value * 10 + (c - u'0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) {
            return std::nullopt;
        }
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::u16string ClampedPercentage(std::int32_t value) {
    const std::int32_t clamped = value < 30 ? 30 : (value > 100 ? 100 : value);
    return base::AsciiToUtf16(std::to_string(clamped));
}

YuZhiSetRules::YuZhiSetRules(alarming::ProgramDirectory directory, IFloatingSwitch& floating,
                             std::function<void()> signalReload)
    : directory_(std::move(directory)), floating_(floating), signalReload_(std::move(signalReload)) {}

bool YuZhiSetRules::Open() {
    const std::u16string config = directory_.Path(alarming::kAlarmConfigName);
    percentage_ = config.empty() ? std::u16string(u"50")
                                 : base::ReadIniString(alarming::kPercentageSection, alarming::kPercentageKey,
                                                       u"50", alarming::kSettingCapacity, config);
    if (Flag(alarming::SettingsReloadPending) == 0) {
        alarming::ShowSuspension = alarming::ReadShowSetting(directory_) == 0 ? 0 : 1;
        alarming::SettingsReloadPending = 1;
    }
    const std::int32_t value = alarming::DecimalValue(percentage_);
    if (value < 30 || value > 100) {
        percentage_ = ClampedPercentage(value);
        Save();
    }
    return Flag(alarming::ShowSuspension) == 1;
}

void YuZhiSetRules::ClickShow(bool checked) {
    if (!checked) {
        floating_.Hide();
    } else if (!floating_.HasWindow()) {
        floating_.CreateAndShow();
    } else {
        floating_.Show();
    }
}

ThresholdSave YuZhiSetRules::Ok(std::u16string_view input, bool showChecked) {
    const std::optional<std::int32_t> value = ParseSignedDecimal(input);
    if (!value) {
        return ThresholdSave::kNotANumber;
    }
    percentage_ = ClampedPercentage(*value);
    alarming::ShowSuspension = showChecked ? 1 : 0;
    if (!Save()) {
        return ThresholdSave::kWriteFailed;
    }
    if (signalReload_) {
        signalReload_();
    }
    return ThresholdSave::kSaved;
}

void YuZhiSetRules::Cancel(bool showChecked) {
    alarming::ShowSuspension = showChecked ? 1 : 0;
}

bool YuZhiSetRules::Save() {
    return alarming::SaveThresholdSettings(directory_, percentage_,
                                           static_cast<std::int32_t>(Flag(alarming::ShowSuspension)));
}

}  // namespace ui
