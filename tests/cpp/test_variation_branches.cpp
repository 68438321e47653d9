// Where a "変化" block branches: from the line read last, or, when that line does not
// reach the move the block replaces, from the line it branched from, and so on down to
// the main line. Seeded KI2 records are checked against a model that keeps every line
// whole; KIF shares the rule.

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "core/board/notation/move_text.h"
#include "core/records/formats/kif/ki2_reader.h"
#include "core/records/formats/kif/kif_reader.h"
#include "record_text_support.h"
#include "support.h"

using namespace korvan;
using namespace korvan::test;

namespace {

using Path = std::vector<Move32>;

std::string usi_of(const Path& path, std::size_t from, std::size_t to) {
    std::string out;
    for (std::size_t i = from; i < to; ++i) out += (out.empty() ? "" : " ") + move_display_usi(move16(path[i]));
    return out;
}

std::string key_of(const Path& path, std::size_t length) { return usi_of(path, 0, length); }

// A random game of a record: the main line, then blocks in the order written, each
// chosen so that it replaces a move of the line the rule picks.
struct Game {
    std::string text;
    std::vector<std::string> variations;  // as variation_lines prints them
    int upward = 0;                       // blocks that leave the line read last
};

Game random_game(std::mt19937_64& rng) {
    Game g;
    std::vector<Path> lines;                      // the model: the lines branched from, whole
    std::map<std::string, std::set<Move32>> used;  // the moves already played after a prefix
    // Extends `path` from its end by up to `count` random moves not yet played there,
    // writing their tokens.
    const auto extend = [&](Path path, std::size_t count, std::string& tokens) {
        Position pos = position_startpos();
        for (Move32 m : path) position_do_move(pos, m);
        for (std::size_t i = 0; i < count; ++i) {
            MoveList list;
            generate_legal(pos, list);
            std::vector<Move32> fresh;
            for (Move m : list)
                if (!used[key_of(path, path.size())].count(position_move_to_move32(pos, m)))
                    fresh.push_back(position_move_to_move32(pos, m));
            if (fresh.empty()) break;
            const Move32 m = fresh[rng() % fresh.size()];
            used[key_of(path, path.size())].insert(m);
            tokens += (tokens.empty() ? "" : " ") + *move_to_ki2(m, pos);
            position_do_move(pos, m);
            path.push_back(m);
        }
        return path;
    };
    std::string tokens;
    lines.push_back(extend({}, 12 + rng() % 20, tokens));
    g.text = tokens + "\n";
    for (int block = 0; block < 10; ++block) {
        // A start whose line (the first from the top that reaches the move before it)
        // has a move there to replace.
        std::size_t reach = 0;
        for (const Path& p : lines) reach = std::max(reach, p.size());
        const std::size_t n = 1 + rng() % reach;
        std::size_t top = lines.size();
        while (top > 1 && lines[top - 1].size() < n - 1) --top;
        if (lines[top - 1].size() < n) continue;
        g.upward += top < lines.size();
        lines.resize(top);
        const Path prefix(lines.back().begin(), lines.back().begin() + static_cast<std::ptrdiff_t>(n - 1));
        tokens.clear();
        const Path line = extend(prefix, 1 + rng() % 4, tokens);
        if (line.size() == prefix.size()) continue;
        lines.push_back(line);
        g.text += "\n変化：" + std::to_string(n) + "手\n" + tokens + "\n";
        g.variations.push_back(usi_of(line, 0, n - 1) + " | " + usi_of(line, n - 1, line.size()));
    }
    return g;
}

TEST(VariationBranches, SeededRecordsHangEveryBlockWhereTheRuleSays) {
    std::mt19937_64 rng(0x36'0004);
    int upward = 0;  // blocks that left the line read last
    for (int i = 0; i < 200; ++i) {
        const Game g = random_game(rng);
        SCOPED_TRACE(g.text);
        const auto r = parse_ki2(g.text);
        ASSERT_TRUE(r) << ki2_error_display(r.error());
        EXPECT_EQ(variation_lines(*r), g.variations);
        upward += g.upward;
    }
    EXPECT_GT(upward, 100);
}

TEST(VariationBranches, ReadAlikeInKifAndRefusedWhenNoLineReaches) {
    const std::string main = "手数----指手---------消費時間--\n"
                             "1 ７六歩(77)\n2 ３四歩(33)\n3 ２六歩(27)\n4 ８四歩(83)\n"
                             "5 ２五歩(26)\n6 ８五歩(84)\n7 ７八金(69)\n8 ３二金(41)\n";
    const auto r = parse_kif(main + "変化：1手\n1 ２六歩(27)\n\n変化：3手\n3 ６八銀(79)\n");
    ASSERT_TRUE(r) << kif_error_display(r.error());
    EXPECT_EQ(variation_lines(*r), (std::vector<std::string>{" | 2g2f", "7g7f 3c3d | 7i6h"}));
    const auto refused = parse_kif(main + "変化：1手\n1 ２六歩(27)\n\n変化：10手\n10 ６八銀(79)\n");
    ASSERT_FALSE(refused);
    EXPECT_EQ(kif_error_display(refused.error()), "invalid KIF line: variation start out of range: 10");
}

}  // namespace
