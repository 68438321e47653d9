#include "core/records/formats/kif/ki2_resolver.h"

#include <array>

#include "core/board/attack_tables.h"
#include "core/board/position/parser.h"
#include "core/board/position/position_state.h"
#include "core/board/position/updates.h"
#include "core/records/editor.h"
#include "core/records/formats/kif/kif_move_lines.h"
#include "core/util/kanji.h"

namespace korvan {

namespace {

constexpr std::array<std::string_view, 6> SIDE_MARKS = {"▲", "△", "▼", "▽", "☗", "☖"};

// Every mark begins with the lead byte 0xE2.
std::size_t side_mark_at(std::string_view text) {
    if (text.empty() || text[0] != '\xE2') return 0;
    for (std::string_view mark : SIDE_MARKS)
        if (text.starts_with(mark)) return mark.size();
    return 0;
}

struct PieceName {
    std::string_view name;
    PieceType type;
};

// Two-character names first, so that "成銀" is not read as an unknown "成".
constexpr std::array<PieceName, 19> PIECE_NAMES = {{
    {"成香", PRO_LANCE}, {"成桂", PRO_KNIGHT}, {"成銀", PRO_SILVER}, {"歩", PAWN},      {"香", LANCE},
    {"桂", KNIGHT},      {"銀", SILVER},       {"金", GOLD},         {"角", BISHOP},    {"飛", ROOK},
    {"玉", KING},        {"王", KING},         {"と", PRO_PAWN},     {"杏", PRO_LANCE}, {"圭", PRO_KNIGHT},
    {"全", PRO_SILVER},  {"馬", HORSE},        {"龍", DRAGON},       {"竜", DRAGON},
}};

enum class Horizontal : std::uint8_t { None, Straight, Left, Right };
enum class Vertical : std::uint8_t { None, Up, Down, Sideways };
enum class Suffix : std::uint8_t { None, Promote, NoPromote, Drop };

struct Token {
    Square to = SQ_NONE;
    PieceType type = NO_PIECE_TYPE;
    Horizontal horizontal = Horizontal::None;
    Vertical vertical = Vertical::None;
    Suffix suffix = Suffix::None;
    std::optional<Square> source;
};

template <class T, std::size_t N>
T word_at(std::string_view& text, const std::array<std::pair<std::string_view, T>, N>& words, T none) {
    const std::uint32_t first = char3_at(text);
    for (const auto& [word, value] : words) {
        if (char3(word) != first || !text.starts_with(word)) continue;
        text.remove_prefix(word.size());
        return value;
    }
    return none;
}

constexpr std::array<std::pair<std::string_view, Horizontal>, 3> HORIZONTAL_WORDS = {{
    {"直", Horizontal::Straight}, {"左", Horizontal::Left}, {"右", Horizontal::Right},
}};
constexpr std::array<std::pair<std::string_view, Vertical>, 4> VERTICAL_WORDS = {{
    {"上", Vertical::Up}, {"行", Vertical::Up}, {"引", Vertical::Down}, {"寄", Vertical::Sideways},
}};
constexpr std::array<std::pair<std::string_view, Suffix>, 3> SUFFIX_WORDS = {{
    {"不成", Suffix::NoPromote}, {"成", Suffix::Promote}, {"打", Suffix::Drop},
}};

std::optional<Token> read_token(std::string_view text, bool has_previous, Square previous) {
    text.remove_prefix(side_mark_at(text));
    const auto square = parse_kif_square(text, has_previous, previous);
    if (!square) return std::nullopt;
    Token t;
    t.to = square->square;
    text.remove_prefix(square->bytes);
    const std::uint32_t first = char3_at(text);
    const std::uint32_t second = char3_at(text.substr(std::min(text.size(), KANJI_BYTES)));
    for (const PieceName& p : PIECE_NAMES) {
        if (char3(p.name) != first || (p.name.size() > KANJI_BYTES && char3(p.name.substr(KANJI_BYTES)) != second))
            continue;
        t.type = p.type;
        text.remove_prefix(p.name.size());
        break;
    }
    if (t.type == NO_PIECE_TYPE) return std::nullopt;
    t.horizontal = word_at(text, HORIZONTAL_WORDS, Horizontal::None);
    t.vertical = word_at(text, VERTICAL_WORDS, Vertical::None);
    t.suffix = word_at(text, SUFFIX_WORDS, Suffix::None);
    // "(77)": a source square; any other shape is ignored, as is what follows.
    if (text.size() >= 4 && text[0] == '(' && text.find(')') == 3 && text[1] >= '1' && text[1] <= '9' &&
        text[2] >= '1' && text[2] <= '9')
        t.source = make_square(text[1] - '1', text[2] - '1');
    return t;
}

bool is_horse_or_dragon(PieceType pt) { return pt == HORSE || pt == DRAGON; }

// Whether a candidate satisfies the token's words, both squares in the mover's frame.
bool satisfies(const Token& t, Square candidate, Square to, Color us) {
    const Square c = us == WHITE ? flip_side(candidate) : candidate;
    const Square d = us == WHITE ? flip_side(to) : to;
    const int F = file_of(c), R = rank_of(c), f = file_of(d), r = rank_of(d);
    const bool wide = is_horse_or_dragon(t.type);
    switch (t.vertical) {
        case Vertical::Up: if (!(R > r)) return false; break;
        case Vertical::Down: if (!(R < r)) return false; break;
        case Vertical::Sideways: if (R != r) return false; break;
        case Vertical::None: break;
    }
    switch (t.horizontal) {
        case Horizontal::Straight: return R > r && F == f;
        case Horizontal::Right: return wide ? F <= f : F < f;
        case Horizontal::Left: return wide ? F >= f : F > f;
        case Horizontal::None: return true;
    }
    return true;
}

Move board_move(Square from, Square to, bool promote) {
    return promote ? make_move16_promote(from, to) : make_move16(from, to);
}

}  // namespace

namespace {

// The byte length of a space the tokens leave out (U+0020 or U+3000) at the start, or 0.
std::size_t token_space_at(std::string_view text) {
    if (text.empty()) return 0;
    if (text[0] == ' ') return 1;
    return text[0] == '\xE3' && text.starts_with("　") ? KANJI_BYTES : 0;
}

}  // namespace

std::optional<std::string_view> Ki2Tokens::next() {
    // Spaces that open the rest belong to no token.
    while (const std::size_t w = token_space_at(line_.substr(pos_))) pos_ += w;
    if (pos_ >= line_.size()) return std::nullopt;
    const std::size_t start = pos_;
    std::size_t end = start + side_mark_at(line_.substr(start));
    bool inner_space = false;
    std::size_t last = end;  // one past the token's last byte that is no space
    while (end < line_.size()) {
        const char c = line_[end];
        if (c == '\xE2' && side_mark_at(line_.substr(end))) break;
        if (const std::size_t w = token_space_at(line_.substr(end))) {
            end += w;
            continue;
        }
        inner_space |= last != end;
        ++end;
        last = end;
    }
    pos_ = end;
    const std::string_view token = line_.substr(start, last - start);
    if (!inner_space) return token;
    buffer_.clear();
    for (std::size_t i = 0; i < token.size();) {
        if (const std::size_t w = token_space_at(token.substr(i))) {
            i += w;
            continue;
        }
        buffer_.push_back(token[i++]);
    }
    return std::string_view(buffer_);
}

std::optional<Ki2Move> resolve_ki2_token(const Position& pos, std::string_view text, bool has_previous,
                                         Square previous) {
    const auto token = read_token(text, has_previous, previous);
    if (!token) return std::nullopt;
    const Token& t = *token;
    const bool promote = t.suffix == Suffix::Promote;
    if (t.suffix == Suffix::Drop) {
        // A king names no piece a hand can hold.
        if (t.type == KING) return std::nullopt;
        return Ki2Move{make_drop16(demote(t.type), t.to), t.to};
    }
    if (t.source) return Ki2Move{board_move(*t.source, t.to, promote), t.to};

    const Color us = pos.side_to_move;
    Square kept[2];
    int count = 0;
    pos.pieces(us, t.type).for_each([&](Square s) {
        if (!piece_type_attacks(t.type, s, us, pos.occupied).test(t.to) || !satisfies(t, s, t.to, us)) return;
        if (count < 2) kept[count] = s;
        ++count;
    });
    if (count == 1) return Ki2Move{board_move(kept[0], t.to, promote), t.to};
    if (count == 2 && is_horse_or_dragon(t.type)) {
        const bool first_on_file = compare_square_files(kept[0], t.to, us) == 0;
        const bool second_on_file = compare_square_files(kept[1], t.to, us) == 0;
        if (first_on_file == second_on_file) return std::nullopt;
        return Ki2Move{board_move(first_on_file ? kept[1] : kept[0], t.to, promote), t.to};
    }
    if (count == 0 && t.type >= PAWN && t.type <= GOLD && hand_has(pos.hands[us], t.type))
        return Ki2Move{make_drop16(t.type, t.to), t.to};
    return std::nullopt;
}

Expected<std::vector<Ki2Move>, Ki2Error> parse_ki2_move(const Position& pos, std::string_view line, bool has_previous,
                                                       Square previous) {
    // A private copy without the history: resolving and the legality test read only the
    // board, the hands and the side to move.
    Position copy;
    position_set(copy, position_state_of(pos));
    std::vector<Ki2Move> out;
    Ki2Tokens tokens(line);
    while (const auto token = tokens.next()) {
        const auto move = resolve_ki2_token(copy, *token, has_previous, previous);
        if (!move) return unexpected(Ki2Error::invalid_move(line));
        out.push_back(*move);
        const auto checked = record_checked_move(copy, move->move);
        if (!checked) break;
        position_do_move(copy, *checked);
        has_previous = true;
        previous = move->to;
    }
    return out;
}

}  // namespace korvan
