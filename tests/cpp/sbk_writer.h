#pragma once
// A small SBK writer for the tests and the bench: protocol-buffer fields written by
// hand (so a test can also write what no well-behaved writer would), the states of
// the reader's own types, move codes from moves, and books generated from seeded
// playouts merged by position.

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/board/movegen/movegen.h"
#include "core/board/position/parser.h"
#include "core/board/position/updates.h"
#include "core/book/sbk_file.h"
#include "core/containers/byte_io.h"

namespace korvan::sbk_writer {

inline void varint(Bytes& out, std::uint64_t v) {
    while (v >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(v | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(v));
}

inline void key(Bytes& out, std::uint64_t field, unsigned type) { varint(out, field << 3 | type); }

// An int32 or int64 field: negative values take ten bytes, as protobuf writes them.
inline void int_field(Bytes& out, std::uint64_t field, std::int64_t v) {
    key(out, field, 0);
    varint(out, static_cast<std::uint64_t>(v));
}

inline void bytes_field(Bytes& out, std::uint64_t field, std::string_view bytes) {
    key(out, field, 2);
    varint(out, bytes.size());
    out.insert(out.end(), bytes.begin(), bytes.end());
}

inline void bytes_field(Bytes& out, std::uint64_t field, const Bytes& bytes) {
    bytes_field(out, field, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

template <class T>
void optional_int(Bytes& out, std::uint64_t field, const std::optional<T>& v) {
    if (v) int_field(out, field, *v);
}

inline void optional_text(Bytes& out, std::uint64_t field, const std::optional<std::string>& v) {
    if (v) bytes_field(out, field, *v);
}

inline Bytes move_message(const SbkStateMove& m) {
    Bytes out;
    optional_int(out, 1, m.raw_move);
    optional_int(out, 2, m.evaluation);
    optional_int(out, 3, m.weight);
    optional_int(out, 4, m.next_state_id);
    return out;
}

inline Bytes eval_message(const SbkEval& e) {
    Bytes out;
    optional_int(out, 1, e.evaluation_value);
    optional_int(out, 2, e.depth);
    optional_int(out, 3, e.sel_depth);
    optional_int(out, 4, e.nodes);
    optional_text(out, 5, e.variation);
    optional_text(out, 6, e.engine_name);
    return out;
}

inline Bytes state_message(const SbkState& s) {
    Bytes out;
    optional_int(out, 1, s.state_id);
    optional_int(out, 4, s.games);
    optional_int(out, 5, s.won_black);
    optional_int(out, 6, s.won_white);
    optional_text(out, 7, s.sfen);
    optional_text(out, 8, s.comment);
    for (const SbkStateMove& m : s.moves) bytes_field(out, 9, move_message(m));
    for (const SbkEval& e : s.evals) bytes_field(out, 10, eval_message(e));
    return out;
}

inline Bytes sbk_file(const std::vector<SbkState>& states, const std::optional<std::string>& author = {},
                       const std::optional<std::string>& description = {}) {
    Bytes out;
    optional_text(out, 1, author);
    optional_text(out, 2, description);
    for (const SbkState& s : states) bytes_field(out, 3, state_message(s));
    return out;
}

// The code of a move played by `side`, with the piece and side bits a real file has
// (the reader ignores them on board moves). Read off the move's USI text.
inline std::int32_t move_code(Move32 m, Color side) {
    static constexpr std::string_view DROP_LETTERS = "PLNSGBR";
    const std::string usi = move_display_usi(move16(m));
    std::uint32_t code = 0;
    std::uint32_t piece = 0;
    if (usi[1] == '*') {
        piece = static_cast<std::uint32_t>(DROP_LETTERS.find(usi[0]) + 1);
        code |= static_cast<std::uint32_t>(usi[2] - '0') << 12 | static_cast<std::uint32_t>(usi[3] - 'a' + 1) << 8;
    } else {
        code |= static_cast<std::uint32_t>(usi[0] - '0') << 4 | static_cast<std::uint32_t>(usi[1] - 'a' + 1);
        code |= static_cast<std::uint32_t>(usi[2] - '0') << 12 | static_cast<std::uint32_t>(usi[3] - 'a' + 1) << 8;
        if (usi.size() == 5) code |= 1u << 19;
        piece = type_of(moved_piece_after(m));
    }
    code |= (static_cast<std::uint32_t>(side) * 16 + piece) << 24;
    if (side == WHITE) code |= 1u << 31;
    return static_cast<std::int32_t>(code);
}

// Seeded playouts from the start position, merged by position: each new position is a
// new state with id place + 1; a state's moves are the distinct moves played from it.
// `positions` holds each state's board, side and hands (no ply) as the playouts first
// reached it.
struct GeneratedBook {
    std::vector<SbkState> states;
    std::vector<std::string> positions;
};

inline std::string sfen_without_ply(const Position& pos) {
    return sfen_fields_text(pos.board, pos.side_to_move, pos.hands);
}

inline GeneratedBook generate_book(std::size_t state_count, std::uint64_t seed, std::size_t max_plies = 60) {
    std::mt19937_64 rng(seed);
    GeneratedBook book;
    std::unordered_map<std::uint64_t, std::int32_t> by_key;  // position key -> state place
    const Position start = position_startpos();
    book.states.push_back(SbkState{});
    book.states[0].state_id = 1;
    book.positions.push_back(sfen_without_ply(start));
    by_key.emplace(start.key, 0);
    MoveList list;
    while (book.states.size() < state_count) {
        Position pos = start;
        std::int32_t current = 0;
        for (std::size_t ply = 0; ply < max_plies && book.states.size() < state_count; ++ply) {
            list.count = 0;
            generate_legal(pos, list);
            if (list.size() == 0) break;
            // Early plies from few choices, so that playouts meet again.
            const std::size_t choices = ply < 6 ? std::min<std::size_t>(list.size(), 3) : list.size();
            const Move32 m = position_move_to_move32(pos, list[rng() % choices]);
            const Color side = pos.side_to_move;
            position_do_move(pos, m);
            auto [it, fresh] = by_key.emplace(pos.key, static_cast<std::int32_t>(book.states.size()));
            if (fresh) {
                SbkState s;
                s.state_id = static_cast<std::int32_t>(book.states.size() + 1);
                s.games = static_cast<std::int32_t>(rng() % 1000);
                s.won_black = static_cast<std::int32_t>(rng() % 500);
                s.won_white = static_cast<std::int32_t>(rng() % 500);
                book.states.push_back(s);
                book.positions.push_back(sfen_without_ply(pos));
            }
            SbkState& from = book.states[static_cast<std::size_t>(current)];
            const std::int32_t code = move_code(m, side);
            bool known = false;
            for (const SbkStateMove& sm : from.moves) known = known || sm.raw_move == code;
            if (!known)
                from.moves.push_back(SbkStateMove{code, static_cast<std::int32_t>(rng() % 5),
                                                  static_cast<std::int32_t>(rng() % 100), it->second + 1});
            current = it->second;
        }
    }
    return book;
}

}  // namespace korvan::sbk_writer
