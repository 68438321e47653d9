#pragma once
// Bench of the KIF and KI2 writers, a mode of the core bench program: a 150-move game
// with times on every move, a comment now and then, an evaluation on some moves, a
// header, a resignation, and three variations of ten moves (one of them nested).

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/board/movegen/movegen.h"
#include "core/board/position/updates.h"
#include "core/records/formats/kif/ki2_writer.h"
#include "core/records/formats/kif/kif_writer.h"
#include "core/records/record.h"

namespace korvan::bench_writers {

// Moves picked by a fixed rule from `parent` on, `plies` of them, on a copy of pos.
inline RecordNodeId add_game(Record& r, RecordNodeId parent, Position pos, std::size_t plies, std::uint64_t seed) {
    for (std::size_t i = 0; i < plies; ++i) {
        const std::vector<Move32> moves = generate_legal_moves(pos);
        if (moves.empty()) break;
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        const Move32 m = moves[(seed >> 33) % moves.size()];
        Annotations a;
        a.time = Duration::from_ms((seed >> 20) % 300 * 1000);
        if (i % 25 == 7) a.comment = "いい手\n次の候補";
        if (i % 10 == 3) a.engine_info = engine_info_with_eval(static_cast<std::int64_t>(seed >> 50) - 8000);
        parent = *record_append_move(r, parent, move16(m), std::move(a));
        position_do_move(pos, m);
    }
    return parent;
}

inline Position position_after(const Record& r, RecordNodeId id) {
    std::vector<RecordNodeId> path = *record_path_to_root(r, id);
    Position pos = position_startpos();
    for (RecordNodeId n : path)
        if (record_node(r, n).kind == NodeKind::Move)
            position_do_move(pos, position_move_to_move32(pos, record_node(r, n).move));
    return pos;
}

inline Record bench_record() {
    for (std::uint64_t seed = 1;; ++seed) {
        Record r = record_new_startpos();
        r.metadata.set(RecordMetadataKey::Event, "ベンチ");
        r.metadata.set(RecordMetadataKey::StartDate, "2024/01/02 10:00:00");
        r.metadata.set(RecordMetadataKey::BlackPlayer, "甲");
        r.metadata.set(RecordMetadataKey::WhitePlayer, "乙");
        r.metadata.time_control = TimeControl{600, 30, 0};
        const RecordNodeId last = add_game(r, r.root, position_startpos(), 150, seed);
        if (record_move_count(r) != 150) continue;
        SpecialMove resign;
        resign.kind = SpecialMoveKind::Resign;
        (void)record_append_terminal(r, last, resign, {});
        const std::vector<RecordNodeId> main = record_main_line_ids(r);
        for (std::size_t at : {30u, 80u}) {
            const RecordNodeId parent = main[at - 1];
            add_game(r, parent, position_after(r, parent), 10, seed + at);
        }
        // One nested inside the variation that starts at move 81.
        const RecordNodeId inner = record_node(r, main[79]).last_child;
        const RecordNodeId deeper = record_node(r, inner).first_child;
        add_game(r, deeper, position_after(r, deeper), 10, seed + 7);
        return r;
    }
}

template <class Write>
void bench_writer(const char* name, const Record& r, Write write, int n) {
    std::size_t bytes = 0;
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) bytes += write(r);
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("%s write (150 moves, 3 variations of 10, %zu bytes): %.0f records/s (%.1f us each)\n", name, bytes / n,
                n / s, s / n * 1e6);
}

inline void bench_record_writers(int n) {
    const Record r = bench_record();
    bench_writer("KIF", r, [](const Record& rec) -> std::size_t {
        auto t = write_kif(rec);
        if (!t) {
            std::fprintf(stderr, "KIF: %s\n", kif_error_display(t.error()).c_str());
            std::exit(1);
        }
        return t->size();
    }, n);
    bench_writer("KI2", r, [](const Record& rec) -> std::size_t {
        auto t = write_ki2(rec);
        if (!t) {
            std::fprintf(stderr, "KI2: %s\n", ki2_error_display(t.error()).c_str());
            std::exit(1);
        }
        return t->size();
    }, n);
}

}  // namespace korvan::bench_writers
