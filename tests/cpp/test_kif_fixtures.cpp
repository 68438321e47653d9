// Every KIF and KI2 record of the fixture collection, read and checked against what
// the file says: the moves of every line (and, through an independent writer of each
// move's text, that every move is the one the file wrote), the start position, the
// terminal, the variations, the header, comments and times.

#include <gtest/gtest.h>

#include <map>

#include "core/board/notation/move_text.h"
#include "core/records/formats/kif/ki2_reader.h"
#include "core/records/formats/kif/ki2_resolver.h"
#include "core/records/formats/kif/kif_reader.h"
#include "core/util/kanji.h"
#include "core/util/lines.h"
#include "core/util/text.h"
#include "record_text_support.h"

using namespace korvan;
using namespace korvan::test;

namespace {

bool is_ki2(const std::string& file) { return file.find(".ki2") != std::string::npos; }

Expected<Record, std::string> read_fixture(const std::string& file) {
    const std::string text = fixture_text(file);
    if (is_ki2(file)) {
        auto r = parse_ki2(text);
        if (!r) return unexpected(ki2_error_display(r.error()));
        return std::move(*r);
    }
    auto r = parse_kif(text);
    if (!r) return unexpected(kif_error_display(r.error()));
    return std::move(*r);
}

constexpr const char* STARTPOS = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1";

struct FixtureCase {
    const char* file;
    const char* init;
    std::size_t moves;
    const char* first_moves;
    const char* final_sfen;
    const char* terminal;  // "KIND result raw", or "" for none
    std::vector<const char*> variations;
};

const std::vector<const char*> FORK_VARIATIONS = {
    "7g7f 3c3d | 7f7e", "7g7f | 8c8d 7i6h", "7g7f 8c8d | 2g2f",     "| 2g2f 3c3d 2f2e",
    "2g2f 3c3d | 7g7f", "2g2f | 8c8d 2f2e", "2g2f 8c8d | 7g7f",
};
constexpr const char* AFTER_FORK = "lnsgkgsnl/1r5b1/pppppp1pp/6p2/9/2P4P1/PP1PPPP1P/1B5R1/LNSGKGSNL w - 4";
constexpr const char* AFTER_CHUDAN = "lnsgkgsnl/1r5+B1/pppppp1pp/6p2/9/2P6/PP1PPPPPP/7R1/LNSGKGSNL w B 4";
constexpr const char* EIGHT_PIECE = "3gkg3/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1";
constexpr const char* AFTER_8MAI = "9/6g2/ppp1p1p1p/4gpkS1/3p5/2P6/PP1PPPP1P/1B5R1/LNSGKG1NL b Pp 26";
constexpr const char* NINE_PAWNS = "7pk/7p1/7p1/7p1/7p1/7p1/7p1/7p1/7p1 b 4L2R4n4s 1";
constexpr const char* AFTER_9FU = "7p1/7p1/7p1/7pR/7p1/7pk/7pr/7pL/7p1 w 4S4N3L 62";
constexpr const char* AFTER_NO_HENKA = "lnsgk1snl/1r4g2/p1pppp1pp/6p2/1p7/2P4P1/PPSPPPP1P/2G4R1/LN2KGSNL w Bb 12";
constexpr const char* AFTER_ILLEGAL = "lnsgkgsnl/1r5b1/pppppp1pp/6p2/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL b - 3";

const std::vector<FixtureCase> CASES = {
    {"kif/20081220kyoochi.kif", "lnsgkgsn1/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", 142,
     "3c3d 2g2f 2b3c 2f2e 4c4d 3i4h",
     "k1b6/ll5PP/NSnp1gr2/Ppp1s1p+R1/4l4/4p4/2PP1PP2/1K2G4/2SG3N1 w GPbsn5p 143", "RESIGN 0 143 投了", {}},
    {"kif/8mai.kif", EIGHT_PIECE, 25, "6a7b 7g7f 4a3b 2g2f 6c6d 2f2e", AFTER_8MAI,
     "INTERRUPT 11 26 中断         ( 0:39/00:01:29)", {}},
    {"kif/9fu.kif", NINE_PAWNS, 61, "L*1c N*1b 1c1b+ 1a1b L*1d N*1c", AFTER_9FU,
     "RESIGN 0 62 詰み         ( 0:04/00:00:45)", {}},
    {"kif/chudan.kif", STARTPOS, 3, "7g7f 3c3d 8h2b+", AFTER_CHUDAN, "INTERRUPT 11 4 中断         ( 0:51/00:00:56)", {}},
    {"kif/doh_branch.kifu", STARTPOS, 3, "7g7f 3c3d 2g2f", AFTER_FORK, "INTERRUPT 11 4 中断         ( 0:00/00:00:00)",
     {"7g7f 3c3d | 8h2b+ 3a2b", "7g7f 3c3d 8h2b+ | 8b2b"}},
    {"kif/fork-notime.kif", STARTPOS, 3, "7g7f 3c3d 2g2f", AFTER_FORK, "", FORK_VARIATIONS},
    {"kif/fork-test.kif", STARTPOS, 3, "7g7f 3c3d 2g2f", AFTER_FORK, "",
     {"7g7f | 8c8d 7i6h 3c3d 6g6f 3a4b", "7g7f 8c8d 7i6h | 8d8e"}},
    {"kif/fork.kif", STARTPOS, 3, "7g7f 3c3d 2g2f", AFTER_FORK, "RESIGN 0 4 投了         ( 0:00/00:00:01)",
     FORK_VARIATIONS},
    {"kif/henka.kif", STARTPOS, 12, "7g7f 8c8d 2g2f 8d8e 8h7g 3c3d 7i8h 4a3b 6i7h 2b7g+ 8h7g 7a6b",
     "ln1gk1snl/1r1s2g2/p1pppp1pp/6p2/1p7/2P4P1/PPSPPPP1P/2G4R1/LN2KGSNL b Bb 13",
     "INTERRUPT 11 13 中断         ( 0:00/00:00:07)",
     {"7g7f 8c8d | 7i6h 3c3d 6g6f", "7g7f 8c8d | 2h6h 3c3d 6g6f", "7g7f | 3c3d",
      "| 2g2f 8c8d 2f2e 8d8e 6i7h 4a3b", "2g2f | 3c3d 7g7f 4c4d 3i4h"}},
    {"kif/illegal.kif", STARTPOS, 2, "7g7f 3c3d", AFTER_ILLEGAL, "LOSE_BY_ILLEGAL_MOVE 13 3 反則負け",
     {"| 2g2f 9c9d"}},
    {"kif/kifu_for_iphone.kif", "3sks3/9/4+P4/6+B2/9/9/9/9/9 b S17p4l4ns4gb2r 1", 3, "3d5b 6a5b S*6b",
     "4ks3/3Ss4/4+P4/9/9/9/9/9/9 w 2r2b4gs4n4l17p 4", "RESIGN 0 4 詰み         ( 0:07/00:00:08)", {}},
    {"kif/last-fork.kifu", STARTPOS, 10, "2g2f 8c8d 2f2e 8d8e 6i7h 4a3b 2e2d 2c2d 2h2d P*2c",
     "lnsgk1snl/1r4gb1/p1ppppppp/7R1/1p7/9/PPPPPPP1P/1BG6/LNS1KGSNL b P 11", "INTERRUPT 11 11 中断 ( 0:01/00:00:06)",
     {"2g2f 8c8d 2f2e 8d8e 6i7h 4a3b 2e2d 2c2d 2h2d | 1c1d"}},
    {"kif/last_comment.kif", STARTPOS, 3, "7g7f 3c3d 2g2f", AFTER_FORK, "", {}},
    {"kif/no_henka.kif", STARTPOS, 11, "7g7f 8c8d 2g2f 8d8e 8h7g 3c3d 7i8h 4a3b 6i7h 2b7g 8h7g", AFTER_NO_HENKA, "", {}},
    {"kif/no_henka.kifu", STARTPOS, 11, "7g7f 8c8d 2g2f 8d8e 8h7g 3c3d 7i8h 4a3b 6i7h 2b7g 8h7g", AFTER_NO_HENKA, "",
     {}},
    {"kif/noeol.kif", STARTPOS, 3, "7g7f 3c3d 8h2b+", AFTER_CHUDAN, "INTERRUPT 11 4 中断         ( 0:51/00:00:56)", {}},
    {"kif/shogidb2.kifu", STARTPOS, 110, "7g7f 8c8d 7i6h 3c3d 6h7g 7a6b",
     "l5kn1/5l2p/7p1/b1pbPpp1l/pKNp3N1/2P3PP1/P2g1P3/2R6/LN1S5 b RG2S2P2gs3p 111", "RESIGN 1 111 投了 (00:00/00:00:00)",
     {}},
    {"kif/shogidokoro.kifu", "4+B2n1/7k1/6pp1/7gp/4P3P/9/9/9/9 b NSBR13p4l2n3s3gr 1", 19,
     "R*5b G*3b B*3a 2b3a 5a4b 3b4b", "6Sn1/7+R1/5Nppk/7gp/4P3P/9/9/9/9 w r2b3g3s2n4l13p 20", "", {}},
    {"kif/taichitsume.kif", "6+Pnl/6Sk1/6sp1/9/8P/9/9/9/9 b SG15p3l3ns3g2b2r 1", 7,
     "S*1c 2a1c G*1b 2b1b 3b2a 1b2b 3a3b", "7Sl/6+Pk1/6spn/9/8P/9/9/9/9 w 2r2b4g2s3n3l15p 8",
     "RESIGN 0 8 詰み         ( 0:06/00:00:08)", {}},
    {"ki2/20091203.ki2", STARTPOS, 172, "7g7f 8c8d 7i6h 3c3d 6g6f 7a6b",
     "lr7/5+P3/4p+N2g/2pp3pp/P6k1/1PP1NGp1R/LG1G2+n+b1/1KS2P3/8L b Sb2snl7p 173", "RESIGN 1 まで172手で後手の勝ち", {}},
    {"ki2/8mai.ki2", EIGHT_PIECE, 25, "6a7b 7g7f 4a3b 2g2f 6c6d 2f2e", AFTER_8MAI, "INTERRUPT 11 まで25手で中断", {}},
    {"ki2/8mai.ki2u", EIGHT_PIECE, 25, "6a7b 7g7f 4a3b 2g2f 6c6d 2f2e", AFTER_8MAI, "INTERRUPT 11 まで25手で中断", {}},
    {"ki2/7mai.ki2u", "2sgkg3/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", 2, "7a8b 7g7f",
     "3gkg3/1s7/ppppppppp/9/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL w - 3", "INTERRUPT 11 まで2手で中断", {}},
    {"ki2/9fu.ki2", NINE_PAWNS, 61, "L*1c N*1b 1c1b+ 1a1b L*1d N*1c", AFTER_9FU, "RESIGN 0 まで61手詰", {}},
    {"ki2/chudan.ki2", STARTPOS, 3, "7g7f 3c3d 8h2b+", AFTER_CHUDAN, "INTERRUPT 11 まで3手で中断", {}},
    {"ki2/denou3-1.ki2", STARTPOS, 98, "7g7f 8c8d 5g5f 3c3d 2h5h 7a6b",
     "ln5nl/6G2/p3G1bpk/1pp2sp1p/5sn2/1BP1P2PP/PP1+p2Ps1/9/L4SKNL b 2RG3Pgp 99", "RESIGN 1 まで98手で後手の勝ち", {}},
    {"ki2/fork.ki2", STARTPOS, 3, "7g7f 3c3d 2g2f", AFTER_FORK, "RESIGN 0 まで3手で先手の勝ち", FORK_VARIATIONS},
    {"ki2/illegal.ki2", STARTPOS, 2, "7g7f 3c3d", AFTER_ILLEGAL, "LOSE_BY_ILLEGAL_MOVE 13 まで2手で先手の反則負け",
     {"| 2g2f 9c9d"}},
    {"ki2/noeol.ki2", STARTPOS, 3, "7g7f 3c3d 8h2b+", AFTER_CHUDAN, "INTERRUPT 11 まで3手で中断", {}},
};

std::string terminal_text(const Record& r) {
    const RecordNode* t = main_terminal(r);
    if (!t) return "";
    return std::string(SPECIAL_MOVE_KIND_NAMES[static_cast<int>(t->special->kind)]) + " " +
           std::to_string(t->special->result) + " " + t->special->raw.value_or("<none>");
}

std::string first_n(const std::string& moves, std::size_t n) {
    std::size_t pos = 0;
    for (std::size_t k = 0; k < n && pos != std::string::npos; ++k) pos = moves.find(' ', pos + 1);
    return pos == std::string::npos ? moves : moves.substr(0, pos);
}

std::size_t count_words(const char* text) {
    std::size_t n = 0;
    for (const char* p = text; *p; ++p) n += *p == ' ';
    return *text ? n + 1 : 0;
}

class FixtureRecords : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(FixtureRecords, ReadAsTheFileSays) {
    const FixtureCase& c = GetParam();
    SCOPED_TRACE(c.file);
    const auto read = read_fixture(c.file);
    ASSERT_TRUE(read) << read.error();
    const Record& r = *read;
    EXPECT_EQ(r.init_position_sfen, c.init);
    EXPECT_EQ(record_move_count(r), c.moves);
    const std::string main = main_line_usi(r);
    EXPECT_EQ(first_n(main, count_words(c.first_moves)), c.first_moves);
    EXPECT_EQ(final_sfen(r), c.final_sfen);
    EXPECT_EQ(terminal_text(r), c.terminal);
    std::vector<std::string> expected;
    for (const char* v : c.variations) expected.push_back(v[0] == '|' ? std::string(" ") + v : v);
    EXPECT_EQ(variation_lines(r), expected);
}

INSTANTIATE_TEST_SUITE_P(Kif, FixtureRecords, ::testing::ValuesIn(CASES), [](const auto& info) {
    std::string name = info.param.file;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name;
});

TEST(FixtureRecords, EveryFileHasACase) {
    std::map<std::string, bool> known;
    for (const FixtureCase& c : CASES) known[c.file] = true;
    for (const std::string& dir : {std::string("kif"), std::string("ki2")})
        for (const std::string& file : fixture_files(dir)) EXPECT_TRUE(known.count(file)) << file << " has no case";
}

// ---- Every move is the move the file wrote ----

// The move texts of a file's main line (section 0) and of each variation block, as
// written: KIF move columns with the piece names normalised and the spaces removed,
// KI2 tokens.
std::vector<std::vector<std::string>> file_move_texts(const std::string& text, bool ki2) {
    const std::vector<std::string_view> lines = split_lines(text, LineEnds::Any);
    std::vector<std::vector<std::string>> sections(1);
    bool in_moves = false;
    bool section_open = true;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view t = trim_line(lines[i]);
        if (t.starts_with("変化")) {
            sections.emplace_back();
            section_open = true;
            in_moves = true;
            continue;
        }
        if (t.starts_with("まで") || (t.empty() && sections.size() > 1)) {
            section_open = false;
            continue;
        }
        if (!section_open) continue;
        if (ki2) {
            if (!(t.starts_with("▲") || t.starts_with("△"))) continue;
            Ki2Tokens tokens(t);
            while (const auto token = tokens.next()) sections.back().emplace_back(*token);
            continue;
        }
        if (t.starts_with("手数")) in_moves = true;
        if (!in_moves || t.empty() || !is_ascii_digit(t[0])) continue;
        std::string normal = normalize_kif_piece_name(t);
        std::string_view v = normal;
        while (!v.empty() && is_ascii_digit(v[0])) v.remove_prefix(1);
        const std::size_t open = v.rfind('(');
        if (open != std::string_view::npos && v.find('/', open) != std::string_view::npos) v = v.substr(0, open);
        std::string compact;
        for (std::size_t p = 0; p < v.size();) {
            if (v.substr(p).starts_with("　")) {
                p += 3;
            } else if (v[p] == ' ' || v[p] == '+') {
                ++p;
            } else {
                compact.push_back(v[p++]);
            }
        }
        sections.back().push_back(compact);
    }
    return sections;
}

// A KIF move column written from the move: "同" or the square, the piece on the source
// (the dropped piece), "成", and the source or "打".
std::string kif_move_text(const Position& pos, Move32 m, bool same) {
    static const char* FILES[] = {"１", "２", "３", "４", "５", "６", "７", "８", "９"};
    static const char* RANKS[] = {"一", "二", "三", "四", "五", "六", "七", "八", "九"};
    static const char* NAMES[] = {"", "歩", "香", "桂", "銀", "角", "飛", "金", "玉", "と", "杏", "圭", "全", "馬", "龍"};
    std::string out = same ? std::string("同") : std::string(FILES[file_of(move_to(m))]) + RANKS[rank_of(move_to(m))];
    if (is_drop(m)) return out + NAMES[dropped_type(m)] + "打";
    out += NAMES[type_of(pos.board[move_from(m)])];
    if (is_promotion(m)) out += "成";
    return out + "(" + std::to_string(file_of(move_from(m)) + 1) + std::to_string(rank_of(move_from(m)) + 1) + ")";
}

std::string without_spaces(std::string s) {
    std::string out;
    for (std::size_t p = 0; p < s.size();) {
        if (std::string_view(s).substr(p).starts_with("　"))
            p += 3;
        else
            out.push_back(s[p++]);
    }
    return out;
}

// The texts of the moves from a node along first children, written from the record.
std::vector<std::string> record_move_texts(const Record& r, RecordNodeId first, bool ki2) {
    const RecordNode& parent = record_node(r, record_node(r, first).parent);
    Position pos = position_at(r, record_node(r, first).parent);
    Square previous = parent.kind == NodeKind::Move ? move_to(parent.move) : SQ_NONE;
    std::vector<std::string> out;
    for (RecordNodeId id : line_from(r, first)) {
        const RecordNode& node = record_node(r, id);
        if (node.kind != NodeKind::Move) break;
        const auto m = record_checked_move(pos, node.move);
        if (!m) throw std::runtime_error("illegal move in record");
        out.push_back(ki2 ? without_spaces(*move_to_ki2(*m, pos)) : kif_move_text(pos, *m, move_to(*m) == previous));
        previous = move_to(*m);
        position_do_move(pos, *m);
    }
    return out;
}

class FixtureMoveTexts : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(FixtureMoveTexts, EveryMoveWritesBackAsTheFileWroteIt) {
    const FixtureCase& c = GetParam();
    SCOPED_TRACE(c.file);
    const bool ki2 = is_ki2(c.file);
    const auto read = read_fixture(c.file);
    ASSERT_TRUE(read) << read.error();
    const Record& r = *read;
    const auto sections = file_move_texts(fixture_text(c.file), ki2);

    std::vector<RecordNodeId> starts;
    if (r.nodes[0].first_child) starts.push_back(r.nodes[0].first_child);
    for (RecordNodeId id = 2; id <= r.nodes.size(); ++id) {
        const RecordNode& node = record_node(r, id);
        if (node.kind == NodeKind::Move && record_node(r, node.parent).first_child != id) starts.push_back(id);
    }
    ASSERT_EQ(starts.size(), sections.size());
    for (std::size_t s = 0; s < sections.size(); ++s) {
        const auto written = record_move_texts(r, starts[s], ki2);
        ASSERT_LE(written.size(), sections[s].size()) << "section " << s;
        // A KIF line may end in a numbered terminal, which is no move.
        EXPECT_LE(sections[s].size(), written.size() + (ki2 ? 0 : 1)) << "section " << s;
        const std::vector<std::string> file(sections[s].begin(), sections[s].begin() + written.size());
        EXPECT_EQ(written, file) << "section " << s;
    }
}

INSTANTIATE_TEST_SUITE_P(Kif, FixtureMoveTexts, ::testing::ValuesIn(CASES), [](const auto& info) {
    std::string name = info.param.file;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name;
});

// ---- Header, comments, times ----

Record fixture(const std::string& file) {
    auto r = read_fixture(file);
    if (!r) throw std::runtime_error(r.error());
    return std::move(*r);
}

const RecordNode& main_move(const Record& r, std::size_t index) {
    return record_node(r, record_main_line_ids(r).at(index));
}

TEST(FixtureRecords, Headers) {
    const Record eight = fixture("kif/8mai.kif");
    EXPECT_EQ(eight.metadata.get(RecordMetadataKey::StartDate), "2014/10/13 18:51:20");
    EXPECT_EQ(eight.metadata.get(RecordMetadataKey::EndDate), "2014/10/13 18:53:37");
    EXPECT_EQ(eight.metadata.get(RecordMetadataKey::BlackPlayer), "shitate");  // 下手
    EXPECT_EQ(eight.metadata.get(RecordMetadataKey::WhitePlayer), "uwate");    // 上手
    EXPECT_EQ(eight.metadata.attributes.at("手合割"), "八枚落ち");

    const Record henka = fixture("kif/henka.kif");
    EXPECT_EQ(henka.metadata.get(RecordMetadataKey::Event), "第74期棋聖戦1次予選");
    EXPECT_EQ(henka.metadata.get(RecordMetadataKey::Site), "東京将棋会館");
    EXPECT_EQ(henka.metadata.get(RecordMetadataKey::EndDate), "2008/02/18(月) 11:04:26");
    EXPECT_EQ(henka.metadata.get(RecordMetadataKey::BlackPlayer), "先手56789012全3456789");
    EXPECT_EQ(henka.metadata.attributes.at("消費時間"), "26▲26△359");
    EXPECT_EQ(henka.metadata.attributes.at("手合割"), "平手");  // the trailing full-width spaces trimmed
    EXPECT_FALSE(henka.metadata.time_control);                  // "６時間": full-width digits

    const Record no_henka = fixture("kif/no_henka.kifu");
    ASSERT_TRUE(no_henka.metadata.time_control);
    EXPECT_EQ(*no_henka.metadata.time_control, (TimeControl{6 * 3600, 0, 0}));

    const Record kyoochi = fixture("kif/20081220kyoochi.kif");
    EXPECT_EQ(kyoochi.metadata.time_control, (TimeControl{3600, 0, 0}));  // "60分 切れたら1分将棋"
    EXPECT_EQ(kyoochi.metadata.get(RecordMetadataKey::BlackPlayer), "糸谷哲郎");  // 下手
    EXPECT_EQ(kyoochi.metadata.get(RecordMetadataKey::WhitePlayer), "深浦康市");  // 上手
    EXPECT_EQ(kyoochi.metadata.get(RecordMetadataKey::Site), "東京・将棋会館");

    const Record ginga = fixture("ki2/20091203.ki2");
    EXPECT_EQ(ginga.metadata.get(RecordMetadataKey::Event), "第18回銀河戦本戦Hブロック05回戦");
    EXPECT_EQ(ginga.metadata.get(RecordMetadataKey::WhitePlayer), "西尾　明五段");
    EXPECT_EQ(ginga.metadata.time_control, (TimeControl{900, 30, 0}));  // "15分＋30秒＋（考慮時間10分）"

    const Record fork = fixture("ki2/fork.ki2");
    EXPECT_EQ(fork.metadata.get(RecordMetadataKey::StartDate), "2014/10/16 03:21:41");
    EXPECT_FALSE(fork.metadata.get(RecordMetadataKey::BlackPlayer));
}

TEST(FixtureRecords, Comments) {
    const Record henka = fixture("kif/henka.kif");
    EXPECT_EQ(henka.nodes[0].annotations.comment,
              "開始局面のコメント\n2 <B>ボールド</B>\n3 <font color=\"#ff0000\">赤</FONT>\n4\n5 "
              "http://homepage2.nifty.com/kakinoki_y/\n6\n7 http://homepage2.nifty.com/kakinoki_y/kifuf.html\n8\n9\n10");
    EXPECT_EQ(main_move(henka, 0).annotations.comment, "初手のコメント");
    EXPECT_EQ(main_move(henka, 1).annotations.comment, "２手目のコメント");
    EXPECT_FALSE(main_move(henka, 2).annotations.comment);
    // The comment inside the block "変化：1手" belongs to that line's third move.
    const auto root_children = record_children(henka, henka.root);
    ASSERT_EQ(root_children.size(), 2u);
    const auto alternative = line_from(henka, root_children[1]);
    EXPECT_EQ(record_node(henka, alternative[2]).annotations.comment, "コメント");

    const Record no_henka = fixture("kif/no_henka.kif");
    EXPECT_EQ(no_henka.nodes[0].annotations.comment, "Unicodeのコメント\n森けい二九段");
    EXPECT_EQ(main_move(no_henka, 0).annotations.comment, "初手のコメント\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12");

    EXPECT_EQ(main_move(fixture("kif/last_comment.kif"), 1).annotations.comment, "コメント");
    EXPECT_EQ(fixture("kif/20081220kyoochi.kif").nodes[0].annotations.comment,
              "棋戦詳細：トップ棋士VS関西新鋭 指し込み2番勝負\n"
              "「糸谷哲郎五段 」vs「深浦康市王位 」");  // the full-width space trimmed
    EXPECT_EQ(fixture("ki2/20091203.ki2").nodes[0].annotations.comment, "放送日：2010/02/13");
}

TEST(FixtureRecords, Times) {
    const Record chudan = fixture("kif/chudan.kif");
    const std::uint64_t expected[] = {2000, 5000, 6000};
    for (std::size_t i = 0; i < 3; ++i) {
        ASSERT_TRUE(main_move(chudan, i).annotations.time);
        EXPECT_EQ(main_move(chudan, i).annotations.time->total_ms(), expected[i]);
    }
    EXPECT_EQ(main_terminal(chudan)->annotations.time, Duration::from_ms(51000));
    // "(00:31 / 00:00:31)": spaces around the slash.
    EXPECT_EQ(main_move(fixture("kif/shogidokoro.kifu"), 0).annotations.time, Duration::from_ms(31000));
    // A zero time is a time.
    EXPECT_EQ(main_move(fixture("kif/doh_branch.kifu"), 0).annotations.time, Duration::from_ms(0));
    // Move lines without a time column, and KI2, which has none.
    EXPECT_FALSE(main_move(fixture("kif/fork-test.kif"), 0).annotations.time);
    EXPECT_FALSE(main_move(fixture("kif/20081220kyoochi.kif"), 0).annotations.time);
    EXPECT_FALSE(main_move(fixture("ki2/chudan.ki2"), 0).annotations.time);
    // Variation moves keep their own times.
    const Record fork = fixture("kif/fork.kif");
    const auto under_second = record_children(fork, record_main_line_ids(fork)[1]);
    ASSERT_EQ(under_second.size(), 2u);
    EXPECT_EQ(record_node(fork, under_second[1]).annotations.time, Duration::from_ms(1000));
}

TEST(FixtureRecords, KifAndKi2OfOneGameAgree) {
    const std::pair<const char*, const char*> pairs[] = {
        {"kif/8mai.kif", "ki2/8mai.ki2"}, {"kif/9fu.kif", "ki2/9fu.ki2"},     {"kif/chudan.kif", "ki2/chudan.ki2"},
        {"kif/fork.kif", "ki2/fork.ki2"}, {"kif/illegal.kif", "ki2/illegal.ki2"}, {"kif/noeol.kif", "ki2/noeol.ki2"},
    };
    for (const auto& [kif, ki2] : pairs) {
        SCOPED_TRACE(kif);
        const Record a = fixture(kif);
        const Record b = fixture(ki2);
        EXPECT_EQ(a.init_position_sfen, b.init_position_sfen);
        EXPECT_EQ(main_line_usi(a), main_line_usi(b));
        EXPECT_EQ(variation_lines(a), variation_lines(b));
        EXPECT_EQ(record_result(a), record_result(b));
    }
}

}  // namespace
