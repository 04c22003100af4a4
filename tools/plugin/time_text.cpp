#include "plugin/time_text.h"

#include <cstdio>
#include <optional>

namespace console {
namespace {

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned DaysInMonth(int year, unsigned month) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Reads exactly `digits` decimal digits.
std::optional<unsigned> TakeDigits(std::string_view& text, std::size_t digits) {
    if (text.size() < digits) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    text.remove_prefix(digits);
    return value;
}

bool TakeChar(std::string_view& text, char c) {
    if (text.empty() || text.front() != c) {
        return false;
    }
    text.remove_prefix(1);
    return true;
}

std::int64_t SecondsOfDay(const base::SystemTime& t) {
    return t.hour * 3600 + t.minute * 60 + t.second;
}

// "now", "now-90", "now+2h".
bool ParseRelative(std::string_view text, const base::SystemTime& now, base::SystemTime& time) {
    if (text.substr(0, 3) != "now") {
        return false;
    }
    text.remove_prefix(3);
    std::int64_t offset = 0;
    if (!text.empty()) {
        const bool back = text.front() == '-';
        if (!back && text.front() != '+') {
            return false;
        }
        text.remove_prefix(1);
        std::int64_t unit = 1;
        if (!text.empty()) {
            switch (text.back()) {
                case 's':
                    unit = 1;
                    break;
                case 'm':
                    unit = 60;
                    break;
                case 'h':
                    unit = 3600;
                    break;
                case 'd':
                    unit = 86400;
                    break;
                default:
                    unit = 0;
            }
            if (unit != 0) {
                text.remove_suffix(1);
            } else {
                unit = 1;
            }
        }
        if (text.empty() || text.size() > 9) {
            return false;
        }
        std::int64_t count = 0;
        for (char c : text) {
            if (c < '0' || c > '9') {
                return false;
            }
            count = count * 10 + (c - '0');
        }
        offset = (back ? -count : count) * unit;
    }
    const std::int64_t total =
        DaysFromCivil(now.year, now.month, now.day) * 86400 + SecondsOfDay(now) + offset;
    std::int64_t days = total / 86400;
    std::int64_t seconds = total % 86400;
    if (seconds < 0) {
        seconds += 86400;
        --days;
    }
    time = CivilFromDays(days);
    if (time.year < 1601 || time.year > 30827) {
        return false;
    }
    time.hour = static_cast<std::uint16_t>(seconds / 3600);
    time.minute = static_cast<std::uint16_t>(seconds / 60 % 60);
    time.second = static_cast<std::uint16_t>(seconds % 60);
    time.milliseconds = now.milliseconds;
    return true;
}

}  // namespace

std::int64_t DaysFromCivil(int year, unsigned month, unsigned day) {
    // Counts in 400-year eras that start on 1 March, so that the leap day ends its year.
    const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

base::SystemTime CivilFromDays(std::int64_t days) {
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    const std::int64_t day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    base::SystemTime t;
    t.year = static_cast<std::uint16_t>(year);
    t.month = static_cast<std::uint16_t>(month);
    t.day = static_cast<std::uint16_t>(day);
    // 1970-01-01 was a Thursday (4); Sunday is 0 as in a SYSTEMTIME.
    std::int64_t weekday = (days + 4) % 7;
    t.dayOfWeek = static_cast<std::uint16_t>(weekday < 0 ? weekday + 7 : weekday);
    return t;
}

bool ParseTimeText(std::string_view text, const base::SystemTime& now, base::SystemTime& time) {
    if (ParseRelative(text, now, time)) {
        return true;
    }
    const auto year = TakeDigits(text, 4);
    std::optional<unsigned> month;
    std::optional<unsigned> day;
    if (!year || !TakeChar(text, '-') || !(month = TakeDigits(text, 2)) || !TakeChar(text, '-') ||
        !(day = TakeDigits(text, 2))) {
        return false;
    }
    if (*year < 1601 || *month < 1 || *month > 12 || *day < 1 || *day > DaysInMonth(*year, *month)) {
        return false;
    }
    unsigned hour = 0;
    unsigned minute = 0;
    unsigned second = 0;
    unsigned milliseconds = 0;
    if (!text.empty()) {
        if (!TakeChar(text, 'T') && !TakeChar(text, ' ')) {
            return false;
        }
        const auto h = TakeDigits(text, 2);
        std::optional<unsigned> m;
        if (!h || !TakeChar(text, ':') || !(m = TakeDigits(text, 2))) {
            return false;
        }
        hour = *h;
        minute = *m;
        if (TakeChar(text, ':')) {
            const auto s = TakeDigits(text, 2);
            if (!s) {
                return false;
            }
            second = *s;
            if (TakeChar(text, '.')) {
                const auto ms = TakeDigits(text, 3);
                if (!ms) {
                    return false;
                }
                milliseconds = *ms;
            }
        }
        if (!text.empty() || hour > 23 || minute > 59 || second > 59) {
            return false;
        }
    }
    time = CivilFromDays(DaysFromCivil(static_cast<int>(*year), *month, *day));
    time.hour = static_cast<std::uint16_t>(hour);
    time.minute = static_cast<std::uint16_t>(minute);
    time.second = static_cast<std::uint16_t>(second);
    time.milliseconds = static_cast<std::uint16_t>(milliseconds);
    return true;
}

bool ParseSecondsText(std::string_view text, std::chrono::milliseconds& duration) {
    const std::size_t point = text.find('.');
    std::string_view whole = text.substr(0, point);
    std::string_view fraction = point == text.npos ? std::string_view() : text.substr(point + 1);
    if (whole.empty() || whole.size() > 5 || fraction.size() > 3 ||
        (point != text.npos && fraction.empty())) {
        return false;
    }
    std::int64_t ms = 0;
    for (char c : whole) {
        if (c < '0' || c > '9') {
            return false;
        }
        ms = ms * 10 + (c - '0');
    }
    ms *= 1000;
    std::int64_t scale = 100;
    for (char c : fraction) {
        if (c < '0' || c > '9') {
            return false;
        }
        ms += (c - '0') * scale;
        scale /= 10;
    }
    if (ms > 86400 * 1000) {
        return false;
    }
    duration = std::chrono::milliseconds(ms);
    return true;
}

}  // namespace console
