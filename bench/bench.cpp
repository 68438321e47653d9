// The core bench program: one mode per figure. It prints figures and asserts nothing.
//   korvan_bench perft [depth]      perft from the start position, nodes per second
//   korvan_bench movegen            legal generations per second in the matsuri position
//   korvan_bench doundo             do-move plus undo-move pairs per second over a fixed game
//   korvan_bench sfen               SFEN parses and writes per second
//   korvan_bench packed             PackedSfen and HuffmanCodedPos encodes and decodes per second
//   korvan_bench containers         pack, sbinpack and sazpack positions encoded and decoded per second
//   korvan_bench formats            CSA and JKF reads and writes per second of a 150-move record,
//                                   and reads of the fixture engine_comments.csa (400 moves)
//   korvan_bench kif [reads]        KIF and KI2 records read per second (150 moves, three variations)
//   korvan_bench writers [n]        KIF and KI2 records written per second (150 moves, three variations)
//   korvan_bench ki2check [n]       every legal move's KI2 text read back through the token resolver, over
//                                   random playouts until n moves (default 1,000,000) are checked; a check,
//                                   not a figure: it counts the texts that do not name their own move
//   korvan_bench mate1 [rounds [mating|quiet]]
//                                   mate-in-one searches, ns per call, on positions with a mate in one (seeded
//                                   random games from the start) and on quiet middle-game positions (the
//                                   fixture games, plies 30 to 150, no mate in one, not in check); one set
//                                   alone when named (instruction counts under callgrind)
//   korvan_bench books              book keys one move ahead per second; the builder's record walk
//                                   (300 games of 150 moves, three 10-move variations each); a book
//                                   of 1 M keys and 3 M moves frozen, written, read and looked up
//   korvan_bench sbk                SBK books generated from playouts merged by position (30,000 and
//                                   1,000,000 states): open time and resident-memory growth, lookups
//                                   by position and by SFEN per second
//   korvan_bench yaneuraou          YaneuraOu db books of 14,000 and 1,000,000 positions: open, full check,
//                                   lookups by bisection per second and whole-file scans
//   korvan_bench all                every mode but ki2check

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <random>
#include <thread>

#include <malloc.h>

#include "core/board/movegen/movegen.h"
#include "core/book/book_key.h"
#include "core/book/builder.h"
#include "core/book/sbk_book.h"
#include "core/book/static_book.h"
#include "core/containers/file_io.h"
#include "core/containers/pack.h"
#include "core/containers/sazpack.h"
#include "core/containers/sbinpack.h"
#include "core/containers/sbinpack_record.h"
#include "core/board/position/legality.h"
#include "core/board/notation/packed.h"
#include "core/board/position/parser.h"
#include "core/board/notation/move_text.h"
#include "core/board/position/updates.h"
#include "core/mate/mate_in_one.h"
#include "core/records/formats/csa/csa_reader.h"
#include "core/records/formats/csa/csa_writer.h"
#include "core/records/formats/jkf/jkf_reader.h"
#include "core/records/formats/jkf/jkf_writer.h"
#include "record_writers.h"
#include "yaneuraou.h"
#include "../tests/cpp/sbk_writer.h"
#include "core/records/formats/kif/ki2_reader.h"
#include "core/records/formats/kif/ki2_resolver.h"
#include "core/records/formats/kif/kif_reader.h"

using namespace korvan;

namespace {

constexpr const char* MATSURI = "l6nl/5+P1gk/2np1S3/p1p4Pp/3P2Sp1/1PPb2P1P/P5GS1/R8/LN4bKL w GR5pnsg 1";

// A fixed game of 100 plies: the first legal move in canonical order after a few
// choices that keep it going.
std::vector<Move32> fixed_game(Position pos) {
    std::vector<Move32> game;
    for (int ply = 0; ply < 100; ++ply) {
        std::vector<Move32> moves = generate_legal_moves(pos);
        if (moves.empty()) break;
        const Move32 m = moves[(ply * 7 + 3) % moves.size()];
        game.push_back(m);
        position_do_move(pos, m);
    }
    return game;
}

double seconds_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

std::uint64_t perft(Position& pos, int depth) {
    MoveList list;
    generate_legal(pos, list);
    if (depth == 1) return list.size();
    std::uint64_t n = 0;
    for (Move m : list) {
        const Move32 m32 = position_move_to_move32(pos, m);
        position_do_move(pos, m32);
        n += perft(pos, depth - 1);
        (void)position_undo_move(pos, m32);
    }
    return n;
}

volatile std::uint64_t sink;

void bench_perft(int depth) {
    Position pos = position_startpos();
    const auto t0 = std::chrono::steady_clock::now();
    const std::uint64_t nodes = perft(pos, depth);
    const double s = seconds_since(t0);
    std::printf("perft(%d) start: %llu nodes in %.3f s, %.1f M nodes/s\n", depth,
                static_cast<unsigned long long>(nodes), s, nodes / s / 1e6);
}

void bench_movegen() {
    const Position pos = *position_from_sfen(MATSURI);
    const int n = 3'000'000;
    std::uint64_t total = 0;
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) {
        MoveList list;
        generate_legal(pos, list);
        total += list.size();
    }
    const double s = seconds_since(t0);
    sink = total;
    std::printf("legal generation, matsuri (207 moves): %.2f M/s (%.0f ns each)\n", n / s / 1e6, s / n * 1e9);
    const auto t1 = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) {
        MoveList list;
        generate_pseudo_legal(pos, list);
        total += list.size();
    }
    const double s1 = seconds_since(t1);
    sink = total;
    std::printf("pseudo-legal generation, matsuri: %.2f M/s (%.0f ns each)\n", n / s1 / 1e6, s1 / n * 1e9);
}

void bench_doundo() {
    Position pos = position_startpos();
    const std::vector<Move32> game = fixed_game(pos);
    const int rounds = 100'000;
    const auto t0 = std::chrono::steady_clock::now();
    for (int r = 0; r < rounds; ++r) {
        for (Move32 m : game) position_do_move(pos, m);
        for (auto it = game.rbegin(); it != game.rend(); ++it) (void)position_undo_move(pos, *it);
    }
    const double s = seconds_since(t0);
    const double pairs = static_cast<double>(rounds) * game.size();
    std::printf("do+undo over a %zu-ply game: %.2f M pairs/s (%.0f ns each)\n", game.size(), pairs / s / 1e6,
                s / pairs * 1e9);
}

void bench_sfen() {
    const int n = 1'000'000;
    std::uint64_t total = 0;
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) {
        auto pos = position_from_sfen(MATSURI);
        total += pos->key;
    }
    double s = seconds_since(t0);
    std::printf("SFEN parse (matsuri): %.2f M/s (%.0f ns each)\n", n / s / 1e6, s / n * 1e9);
    const Position pos = *position_from_sfen(MATSURI);
    t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) total += position_to_sfen(pos, pos.ply).size();
    s = seconds_since(t0);
    sink = total;
    std::printf("SFEN write (matsuri): %.2f M/s (%.0f ns each)\n", n / s / 1e6, s / n * 1e9);
}

template <class Encode, class Decode>
void bench_codec(const char* name, const std::vector<Position>& positions, Encode encode, Decode decode) {
    const int rounds = 20;
    std::vector<Packed32> packed;
    std::uint64_t total = 0;
    auto t0 = std::chrono::steady_clock::now();
    for (int r = 0; r < rounds; ++r) {
        packed.clear();
        for (const Position& pos : positions) packed.push_back(*encode(pos));
    }
    double s = seconds_since(t0);
    const double n = static_cast<double>(rounds) * positions.size();
    std::printf("%s encode: %.2f M/s (%.0f ns each)\n", name, n / s / 1e6, s / n * 1e9);
    t0 = std::chrono::steady_clock::now();
    for (int r = 0; r < rounds; ++r)
        for (const Packed32& p : packed) total += decode(p)->key;
    s = seconds_since(t0);
    sink = total;
    std::printf("%s decode (position with its first record): %.2f M/s (%.0f ns each)\n", name, n / s / 1e6, s / n * 1e9);
}

void bench_packed() {
    // Positions along a fixed game, from the start and from the matsuri position.
    std::vector<Position> positions;
    for (const char* start : {MATSURI, "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"}) {
        Position pos = *position_from_sfen(start);
        for (Move32 m : fixed_game(pos)) {
            positions.push_back(pos);
            position_do_move(pos, m);
        }
    }
    bench_codec("PackedSfen", positions, position_to_packed_sfen,
                [](const Packed32& p) { return position_from_packed_sfen(p, 1); });
    bench_codec("HuffmanCodedPos", positions, position_to_hcp, [](const Packed32& p) { return position_from_hcp(p, 1); });
}

// Random games, the same every run: a seeded playout of up to 320 plies from the start,
// every move with an evaluation.
std::vector<Record> bench_records(std::size_t count) {
    std::mt19937_64 rng(42);
    std::vector<Record> records;
    for (std::size_t g = 0; g < count; ++g) {
        Record r = record_new_startpos();
        Position pos = position_startpos();
        RecordNodeId parent = r.root;
        for (int ply = 0; ply < 320; ++ply) {
            MoveList list;
            generate_legal(pos, list);
            if (list.size() == 0) break;
            const Move m = list[rng() % list.size()];
            Annotations a;
            a.engine_info.emplace(engine_info_with_eval(static_cast<int>(rng() % 4001) - 2000));
            parent = *record_append_move(r, parent, m, std::move(a));
            position_do_move(pos, position_move_to_move32(pos, m));
        }
        SpecialMove end;
        end.kind = SpecialMoveKind::Resign;
        end.result = static_cast<GameResult>(pos.side_to_move == BLACK ? 1 : 0);
        (void)record_set_main_terminal(r, std::move(end), {});
        records.push_back(std::move(r));
    }
    return records;
}

template <class F>
void report(const char* what, double positions, int rounds, F f) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int r = 0; r < rounds; ++r) f();
    const double s = seconds_since(t0);
    const double n = positions * rounds;
    std::printf("%s: %.2f M positions/s (%.0f ns each)\n", what, n / s / 1e6, s / n * 1e9);
}

void bench_containers() {
    const std::vector<Record> records = bench_records(300);
    double positions = 0;
    for (const Record& r : records) positions += static_cast<double>(record_move_count(r));
    std::printf("%zu games, %.0f positions\n", records.size(), positions);
    const int rounds = 5;

    Bytes pack;
    report("pack encode (records to bytes)", positions, rounds, [&] {
        pack.clear();
        const auto encoded = encode_pack_records(records);
        for (const auto& e : *encoded) append_pack_record_bytes(e, pack);
    });
    report("pack decode (bytes to records)", positions, rounds, [&] { sink = decode_pack_records(pack)->size(); });

    std::vector<SbinpackChain> chains;
    report("sbinpack chains of records", positions, rounds, [&] {
        chains.clear();
        for (const Record& r : records) {
            auto made = record_to_sbinpack_chains(r, 0, {}, true, false);
            for (auto& c : *made) chains.push_back(std::move(c));
        }
    });
    Bytes sbinpack;
    report("sbinpack encode (chains to bytes)", positions, rounds, [&] { sbinpack = *encode_sbinpack(chains); });
    report("sbinpack decode (bytes to chains)", positions, rounds,
           [&] { sink = decode_sbinpack_chains(sbinpack)->size(); });
    report("sbinpack chains to records", positions, rounds, [&] {
        for (const SbinpackChain& c : chains) sink = record_from_sbinpack_chain(c)->nodes.size();
    });

    // Each move with three visited moves and a value, as self-play writes them.
    std::vector<SazGame> games;
    for (const Record& r : records) {
        SazGame g;
        g.stem = *position_to_packed_sfen(position_startpos());
        for (RecordNodeId id : record_main_line_ids(r)) {
            SazMove m;
            m.played = record_node(r, id).move;
            m.has_score_q = true;
            m.score_q = 100;
            m.policy = {{m.played, 700}, {MOVE_NULL, 200}, {MOVE_NULL, 100}};
            g.moves.push_back(std::move(m));
        }
        games.push_back(std::move(g));
    }
    Bytes sazpack;
    report("sazpack encode", positions, rounds, [&] { sazpack = *encode_sazpack_chunk(games); });
    report("sazpack decode", positions, rounds, [&] { sink = decode_sazpack_chunk(sazpack)->size(); });
    std::printf("bytes per position: pack %.2f, sbinpack %.2f, sazpack %.2f\n", pack.size() / positions,
                sbinpack.size() / positions, sazpack.size() / positions);
}

// A 150-move record from the start: a fixed walk through the legal moves, a time on
// every move, a comment on every tenth, a resignation at the end.
Record format_record() {
    Record r = record_new_startpos();
    Position pos = position_startpos();
    RecordNodeId at = r.root;
    for (int ply = 0; ply < 150; ++ply) {
        std::vector<Move32> moves = generate_legal_moves(pos);
        if (moves.empty()) break;
        const Move32 m = moves[(ply * 7 + 3) % moves.size()];
        Annotations a;
        a.time = Duration::from_ms(1000 * (ply % 30) + 123);
        if (ply % 10 == 0) a.comment = "comment " + std::to_string(ply);
        at = *record_append_move(r, at, move16(m), a);
        position_do_move(pos, m);
    }
    (void)record_append_terminal(r, at, SpecialMove{SpecialMoveKind::Resign, BLACK_WIN, "", std::nullopt}, {});
    r.metadata.set(RecordMetadataKey::BlackPlayer, "black");
    r.metadata.set(RecordMetadataKey::WhitePlayer, "white");
    return r;
}

template <class F>
void rate(const char* what, int n, F&& f) {
    std::uint64_t total = 0;
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) total += f();
    const double s = seconds_since(t0);
    sink = total;
    std::printf("%s: %.0f /s (%.1f us each)\n", what, n / s, s / n * 1e6);
}

void bench_formats() {
    const Record record = format_record();
    const std::string csa = *write_csa(record);
    const std::string jkf = *write_jkf(record);
    std::printf("record: %zu moves; CSA %zu bytes, JKF %zu bytes\n", record_move_count(record), csa.size(), jkf.size());
    // What every reader and writer pays at least: the legality test and the move itself.
    const std::vector<RecordNodeId> line = record_main_line_ids(record);
    rate("replay alone (legality test + do-move, 150 moves)", 40'000, [&] {
        Position pos = position_startpos();
        for (RecordNodeId id : line) {
            const Move32 m = position_move_to_move32(pos, record_node(record, id).move);
            if (position_is_legal(pos, m)) position_do_move(pos, m);
        }
        return pos.key;
    });
    rate("CSA read", 40'000, [&] { return parse_csa(csa)->nodes.size(); });
    rate("CSA write", 60'000, [&] { return write_csa(record)->size(); });
    rate("JKF read", 4'000, [&] { return parse_jkf(jkf)->nodes.size(); });
    rate("JKF write", 4'000, [&] { return write_jkf(record)->size(); });
    std::ifstream in(std::string(KORVAN_FIXTURES) + "/records/csa/engine_comments.csa", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const std::string engine = text.str();
    if (engine.empty() || !parse_csa(engine)) {
        std::printf("engine_comments.csa: not readable\n");
        return;
    }
    rate("CSA read, engine_comments.csa (400 moves)", 10'000, [&] { return parse_csa(engine)->nodes.size(); });
}

// ---- KIF and KI2 ----

// A game of `plies` moves that picks its moves by a fixed rule and stays playable.
std::vector<Move32> long_game(Position pos, std::size_t plies, std::uint64_t seed) {
    std::vector<Move32> game;
    while (game.size() < plies) {
        std::vector<Move32> moves = generate_legal_moves(pos);
        if (moves.empty()) return {};
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        const Move32 m = moves[(seed >> 33) % moves.size()];
        game.push_back(m);
        position_do_move(pos, m);
    }
    return game;
}

// The KIF move column of a move: square (or "同　"), the piece on the source, "成", the
// source; or the dropped piece and "打".
std::string kif_column(const Position& pos, Move32 m, bool same) {
    static const char* FILES[] = {"１", "２", "３", "４", "５", "６", "７", "８", "９"};
    static const char* RANKS[] = {"一", "二", "三", "四", "五", "六", "七", "八", "九"};
    static const char* NAMES[] = {"", "歩", "香", "桂", "銀", "角", "飛", "金", "玉", "と", "成香", "成桂", "成銀", "馬", "龍"};
    std::string out = same ? std::string("同　") : std::string(FILES[file_of(move_to(m))]) + RANKS[rank_of(move_to(m))];
    if (is_drop(m)) return out + NAMES[dropped_type(m)] + "打";
    out += NAMES[type_of(pos.board[move_from(m)])];
    if (is_promotion(m)) out += "成";
    return out + "(" + std::to_string(file_of(move_from(m)) + 1) + std::to_string(rank_of(move_from(m)) + 1) + ")";
}

struct RecordTexts {
    std::string kif;
    std::string ki2;
};

// The lines of moves in both formats, numbered from `first`, with a comment now and then.
void write_moves(RecordTexts& out, Position pos, const std::vector<Move32>& moves, std::size_t first,
                 Square previous) {
    std::string tokens;
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const Move32 m = moves[i];
        char line[64];
        std::snprintf(line, sizeof line, "%4zu ", first + i);
        out.kif += line;
        out.kif += kif_column(pos, m, move_to(m) == previous);
        std::snprintf(line, sizeof line, "   ( 0:%02zu/00:%02zu:%02zu)\n", i % 60, i / 60 % 60, i % 60);
        out.kif += line;
        tokens += *move_to_ki2(m, pos);
        if (i % 6 == 5 || i + 1 == moves.size()) {
            out.ki2 += tokens + "\n";
            tokens.clear();
        } else {
            tokens += "    ";
        }
        if (i % 25 == 7) {
            out.kif += "*いい手\n";
            out.ki2 += tokens.empty() ? "" : tokens + "\n";
            tokens.clear();
            out.ki2 += "*いい手\n";
        }
        previous = move_to(m);
        position_do_move(pos, m);
    }
}

RecordTexts game_texts() {
    const Position start = position_startpos();
    std::vector<Move32> game;
    for (std::uint64_t seed = 1; game.empty(); ++seed) game = long_game(start, 150, seed);
    RecordTexts out;
    const std::string header =
        "開始日時：2024/01/02 10:00:00\n棋戦：ベンチ\n持ち時間：10分+30秒\n手合割：平手\n先手：甲\n後手：乙\n";
    out.kif = header + "手数----指手---------消費時間--\n";
    out.ki2 = header + "\n";
    write_moves(out, start, game, 1, SQ_NONE);
    out.kif += " 151 投了         ( 0:10/00:10:00)\nまで150手で後手の勝ち\n";
    out.ki2 += "まで150手で後手の勝ち\n";
    // Three variations of ten moves each, branching from the main line; the latest
    // branch comes first, as a later block branches from the line read last.
    for (std::size_t at : {120u, 80u, 30u}) {
        Position pos = start;
        for (std::size_t i = 0; i + 1 < at; ++i) position_do_move(pos, game[i]);
        const std::vector<Move32> line = long_game(pos, 10, at);
        out.kif += "\n変化：" + std::to_string(at) + "手\n";
        out.ki2 += "\n変化：" + std::to_string(at) + "手\n";
        write_moves(out, pos, line, at, move_to(game[at - 2]));
    }
    return out;
}

template <class Read>
void bench_reader(const char* name, const std::string& text, Read read, int n) {
    std::uint64_t total = 0;
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) total += read(text);
    const double s = seconds_since(t0);
    sink = total;
    std::printf("%s read (150 moves, 3 variations of 10, %zu bytes): %.0f records/s (%.1f us each)\n", name,
                text.size(), n / s, s / n * 1e6);
}

void bench_kif(int n) {
    const RecordTexts texts = game_texts();
    auto kif_nodes = [](const std::string& t) -> std::uint64_t {
        auto r = parse_kif(t);
        if (!r) {
            std::fprintf(stderr, "KIF: %s\n", kif_error_display(r.error()).c_str());
            std::exit(1);
        }
        return r->nodes.size();
    };
    auto ki2_nodes = [](const std::string& t) -> std::uint64_t {
        auto r = parse_ki2(t);
        if (!r) {
            std::fprintf(stderr, "KI2: %s\n", ki2_error_display(r.error()).c_str());
            std::exit(1);
        }
        return r->nodes.size();
    };
    // The root, 150 moves, the terminal and 30 variation moves.
    if (kif_nodes(texts.kif) != 182 || ki2_nodes(texts.ki2) != 182) {
        std::fprintf(stderr, "records: unexpected node counts\n");
        std::exit(1);
    }
    bench_reader("KIF", texts.kif, kif_nodes, n);
    bench_reader("KI2", texts.ki2, ki2_nodes, n);
}

// Seeded random playouts from the start and from bare kings with every other piece in
// hand (drops put many silvers and golds next to each other). In each position every
// legal move is written and read back; a text that fails to resolve, or resolves to
// another move, is counted and the first few are shown.
void ki2_check(std::uint64_t wanted) {
    constexpr const char* STARTS[] = {"lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1",
                                      "4k4/9/9/9/9/9/9/9/4K4 b 2R2B4G4S4N4L18P 1"};
    std::mt19937_64 rng(2024);
    std::uint64_t moves[2] = {}, wrong[2] = {}, games = 0, positions = 0;
    const auto t0 = std::chrono::steady_clock::now();
    while (moves[0] + moves[1] < wanted) {
        const int start = static_cast<int>(games++ % 2);
        Position pos = *position_from_sfen(STARTS[start]);
        for (int ply = 0; ply < 256; ++ply) {
            MoveList list;
            generate_legal(pos, list);
            if (list.size() == 0) break;
            ++positions;
            const bool has_previous = ply > 0;
            const Square previous = has_previous ? move_to(pos.st().last_move) : SQ_NONE;
            for (Move m : list) {
                ++moves[start];
                const auto text = move_to_ki2(position_move_to_move32(pos, m), pos);
                std::optional<Ki2Move> read;
                if (text) {
                    Ki2Tokens tokens(*text);
                    const auto token = tokens.next();
                    if (token && !tokens.next()) read = resolve_ki2_token(pos, *token, has_previous, previous);
                }
                if (read && read->move == m && read->to == move_to(m)) continue;
                if (++wrong[start] <= 10)
                    std::printf("  %s %s in %s -> %s\n", move_display_usi(m).c_str(), text ? text->c_str() : "<no text>",
                                position_to_sfen(pos, 1).c_str(), read ? move_display_usi(read->move).c_str() : "<none>");
            }
            position_do_move(pos, position_move_to_move32(pos, list[rng() % list.size()]));
        }
    }
    const double s = seconds_since(t0);
    std::printf("ki2check: %llu legal moves (%llu from the start, %llu from kings and full hands) in %llu positions of "
                "%llu games, %.1f s\n",
                static_cast<unsigned long long>(moves[0] + moves[1]), static_cast<unsigned long long>(moves[0]),
                static_cast<unsigned long long>(moves[1]), static_cast<unsigned long long>(positions),
                static_cast<unsigned long long>(games), s);
    std::printf("ki2check: %llu texts do not read back as their move (%llu from the start, %llu from full hands)\n",
                static_cast<unsigned long long>(wrong[0] + wrong[1]), static_cast<unsigned long long>(wrong[0]),
                static_cast<unsigned long long>(wrong[1]));
}

// Seeded random games of up to 150 plies from the start, each with three 10-move
// variations branching at random plies of the main line.
std::vector<Record> book_games(int count) {
    std::mt19937_64 rng(2024);
    std::vector<Record> games;
    const auto random_move = [&](const Position& pos) -> Move32 {
        MoveList list;
        generate_legal(pos, list);
        return list.size() ? position_move_to_move32(pos, list[rng() % list.size()]) : 0;
    };
    for (int g = 0; g < count; ++g) {
        Record r = record_new_startpos();
        Position pos = position_startpos();
        std::vector<RecordNodeId> line{r.root};
        std::vector<Position> positions{pos};
        for (int ply = 0; ply < 150; ++ply) {
            const Move32 m = random_move(pos);
            if (!m) break;
            Annotations a;
            a.engine_info.emplace(engine_info_with_eval(static_cast<std::int16_t>(rng() % 2000) - 1000));
            line.push_back(*record_append_move(r, line.back(), move16(m), std::move(a)));
            position_do_move(pos, m);
            positions.push_back(pos);
        }
        for (int v = 0; v < 3 && line.size() > 2; ++v) {
            const std::size_t at = rng() % (line.size() - 1);
            Position vp = positions[at];
            RecordNodeId parent = line[at];
            for (int i = 0; i < 10; ++i) {
                const Move32 m = random_move(vp);
                if (!m) break;
                parent = *record_append_move(r, parent, move16(m), {});
                position_do_move(vp, m);
            }
        }
        games.push_back(std::move(r));
    }
    return games;
}

void bench_books() {
    // Keys one move ahead: every legal move of the positions of a fixed game.
    {
        Position pos = position_startpos();
        std::vector<std::pair<Position, std::vector<Move>>> cases;
        for (Move32 m : fixed_game(pos)) {
            MoveList list;
            generate_legal(pos, list);
            cases.push_back({pos, std::vector<Move>(list.begin(), list.end())});
            position_do_move(pos, m);
        }
        std::uint64_t calls = 0, total = 0;
        const auto t0 = std::chrono::steady_clock::now();
        for (int round = 0; round < 200; ++round)
            for (const auto& [p, moves] : cases)
                for (Move m : moves) {
                    total ^= book_key_after(p, m)->low;
                    ++calls;
                }
        const double s = seconds_since(t0);
        sink = total;
        std::printf("book_key_after: %.1f M/s (%.1f ns; %llu calls)\n", calls / s / 1e6, s / calls * 1e9,
                    static_cast<unsigned long long>(calls));
    }
    // The record walk, best of five rounds (one round takes a few milliseconds).
    {
        const std::vector<Record> games = book_games(300);
        double best = 1e9;
        MemoryBook book;
        for (int round = 0; round < 5; ++round) {
            BookBuilder builder;
            const auto t0 = std::chrono::steady_clock::now();
            for (const Record& r : games)
                if (!builder.extend_from_game_record(r, 0, 0)) std::exit(1);
            best = std::min(best, seconds_since(t0));
            book = builder.into_memory();
        }
        std::printf("builder walk (300 games, 150 moves, 3 variations of 10): %.2f M positions/s (%zu moves, "
                    "%zu keys, %.1f ms)\n",
                    book.move_count() / best / 1e6, book.move_count(), book.size(), best * 1e3);
    }
    // A book of 1 M keys and 3 M moves, inserted in random order.
    {
        constexpr std::size_t KEYS = 1'000'000;
        std::mt19937_64 rng(7);
        std::vector<std::uint64_t> keys(KEYS);
        for (std::uint64_t& k : keys) k = rng();
        std::vector<std::uint32_t> order(3 * KEYS);
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::uint32_t>(i % KEYS);
        std::shuffle(order.begin(), order.end(), rng);
        BookBuilder builder;
        auto t0 = std::chrono::steady_clock::now();
        for (std::uint32_t i : order)
            builder.insert(keys[i], BookMove{static_cast<Move>(rng()), static_cast<std::int16_t>(rng()),
                                             static_cast<std::uint16_t>(rng() % 40)});
        double s = seconds_since(t0);
        std::printf("book insert (3 M moves over 1 M keys): %.1f M/s (%.0f ms)\n", order.size() / s / 1e6, s * 1e3);
        t0 = std::chrono::steady_clock::now();
        const StaticBook book = builder.build_static();
        s = seconds_since(t0);
        std::printf("build_static: %.0f ms (%zu keys, %zu moves)\n", s * 1e3, book.size(), book.moves().size());
        t0 = std::chrono::steady_clock::now();
        const Bytes bytes = static_book_to_bytes(book);
        s = seconds_since(t0);
        std::printf("static book to_bytes: %.0f ms (%zu bytes)\n", s * 1e3, bytes.size());
        t0 = std::chrono::steady_clock::now();
        const auto back = static_book_from_bytes(bytes);
        s = seconds_since(t0);
        if (!back || back->size() != book.size()) std::exit(1);
        std::printf("static book from_bytes: %.0f ms\n", s * 1e3);
        std::vector<std::uint64_t> probes(4'000'000);
        for (std::uint64_t& p : probes) p = rng() % 2 ? keys[rng() % KEYS] : rng();
        std::uint64_t found = 0;
        t0 = std::chrono::steady_clock::now();
        for (std::uint64_t p : probes) {
            const auto entry = back->get(p);
            if (entry) found += entry->moves.size();
        }
        s = seconds_since(t0);
        sink = found;
        std::printf("static book get (half present): %.1f M/s (%.0f ns)\n", probes.size() / s / 1e6,
                    s / probes.size() * 1e9);
        t0 = std::chrono::steady_clock::now();
        for (std::uint64_t p : probes) found += back->contains(p);
        s = seconds_since(t0);
        sink = found;
        std::printf("static book contains: %.1f M/s (%.0f ns)\n", probes.size() / s / 1e6, s / probes.size() * 1e9);
    }
}


// Resident memory in KiB from /proc: the current size, or the peak since the last reset.
long resident_kib(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string want = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(want, 0) == 0) return std::atol(line.c_str() + want.size());
    return -1;
}

// The largest resident size seen while `work` runs, sampled every millisecond (the
// kernel's own peak also holds the book generation that came before).
template <class F>
long peak_resident_kib_during(F&& work) {
    std::atomic<bool> done{false};
    std::atomic<long> peak{resident_kib("VmRSS")};
    std::thread sampler([&] {
        while (!done.load()) {
            peak = std::max(peak.load(), resident_kib("VmRSS"));
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    work();
    done = true;
    sampler.join();
    return std::max(peak.load(), resident_kib("VmRSS"));
}

void bench_sbk_book(std::size_t state_count) {
    const std::string path = "/tmp/korvan-bench-" + std::to_string(state_count) + ".sbk";
    std::vector<std::string> sfens;
    {
        const auto t0 = std::chrono::steady_clock::now();
        sbk_writer::GeneratedBook generated = sbk_writer::generate_book(state_count, 7);
        const Bytes bytes = sbk_writer::sbk_file(generated.states);
        if (!write_whole_file(path, bytes)) std::exit(1);
        for (std::size_t i = 0; i < generated.positions.size(); i += std::max<std::size_t>(1, state_count / 20000))
            sfens.push_back(generated.positions[i] + " 1");
        std::printf("sbk %zu states: %.1f MB file (generated in %.1f s)\n", state_count, bytes.size() / 1e6,
                    seconds_since(t0));
    }
    double best = 1e9;
    long growth = 0;
    ::malloc_trim(0);
    for (int round = 0; round < (state_count > 100000 ? 1 : 5); ++round) {
        const long before = resident_kib("VmRSS");
        double s = 0;
        const long peak = peak_resident_kib_during([&] {
            const auto t0 = std::chrono::steady_clock::now();
            auto book = SbkBook::open(path);
            s = seconds_since(t0);
            if (!book) std::exit(1);
        });
        best = std::min(best, s);
        growth = std::max(growth, peak - before);
    }
    std::uint64_t calls = 0;
    auto book = SbkBook::open(path);
    std::printf("  open: %.3f s (%.2f us/state), peak resident growth %.0f MB; %zu positions\n", best,
                best / state_count * 1e6, growth / 1024.0, book->size());
    {
        std::uint64_t progress_calls = 0;
        const auto t0 = std::chrono::steady_clock::now();
        auto again = SbkBook::open(path, [&](const SbkOpenProgress&) { return ++progress_calls != 0; });
        if (!again) std::exit(1);
        std::printf("  open with a progress callback: %.3f s (%llu calls)\n", seconds_since(t0),
                    static_cast<unsigned long long>(progress_calls));
    }
    std::vector<Position> positions;
    for (std::size_t i = 0; i < std::min<std::size_t>(sfens.size(), 2000); ++i) positions.push_back(*position_from_sfen(sfens[i]));
    {
        std::uint64_t found = 0;
        const auto t0 = std::chrono::steady_clock::now();
        for (int round = 0; round < 10; ++round)
            for (const Position& p : positions) {
                found += book->lookup_position(p)->has_value();
                ++calls;
            }
        const double s = seconds_since(t0);
        std::printf("  lookup_position: %.0f /s (%.1f us; %llu of %llu found)\n", calls / s, s / calls * 1e6,
                    static_cast<unsigned long long>(found), static_cast<unsigned long long>(calls));
    }
    {
        std::uint64_t found = 0;
        calls = 0;
        const auto t0 = std::chrono::steady_clock::now();
        for (const std::string& sfen : sfens) {
            found += book->lookup_sfen(sfen)->has_value();
            ++calls;
        }
        const double s = seconds_since(t0);
        std::printf("  lookup_sfen: %.0f /s (%.1f us; %llu of %llu found)\n", calls / s, s / calls * 1e6,
                    static_cast<unsigned long long>(found), static_cast<unsigned long long>(calls));
    }
    std::remove(path.c_str());
}

void bench_sbk() {
    bench_sbk_book(30'000);
    bench_sbk_book(1'000'000);
}

// ---- mate in one ----

std::vector<Position> quiet_middle_games() {
    std::vector<Position> out;
    for (const char* name : {"v2.csa", "2005_GPS_K-SHOGI.csa", "engine_comments.csa"}) {
        std::ifstream in(std::string(KORVAN_FIXTURES) + "/records/csa/" + name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        const auto record = parse_csa(text.str());
        if (!record) {
            std::printf("mate1: %s not readable\n", name);
            continue;
        }
        const std::vector<RecordNodeId> line = record_main_line_ids(*record);
        Position pos = record->init_position_sfen ? *position_from_sfen(*record->init_position_sfen) : position_startpos();
        for (std::size_t ply = 0; ply < line.size() && ply < 150; ++ply) {
            const RecordNode& node = record_node(*record, line[ply]);
            if (node.move == MOVE_NONE) break;
            if (ply >= 30 && ply + 10 < line.size() && pos.st().checkers.empty() && !position_solve_mate_in_one(pos))
                out.push_back(*position_from_sfen(position_to_sfen(pos, 1)));
            const Move32 m = position_move_to_move32(pos, node.move);
            if (!position_is_legal(pos, m)) break;
            position_do_move(pos, m);
        }
    }
    return out;
}

std::vector<Position> mating_positions(std::size_t wanted) {
    std::vector<Position> out;
    std::mt19937_64 rng(2024);
    while (out.size() < wanted) {
        Position pos = position_startpos();
        for (int ply = 0; ply < 256 && out.size() < wanted; ++ply) {
            if (position_solve_mate_in_one(pos)) out.push_back(*position_from_sfen(position_to_sfen(pos, 1)));
            MoveList list;
            generate_legal(pos, list);
            if (list.size() == 0) break;
            position_do_move(pos, position_move_to_move32(pos, list[rng() % list.size()]));
        }
    }
    return out;
}

void bench_mate1(int rounds, const std::string& only) {
    auto run = [&](const char* what, const std::vector<Position>& set) {
        double best = 1e30;
        std::uint64_t found = 0;
        for (int attempt = 0; attempt < 5; ++attempt) {
            found = 0;
            const auto t0 = std::chrono::steady_clock::now();
            for (int r = 0; r < rounds; ++r)
                for (const Position& pos : set) found += position_solve_mate_in_one(pos).has_value();
            const double s = seconds_since(t0);
            best = std::min(best, s / (static_cast<double>(rounds) * set.size()));
        }
        sink = found;
        std::printf("mate in one, %s (%zu positions, %llu mates a round): %.1f ns per call (best of 5)\n", what,
                    set.size(), static_cast<unsigned long long>(found / rounds), best * 1e9);
    };
    if (only != "quiet") run("mating", mating_positions(500));
    if (only != "mating") run("quiet middle game", quiet_middle_games());
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "all";
    if (mode == "perft") {
        bench_perft(argc > 2 ? std::atoi(argv[2]) : 5);
    } else if (mode == "movegen") {
        bench_movegen();
    } else if (mode == "doundo") {
        bench_doundo();
    } else if (mode == "sfen") {
        bench_sfen();
    } else if (mode == "packed") {
        bench_packed();
    } else if (mode == "containers") {
        bench_containers();
    } else if (mode == "formats") {
        bench_formats();
    } else if (mode == "kif") {
        bench_kif(argc > 2 ? std::atoi(argv[2]) : 20'000);
    } else if (mode == "writers") {
        bench_writers::bench_record_writers(argc > 2 ? std::atoi(argv[2]) : 20'000);
    } else if (mode == "ki2check") {
        ki2_check(argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1'000'000);
    } else if (mode == "books") {
        bench_books();
    } else if (mode == "sbk") {
        bench_sbk();
    } else if (mode == "yaneuraou") {
        bench_yaneuraou::bench();
    } else if (mode == "mate1") {
        bench_mate1(argc > 2 ? std::atoi(argv[2]) : 1'000, argc > 3 ? argv[3] : "");
    } else if (mode == "all") {
        bench_perft(5);
        bench_movegen();
        bench_doundo();
        bench_sfen();
        bench_packed();
        bench_containers();
        bench_formats();
        bench_kif(20'000);
        bench_writers::bench_record_writers(20'000);
        bench_books();
        bench_sbk();
        bench_yaneuraou::bench();
        bench_mate1(1'000, "");
    } else {
        std::fprintf(stderr, "modes: perft [depth] | movegen | doundo | sfen | packed | containers | formats | kif [reads] | writers [n] | ki2check [n] | mate1 [rounds [mating|quiet]] | books | sbk | yaneuraou | all\n");
        return 2;
    }
    return 0;
}
