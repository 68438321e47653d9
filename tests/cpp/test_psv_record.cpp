// PackedSfenValue rows of a record: the row fields, the selection of main line and
// variations, the walk order, and the refusals (missing evaluation, illegal move,
// unencodable position, bad SFEN).

#include "container_support.h"
#include "core/containers/psv_record.h"

namespace korvan::test {
namespace {

using S = SpecialMoveKind;
using K = PsvRecordError::Kind;

constexpr const char* START = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1";

std::vector<PsvRow> rows_of(const Record& r, bool main = true, bool variations = false) {
    auto rows = record_psv_rows(r, main, variations);
    if (!rows) throw std::runtime_error(psv_record_error_display(rows.error()));
    return std::move(*rows);
}

std::string error_of(const Record& r, bool main = true, bool variations = false) {
    auto rows = record_psv_rows(r, main, variations);
    return rows ? "(rows)" : psv_record_error_display(rows.error());
}

std::uint16_t u16_at(const PsvRow& row, std::size_t at) { return static_cast<std::uint16_t>(row[at] | row[at + 1] << 8); }

Move move_of(const PsvRow& row) { return u16_at(row, 34); }

// A move appended under `parent` without a check, with an evaluation.
RecordNodeId add(Record& r, RecordNodeId parent, const std::string& usi, std::int64_t eval = 0) {
    return *record_append_move(r, parent, *move_from_usi(usi), with_eval(eval));
}

TEST(PsvRecord, RowsHoldThePositionBeforeEachMove) {
    const Record r = record_of("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 7",
                               {"7g7f", "3c3d", "8h2b+"}, {120, -45, 32001}, special(S::Resign, 1));
    const auto rows = rows_of(r);
    ASSERT_EQ(rows.size(), 3u);
    Position pos = sfen(START);
    const std::int16_t evals[] = {120, -45, 32001};
    const char* moves[] = {"7g7f", "3c3d", "8h2b+"};
    for (std::size_t i = 0; i < 3; ++i) {
        const PsvRow expected = psv_row(*position_to_packed_sfen(pos), evals[i], *move_from_usi(moves[i]),
                                        static_cast<std::uint16_t>(7 + i), WHITE_WIN);
        EXPECT_EQ(rows[i], expected) << i;
        play(pos, moves[i]);
    }
    EXPECT_EQ(rows[0][38], 1);
    EXPECT_EQ(rows[0][39], 0);
    // An unfinished record writes INVALID.
    EXPECT_EQ(rows_of(record_of(std::nullopt, {"7g7f"}, {0}, std::nullopt))[0][38], 7);
}

TEST(PsvRecord, SelectionAndDepthFirstOrder) {
    // Main line 7g7f 3c3d 2g2f; a variation 8c8d under 7g7f, one 5g5f under the root
    // with 5c5d below it, and a second variation 1c1d under 7g7f.
    Record r = *record_new(std::nullopt);
    const RecordNodeId a = add(r, r.root, "7g7f");
    const RecordNodeId b = add(r, a, "3c3d");
    add(r, b, "2g2f");
    add(r, a, "8c8d");
    const RecordNodeId c = add(r, r.root, "5g5f");
    add(r, c, "5c5d");
    add(r, a, "1c1d");
    (void)record_set_main_terminal(r, special(S::Resign, 0), {});
    const auto usi_of = [](const std::vector<PsvRow>& rows) {
        std::vector<std::string> out;
        for (const PsvRow& row : rows) out.push_back(move_display_usi(move_of(row)) + "@" + std::to_string(u16_at(row, 36)));
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(usi_of(rows_of(r)), (V{"7g7f@1", "3c3d@2", "2g2f@3"}));
    EXPECT_EQ(usi_of(rows_of(r, true, true)),
              (V{"7g7f@1", "3c3d@2", "2g2f@3", "8c8d@2", "1c1d@2", "5g5f@1", "5c5d@2"}));
    EXPECT_EQ(usi_of(rows_of(r, false, true)), (V{"8c8d@2", "1c1d@2", "5g5f@1", "5c5d@2"}));
    EXPECT_TRUE(rows_of(r, false, false).empty());
    // A variation row holds the position reached through the main-line move before it.
    Position after = sfen(START);
    play(after, "7g7f");
    const PsvRow first = rows_of(r, false, true)[0];
    const Packed32 expected = *position_to_packed_sfen(after);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), first.begin()));
    for (const PsvRow& row : rows_of(r, true, true)) EXPECT_EQ(row[38], 0);
}

TEST(PsvRecord, Refusals) {
    // A main-line move without an evaluation: named when selected, passed over otherwise.
    Record missing = record_of(std::nullopt, {"7g7f", "3c3d"}, {}, std::nullopt);
    EXPECT_EQ(error_of(missing), "missing eval at node_id=1 (move=7g7f)");
    add(missing, RECORD_ROOT_ID, "2g2f", 5);
    EXPECT_EQ(error_of(missing, false, true), "(rows)");
    EXPECT_EQ(rows_of(missing, false, true).size(), 1u);

    // An illegal move stops the walk; no rows come out.
    const Record illegal = record_of(std::nullopt, {"7g7f", "7g7f", "2g2f"}, {1}, std::nullopt);
    auto refused = record_psv_rows(illegal, true, false);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().kind, K::IllegalMove);
    EXPECT_EQ(psv_record_error_display(refused.error()), "illegal move at node_id=2 (move=7g7f)");
    // Still played when not selected, so the rows below stay true.
    EXPECT_EQ(error_of(illegal, false, true), "(rows)");
    Record under = illegal;
    add(under, 2, "8c8d", 3);  // a variation below the first move only: the illegal move is not on its path
    EXPECT_EQ(rows_of(under, false, true).size(), 1u);
    add(under, 3, "9c9d", 3);  // below the illegal move
    EXPECT_EQ(error_of(under, false, true), "illegal move at node_id=2 (move=7g7f)");
    // An illegal variation counts only when variations are asked for.
    Record variation = record_of(std::nullopt, {"7g7f"}, {1}, std::nullopt);
    add(variation, RECORD_ROOT_ID, "5e5d", 4);
    EXPECT_EQ(rows_of(variation).size(), 1u);
    EXPECT_EQ(error_of(variation, true, true), "illegal move at node_id=2 (move=5e5d)");

    // A position the PackedSfen cannot hold (no Black king).
    const Record kingless = record_of("4k4/9/9/9/9/9/9/9/9 b R 1", {"R*5b"}, {0}, std::nullopt);
    EXPECT_EQ(error_of(kingless).rfind("unencodable position at node_id=1 (move=R*5b): ", 0), 0u) << error_of(kingless);
    // A bad SFEN is reported even when nothing is selected.
    Record bad = *record_new("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL x - 1");
    EXPECT_EQ(error_of(bad, false, false), "invalid turn: 'x'");
}

TEST(PsvRecord, LongLinesWalkWithoutRecursion) {
    // 100,000 plies of two kings stepping back and forth; each row's ply grows by one.
    Record r = *record_new(std::nullopt);
    const char* cycle[] = {"5i5h", "5a5b", "5h5i", "5b5a"};
    RecordNodeId parent = r.root;
    for (int i = 0; i < 100000; ++i) parent = add(r, parent, cycle[i % 4], i % 100);
    const auto rows = rows_of(r);
    ASSERT_EQ(rows.size(), 100000u);
    EXPECT_EQ(u16_at(rows[65534], 36), 65535);
    EXPECT_TRUE(std::equal(rows[0].begin(), rows[0].begin() + 32, rows[4].begin()));  // the same position
    EXPECT_EQ(static_cast<std::int16_t>(u16_at(rows[99999], 32)), 99);
    EXPECT_EQ(move_of(rows[99999]), *move_from_usi("5b5a"));
}

}  // namespace
}  // namespace korvan::test
