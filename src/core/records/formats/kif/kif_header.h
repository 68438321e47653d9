#pragma once
// The header lines of KIF and KI2 records ("key：value") and the handicap names. The
// tables are shared with the writers, which write the first key listed for a field.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "core/records/handicaps.h"
#include "core/records/metadata.h"

namespace korvan {

enum class KifHeaderField : std::uint8_t {
    BlackPlayer,
    WhitePlayer,
    Event,
    Site,
    StartDate,
    EndDate,
    Comment,           // appended as a line
    ImpasseRule,
    TimeControl,       // Japanese text or "base+byoyomi+increment"
    BlackTimeControl,  // "base+byoyomi+increment"
    WhiteTimeControl,
    MaxMoves,
};

struct KifHeaderKey {
    std::string_view key;
    KifHeaderField field;
};

// Every other key, "手合割" and "戦型" included, is kept as an attribute.
inline constexpr std::array<KifHeaderKey, 16> KIF_HEADER_KEYS = {{
    {"先手", KifHeaderField::BlackPlayer},
    {"下手", KifHeaderField::BlackPlayer},
    {"後手", KifHeaderField::WhitePlayer},
    {"上手", KifHeaderField::WhitePlayer},
    {"棋戦", KifHeaderField::Event},
    {"場所", KifHeaderField::Site},
    {"開始日時", KifHeaderField::StartDate},
    {"開始日", KifHeaderField::StartDate},
    {"終了日時", KifHeaderField::EndDate},
    {"終了日", KifHeaderField::EndDate},
    {"備考", KifHeaderField::Comment},
    {"持将棋", KifHeaderField::ImpasseRule},
    {"持ち時間", KifHeaderField::TimeControl},
    {"先手持ち時間", KifHeaderField::BlackTimeControl},
    {"後手持ち時間", KifHeaderField::WhiteTimeControl},
    {"最大手数", KifHeaderField::MaxMoves},
}};

// Splits at the first "：" (or, when there is none, the first ":"), trims key and value
// and files the value by the key; a line without a colon, or a value that does not
// parse as its field wants, never fails (an unparsable time or number leaves the field
// absent).
void parse_kif_header_line(RecordMetadata& metadata, std::string_view line);

constexpr std::string_view KIF_HANDICAP_KEY = "手合割";


// The start SFEN of the handicap the "手合割" attribute names exactly, or nothing.
std::optional<std::string_view> handicap_name_to_sfen(
    const std::map<std::string, std::string, std::less<>>& attributes);

}  // namespace korvan
