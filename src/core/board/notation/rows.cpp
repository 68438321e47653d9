#include "core/board/notation/rows.h"

#include <cstring>

#include "core/util/utf8_repair.h"

namespace korvan {

namespace {

template <std::size_t N>
void put16(std::array<std::uint8_t, N>& row, std::size_t at, std::uint16_t v) {
    row[at] = static_cast<std::uint8_t>(v);
    row[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

}  // namespace

PsvRow psv_row(const Packed32& sfen, std::int16_t score, Move move, std::uint16_t ply, GameResult result) {
    PsvRow row{};
    std::memcpy(row.data(), sfen.data(), sfen.size());
    put16(row, 32, static_cast<std::uint16_t>(score));
    put16(row, 34, move);
    put16(row, 36, ply);
    row[38] = result;
    return row;
}

HcpeRow hcpe_row(const Packed32& hcp, std::int16_t eval, AperyMove best_move, std::int8_t outcome) {
    HcpeRow row{};
    std::memcpy(row.data(), hcp.data(), hcp.size());
    put16(row, 32, static_cast<std::uint16_t>(eval));
    put16(row, 34, best_move);
    row[36] = static_cast<std::uint8_t>(outcome);
    return row;
}

std::string hcpe_error_display(const HcpeError& e) {
    if (e.kind == HcpeError::Kind::InvalidGameResult) return "invalid hcpe game result: " + std::to_string(e.byte);
    const std::string_view name = e.result < GAME_RESULT_NB ? GAME_RESULT_DEBUG_NAMES[e.result] : "";
    return "unsupported GameResult for hcpe export: " + std::string(name);
}

Expected<std::int8_t, HcpeError> hcpe_outcome(GameResult result) {
    switch (result) {
        case BLACK_WIN: return std::int8_t{1};
        case WHITE_WIN: return std::int8_t{2};
        case DRAW_BY_REPETITION:
        case DRAW_BY_MAX_PLIES:
        case DRAW_BY_IMPASSE: return std::int8_t{0};
        default: {
            HcpeError e{HcpeError::Kind::UnsupportedGameResult};
            e.result = result;
            return unexpected(e);
        }
    }
}

Expected<std::int8_t, HcpeError> hcpe_outcome_from_byte(std::int8_t byte) {
    if (byte >= 0 && byte <= 2) return byte;
    HcpeError e{HcpeError::Kind::InvalidGameResult};
    e.byte = byte;
    return unexpected(e);
}

Expected<std::int8_t, std::string> hcpe_outcome_from_name(std::string_view name) {
    std::string upper(name);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (upper == "DRAW") return std::int8_t{0};
    if (upper == "BLACK_WIN") return std::int8_t{1};
    if (upper == "WHITE_WIN") return std::int8_t{2};
    return unexpected("invalid hcpe game result name: " + utf8_replace_invalid(upper));
}

std::optional<AperyMove> apery_move_from_usi(std::string_view text) {
    const auto move = move_from_usi(text);
    if (!move) return std::nullopt;
    return move_to_apery16(*move);
}

}  // namespace korvan
