#include "core/board/notation/move_text.h"

#include <array>
#include <optional>
#include <vector>

#include "core/board/attack_tables.h"
#include "core/util/text.h"

namespace korvan {

namespace {

constexpr std::array<std::string_view, 15> CSA_NAMES = {"",   "FU", "KY", "KE", "GI", "KA", "HI", "KI",
                                                        "OU", "TO", "NY", "NK", "NG", "UM", "RY"};
constexpr std::array<std::string_view, 15> KI2_NAMES = {"",   "歩",   "香",   "桂",   "銀", "角", "飛", "金",
                                                        "玉", "と", "成香", "成桂", "成銀", "馬", "龍"};
constexpr std::array<std::string_view, 9> FULL_WIDTH_DIGITS = {"１", "２", "３", "４", "５", "６", "７", "８", "９"};
constexpr std::array<std::string_view, 9> KANJI_RANKS = {"一", "二", "三", "四", "五", "六", "七", "八", "九"};

// A CSA square "11".."99", or nothing.
std::optional<Square> csa_square(char file, char rank) {
    if (file < '1' || file > '9' || rank < '1' || rank > '9') return std::nullopt;
    return make_square(file - '1', rank - '1');
}

void append_csa_square(std::string& out, Square s) {
    out.push_back(static_cast<char>('1' + file_of(s)));
    out.push_back(static_cast<char>('1' + rank_of(s)));
}

// A move whose fields all point at real squares and pieces.
bool is_real_move(std::uint32_t m) {
    if (is_special_move(m) || move_to(m) > 80) return false;
    if (is_drop(m)) return dropped_type(m) >= PAWN && dropped_type(m) <= GOLD;
    return move_from(m) <= 80;
}

enum class Horizontal { Left, Right, Same };
enum class Vertical { Up, Down, Side };

// Classes of a candidate against the destination, both seen from the mover's side.
Horizontal horizontal(Square c, Square d) {
    return file_of(c) > file_of(d) ? Horizontal::Left : file_of(c) < file_of(d) ? Horizontal::Right : Horizontal::Same;
}
Vertical vertical(Square c, Square d) {
    return rank_of(c) > rank_of(d) ? Vertical::Up : rank_of(c) < rank_of(d) ? Vertical::Down : Vertical::Side;
}

constexpr std::string_view vertical_word(Vertical v) {
    return v == Vertical::Up ? "上" : v == Vertical::Down ? "引" : "寄";
}
// "直" stands for the destination's own file.
constexpr std::string_view horizontal_word(Horizontal h) {
    return h == Horizontal::Left ? "左" : h == Horizontal::Right ? "右" : "直";
}

bool is_horse_or_dragon(PieceType pt) { return pt == HORSE || pt == DRAGON; }

// The words a text carries after the piece name; either may be missing.
struct RelativeWords {
    std::optional<Horizontal> horizontal;
    std::optional<Vertical> vertical;
};

// Whether a candidate fits the words as a reader takes them: "直" is only a straight step
// forward, and for a horse or a dragon "左" and "右" take in the destination's file too.
bool fits(const RelativeWords& words, Square c, Square d, PieceType pt) {
    if (words.vertical && vertical(c, d) != *words.vertical) return false;
    if (!words.horizontal) return true;
    const Horizontal h = horizontal(c, d);
    if (*words.horizontal == Horizontal::Same) return h == Horizontal::Same && vertical(c, d) == Vertical::Up;
    return h == *words.horizontal || (h == Horizontal::Same && is_horse_or_dragon(pt));
}

// Whether a reader comes back to the mover from the words: it fits them alone, or, for
// a horse or a dragon off the destination's file, together with one other that stands
// on that file (the reader then takes the one off the file).
bool singles_out(const RelativeWords& words, const std::vector<Square>& candidates, Square mover, Square dest,
                 PieceType pt) {
    int fitting = 0, on_file = 0;
    bool mover_fits = false;
    for (Square c : candidates) {
        if (!fits(words, c, dest, pt)) continue;
        ++fitting;
        on_file += horizontal(c, dest) == Horizontal::Same;
        mover_fits |= c == mover;
    }
    if (!mover_fits) return false;
    if (fitting == 1) return true;
    return fitting == 2 && is_horse_or_dragon(pt) && on_file == 1 && horizontal(mover, dest) != Horizontal::Same;
}

// The words of printed notation in their usual order of preference: the vertical word
// when it settles the matter, else the horizontal word with the vertical one added in
// the cases that want both.
RelativeWords usual_words(const std::vector<Square>& candidates, Square mover, Square dest, PieceType pt) {
    int hcount[3] = {}, vcount[3] = {};
    bool other_left = false, other_right = false;
    for (Square c : candidates) {
        const Horizontal h = horizontal(c, dest);
        ++hcount[static_cast<int>(h)];
        ++vcount[static_cast<int>(vertical(c, dest))];
        if (c != mover) {
            other_left |= h == Horizontal::Left;
            other_right |= h == Horizontal::Right;
        }
    }
    const Vertical v = vertical(mover, dest);
    if (vcount[static_cast<int>(v)] == 1) return {std::nullopt, v};

    Horizontal group = horizontal(mover, dest);
    if (group == Horizontal::Same && is_horse_or_dragon(pt)) {
        if (other_left == other_right) return {std::nullopt, v};
        group = other_right ? Horizontal::Left : Horizontal::Right;
    }
    int g = 0, gv = 0;
    bool group_has[3] = {};
    for (Square c : candidates) {
        if (horizontal(c, dest) != group) continue;
        ++g;
        const Vertical cv = vertical(c, dest);
        group_has[static_cast<int>(cv)] = true;
        if (cv == v) ++gv;
    }
    if (g == 0) return {group, std::nullopt};
    if (g > gv && gv < 2) {
        if (v == Vertical::Up && group != Horizontal::Same) return {group, v};
        for (Vertical other : {Vertical::Up, Vertical::Down, Vertical::Side}) {
            if (other == v) continue;
            if (group_has[static_cast<int>(other)] && vcount[static_cast<int>(other)] >= 2) return {group, v};
        }
        return {group, std::nullopt};
    }
    if (gv >= 2) return {group, v};
    return {group, std::nullopt};
}

// The relative words that single out the mover among the candidates.
std::string relative_words(const std::vector<Square>& candidates, Square mover, Square dest, PieceType pt) {
    RelativeWords words = usual_words(candidates, mover, dest, pt);
    if (!singles_out(words, candidates, mover, dest, pt)) {
        // Three silvers or gold-like pieces can leave two behind the usual words: with
        // silvers on ３五, ３七 and １五, "左" keeps both silvers on the left of ２六.
        // A step mover's own pair of classes names one square next to the destination;
        // on the destination's file "直" alone is the step forward and the vertical word
        // alone the step back. Only set-ups with more than two sliders of one kind can
        // defeat both choices; the usual words stay then.
        const Horizontal h = horizontal(mover, dest);
        const Vertical v = vertical(mover, dest);
        RelativeWords both = h != Horizontal::Same ? RelativeWords{h, v}
                             : v == Vertical::Up   ? RelativeWords{h, std::nullopt}
                                                   : RelativeWords{std::nullopt, v};
        if (singles_out(both, candidates, mover, dest, pt)) words = both;
    }
    std::string out;
    if (words.horizontal) out += horizontal_word(*words.horizontal);
    if (words.vertical) out += vertical_word(*words.vertical);
    return out;
}

}  // namespace

std::string_view csa_piece_name(unsigned piece_type) {
    return piece_type >= 1 && piece_type <= 14 ? CSA_NAMES[piece_type] : std::string_view{};
}

PieceType csa_piece_type(std::string_view name) {
    for (unsigned pt = 1; pt <= 14; ++pt)
        if (CSA_NAMES[pt] == name) return PieceType(pt);
    return NO_PIECE_TYPE;
}

Move32 position_move_from_csa(const Position& pos, std::string_view text) {
    const Color us = pos.side_to_move;
    if (text.size() == 7) {
        if (text[0] != (us == BLACK ? '+' : '-')) return 0;
        text.remove_prefix(1);
    } else if (text.size() != 6) {
        return 0;
    }
    const auto to = csa_square(text[2], text[3]);
    if (!to) return 0;
    const PieceType named = csa_piece_type(text.substr(4, 2));
    if (named == NO_PIECE_TYPE) return 0;
    const bool promoted_name = is_promoted(named);
    const PieceType base = demote(named);
    if (text[0] == '0' && text[1] == '0') {
        if (base < PAWN || base > GOLD) return 0;
        return static_cast<Move32>(us) << 20 | static_cast<Move32>(base) << 16 | static_cast<Move32>(base) << 7 | *to |
               MOVE_DROP_FLAG;
    }
    const auto from = csa_square(text[0], text[1]);
    if (!from) return 0;
    const Piece p = pos.board[*from];
    if (p == NO_PIECE || color_of(p) != us || demote(type_of(p)) != base) return 0;
    if (!is_promoted(type_of(p))) return promoted_name ? move_make_promote(*from, *to, p) : move_make(*from, *to, p);
    return promoted_name ? move_make(*from, *to, p) : 0;
}

std::optional<std::string> move_to_csa(Move32 move) {
    if (!is_real_move(move)) return std::nullopt;
    std::string out;
    unsigned pt;
    if (is_drop(move)) {
        out = "00";
        pt = dropped_type(move);
    } else {
        append_csa_square(out, move_from(move));
        pt = type_of(moved_piece_after(move));
    }
    if (pt < 1 || pt > 14) return std::nullopt;
    append_csa_square(out, move_to(move));
    out += CSA_NAMES[pt];
    return out;
}

std::optional<std::string> move_to_ki2(Move32 move, const Position& pos) {
    if (!is_real_move(move)) return std::nullopt;
    const Color us = pos.side_to_move;
    const Square to = move_to(move);
    const Move32 last = pos.st().last_move;
    const bool same = is_real_move(last) && move_to(last) == to;

    std::string out = us == BLACK ? "▲" : "△";
    if (same) {
        out += "同";
    } else {
        out += FULL_WIDTH_DIGITS[file_of(to)];
        out += KANJI_RANKS[rank_of(to)];
    }

    if (is_drop(move)) {
        const PieceType pt = dropped_type(move);
        out += KI2_NAMES[pt];
        bool reachable = false;
        pos.pieces(us, pt).for_each([&](Square s) {
            if (piece_type_attacks(pt, s, us, pos.occupied).test(to)) reachable = true;
        });
        if (reachable) out += "打";
    } else {
        const int t = static_cast<int>(type_of(moved_piece_after(move))) - (is_promotion(move) ? 8 : 0);
        if (t < 1 || t > 14) return std::nullopt;
        const PieceType pt = PieceType(t);
        out += KI2_NAMES[pt];
        const Square from = move_from(move);

        std::vector<Square> candidates;
        bool mover_has_choice = false;
        const int dest_rr = us == BLACK ? rank_of(to) : 8 - rank_of(to);
        const bool compulsory = ((pt == PAWN || pt == LANCE) && dest_rr == 0) || (pt == KNIGHT && dest_rr <= 1);
        pos.pieces(us, pt).for_each([&](Square s) {
            if (!piece_type_attacks(pt, s, us, pos.occupied).test(to)) return;
            candidates.push_back(s);
            const int src_rr = us == BLACK ? rank_of(s) : 8 - rank_of(s);
            const bool choice = is_promotable(pt) && (src_rr <= 2 || dest_rr <= 2) && !compulsory;
            if (s == from) mover_has_choice = choice;
        });
        if (candidates.size() >= 2) {
            auto seen = [us](Square s) { return static_cast<Square>(us == WHITE ? 80 - s : s); };
            std::vector<Square> relative;
            for (Square c : candidates) relative.push_back(seen(c));
            out += relative_words(relative, seen(from), seen(to), pt);
        }
        if (is_promotion(move))
            out += "成";
        else if (mover_has_choice)
            out += "不成";
    }
    if (same && utf8_count(out) == 3) out.insert(std::string_view("▲同").size(), "　");
    return out;
}

}  // namespace korvan
