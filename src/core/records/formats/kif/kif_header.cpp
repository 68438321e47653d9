#include "core/records/formats/kif/kif_header.h"

#include "core/board/position/parser.h"
#include "core/records/time_text.h"
#include "core/util/decimal.h"
#include "core/util/text.h"

namespace korvan {

namespace {

void set_text(RecordMetadata& m, RecordMetadataKey key, std::string_view value) { m.set(key, std::string(value)); }

}  // namespace

void parse_kif_header_line(RecordMetadata& metadata, std::string_view line) {
    std::size_t colon = line.find("：");
    std::size_t width = std::string_view("：").size();
    if (colon == std::string_view::npos) {
        colon = line.find(':');
        width = 1;
    }
    if (colon == std::string_view::npos) return;
    const std::string_view key = trim_line(line.substr(0, colon));
    const std::string_view value = trim_line(line.substr(colon + width));

    for (const KifHeaderKey& k : KIF_HEADER_KEYS) {
        if (k.key != key) continue;
        switch (k.field) {
            case KifHeaderField::BlackPlayer: set_text(metadata, RecordMetadataKey::BlackPlayer, value); return;
            case KifHeaderField::WhitePlayer: set_text(metadata, RecordMetadataKey::WhitePlayer, value); return;
            case KifHeaderField::Event: set_text(metadata, RecordMetadataKey::Event, value); return;
            case KifHeaderField::Site: set_text(metadata, RecordMetadataKey::Site, value); return;
            case KifHeaderField::StartDate: set_text(metadata, RecordMetadataKey::StartDate, value); return;
            case KifHeaderField::EndDate: set_text(metadata, RecordMetadataKey::EndDate, value); return;
            case KifHeaderField::Comment: metadata_append_line(metadata, value); return;
            case KifHeaderField::ImpasseRule: metadata.impasse_rule = std::string(value); return;
            case KifHeaderField::TimeControl: {
                auto tc = parse_japanese_time(value);
                if (!tc) tc = time_control_parse_spec(value);
                metadata.time_control = tc;
                return;
            }
            case KifHeaderField::BlackTimeControl: metadata.black_time_control = time_control_parse_spec(value); return;
            case KifHeaderField::WhiteTimeControl: metadata.white_time_control = time_control_parse_spec(value); return;
            case KifHeaderField::MaxMoves: metadata.max_moves = parse_decimal<std::uint32_t>(value).ok(); return;
        }
    }
    metadata.attributes.insert_or_assign(std::string(key), std::string(value));
}

std::optional<std::string_view> handicap_name_to_sfen(
    const std::map<std::string, std::string, std::less<>>& attributes) {
    const auto it = attributes.find(KIF_HANDICAP_KEY);
    if (it == attributes.end()) return std::nullopt;
    for (const HandicapStart& h : HANDICAP_STARTS)
        if (h.kif_name == it->second) return h.sfen;
    return std::nullopt;
}

}  // namespace korvan
