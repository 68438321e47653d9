// YaneuraOu db books: the ordering check at open and in full, the dispatch of the ordered
// search, bisection against the scan over seeded books, and the files that change,
// never end a line or hold too long a line.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "book_support.h"
#include "core/book/yaneuraou_book.h"
#include "support.h"

using namespace korvan;
using namespace korvan::test;

namespace {

Bytes bytes_of(std::string_view text) { return Bytes(text.begin(), text.end()); }

YaneuraOuBook book_of(std::string_view text) {
    auto book = YaneuraOuBook::from_bytes(bytes_of(text));
    if (!book) throw std::runtime_error("book did not open: " + book_error_display(book.error()));
    return std::move(*book);
}

void write_file(const std::string& path, std::string_view text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(text.data(), static_cast<std::streamsize>(text.size()));
}

std::string error_text(const auto& result) { return result ? std::string("no error") : book_error_display(result.error()); }

YaneuraOuOrdering sorted(std::uint64_t rows, bool complete) {
    YaneuraOuOrdering out;
    out.checked_rows = rows;
    out.complete = complete;
    return out;
}

// ---- seeded books

struct Generated {
    std::string text;
    std::map<std::string, YaneuraOuEntry> entries;  // by normalised SFEN
    std::vector<std::string> absent;                 // positions the book lacks, with their ply
    std::vector<std::string> present;                // the entries' positions at another ply
};

struct BookShape {
    const char* name;
    std::uint64_t seed;
    std::size_t positions;
    bool crlf;
    bool final_feed;
    bool long_entries;
};

std::string usi_of(Move m) { return move_display_usi(m); }

// A book of positions from random playouts, written with every optional form of the
// text: headers, comments and blank lines anywhere, fields spaced by tabs, "none" and
// "None", the comment markers. The expected entries are built beside the text.
Generated generate(const BookShape& shape) {
    std::mt19937_64 rng(shape.seed);
    const auto chance = [&](unsigned n) { return rng() % n == 0; };
    std::map<std::string, std::pair<std::string, std::uint16_t>> positions;  // key -> (board text, ply)
    std::set<std::string> absent_keys;
    Generated out;
    while (positions.size() < shape.positions) {
        Position pos = position_startpos();
        const std::size_t plies = rng() % 40;
        for (std::size_t i = 0; i <= plies; ++i) {
            const std::string key = position_to_sfen(pos, 1);
            if (!positions.count(key) && !absent_keys.count(key)) {
                if (chance(5)) {
                    absent_keys.insert(key);
                    out.absent.push_back(position_to_sfen(pos, pos.ply));
                } else {
                    positions.emplace(key, std::make_pair(position_to_sfen(pos, pos.ply), pos.ply));
                }
            }
            const Move32 m = random_legal(pos, rng);
            if (!m) break;
            position_do_move(pos, m);
        }
    }
    const std::string end = shape.crlf ? "\r\n" : "\n";
    const auto word = [&] { return "w" + std::to_string(rng() % 100000); };
    const auto comment_text = [&](std::size_t size) {
        std::string c = word();
        while (c.size() < size) c += " " + word();
        return c;
    };
    std::string& t = out.text;
    if (chance(2)) t += "#YANEURAOU-DB2016 1.00" + end;
    if (chance(2)) t += "# generated book" + end;
    for (const auto& [key, written] : positions) {
        YaneuraOuEntry& entry = out.entries[key];
        entry.sfen = key;
        entry.min_ply = written.second;
        std::string line = "sfen " + written.first;
        if (chance(4)) std::replace(line.begin() + 5, line.end(), ' ', '\t');
        t += line + end;
        out.present.push_back(written.first.substr(0, written.first.rfind(' ')) + " " + std::to_string(rng() % 500));
        const bool long_entry = shape.long_entries && chance(20);
        const auto add_comment_line = [&](std::string& target, std::size_t size) {
            const std::string c = comment_text(size);
            t += (chance(2) ? "# " : "//") + c + end;
            target += target.empty() ? c : "\n" + c;
        };
        if (chance(4)) add_comment_line(entry.comment, 20);
        const Position pos = sfen(key);
        MoveList legal;
        generate_legal(pos, legal);
        const std::size_t moves = long_entry ? 40 : rng() % 41;
        for (std::size_t i = 0; i < moves && legal.size() > 0; ++i) {
            YaneuraOuMove m;
            m.mv = static_cast<Move>(legal[rng() % legal.size()]);
            m.ponder = chance(5) ? MOVE_NONE : static_cast<Move>(legal[rng() % legal.size()]);
            std::string fields = usi_of(m.mv) + (chance(3) ? "\t" : " ") + (m.ponder ? usi_of(m.ponder) : chance(2) ? "none" : "None");
            const std::size_t count = 2 + rng() % 4;
            const auto number = [&](auto& field, auto value, std::size_t index) {
                if (index >= count) return;
                if (chance(4)) {
                    fields += chance(2) ? " none" : " None";
                    return;
                }
                field = value;
                fields += " " + std::to_string(value);
            };
            number(m.score, static_cast<std::int32_t>(rng() % 4001) - 2000, 2);
            number(m.depth, static_cast<std::uint32_t>(rng() % 64), 3);
            number(m.count, static_cast<std::uint64_t>(rng() % 1000000), 4);
            if (count == 5 && chance(2)) {
                const std::string c = comment_text(long_entry ? 300 : 10);
                switch (rng() % 4) {
                    case 0: fields += " // " + c, m.comment = " " + c; break;
                    case 1: fields += " #" + c, m.comment = c; break;
                    case 2: fields += "\t//" + c, m.comment = c; break;
                    default: fields += "  " + c, m.comment = c; break;
                }
            }
            t += fields + end;
            entry.moves.push_back(m);
            if (chance(6)) add_comment_line(entry.moves.back().comment, 15);
            if (chance(10)) t += (chance(2) ? std::string() : std::string(" \t")) + end;
            if (chance(40)) t += "#YANEURAOU-DB2016 1.00" + end;
        }
    }
    if (!shape.final_feed && t.ends_with(end)) t.resize(t.size() - end.size());
    return out;
}

class YaneuraOuGenerated : public ::testing::TestWithParam<BookShape> {};

TEST_P(YaneuraOuGenerated, BisectionAndScanFindEveryEntry) {
    const Generated g = generate(GetParam());
    const YaneuraOuBook book = book_of(g.text);
    ASSERT_EQ(book.diagnostics(), sorted(g.entries.size(), true));
    std::size_t i = 0;
    for (const auto& [key, expected] : g.entries) {
        const std::string& query = g.present[i++];
        const auto bisected = book.lookup_sfen(query);
        ASSERT_TRUE(bisected) << book_error_display(bisected.error());
        ASSERT_TRUE(*bisected) << query;
        EXPECT_EQ(**bisected, expected);
        const auto scanned = book.lookup_sfen_by_scan(query);
        ASSERT_TRUE(scanned && *scanned);
        EXPECT_EQ(**scanned, expected);
        if (i % 7 == 0) {
            EXPECT_EQ(**book.lookup_position(sfen(query)), expected);
        }
    }
    for (const std::string& query : g.absent) {
        EXPECT_EQ(book.lookup_sfen(query).value(), std::nullopt) << query;
        EXPECT_EQ(book.lookup_sfen_by_scan(query).value(), std::nullopt) << query;
    }
}

INSTANTIATE_TEST_SUITE_P(Books, YaneuraOuGenerated,
                         ::testing::Values(BookShape{"LfWithFinalFeed", 1, 300, false, true, false},
                                           BookShape{"LfNoFinalFeed", 2, 300, false, false, false},
                                           BookShape{"CrLfWithFinalFeed", 3, 300, true, true, false},
                                           BookShape{"CrLfNoFinalFeed", 4, 300, true, false, false},
                                           BookShape{"LongEntries", 5, 200, false, false, true},
                                           BookShape{"LongEntriesCrLf", 6, 200, true, true, true},
                                           BookShape{"OnePosition", 7, 1, false, false, true},
                                           BookShape{"TwoPositions", 8, 2, true, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(YaneuraOuBook, FileBookReadsAsItsBytes) {
    const Generated g = generate(BookShape{"", 9, 150, false, true, true});
    ScratchDir dir;
    write_file(dir.file("book.db"), g.text);
    const auto book = YaneuraOuBook::open(dir.file("book.db"));
    ASSERT_TRUE(book);
    EXPECT_EQ(book->file_size(), g.text.size());
    for (const std::string& query : g.present) {
        EXPECT_EQ(book->lookup_sfen(query).value(), book->lookup_sfen_by_scan(query).value());
        EXPECT_TRUE(*book->lookup_sfen(query));
    }
}

// ---- the ordering check

// Distinct positions in order: two kings on every pair of squares, either side to move.
std::vector<std::string> king_positions(std::size_t n) {
    std::vector<std::string> keys;
    for (int black = 0; black < 81; ++black)
        for (int white = 0; white < 81; ++white) {
            if (black == white) continue;
            std::string board;
            for (int rank = 0; rank < 9; ++rank) {
                if (rank) board += '/';
                int empty = 0;
                for (int file = 0; file < 9; ++file) {
                    const int sq = rank * 9 + file;
                    const char piece = sq == black ? 'K' : sq == white ? 'k' : 0;
                    if (!piece) {
                        ++empty;
                        continue;
                    }
                    if (empty) board += static_cast<char>('0' + empty), empty = 0;
                    board += piece;
                }
                if (empty) board += static_cast<char>('0' + empty);
            }
            keys.push_back(board + " b - 1");
            keys.push_back(board + " w - 1");
        }
    std::sort(keys.begin(), keys.end());
    keys.resize(n);
    return keys;
}

// The header, then each position line followed by one move line: position k is on line 2k.
std::string book_text(const std::vector<std::string>& keys) {
    std::string t = "#YANEURAOU-DB2016 1.00\n";
    for (const std::string& key : keys) t += "sfen " + key + "\n7g7f 3c3d\n";
    return t;
}


YaneuraOuOrdering unsorted(std::uint64_t rows, std::uint64_t line, std::string previous, std::string current) {
    return YaneuraOuOrdering{YaneuraOuOrdering::Kind::Unsorted, rows, false, line, std::move(previous),
                             std::move(current)};
}

constexpr std::string_view PARTIAL =
    "unsupported feature: yaneuraou db ordering was only partially validated; call validate_full or use "
    "lookup_sfen_by_scan";
constexpr std::string_view NOT_SORTED = "unsupported feature: yaneuraou db is not sorted; use lookup_sfen_by_scan";
constexpr std::string_view BAD_HEADER = "invalid book format: unsupported yaneuraou book header";

TEST(YaneuraOuOrdering, TheQuickCheckStopsAtTenThousandPositions) {
    const std::vector<std::string> keys = king_positions(10001);
    EXPECT_EQ(book_of(book_text({keys.begin(), keys.begin() + 9999})).diagnostics(), sorted(9999, true));

    YaneuraOuBook exact = book_of(book_text({keys.begin(), keys.begin() + 10000}));
    EXPECT_EQ(exact.diagnostics(), sorted(10000, false));
    EXPECT_EQ(error_text(exact.lookup_sfen(keys[5])), PARTIAL);
    EXPECT_EQ(exact.lookup_sfen_by_scan(keys[9999])->value().sfen, keys[9999]);
    EXPECT_EQ(exact.validate_full().value(), sorted(10000, true));
    EXPECT_EQ(exact.lookup_sfen(keys[9999])->value().moves.size(), 1u);

    // The disorder after the limit is found only by the full check.
    std::vector<std::string> late = keys;
    std::swap(late[9999], late[10000]);
    YaneuraOuBook book = book_of(book_text(late));
    EXPECT_EQ(book.diagnostics(), sorted(10000, false));
    EXPECT_EQ(book.validate_full().value(), unsorted(10001, 20002, keys[10000], keys[9999]));
    EXPECT_EQ(error_text(book.lookup_sfen(keys[0])), NOT_SORTED);
    // The last line of the limit is compared before the check stops.
    std::swap(late[9998], late[9999]);
    late.resize(10000);
    EXPECT_EQ(book_of(book_text(late)).diagnostics(), unsorted(10000, 20000, keys[10000], keys[9998]));
}

TEST(YaneuraOuOrdering, UnsortedAndInvalidHeaderBooks) {
    const std::vector<std::string> keys = king_positions(3);
    const std::string at_nine = keys[1].substr(0, keys[1].size() - 1) + "9";
    const std::string at_ten = keys[1].substr(0, keys[1].size() - 1) + "10";
    // In order as full texts, not as normalised ones: the same position at two plies.
    const std::string twice = "sfen " + keys[0] + "\n\n# c\nsfen " + at_ten + "\nsfen " + at_nine + "\n7g7f 3c3d\n";
    const YaneuraOuBook book = book_of(twice);
    EXPECT_EQ(book.diagnostics(), unsorted(3, 5, keys[1], keys[1]));
    EXPECT_EQ(error_text(book.lookup_sfen(keys[1])), NOT_SORTED);
    // The dispatch comes before the query is read; the scan gives the first of equals.
    EXPECT_EQ(error_text(book.lookup_sfen("sfen " + keys[1])), NOT_SORTED);
    const auto first = book.lookup_sfen_by_scan(keys[1]);
    EXPECT_EQ(first->value().min_ply, 10u);
    EXPECT_TRUE(first->value().moves.empty());

    const std::string header = "sfen " + keys[0] + "\n7g7f 3c3d\nsfen " + keys[1] + "\n#YANEURAOU-DB2016 2.00\n";
    const YaneuraOuBook bad = book_of(header);
    EXPECT_EQ(bad.diagnostics().kind, YaneuraOuOrdering::Kind::InvalidHeader);
    EXPECT_EQ(error_text(bad.lookup_sfen(keys[0])), BAD_HEADER);
    EXPECT_EQ(bad.lookup_sfen_by_scan(keys[0])->value().moves.size(), 1u);
    EXPECT_EQ(error_text(bad.lookup_sfen_by_scan(keys[1])), BAD_HEADER);
    EXPECT_EQ(error_text(bad.lookup_sfen_by_scan(keys[2])), BAD_HEADER);
}

TEST(YaneuraOuOrdering, EmptyAndMarkedBooks) {
    const YaneuraOuBook empty = book_of("");
    EXPECT_EQ(empty.diagnostics(), sorted(0, true));
    EXPECT_EQ(empty.lookup_sfen(std::string(STARTPOS_SFEN)).value(), std::nullopt);
    EXPECT_EQ(empty.lookup_sfen_by_scan(std::string(STARTPOS_SFEN)).value(), std::nullopt);

    const YaneuraOuBook marked =
        book_of("\xEF\xBB\xBF#YANEURAOU-DB2016 1.00\r\nsfen " + std::string(STARTPOS_SFEN) + "\r\n7g7f 3c3d 0 0 0");
    EXPECT_EQ(marked.diagnostics(), sorted(1, true));
    // The query's ply plays no part.
    EXPECT_EQ(marked.lookup_position(sfen("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 99"))
                  ->value()
                  .min_ply,
              1u);
    Position moved = position_startpos();
    play(moved, "7g7f");
    EXPECT_EQ(marked.lookup_position(moved).value(), std::nullopt);
    EXPECT_EQ(marked.lookup_sfen("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 99")->value().moves.size(),
              1u);
}

TEST(YaneuraOuOrdering, QueryAndLineErrors) {
    const YaneuraOuBook book = book_of("sfen " + std::string(STARTPOS_SFEN) + "\n7g7f 3c3d x\n");
    EXPECT_EQ(error_text(book.lookup_sfen("lnsgkgsnl b")), "invalid data: invalid sfen");
    EXPECT_TRUE(error_text(book.lookup_sfen("sfen " + std::string(STARTPOS_SFEN))).starts_with("invalid data: invalid sfen: "));
    EXPECT_TRUE(error_text(book.lookup_sfen_by_scan("sfen " + std::string(STARTPOS_SFEN)))
                    .starts_with("invalid data: invalid sfen: "));
    // Move lines are not read by the ordering check, but fail every lookup that reads them;
    // the ordered search counts lines from the entry.
    EXPECT_EQ(book.diagnostics(), sorted(1, true));
    EXPECT_EQ(error_text(book.lookup_sfen(std::string(STARTPOS_SFEN))),
              "invalid data: line 1: invalid score: invalid digit found in string");
    EXPECT_EQ(error_text(book.lookup_sfen_by_scan(std::string(STARTPOS_SFEN))),
              "invalid data: line 2: invalid score: invalid digit found in string");
    EXPECT_EQ(error_text(YaneuraOuBook::from_bytes(bytes_of("#c\nsfen x y\n"))), "invalid data: line 2: invalid sfen");
    EXPECT_EQ(error_text(YaneuraOuBook::from_bytes(bytes_of("\nsfen a b \xC3"))),
              "invalid data: line 2: invalid utf-8: incomplete utf-8 byte sequence from index 9; CP932 / Shift_JIS "
              "input is not supported");
}

// ---- files: too long lines, changes after a check

TEST(YaneuraOuFiles, LinesLongerThanTheCapAreRefused) {
    const std::string start = "sfen " + std::string(STARTPOS_SFEN) + "\n";
    const std::string exact = start + "#" + std::string(YANEURAOU_LINE_CAP - 1, 'x') + "\n";
    EXPECT_EQ(book_of(exact).diagnostics(), sorted(1, true));
    EXPECT_EQ(book_of(exact).lookup_sfen_by_scan(std::string(STARTPOS_SFEN))->value().moves.size(), 0u);
    const std::string longer = start + "#" + std::string(YANEURAOU_LINE_CAP, 'x');
    EXPECT_EQ(error_text(YaneuraOuBook::from_bytes(bytes_of(longer))),
              "invalid data: line 2: line is longer than 1048576 bytes");
    // A device that never ends a line is not read whole.
    EXPECT_EQ(error_text(YaneuraOuBook::open("/dev/zero")), "invalid data: line 1: line is longer than 1048576 bytes");
    EXPECT_TRUE(error_text(YaneuraOuBook::open("/nonexistent/book.db")).starts_with("io error: "));
    EXPECT_EQ(error_text(YaneuraOuBook::open(std::string("/dev/zero\0.db", 13))), "io error: Invalid argument (os error 22)");
}

constexpr std::string_view CHANGED =
    "unsupported feature: yaneuraou db changed since it was validated; call validate_full or use lookup_sfen_by_scan";

TEST(YaneuraOuFiles, ChangedFilesNeedANewCheck) {
    const std::vector<std::string> keys = king_positions(4);
    ScratchDir dir;
    const std::string path = dir.file("book.db");
    write_file(path, book_text({keys[0], keys[1]}));
    auto book = YaneuraOuBook::open(path);
    ASSERT_TRUE(book);
    EXPECT_TRUE(*book->lookup_sfen(keys[1]));

    // Grown: the new entries lie past the checked size.
    write_file(path, book_text(keys));
    EXPECT_EQ(error_text(book->lookup_sfen(keys[3])), CHANGED);
    EXPECT_EQ(error_text(book->lookup_sfen(keys[0])), CHANGED);
    EXPECT_EQ(book->lookup_sfen_by_scan(keys[3])->value().sfen, keys[3]);
    EXPECT_EQ(book->validate_full().value(), sorted(4, true));
    EXPECT_EQ(book->file_size(), book_text(keys).size());
    EXPECT_EQ(book->lookup_sfen(keys[3])->value().sfen, keys[3]);

    // A failed full check keeps the ordering and the size it had.
    write_file(path, book_text(keys) + "sfen x\n");
    EXPECT_EQ(error_text(book->validate_full()), "invalid data: line 10: invalid sfen");
    EXPECT_EQ(book->diagnostics(), sorted(4, true));
    EXPECT_EQ(book->file_size(), book_text(keys).size());
    EXPECT_EQ(error_text(book->lookup_sfen(keys[3])), CHANGED);
    // The dispatch and the query's own errors come first.
    EXPECT_EQ(error_text(book->lookup_sfen("x")), "invalid data: invalid sfen");
}

}  // namespace
