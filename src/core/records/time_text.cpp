#include "core/records/time_text.h"

#include <cstdlib>
#include <string>

#include "core/util/decimal.h"
#include "core/util/text.h"

namespace korvan {

namespace {

constexpr std::uint64_t U32_LIMIT = UINT32_MAX;

// A decimal float text (no hex, no words such as "inf") naming a whole number that
// fits in 32 unsigned bits.
std::optional<std::uint32_t> parse_whole_float(std::string_view text) {
    if (text.empty() || text.size() > 64) return std::nullopt;
    bool digit = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') digit = true;
        else if (c != '.' && c != 'e' && c != 'E' && c != '+' && c != '-') return std::nullopt;
    }
    if (!digit) return std::nullopt;
    const std::string owned(text);
    char* end = nullptr;
    const double v = std::strtod(owned.c_str(), &end);
    if (end != owned.c_str() + owned.size()) return std::nullopt;
    if (!(v >= 0.0 && v <= 4294967295.0) || v != static_cast<double>(static_cast<std::uint64_t>(v)))
        return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

std::optional<std::uint64_t> checked_u32(std::uint64_t v) {
    if (v > U32_LIMIT) return std::nullopt;
    return v;
}

// A run of ASCII digits read as one number; nothing when empty, an overflow flag
// when the number passes 32 bits.
struct Figure {
    bool present = false;
    bool overflow = false;
    std::uint64_t value = 0;
};

void figure_push(Figure& f, char c) {
    f.present = true;
    f.value = f.value * 10 + static_cast<unsigned>(c - '0');
    if (f.value > U32_LIMIT) {
        f.overflow = true;
        f.value = U32_LIMIT + 1;
    }
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The digits standing directly before position end.
Figure digits_before(std::string_view text, std::size_t end) {
    std::size_t start = end;
    while (start > 0 && is_digit(text[start - 1])) --start;
    Figure f;
    for (std::size_t i = start; i < end; ++i) figure_push(f, text[i]);
    return f;
}

Figure unit_figure(std::string_view text, std::string_view unit) {
    const std::size_t at = text.find(unit);
    if (at == std::string_view::npos) return {};
    return digits_before(text, at);
}

// Every ASCII digit between the marker and the first "秒" after it, read together.
Figure digits_between(std::string_view text, std::string_view marker) {
    constexpr std::string_view SECOND = "秒";
    const std::size_t at = text.find(marker);
    if (at == std::string_view::npos) return {};
    const std::size_t from = at + marker.size();
    const std::size_t to = text.find(SECOND, from);
    if (to == std::string_view::npos) return {};
    Figure f;
    for (std::size_t i = from; i < to; ++i)
        if (is_digit(text[i])) figure_push(f, text[i]);
    return f;
}

}  // namespace

std::optional<std::uint32_t> parse_time_control_number(std::string_view text) {
    text = trim_whitespace(text);
    if (auto v = parse_decimal<std::uint32_t>(text)) return *v;
    return parse_whole_float(text);
}

std::optional<TimeControl> time_control_parse_spec(std::string_view text) {
    std::uint32_t values[3];
    std::size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t plus = text.find('+', start);
        if ((i < 2) != (plus != std::string_view::npos)) return std::nullopt;
        const std::size_t end = i < 2 ? plus : text.size();
        const auto v = parse_time_control_number(text.substr(start, end - start));
        if (!v) return std::nullopt;
        values[i] = *v;
        start = end + 1;
    }
    return TimeControl{values[0], values[1], values[2]};
}

std::optional<TimeControl> csa_time_control_parse(std::string_view text) {
    if (auto tc = time_control_parse_spec(text)) return tc;
    const std::size_t plus = text.find('+');
    if (plus == std::string_view::npos) return std::nullopt;
    const std::string_view left = text.substr(0, plus);
    const std::size_t colon = left.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const auto hours = parse_time_control_number(left.substr(0, colon));
    const auto minutes = parse_time_control_number(left.substr(colon + 1));
    const auto byoyomi = parse_time_control_number(text.substr(plus + 1));
    if (!hours || !minutes || !byoyomi) return std::nullopt;
    const auto base = checked_u32(std::uint64_t{*hours} * 3600 + std::uint64_t{*minutes} * 60);
    if (!base) return std::nullopt;
    return TimeControl{static_cast<std::uint32_t>(*base), *byoyomi, 0};
}

std::optional<TimeControl> parse_japanese_time(std::string_view text) {
    const Figure hours = unit_figure(text, "時間");
    const Figure minutes = unit_figure(text, "分");
    if (hours.overflow || minutes.overflow) return std::nullopt;

    std::optional<std::uint64_t> base;
    if (hours.present && hours.value != 0)
        base = checked_u32((hours.value * 60 + (minutes.present ? minutes.value : 0)) * 60);
    else if (minutes.present && minutes.value != 0)
        base = checked_u32(minutes.value * 60);
    if ((hours.present && hours.value != 0) || (minutes.present && minutes.value != 0))
        if (!base) return std::nullopt;

    // The writers' forms name byoyomi and increment by their own words.
    const Figure byoyomi = digits_between(text, "秒読み");
    const Figure increment = digits_between(text, "加算");
    if (byoyomi.present || increment.present) {
        if (byoyomi.overflow || increment.overflow) return std::nullopt;
        return TimeControl{static_cast<std::uint32_t>(base.value_or(0)), static_cast<std::uint32_t>(byoyomi.value),
                           static_cast<std::uint32_t>(increment.value)};
    }

    Figure seconds = unit_figure(text, "秒");
    if (!seconds.present) {
        const std::size_t plus = text.find('+');
        if (plus != std::string_view::npos) {
            const std::size_t second = text.find("秒", plus + 1);
            if (second != std::string_view::npos)
                for (std::size_t i = plus + 1; i < second; ++i)
                    if (is_digit(text[i])) figure_push(seconds, text[i]);
        }
    }
    if (seconds.overflow) return std::nullopt;
    if (base) return TimeControl{static_cast<std::uint32_t>(*base), static_cast<std::uint32_t>(seconds.value), 0};
    if (!seconds.present) return std::nullopt;
    return TimeControl{0, static_cast<std::uint32_t>(seconds.value), 0};
}

std::optional<std::uint32_t> parse_time_text_ms(std::string_view text) {
    std::uint64_t total = 0;
    std::uint64_t multiplier = 1;
    bool multiplier_overflow = false;
    bool any = false;
    bool fits = true;
    for_each_clock_piece_from_right(text, [&](std::string_view piece) {
        const auto v = parse_decimal<std::uint32_t>(piece);
        if (!v) return true;
        if (*v != 0) {
            if (multiplier_overflow) return fits = false;
            total += *v * multiplier;
            if (total > U32_LIMIT) return fits = false;
        }
        any = true;
        multiplier *= 60;
        if (multiplier > U32_LIMIT) {
            multiplier_overflow = true;
            multiplier = 1;
        }
        return true;
    });
    if (!fits || !any) return std::nullopt;
    const std::uint64_t ms = total * 1000;
    if (ms > U32_LIMIT) return std::nullopt;
    return static_cast<std::uint32_t>(ms);
}

}  // namespace korvan
