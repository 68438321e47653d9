#pragma once
// Records for the container tests: random playouts with evaluations, built through the
// record tree, and small helpers to look at what a codec gives back.

#include <random>
#include <string>
#include <vector>

#include "core/records/record.h"
#include "record_support.h"
#include "support.h"

namespace korvan::test {

// The terminal that ends the main line (it must have one).
inline const SpecialMove& terminal_special(const Record& r) { return *record_node(r, record_main_line_last(r)).special; }

inline Annotations with_eval(std::int64_t eval) {
    Annotations a;
    a.engine_info.emplace(engine_info_with_eval(eval));
    return a;
}

// A record of the given moves (USI texts) from `sfen`, each with the evaluation that
// `evals` gives (cycled), ending in `terminal` when given.
inline Record record_of(const std::optional<std::string>& sfen_text, const std::vector<std::string>& moves,
                        const std::vector<std::int64_t>& evals, std::optional<SpecialMove> terminal) {
    Record r = *record_new(sfen_text);
    RecordNodeId parent = r.root;
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const Move m = *move_from_usi(moves[i]);
        Annotations a = evals.empty() ? Annotations{} : with_eval(evals[i % evals.size()]);
        parent = *record_append_move(r, parent, m, std::move(a));
    }
    if (terminal) (void)record_set_main_terminal(r, std::move(*terminal), {});
    return r;
}

// A random legal playout of at most `plies` moves from `start`, stopping at a mate.
inline std::vector<Move32> playout(Position pos, std::size_t plies, std::mt19937_64& rng) {
    std::vector<Move32> moves;
    while (moves.size() < plies) {
        const Move32 m = random_legal(pos, rng);
        if (!m) break;
        moves.push_back(m);
        position_do_move(pos, m);
    }
    return moves;
}

// The playout as a record: every move with a random evaluation in -32000..32000.
inline Record playout_record(const std::string& start, std::size_t plies, std::mt19937_64& rng,
                             SpecialMove terminal) {
    Record r = *record_new(start);
    RecordNodeId parent = r.root;
    std::uniform_int_distribution<int> eval(-32000, 32000);
    for (Move32 m : playout(sfen(start), plies, rng)) parent = *record_append_move(r, parent, move16(m), with_eval(eval(rng)));
    (void)record_set_main_terminal(r, std::move(terminal), {});
    return r;
}

inline std::vector<std::uint8_t> hex_bytes(const std::string& hex) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        if (hex[i] == ' ') {
            --i;
            continue;
        }
        out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return out;
}

}  // namespace korvan::test
