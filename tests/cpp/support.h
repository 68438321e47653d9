#pragma once
// Shared helpers of the core tests: positions from SFEN, random playouts and a
// from-scratch recomputation of every incrementally kept field.

#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
#include <string>
#include <string_view>

#include "core/board/movegen/movegen.h"
#include "core/board/position/parser.h"
#include "core/board/position/position_state.h"
#include "core/board/position/repetition.h"
#include "core/board/position/legality.h"
#include "core/board/position/updates.h"

namespace korvan::test {

// The name of a parameterised case: a few words of the case, letters and digits kept
// and every other run of characters written as one '_', then its index, which keeps
// the names apart.
inline std::string case_name(std::size_t index, std::initializer_list<std::string_view> words) {
    std::string name;
    for (std::string_view word : words) {
        for (char c : word) {
            const bool keep = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
            if (keep)
                name += c;
            else if (!name.empty() && name.back() != '_')
                name += '_';
        }
        if (!name.empty() && name.back() != '_') name += '_';
        if (name.size() >= 48) break;
    }
    if (name.size() > 48) name.resize(48);
    if (!name.empty() && name.back() != '_') name += '_';
    if (name.empty()) name = "case_";
    return name + std::to_string(index);
}

inline constexpr const char* MATSURI = "l6nl/5+P1gk/2np1S3/p1p4Pp/3P2Sp1/1PPb2P1P/P5GS1/R8/LN4bKL w GR5pnsg 1";

inline Position sfen(const std::string& text) {
    auto pos = position_from_sfen(text);
    if (!pos) throw std::runtime_error("bad test SFEN: " + text + " (" + sfen_error_display(pos.error()) + ")");
    return std::move(*pos);
}

inline Move32 usi(const Position& pos, const std::string& text) {
    auto m = move_from_usi(text);
    if (!m) throw std::runtime_error("bad test move: " + text);
    return position_move_to_move32(pos, *m);
}

inline void play(Position& pos, const std::string& text) {
    const Move32 m = usi(pos, text);
    if (!position_is_legal(pos, m)) throw std::runtime_error("illegal test move: " + text);
    position_do_move(pos, m);
}

inline std::uint64_t perft(Position& pos, int depth) {
    MoveList list;
    generate_legal(pos, list);
    if (depth <= 1) return depth == 1 ? list.size() : 1;
    std::uint64_t n = 0;
    for (Move m : list) {
        const Move32 m32 = position_move_to_move32(pos, m);
        position_do_move(pos, m32);
        n += perft(pos, depth - 1);
        (void)position_undo_move(pos, m32);
    }
    return n;
}

// A legal move chosen at random, or 0 when there is none.
inline Move32 random_legal(const Position& pos, std::mt19937_64& rng) {
    MoveList list;
    generate_legal(pos, list);
    if (list.size() == 0) return 0;
    return position_move_to_move32(pos, list[rng() % list.size()]);
}

// The same board, hands and side set up from scratch.
inline Position rebuilt(const Position& pos) { return position_from_state(position_state_of(pos)); }

// Every field a move keeps incrementally equals its recomputation.
inline void expect_consistent(const Position& pos) {
    const Position fresh = rebuilt(pos);
    EXPECT_EQ(pos.by_type, fresh.by_type);
    EXPECT_EQ(pos.by_color, fresh.by_color);
    EXPECT_EQ(pos.occupied, fresh.occupied);
    EXPECT_EQ(pos.golds, fresh.golds);
    EXPECT_EQ(pos.hdk, fresh.hdk);
    EXPECT_EQ(pos.bishop_horse, fresh.bishop_horse);
    EXPECT_EQ(pos.rook_dragon, fresh.rook_dragon);
    EXPECT_EQ(pos.silver_hdk, fresh.silver_hdk);
    EXPECT_EQ(pos.golds_hdk, fresh.golds_hdk);
    EXPECT_EQ(pos.king_square, fresh.king_square);
    EXPECT_EQ(pos.board_key, fresh.board_key);
    EXPECT_EQ(pos.hand_key, fresh.hand_key);
    EXPECT_EQ(pos.key, fresh.key);
    const StateInfo& a = pos.st();
    const StateInfo& b = fresh.st();
    EXPECT_EQ(a.board_key, pos.board_key);
    EXPECT_EQ(a.hand_key, pos.hand_key);
    EXPECT_EQ(a.checkers, b.checkers);
    EXPECT_EQ(position_blockers(pos, BLACK), position_blockers(fresh, BLACK));
    EXPECT_EQ(position_blockers(pos, WHITE), position_blockers(fresh, WHITE));
    EXPECT_EQ(position_check_squares(pos), position_check_squares(fresh));
    EXPECT_EQ(a.hand, b.hand);
}

}  // namespace korvan::test
