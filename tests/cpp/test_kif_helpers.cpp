// The pieces the KIF and KI2 readers share: error texts, lines, header lines,
// handicaps, board diagrams and hands, ending words and closing lines, squares, time,
// evaluation and variation numbers, and the KIF move and special lines.

#include <gtest/gtest.h>

#include <random>

#include "core/board/notation/bod.h"
#include "core/records/formats/kif/kif_errors.h"
#include "core/records/formats/kif/kif_header.h"
#include "core/records/formats/kif/kif_header_section.h"
#include "core/records/formats/kif/kif_move_lines.h"
#include "core/records/formats/kif/kif_reader.h"
#include "core/records/formats/kif/kif_special.h"
#include "core/util/kanji.h"
#include "core/util/lines.h"
#include "core/util/text.h"
#include "core/records/time_text.h"

using namespace korvan;

namespace {

Square sq(const char* usi) { return *square_from_usi(usi); }

TEST(KifErrors, Texts) {
    SfenError sfen(SfenError::Kind::InvalidTurn);
    sfen.ch = 'x';
    EXPECT_EQ(kif_error_display(KifError::of_sfen(sfen)), "failed to parse SFEN: " + sfen_error_display(sfen));
    EXPECT_EQ(kif_error_display(KifError::invalid_line("abc")), "invalid KIF line: abc");
    EXPECT_EQ(kif_error_display(KifError::invalid_move("12")), "invalid KIF move: 12");
    EXPECT_EQ(kif_error_display(KifError::illegal_move(7)), "illegal move at index 7");
    EXPECT_EQ(ki2_error_display(Ki2Error::of_sfen(sfen)), "failed to parse SFEN: " + sfen_error_display(sfen));
    EXPECT_EQ(ki2_error_display(Ki2Error::invalid_line("x")), "invalid KI2 line: x");
    EXPECT_EQ(ki2_error_display(Ki2Error::invalid_move("▲同歩")), "invalid KI2 move: ▲同歩");
    EXPECT_EQ(ki2_error_display(Ki2Error::illegal_move(2)), "illegal move at index 2");
}

TEST(KifText, LinesAndTrim) {
    auto lines_of = [](std::string_view text) {
        const std::vector<std::string_view> lines = split_lines(text, LineEnds::Any);
        std::vector<std::string> out;
        for (std::size_t i = 0; i < lines.size(); ++i) out.emplace_back(lines[i]);
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(lines_of("a\r\nb\rc\n"), (V{"a", "b", "c", ""}));
    EXPECT_EQ(lines_of("\xEF\xBB\xBF\xEF\xBB\xBF" "a\nb"), (V{"a", "b"}));
    EXPECT_EQ(lines_of(""), (V{""}));
    EXPECT_EQ(lines_of("\r\r\n"), (V{"", "", ""}));

    // trim_line agrees with the shared trim on white space of every width and on broken bytes.
    const std::vector<std::string> parts = {" ", "\t", "　", "\u2003", "\u0085", "a", "歩", "\xE3", "\x80",
                                            "\xE3\x80", "\xF0", "\xC2", "\xC2\x85", "x"};
    std::mt19937 rng(5);
    for (int i = 0; i < 20000; ++i) {
        std::string s;
        const int n = static_cast<int>(rng() % 7);
        for (int k = 0; k < n; ++k) s += parts[rng() % parts.size()];
        ASSERT_EQ(trim_line(s), trim_whitespace(s)) << debug_str(s);
    }
}

TEST(KifHeader, Lines) {
    RecordMetadata m;
    parse_kif_header_line(m, "先手：甲");
    EXPECT_EQ(m.get(RecordMetadataKey::BlackPlayer), "甲");
    parse_kif_header_line(m, "下手：乙");
    EXPECT_EQ(m.get(RecordMetadataKey::BlackPlayer), "乙");
    parse_kif_header_line(m, "上手：丙");
    EXPECT_EQ(m.get(RecordMetadataKey::WhitePlayer), "丙");
    parse_kif_header_line(m, "棋戦:研究会");
    EXPECT_EQ(m.get(RecordMetadataKey::Event), "研究会");
    parse_kif_header_line(m, "場所 ： 会館　");
    EXPECT_EQ(m.get(RecordMetadataKey::Site), "会館");
    // The full-width colon wins over an earlier ASCII one.
    parse_kif_header_line(m, "開始日時：2024/01/02 10:00:00");
    EXPECT_EQ(m.get(RecordMetadataKey::StartDate), "2024/01/02 10:00:00");
    parse_kif_header_line(m, "x:y：z");
    EXPECT_EQ(m.attributes.at("x:y"), "z");
    parse_kif_header_line(m, "終了日：2024/01/03");
    EXPECT_EQ(m.get(RecordMetadataKey::EndDate), "2024/01/03");
    parse_kif_header_line(m, "備考：a");
    parse_kif_header_line(m, "備考：");
    parse_kif_header_line(m, "備考：b");
    EXPECT_EQ(m.get(RecordMetadataKey::Comment), "a\nb");
    parse_kif_header_line(m, "持将棋：24点法");
    EXPECT_EQ(m.impasse_rule, "24点法");

    parse_kif_header_line(m, "持ち時間：10+30+0");
    EXPECT_EQ(m.time_control, (TimeControl{10, 30, 0}));
    parse_kif_header_line(m, "持ち時間：1時間30分");
    EXPECT_EQ(m.time_control, (TimeControl{5400, 0, 0}));
    parse_kif_header_line(m, "持ち時間：不明");
    EXPECT_FALSE(m.time_control);
    parse_kif_header_line(m, "先手持ち時間：600+10+0");
    EXPECT_EQ(m.black_time_control, (TimeControl{600, 10, 0}));
    parse_kif_header_line(m, "後手持ち時間：10分");  // no Japanese form for the per-side times
    EXPECT_FALSE(m.white_time_control);

    parse_kif_header_line(m, "最大手数：256");
    EXPECT_EQ(m.max_moves, 256u);
    parse_kif_header_line(m, "最大手数：-1");
    EXPECT_FALSE(m.max_moves);
    parse_kif_header_line(m, "最大手数：+4294967295");
    EXPECT_EQ(m.max_moves, 4294967295u);
    parse_kif_header_line(m, "最大手数：4294967296");
    EXPECT_FALSE(m.max_moves);

    parse_kif_header_line(m, "戦型：矢倉");
    parse_kif_header_line(m, "手合割：香落ち");
    parse_kif_header_line(m, "手合割：平手");
    EXPECT_EQ(m.attributes.at("戦型"), "矢倉");
    EXPECT_EQ(m.attributes.at("手合割"), "平手");
    parse_kif_header_line(m, "#KIF version=2.0 encoding=UTF-8");
    EXPECT_EQ(m.attributes.size(), 3u);  // no colon: ignored
    parse_kif_header_line(m, "先手：");
    EXPECT_EQ(m.get(RecordMetadataKey::BlackPlayer), "");
    EXPECT_FALSE(m.get(RecordMetadataKey::GameName));
}

TEST(KifHeader, Handicaps) {
    const std::pair<const char*, const char*> table[] = {
        {"平手", "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"},
        {"香落ち", "lnsgkgsn1/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
        {"右香落ち", "1nsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
        {"角落ち", "lnsgkgsnl/1r7/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
        {"飛車落ち", "lnsgkgsnl/7b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
        {"飛香落ち", "lnsgkgsn1/7b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
        {"二枚落ち", "lnsgkgsnl/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
        {"三枚落ち", "lnsgkgsn1/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
        {"四枚落ち", "1nsgkgsn1/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
        {"五枚落ち", "2sgkgsn1/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
        {"左五枚落ち", "1nsgkgs2/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
        {"六枚落ち", "2sgkgs2/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
        {"左七枚落ち", "2sgkg3/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
        {"右七枚落ち", "3gkgs2/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
        {"八枚落ち", "3gkg3/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
        {"十枚落ち", "4k4/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1"},
    };
    for (const auto& [name, sfen] : table) {
        const std::map<std::string, std::string, std::less<>> attrs = {{"手合割", name}};
        EXPECT_EQ(handicap_name_to_sfen(attrs), sfen) << name;
        ASSERT_TRUE(handicap_of_sfen(sfen)) << name;
        EXPECT_EQ(handicap_of_sfen(sfen)->kif_name, name);
    }
    EXPECT_EQ(std::size(table), HANDICAP_STARTS.size());
    // The board core's presets, but the empty board, are handicaps of the table.
    for (int kind = 0; kind < 15; ++kind)
        EXPECT_EQ(handicap_of_sfen(handicap_sfen(kind)) != nullptr, kind != 1) << kind;
    for (const char* other : {"その他", "七枚落ち", "平手　", ""}) {
        const std::map<std::string, std::string, std::less<>> attrs = {{"手合割", other}};
        EXPECT_FALSE(handicap_name_to_sfen(attrs)) << other;
    }
    EXPECT_FALSE(handicap_name_to_sfen({}));
}

// The counts by CSA code in code order, as the set-up maps held them.
std::string hand_text(const std::array<std::uint32_t, HAND_PIECE_NB>& counts) {
    const std::pair<const char*, PieceType> codes[] = {{"FU", PAWN},  {"GI", SILVER}, {"HI", ROOK}, {"KA", BISHOP},
                                                       {"KE", KNIGHT}, {"KI", GOLD},   {"KY", LANCE}};
    std::string out;
    for (const auto& [code, pt] : codes)
        if (const std::uint32_t n = counts[hand_piece_of(pt)]) out += code + std::to_string(n) + " ";
    return out;
}

TEST(KifDiagram, Hands) {
    const std::pair<const char*, const char*> cases[] = {
        {"飛 角 金二 歩十八", "FU18 HI1 KA1 KI2 "},
        {"なし", ""},
        {"　", ""},
        {"", ""},
        {"金二", "KI2 "},
        {"歩", "FU1 "},
        {"歩〇", "FU1 "},
        {"歩十", "FU10 "},
        {"歩二十", "FU20 "},
        {"歩十一", "FU11 "},
        {"歩二歩三", "FU5 "},
        {"銀四　桂四　", "GI4 KE4 "},
        {"王 玉", ""},  // no hand holds a king
        {"x歩二y香", "FU2 KY1 "},
        // Counts past ten as the writers put them: ASCII or full-width digits.
        {"歩18", "FU18 "},
        {"歩１８　香", "FU18 KY1 "},
        {"歩11金", "FU11 KI1 "},
        {"歩999", "FU255 "},
        {"歩九九九", "FU255 "},
        {"歩百", "FU1 "},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(hand_text(parse_bod_hand(text)), expected) << text;
}

// The occupied squares as "<file><rank><side><CSA code> ", by file and then rank.
std::string rows_text(const std::array<Piece, SQUARE_NB>& board) {
    constexpr std::string_view CODES[] = {"",   "FU", "KY", "KE", "GI", "KA", "HI", "KI",
                                          "OU", "TO", "NY", "NK", "NG", "UM", "RY"};
    std::string out;
    for (int file = 0; file < 9; ++file)
        for (int rank = 0; rank < 9; ++rank)
            if (const Piece p = board[make_square(file, rank)])
                out += std::to_string(file + 1) + std::to_string(rank + 1) + (color_of(p) == BLACK ? '+' : '-') +
                       std::string(CODES[type_of(p)]) + " ";
    return out;
}

TEST(KifDiagram, Rows) {
    const std::string diagram =
        "  ９ ８ ７ ６ ５ ４ ３ ２ １\n"
        "+---------------------------+\n"
        "|v王^と 杏v? ・ 竜v竜 歩　 |一\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ ・|二\n"
        "no bar here\n"
        "| 金\n"
        "|\n"
        "|\n"
        "|\n"
        "|\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・v全|九\n"
        "+---------------------------+\n"
        "next";
    const std::vector<std::string_view> lines = split_lines(diagram, LineEnds::Any);
    const BodBoard read = parse_bod_board(lines, 0);
    EXPECT_EQ(read.next_line, 12u);
    EXPECT_EQ(rows_text(read.board), "19-NG 21+FU 31-RY 41+RY 71+NY 81-TO 91-OU 94+KI ");

    // Without frames, and cut short by the end of the text.
    const std::vector<std::string_view> bare = split_lines("９ ８ ７ ６ ５ ４ ３ ２ １\n| 歩\n| 香", LineEnds::Any);
    const BodBoard short_read = parse_bod_board(bare, 0);
    EXPECT_EQ(short_read.next_line, 3u);
    EXPECT_EQ(rows_text(short_read.board), "91+FU 92+KY ");
}

TEST(KifDiagram, StartOfTheSetUp) {
    const auto start_of = [](const std::string& header) -> std::string {
        const std::vector<std::string_view> lines = split_lines(header, LineEnds::Any);
        const auto start = kif_start(read_kif_header_section(lines, [](std::string_view) { return false; }));
        if (!start) return sfen_error_display(start.error());
        // The position is the one its text gives (hands in another order than the SFEN writer's).
        EXPECT_EQ(position_state_of(start->position), static_cast<const PositionState&>(*parse_sfen_fields(start->sfen)));
        return start->sfen;
    };
    const std::string empty_board =
        "  ９ ８ ７ ６ ５ ４ ３ ２ １\n+---------------------------+\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ ・|一\n+---------------------------+\n";
    EXPECT_EQ(start_of(empty_board), "9/9/9/9/9/9/9/9/9 b - 1");
    // Hands listed pawn first, as the diagram lists them.
    const std::string board =
        "  ９ ８ ７ ６ ５ ４ ３ ２ １\n+---------------------------+\n"
        "| ・ ・ ・ ・v玉 ・ ・ ・ と|一\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|二\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|三\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ ・|四\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|五\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|六\n"
        "| ・ ・ ・ ・ ・ ・ ・ ・ ・|七\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|八\n| ・ ・ ・ ・ 玉 ・ ・ ・ ・|九\n"
        "+---------------------------+\n";
    EXPECT_EQ(start_of("先手の持駒：飛 歩18\n後手の持駒：角二\n" + board + "後手番\n"),
              "4k3+P/9/9/9/9/9/9/9/4K4 w 18PR2b 1");
    // A count no hand holds is refused as the SFEN reader refuses it, saturated at 255.
    EXPECT_EQ(start_of("先手の持駒：歩999\n" + board),
              "invalid hand count for PieceType(1): 255");
    // Without a diagram, the hands and side lines set nothing up.
    EXPECT_EQ(start_of("先手の持駒：飛\n後手番\n"), std::string(STARTPOS_SFEN));
}

TEST(KifSpecial, Words) {
    using K = SpecialMoveKind;
    struct Case {
        const char* word;
        K kind;
        int black, white;  // results with Black, with White to move
    };
    const Case cases[] = {
        {"投了", K::Resign, 1, 0},           {"詰み", K::Resign, 1, 0},
        {"詰", K::Resign, 1, 0},             {"中断", K::Interrupt, 11, 11},
        {"不詰", K::NoMate, 11, 11},         {"千日手", K::RepetitionDraw, 2, 2},
        {"持将棋", K::Impasse, 10, 10},      {"最大手数", K::MaxMoves, 6, 6},
        {"トライ", K::Try, 11, 11},          {"不戦勝", K::WinByDefault, 8, 9},
        {"不戦敗", K::LoseByDefault, 9, 8},  {"切れ負け", K::Timeout, 17, 16},
        {"反則勝ち", K::WinByIllegalMove, 12, 13}, {"反則負け", K::LoseByIllegalMove, 13, 12},
        {"入玉宣言", K::WinByDeclaration, 4, 5},   {"入玉勝ち", K::WinByDeclaration, 4, 5},
    };
    for (const Case& c : cases) {
        for (Color side : {BLACK, WHITE}) {
            const SpecialMove s = kif_special_word(c.word, side);
            EXPECT_EQ(s.kind, c.kind) << c.word;
            EXPECT_EQ(s.result, side == BLACK ? c.black : c.white) << c.word;
            EXPECT_EQ(s.unknown_name, "");
        }
    }
    const SpecialMove unknown = kif_special_word("時間切れ", BLACK);
    EXPECT_EQ(unknown.kind, K::Unknown);
    EXPECT_EQ(unknown.unknown_name, "時間切れ");
    EXPECT_EQ(unknown.result, 11);
}

std::string result_text(std::string_view line, Color side) {
    const auto s = parse_kif_result_line(line, side);
    if (!s) return "none";
    return std::string(SPECIAL_MOVE_KIND_NAMES[static_cast<int>(s->kind)]) + " " + std::to_string(s->result) +
           (s->unknown_name.empty() ? "" : " " + s->unknown_name);
}

TEST(KifSpecial, ResultLines) {
    const std::tuple<const char*, Color, const char*> cases[] = {
        {"まで64手で先手の勝ち", WHITE, "RESIGN 0"},
        {"まで64手で後手の勝ち", BLACK, "RESIGN 1"},
        {"  まで64手で先手の勝ち　", WHITE, "RESIGN 0"},
        {"まで30手で千日手", BLACK, "REPETITION_DRAW 2"},
        {"まで77手で時間切れにより後手の勝ち", BLACK, "TIMEOUT 17"},
        {"まで77手で時間切れにより先手の勝ち", WHITE, "TIMEOUT 16"},
        {"まで5手で時間切れ", BLACK, "none"},
        {"まで200手で最大手数", BLACK, "MAX_MOVES 6"},
        {"まで200手で持将棋", BLACK, "IMPASSE 10"},
        {"まで10手で中断", BLACK, "INTERRUPT 11"},
        {"まで5手で先手の入玉勝ち", WHITE, "WIN_BY_DECLARATION 4"},
        {"まで5手で後手の入玉宣言", WHITE, "WIN_BY_DECLARATION 5"},
        {"まで5手で入玉宣言", BLACK, "none"},
        {"まで5手で入玉宣言の勝ち", BLACK, "none"},  // the declaration test stops the tests
        {"まで3手で後手の反則勝ち", WHITE, "WIN_BY_ILLEGAL_MOVE 13"},
        {"まで2手で先手の反則負け", BLACK, "LOSE_BY_ILLEGAL_MOVE 13"},
        {"まで2手で後手の反則負け", WHITE, "LOSE_BY_ILLEGAL_MOVE 12"},
        {"まで3手で不詰", BLACK, "NO_MATE 11"},
        {"まで10手で詰", BLACK, "RESIGN 1"},
        {"まで61手詰", WHITE, "RESIGN 0"},
        {"まで5手で先手と後手の勝ち", BLACK, "RESIGN 0"},  // "先手" decides
        {"まで5手", BLACK, "none"},
        {"まで", BLACK, "none"},
        {"64手で先手の勝ち", BLACK, "none"},
        // Every closing line the writers write reads back.
        {"まで86手で詰み", BLACK, "RESIGN 1"},
        {"まで86手で詰み", WHITE, "RESIGN 0"},
        {"まで86手で引き分け", BLACK, "UNKNOWN 11 引き分け"},
        {"まで86手で先手の不戦勝", BLACK, "WIN_BY_DEFAULT 8"},
        {"まで86手で後手の不戦勝", BLACK, "WIN_BY_DEFAULT 9"},
        {"まで86手で先手の不戦敗", WHITE, "LOSE_BY_DEFAULT 9"},
        {"まで86手で後手の不戦敗", BLACK, "LOSE_BY_DEFAULT 8"},
        {"まで86手で後手のトライ", BLACK, "TRY 11"},
        {"まで86手で不戦勝", BLACK, "none"},
        {"まで86手で後手の反則勝ち", WHITE, "WIN_BY_ILLEGAL_MOVE 13"},
        {"まで86手で先手の入玉勝ち", BLACK, "WIN_BY_DECLARATION 4"},
        {"まで86手で時間切れにより先手の勝ち", WHITE, "TIMEOUT 16"},
    };
    for (const auto& [line, side, expected] : cases) EXPECT_EQ(result_text(line, side), expected) << line;

    const SpecialMoveEntry entry = special_entry_from_result_line("まで3手で中断", *parse_kif_result_line("まで3手で中断", BLACK));
    EXPECT_EQ(entry.special.raw, "まで3手で中断");
    EXPECT_EQ(entry.annotations, Annotations{});
}

TEST(KifMoveSection, Squares) {
    auto read = [](std::string_view text, bool has_previous = false, Square previous = SQ_NONE) -> std::string {
        const auto s = parse_kif_square(text, has_previous, previous);
        if (!s) return kif_error_display(s.error());
        return square_display_usi(s->square) + "/" + std::to_string(s->bytes);
    };
    EXPECT_EQ(read("７六歩"), "7f/6");
    EXPECT_EQ(read("7六"), "7f/4");
    EXPECT_EQ(read("１一"), "1a/6");
    EXPECT_EQ(read("９九香"), "9i/6");
    EXPECT_EQ(read("同　歩", true, sq("7f")), "7f/3");
    EXPECT_EQ(read("同", false), "invalid KIF move: 同");
    EXPECT_EQ(read("76歩"), "invalid KIF move: 76歩");
    EXPECT_EQ(read("0一"), "invalid KIF move: 0一");
    EXPECT_EQ(read("０一"), "invalid KIF move: ０一");
    EXPECT_EQ(read(""), "invalid KIF move: ");
    EXPECT_EQ(read("７"), "invalid KIF move: ７");
    EXPECT_EQ(read("歩"), "invalid KIF move: 歩");
}

TEST(KifMoveSection, SquareFiles) {
    EXPECT_EQ(compare_square_files(sq("7g"), sq("3c"), BLACK), std::strong_ordering::greater);
    EXPECT_EQ(compare_square_files(sq("7g"), sq("3c"), WHITE), std::strong_ordering::less);
    EXPECT_EQ(compare_square_files(sq("5a"), sq("5i"), WHITE), std::strong_ordering::equal);
}

TEST(KifMoveSection, TimeLines) {
    const std::pair<const char*, std::optional<std::uint32_t>> cases[] = {
        {"消費時間：1:30", 90000},
        {"消費時間：0:00", std::nullopt},
        {"消費時間：1:xx:30", 90000},
        {"消費時間：0:05", 5000},
        {"消費時間 1 02 03", 3723000},
        {"消費時間：　+5", 5000},
        {"消費時間：1：00", 60000},
        {"手数----指手---------消費時間--", std::nullopt},
        {"時間：1:00", std::nullopt},
        {"消費時間：00000000000000000007", 7000},
        // The total in milliseconds must fit 32 bits: no time rather than a wrapped one.
        {"消費時間：1193:02:47", 4294967000u},
        {"消費時間：1193:02:48", std::nullopt},
        {"消費時間：4294968", std::nullopt},
        {"消費時間：1:0:0:0:0:0:0", std::nullopt},
        {"消費時間：0:0:0:0:0:0:0:0:0:0:0:0:0:5", 5000},
        {"消費時間：99999999999:5", 5000},
    };
    for (const auto& [line, expected] : cases) EXPECT_EQ(parse_kif_time_column(line), expected) << line;
}

TEST(KifMoveSection, Numbers) {
    EXPECT_EQ(ascii_digits_number("変化：12手"), 12u);
    EXPECT_EQ(ascii_digits_number("変化：1-2手"), 12u);
    EXPECT_EQ(ascii_digits_number("変化：３手"), 0u);
    EXPECT_EQ(ascii_digits_number("変化："), 0u);
    EXPECT_EQ(ascii_digits_number("18446744073709551615"), 18446744073709551615ull);
    EXPECT_EQ(ascii_digits_number("18446744073709551616"), 0u);
    EXPECT_EQ(variation_start_number("変化：３手"), 3u);
    EXPECT_EQ(variation_start_number("変化：１2手"), 12u);
    EXPECT_EQ(variation_start_number("変化：   3手"), 3u);
    EXPECT_EQ(variation_start_number("変化：0手"), 1u);
    EXPECT_EQ(variation_start_number("変化"), 1u);
    EXPECT_EQ(variation_start_number("変化：99999999999999999999手"), 1u);
}

TEST(KifMoveSection, EvaluationLines) {
    const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
        {"**評価値=120", 120},          {"**評価値=-35", -35},        {"**評価値=+7", 7},
        {"**評価値=**評価値=9", 9},     {"**評価値=2147483647", 2147483647},
        {"**評価値=-2147483648", INT32_MIN}, {"**評価値=2147483648", std::nullopt},
        {"**評価値=abc", std::nullopt}, {"**評価値=", std::nullopt},  {"**評価値=-", std::nullopt},
        {"**評価値= 5", std::nullopt},  {"*評価値=5", std::nullopt},
    };
    for (const auto& [line, expected] : cases) EXPECT_EQ(parse_kif_evaluation_line(line), expected) << line;

    Annotations a;
    set_move_evaluation(a, 40000);
    ASSERT_TRUE(a.engine_info);
    EXPECT_EQ(a.engine_info->eval, 32767);
    EXPECT_TRUE(a.engine_info->eval_is_mate_kind);
    set_move_evaluation(a, 120);
    EXPECT_EQ(a.engine_info->eval, 120);
    EXPECT_FALSE(a.engine_info->eval_is_mate_kind);
}

std::string move_line(std::string_view line, bool has_previous = false, Square previous = SQ_NONE) {
    const auto m = parse_kif_move_line(line, has_previous, previous);
    if (!m) return kif_error_display(m.error());
    std::string out = move_display_usi(m->move) + " " + square_display_usi(m->to);
    if (m->time_ms) out += " " + std::to_string(*m->time_ms);
    return out;
}

TEST(KifLines, MoveLines) {
    EXPECT_EQ(move_line("   1 ７六歩(77)   ( 0:01/00:00:01)"), "7g7f 7f 1000");
    EXPECT_EQ(move_line("1 ７六歩(77)"), "7g7f 7f");
    EXPECT_EQ(move_line("3 ２二角成(88)"), "8h2b+ 2b");
    EXPECT_EQ(move_line("4 同　銀(31)", true, sq("2b")), "3a2b 2b");
    EXPECT_EQ(move_line("4 同銀(31)", true, sq("2b")), "3a2b 2b");
    EXPECT_EQ(move_line("4 同 銀(31)", false), "invalid KIF move: 同 銀(31)");
    EXPECT_EQ(move_line("10 ２三歩打 ( 0:05/00:00:07)+"), "P*2c 2c 5000");
    EXPECT_EQ(move_line("5 ５五角　打"), "B*5e 5e");
    EXPECT_EQ(move_line("5 ５五と打"), "invalid KIF move: 5 ５五と打");
    EXPECT_EQ(move_line("5 ５五玉打"), "invalid KIF move: 5 ５五玉打");
    EXPECT_EQ(move_line("5 ５五王打"), "invalid KIF move: 5 ５五王打");
    EXPECT_EQ(move_line("9 ２二角不成(88)"), "8h2b 2b");
    EXPECT_EQ(move_line("9 ２二成銀(31)"), "3a2b 2b");
    EXPECT_EQ(move_line("9 ２二竜(28)"), "2h2b 2b");
    EXPECT_EQ(move_line("9 ２二王(21)"), "2a2b 2b");
    EXPECT_EQ(move_line("9 ２二金"), "invalid KIF move: 9 ２二金");
    EXPECT_EQ(move_line("9 ２二金(07)"), "invalid KIF move: 9 ２二金(07)");
    EXPECT_EQ(move_line("9 ２二金(１１)"), "invalid KIF move: 9 ２二金(１１)");
    EXPECT_EQ(move_line("9 ２二金(123)"), "invalid KIF move: 9 ２二金(123)");
    EXPECT_EQ(move_line("9 ２二X(11)"), "invalid KIF move: 9 ２二X(11)");
    EXPECT_EQ(move_line("9 ２二"), "invalid KIF move: 9 ２二");
    EXPECT_EQ(move_line("12"), "invalid KIF move: ");
    // Time columns: full-width parentheses and colons, spaces around the slash, a bad
    // time (no time, the column still cut), the last qualifying group chosen.
    EXPECT_EQ(move_line("1 ７六歩(77)（0：05/0：00：05）"), "7g7f 7f 5000");
    EXPECT_EQ(move_line("1 ７六歩(77) (00:31 / 00:00:31)"), "7g7f 7f 31000");
    EXPECT_EQ(move_line("1 ７六歩(77) (x:y/1)"), "7g7f 7f");
    EXPECT_EQ(move_line("1 ７六歩(77) (0:01/1) (0:02/2) (note"), "7g7f 7f 2000");
    EXPECT_EQ(move_line("1 ７六歩(77) ()"), "7g7f 7f");
}

// The move line reads the piece-name variants where they stand instead of rewriting
// the line first: the result must be that of the rewritten line.
TEST(KifLines, VariantsReadAsTheirNormalForm) {
    const std::vector<std::string> parts = {" ", "　", "1", "23", "７", "六", "同", "歩", "王", "玉", "竜", "龍", "成",
                                            "銀", "桂", "香", "全", "と", "打", "不成", "(", ")", "（", "）", "77",
                                            "/", ":", "：", "0:01", "00:00:01", "x"};
    std::mt19937 rng(11);
    auto text = [](const Expected<KifMoveLine, KifError>& m) -> std::string {
        if (!m) return "error";
        return move_display_usi(m->move) + " " + std::to_string(m->to) + " " +
               (m->time_ms ? std::to_string(*m->time_ms) : "-");
    };
    for (int i = 0; i < 200000; ++i) {
        std::string line = "1 ７六";
        const int n = static_cast<int>(rng() % 8);
        for (int k = 0; k < n; ++k) line += parts[rng() % parts.size()];
        const std::string normal = normalize_kif_piece_name(line);
        ASSERT_EQ(text(parse_kif_move_line(line, true, sq("2b"))), text(parse_kif_move_line(normal, true, sq("2b"))))
            << line;
    }
    EXPECT_EQ(move_line("1 ７六成銀(77)"), "7g7f 7f");
    EXPECT_EQ(move_line("1 ７六歩成銀(77)"), "7g7f 7f");  // "成銀" after the piece is no promotion
    EXPECT_EQ(move_line("1 ７六歩成成銀(77)"), "7g7f+ 7f");
    EXPECT_EQ(move_line("1 ７六成x(77)"), "invalid KIF move: 1 ７六成x(77)");
}

// The time column's "minutes:seconds" is read the way the shared clock-text reader
// reads it, up to the last millisecond that fits 32 bits.
TEST(KifLines, TimeColumnsAgreeWithTheClockTextReader) {
    std::mt19937_64 rng(3);
    auto digits = [&](int n) {
        std::string d;
        for (int k = 0; k < n; ++k) d.push_back(static_cast<char>('0' + rng() % 10));
        return d;
    };
    std::vector<std::string> spent = {"71582:47", "71582:48", "0:4294967", "4294967:0", "000000000:5", "1:2:3",
                                      "1:", ":5", "+1:5", "1:5x", "999999999:999999999"};
    for (int i = 0; i < 5000; ++i) spent.push_back(digits(1 + rng() % 10) + ":" + digits(1 + rng() % 10));
    for (const std::string& t : spent) {
        for (const std::string pad : {"", " ", "  ", "　", "\t"}) {
            const auto m = parse_kif_move_line("1 ７六歩(77) (" + pad + t + pad + "/00:00:00)", false, SQ_NONE);
            ASSERT_TRUE(m) << t;
            ASSERT_EQ(m->time_ms, parse_time_text_ms(trim_whitespace(pad + t + pad))) << t;
        }
    }
}

// A time column that closes the line is read by a shortcut; with a byte after it the
// full scan reads the same groups and must give the same move and time.
TEST(KifLines, TimeColumnsClosingTheLineReadAsWithMoreAfter) {
    const std::vector<std::string> parts = {"(", ")", " ", ":", "/", "0", "7", "12", "00:00:07", "：", "（", "）", "x",
                                            "( 0:07/00:00:07)", "(1:2/", "0:1/"};
    // Error texts quote the line, so only the outcome is compared.
    const auto read = [](const std::string& line) -> std::string {
        const auto m = parse_kif_move_line(line, false, SQ_NONE);
        if (!m) return "error";
        return move_display_usi(m->move) + " " + (m->time_ms ? std::to_string(*m->time_ms) : "-");
    };
    std::mt19937 rng(5);
    std::size_t timed = 0;
    for (int i = 0; i < 100000; ++i) {
        std::string line = "1 ７六歩(77) ";
        const int n = 1 + static_cast<int>(rng() % 8);
        for (int k = 0; k < n; ++k) line += parts[rng() % parts.size()];
        if (rng() % 2) line += ")";
        const std::string got = read(line);
        ASSERT_EQ(got, read(line + "x")) << line;
        timed += got != "error" && got.back() != '-';
    }
    EXPECT_GT(timed, 1000u);
}

std::string special_line(std::string_view line, Color side = BLACK) {
    const auto s = parse_kif_special_line(line, side);
    if (!s) return "none";
    std::string out(SPECIAL_MOVE_KIND_NAMES[static_cast<int>(s->special.kind)]);
    out += " " + std::to_string(s->special.result);
    if (!s->special.unknown_name.empty()) out += " " + s->special.unknown_name;
    if (s->time_ms) out += " " + std::to_string(*s->time_ms);
    return out;
}

TEST(KifLines, SpecialLines) {
    EXPECT_EQ(special_line("  65 投了  ( 0:10/00:56:12)"), "RESIGN 1 10000");
    EXPECT_EQ(special_line("65 投了", WHITE), "RESIGN 0");
    EXPECT_EQ(special_line("1 ７六歩"), "UNKNOWN 11 ７六歩");
    EXPECT_EQ(special_line("3 入王宣言"), "WIN_BY_DECLARATION 4");  // "王" reads as "玉"
    EXPECT_EQ(special_line("4 切れ負け(0:05/0:10)"), "TIMEOUT 17 5000");
    EXPECT_EQ(special_line("4 中断（0：05/0：10）"), "INTERRUPT 11 5000");
    EXPECT_EQ(special_line("4 中断 (0:05"), "INTERRUPT 11");  // no slash: no time
    EXPECT_EQ(special_line("4 中断 (5/10)"), "INTERRUPT 11");
    EXPECT_EQ(special_line("4 中断 (0:05)"), "INTERRUPT 11");
    EXPECT_EQ(special_line("12"), "none");
    EXPECT_EQ(special_line("12 "), "none");
    EXPECT_EQ(special_line("投了"), "none");
}

TEST(KifLines, PieceNameVariants) {
    EXPECT_EQ(normalize_kif_piece_name("王竜成銀成桂成香成歩"), "玉龍全圭杏と");
    EXPECT_EQ(normalize_kif_piece_name("成成銀"), "成全");
    EXPECT_EQ(normalize_kif_piece_name("２二角成(88)"), "２二角成(88)");
    EXPECT_EQ(normalize_kif_piece_name(""), "");
}

}  // namespace
