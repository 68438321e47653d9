#pragma once
// Bench of the YaneuraOu db reader, a mode of the core bench program: sorted books made
// from seeded playouts (each position once, one to three move lines and now and then a
// comment), written to /tmp; the open (quick check), the full check, lookups by
// bisection and scans that read the whole file.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/board/movegen/movegen.h"
#include "core/board/position/parser.h"
#include "core/board/position/updates.h"
#include "core/book/yaneuraou_book.h"
#include "core/containers/file_io.h"

namespace korvan::bench_yaneuraou {

inline double seconds_from(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

struct Book {
    std::string path;
    std::vector<std::string> present;  // queries with their own ply
    std::uint64_t bytes = 0;
};

// `positions` distinct positions from playouts of up to 60 plies, in order.
inline Book write_book(std::size_t positions, std::uint64_t seed) {
    std::mt19937_64 rng(seed);
    std::set<std::string> keys;
    std::vector<std::pair<std::string, std::string>> lines;  // key, "sfen ..." with moves
    while (keys.size() < positions) {
        Position pos = position_startpos();
        for (int ply = 0; ply < 60 && keys.size() < positions; ++ply) {
            MoveList legal;
            generate_legal(pos, legal);
            if (legal.size() == 0) break;
            std::string key = position_to_sfen(pos, 1);
            if (keys.insert(key).second) {
                std::string block = "sfen " + position_to_sfen(pos, pos.ply) + "\n";
                const std::size_t moves = 1 + rng() % 3;
                for (std::size_t i = 0; i < moves; ++i) {
                    block += move_display_usi(legal[rng() % legal.size()]) + " none " +
                             std::to_string(static_cast<int>(rng() % 400) - 200) + " " + std::to_string(rng() % 30) +
                             " " + std::to_string(rng() % 1000);
                    if (rng() % 8 == 0) block += " // book move";
                    block += "\n";
                }
                lines.emplace_back(std::move(key), std::move(block));
            }
            position_do_move(pos, position_move_to_move32(pos, legal[rng() % legal.size()]));
        }
    }
    std::sort(lines.begin(), lines.end());
    Book book;
    book.path = "/tmp/korvan-bench-yaneuraou-" + std::to_string(positions) + ".db";
    std::string text = "#YANEURAOU-DB2016 1.00\n";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += lines[i].second;
        if (i % std::max<std::size_t>(1, positions / 20000) == 0)
            book.present.push_back(lines[i].second.substr(5, lines[i].second.find('\n') - 5));
    }
    book.bytes = text.size();
    if (!write_whole_file(book.path, Bytes(text.begin(), text.end()))) std::exit(1);
    return book;
}

inline void bench_book(std::size_t positions) {
    const auto t0 = std::chrono::steady_clock::now();
    const Book generated = write_book(positions, 11);
    std::printf("yaneuraou %zu positions: %.1f MB file (generated in %.1f s)\n", positions, generated.bytes / 1e6,
                seconds_from(t0));
    double open = 1e9;
    for (int round = 0; round < 5; ++round) {
        const auto t1 = std::chrono::steady_clock::now();
        auto book = YaneuraOuBook::open(generated.path);
        open = std::min(open, seconds_from(t1));
        if (!book) std::exit(1);
    }
    auto book = *YaneuraOuBook::open(generated.path);
    std::printf("  open (quick check of %llu position lines): %.2f ms\n",
                static_cast<unsigned long long>(book.diagnostics().checked_rows), open * 1e3);
    {
        const auto t1 = std::chrono::steady_clock::now();
        const auto ordering = book.validate_full();
        const double s = seconds_from(t1);
        if (!ordering || !ordering->complete) std::exit(1);
        std::printf("  validate_full: %.3f s, %.0f MB/s\n", s, generated.bytes / 1e6 / s);
    }
    {
        std::uint64_t found = 0, calls = 0;
        const auto t1 = std::chrono::steady_clock::now();
        for (int round = 0; round < 5; ++round)
            for (const std::string& query : generated.present) {
                found += book.lookup_sfen(query)->has_value();
                ++calls;
            }
        const double s = seconds_from(t1);
        std::printf("  lookup_sfen (bisection): %.0f /s (%.1f us; %llu of %llu found)\n", calls / s, s / calls * 1e6,
                    static_cast<unsigned long long>(found), static_cast<unsigned long long>(calls));
    }
    {
        const std::size_t scans = positions > 100000 ? 3 : 30;
        const auto t1 = std::chrono::steady_clock::now();
        for (std::size_t i = 0; i < scans; ++i)
            if (!book.lookup_sfen_by_scan("9/9/9/9/9/9/9/9/9 b - 1")) std::exit(1);
        const double s = seconds_from(t1) / scans;
        std::printf("  lookup_sfen_by_scan of an absent position (whole file): %.3f s, %.0f MB/s, %.1f /s\n", s,
                    generated.bytes / 1e6 / s, 1 / s);
    }
}

inline void bench() {
    bench_book(14'000);
    bench_book(1'000'000);
}

}  // namespace korvan::bench_yaneuraou
