// Time-control specs and time texts, including the forms the record writers write.

#include <gtest/gtest.h>

#include "core/records/time_text.h"

namespace korvan {
namespace {

using TC = std::optional<TimeControl>;

TC tc(std::uint32_t b, std::uint32_t y, std::uint32_t i) { return TimeControl{b, y, i}; }

TEST(TimeText, Spec) {
    const std::pair<const char*, TC> cases[] = {
        {"600+10+0", tc(600, 10, 0)},        {"600+10", std::nullopt},      {"600+10+0+0", std::nullopt},
        {" 600 + 10 +\u3000 5 ", tc(600, 10, 5)}, {"600.0+10+0", tc(600, 10, 0)}, {"600.5+10+0", std::nullopt},
        {"-1+0+0", std::nullopt},            {"6e2+0+0", tc(600, 0, 0)},    {"", std::nullopt},
        {"1++3", std::nullopt},              {"+1+2", std::nullopt},        {"4294967295+0+0", tc(4294967295u, 0, 0)},
        {"4294967296+0+0", std::nullopt},    {"inf+0+0", std::nullopt},     {"nan+0+0", std::nullopt},
        {"0x10+0+0", std::nullopt},          {"4294967296.0+0+0", std::nullopt},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(time_control_parse_spec(text), expected) << text;
    EXPECT_EQ(time_control_to_spec(TimeControl{600, 30, 5}), "600+30+5");
}

TEST(TimeText, Number) {
    EXPECT_EQ(parse_time_control_number("+7"), 7u);
    EXPECT_EQ(parse_time_control_number(" 42 "), 42u);
    for (const char* bad : {"+", "-", "", "1.5", "-3", "abc", "1e10"}) EXPECT_FALSE(parse_time_control_number(bad)) << bad;
}

TEST(TimeText, CsaHeader) {
    const std::pair<const char*, TC> cases[] = {
        {"0:10+10", tc(600, 10, 0)},   {"1:30+30", tc(5400, 30, 0)},   {"10+10", std::nullopt},
        {"600+10+0", tc(600, 10, 0)},  {"1:30", std::nullopt},         {"4294967:00+0", std::nullopt},
        {"1193046:28+0", tc(4294967280u, 0, 0)}, {"x:10+10", std::nullopt},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(csa_time_control_parse(text), expected) << text;
}

TEST(TimeText, Japanese) {
    const std::pair<const char*, TC> cases[] = {
        {"1時間30分+30秒", tc(5400, 30, 0)},
        {"10分", tc(600, 0, 0)},
        {"30秒", tc(0, 30, 0)},
        {"0時間0分", std::nullopt},
        {"0時間0分+10秒", tc(0, 10, 0)},
        {"2時間", tc(7200, 0, 0)},
        {"各2時間", tc(7200, 0, 0)},
        {"10分+30秒", tc(600, 30, 0)},
        {"なし", std::nullopt},
        // The writers' own forms read back.
        {"10分秒読み30秒", tc(600, 30, 0)},
        {"1時間0分加算5秒", tc(3600, 0, 5)},
        {"加算5秒", tc(0, 0, 5)},
        {"秒読み30秒", tc(0, 30, 0)},
        {"1時間30分秒読み60秒加算10秒", tc(5400, 60, 10)},
        // Figures past 32 bits give no value, never a wrapped one.
        {"99999999999分", std::nullopt},
        {"1193047時間", std::nullopt},
        {"10分秒読み4294967296秒", std::nullopt},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(parse_japanese_time(text), expected) << text;
}

TEST(TimeText, ClockTexts) {
    const std::pair<const char*, std::optional<std::uint32_t>> cases[] = {
        {"：30", 30'000},      {"1 2 3", 3'723'000},   {"abc", std::nullopt}, {"5:x:10", 310'000},
        {"1:02:03", 3'723'000}, {"0:30", 30'000},       {"", std::nullopt},    {"00:00", 0},
        {"1\u30002", 62'000},  {"+5", 5'000},          {"99999:00:00", std::nullopt},
        {"4294967:00", std::nullopt}, {"71582:47", 4'294'967'000u}, {"0:0:0:0:0:0:0:0:1", 1'000},
        {"1:0:0:0:0:0:0:0:0", std::nullopt},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(parse_time_text_ms(text), expected) << text;
}

}  // namespace
}  // namespace korvan
