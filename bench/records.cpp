// The record-core bench program. It prints figures and asserts nothing.
//   korvan_bench_records   main-line building, cursor appends and stepping, the USI text
//                          of a record, and the time-text parsers

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/board/movegen/movegen.h"
#include "core/board/position/updates.h"
#include "core/records/editor.h"
#include "core/records/time_text.h"
#include "core/records/usi_text.h"

using namespace korvan;

namespace {

volatile std::uint64_t sink;

double seconds_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// A seeded random game of up to n plies.
std::vector<Move> random_game(std::size_t n, std::uint64_t seed) {
    std::mt19937_64 rng(seed);
    Position pos = position_startpos();
    std::vector<Move> game;
    while (game.size() < n) {
        const std::vector<Move32> moves = generate_legal_moves(pos);
        if (moves.empty()) break;
        const Move32 m = moves[rng() % moves.size()];
        game.push_back(move16(m));
        position_do_move(pos, m);
    }
    return game;
}

template <class F>
void report(const char* what, const char* unit, std::size_t per_call, F&& body) {
    std::size_t calls = 0;
    const auto t0 = std::chrono::steady_clock::now();
    double elapsed = 0;
    do {
        for (int i = 0; i < 64; ++i) body();
        calls += 64;
        elapsed = seconds_since(t0);
    } while (elapsed < 1.0);
    const double rate = static_cast<double>(calls * per_call) / elapsed;
    std::printf("%-52s %12.0f %s/s  (%.1f ns each)\n", what, rate, unit, 1e9 / rate);
}

}  // namespace

int main() {
    const std::vector<Move> game = random_game(150, 3);
    std::printf("game of %zu plies\n", game.size());

    report("record_from_main_line, 150 moves + terminal", "records", 1, [&] {
        std::vector<MoveEntry> entries(game.size());
        for (std::size_t i = 0; i < game.size(); ++i) entries[i].move = game[i];
        SpecialMoveEntry end;
        end.special.kind = SpecialMoveKind::Resign;
        end.special.result = BLACK_WIN;
        sink = sink + record_from_main_line(std::nullopt, std::move(entries), std::move(end))->nodes.size();
    });

    report("record_append_move x150 + terminal", "records", 1, [&] {
        Record r = record_new_startpos();
        RecordNodeId parent = r.root;
        for (Move m : game) parent = *record_append_move(r, parent, m, {});
        SpecialMove s;
        s.kind = SpecialMoveKind::Resign;
        sink = sink + *record_set_main_terminal(r, std::move(s), {});
    });

    report("cursor append_move (checked), 150-move games", "moves", game.size(), [&] {
        auto editor = *record_editor_new(record_new_startpos());
        for (Move m : game) sink = sink + *record_editor_append_move(editor, m);
    });

    {
        auto editor = *record_editor_new(record_new_startpos());
        for (Move m : random_game(1000, 5)) (void)record_editor_append_move(editor, m);
        const std::vector<RecordNodeId> line = record_main_line_ids(editor.record);
        report("cursor stepping back and forth along 1,000 plies", "steps", 2 * line.size(), [&] {
            for (std::size_t i = line.size(); i-- > 0;)
                (void)record_editor_rebuild_position(editor, i == 0 ? RecordNodeId{1} : line[i - 1]);
            for (RecordNodeId id : line) (void)record_editor_rebuild_position(editor, id);
        });
    }

    {
        auto editor = *record_editor_new(record_new_startpos());
        for (Move m : game) (void)record_editor_append_move(editor, m);
        SpecialMove s;
        s.kind = SpecialMoveKind::Resign;
        (void)record_set_main_terminal(editor.record, s, {});
        report("record_to_usi_position, 150 moves", "records", 1,
               [&] { sink = sink + record_to_usi_position(editor.record, true)->size(); });
    }

    const char* specs[] = {"600+10+0", " 600 + 30 + 5 ", "0+0+10", "3600+60+0"};
    report("time_control_parse_spec", "texts", 4, [&] {
        for (const char* s : specs) sink = sink + time_control_parse_spec(s)->base_seconds;
    });
    const char* csa[] = {"0:10+10", "1:30+30", "600+10+0", "2:00+60"};
    report("csa_time_control_parse", "texts", 4, [&] {
        for (const char* s : csa) sink = sink + csa_time_control_parse(s)->base_seconds;
    });
    const char* japanese[] = {"1時間30分+30秒", "10分秒読み30秒", "1時間0分加算5秒", "30秒"};
    report("parse_japanese_time", "texts", 4, [&] {
        for (const char* s : japanese) sink = sink + parse_japanese_time(s)->byoyomi_seconds;
    });
    const char* clocks[] = {"0:01", "1:02:03", "12:34", "0:30"};
    report("parse_time_text_ms", "texts", 4, [&] {
        for (const char* s : clocks) sink = sink + *parse_time_text_ms(s);
    });
    return 0;
}
