#include "core/records/reader_support.h"

#include <array>
#include <cctype>

namespace korvan {

Expected<Ok, SfenError> replay_compact_history(Position& pos, std::uint64_t& counter) {
    if (++counter < 200) return Ok{};
    auto fields = parse_sfen_fields(position_to_sfen(pos, pos.ply));
    if (!fields) return unexpected(fields.error());
    position_set(pos, *fields);
    counter = 0;
    return Ok{};
}

void new_hand_counts_by_side(HandCounts& counts) {
    counts.try_emplace('+');
    counts.try_emplace('-');
}

void hand_counts_add(HandCounts& counts, char side, std::string_view code, unsigned n) {
    auto& by_code = counts[side];
    auto it = by_code.find(code);
    if (it == by_code.end()) it = by_code.emplace(std::string(code), 0).first;
    const unsigned sum = it->second + n;
    it->second = static_cast<std::uint8_t>(sum > 255 ? 255 : sum);
}

namespace {

struct CodeLetter {
    std::string_view code;
    std::string_view sfen;
};

constexpr std::array<CodeLetter, 14> CODE_LETTERS = {{
    {"FU", "P"}, {"KY", "L"}, {"KE", "N"}, {"GI", "S"}, {"KI", "G"}, {"KA", "B"}, {"HI", "R"},
    {"OU", "K"}, {"TO", "+P"}, {"NY", "+L"}, {"NK", "+N"}, {"NG", "+S"}, {"UM", "+B"}, {"RY", "+R"},
}};

constexpr std::array<std::string_view, 7> HAND_CODES = {"FU", "KY", "KE", "GI", "KI", "KA", "HI"};

}  // namespace

std::optional<std::string> csa_piece_to_sfen(std::string_view code, char side) {
    if (code.size() != 2) return std::nullopt;
    for (const auto& cl : CODE_LETTERS) {
        if (cl.code != code) continue;
        std::string out(cl.sfen);
        if (side == '-') out.back() = static_cast<char>(std::tolower(static_cast<unsigned char>(out.back())));
        return out;
    }
    return std::nullopt;
}

Expected<std::string, std::string> sfen_board_from_rows(const BoardRows& rows) {
    std::string out;
    for (int rank = 1; rank <= 9; ++rank) {
        if (rank > 1) out += '/';
        int empty = 0;
        for (int file = 9; file >= 1; --file) {
            const auto it = rows.find({file, rank});
            if (it == rows.end()) {
                ++empty;
                continue;
            }
            if (empty) out += static_cast<char>('0' + empty);
            empty = 0;
            auto piece = csa_piece_to_sfen(it->second.second, it->second.first);
            if (!piece) return unexpected("unknown piece code: " + it->second.second);
            out += *piece;
        }
        if (empty) out += static_cast<char>('0' + empty);
    }
    return out;
}

Expected<std::string, std::string> sfen_from_parsed_setup(const HandCounts& counts) {
    const auto black = counts.find('+');
    const auto white = counts.find('-');
    if (black == counts.end() || white == counts.end())
        return unexpected(std::string("hand counts missing side"));
    std::string out;
    for (const auto& side : {black, white}) {
        for (std::string_view code : HAND_CODES) {
            const auto it = side->second.find(code);
            if (it == side->second.end() || it->second == 0) continue;
            if (it->second >= 2) out += std::to_string(it->second);
            auto letter = csa_piece_to_sfen(code, side->first);
            if (!letter) return unexpected("unknown hand piece code: " + std::string(code));
            out += *letter;
        }
    }
    if (out.empty()) out = "-";
    return out;
}

}  // namespace korvan
