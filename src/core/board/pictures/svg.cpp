#include "core/board/pictures/svg.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace korvan {

namespace {

template <class F>
std::string shortest(F v) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v < 0 ? "-inf" : "inf";
    // The shortest digits come in scientific form; they are then written out in place.
    char buf[64];
    const auto end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific).ptr;
    std::string_view text(buf, static_cast<std::size_t>(end - buf));
    std::string out;
    if (text.front() == '-') {
        out.push_back('-');
        text.remove_prefix(1);
    }
    const std::size_t e = text.find('e');
    std::string digits;
    for (char c : text.substr(0, e))
        if (c != '.') digits.push_back(c);
    int exponent = 0;
    std::string_view exp_text = text.substr(e + 1);
    if (exp_text.front() == '+') exp_text.remove_prefix(1);
    std::from_chars(exp_text.data(), exp_text.data() + exp_text.size(), exponent);
    const int point = exponent + 1;  // digits before the decimal point
    const int n = static_cast<int>(digits.size());
    if (point <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-point), '0');
        out += digits;
    } else if (point >= n) {
        out += digits;
        out.append(static_cast<std::size_t>(point - n), '0');
    } else {
        out += digits.substr(0, static_cast<std::size_t>(point));
        out += '.';
        out += digits.substr(static_cast<std::size_t>(point));
    }
    return out;
}

constexpr std::string_view TYPE_WORDS[15] = {"",         "pawn",      "lance",      "knight",     "silver",
                                             "bishop",   "rook",      "gold",       "king",       "pro-pawn",
                                             "pro-lance", "pro-knight", "pro-silver", "horse",      "dragon"};
// The glyph's character; for the three two-character promotions the one below "成".
constexpr std::string_view GLYPHS[15] = {"", "歩", "香", "桂", "銀", "角", "飛", "金",
                                         "王", "と", "香", "桂", "銀", "馬", "龍"};
// Glyphs are defined in this order, Black's set then White's.
constexpr PieceType GLYPH_ORDER[14] = {PAWN,     LANCE,     KNIGHT,     SILVER,     GOLD,  BISHOP, ROOK,
                                       KING,     PRO_PAWN,  PRO_LANCE,  PRO_KNIGHT, PRO_SILVER, HORSE, DRAGON};

constexpr std::string_view HAND_CHARS[7] = {"歩", "香", "桂", "銀", "角", "飛", "金"};  // by hand piece
constexpr PieceType HAND_ORDER[7] = {PAWN, LANCE, KNIGHT, SILVER, GOLD, BISHOP, ROOK};
constexpr std::string_view NUMERALS[11] = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九", "十"};

constexpr std::string_view TEXT_17 = R"(<text font-family="serif" font-size="17" text-anchor="middle" )";

std::string glyph_defs() {
    std::string out = "<defs>";
    for (Color c : {BLACK, WHITE}) {
        const std::string_view color_word = c == BLACK ? "black" : "white";
        for (PieceType pt : GLYPH_ORDER) {
            const std::string id = std::string(color_word) + "-" + std::string(TYPE_WORDS[pt]);
            const bool two = pt == PRO_LANCE || pt == PRO_KNIGHT || pt == PRO_SILVER;
            out += "<g id=\"" + id + "\"";
            if (c == BLACK && !two) {
                out += ">";
                out += TEXT_17;
                out += R"(x="10.5" y="16.5">)";
            } else if (c == BLACK) {
                out += R"~( transform="scale(1.0, 0.5)">)~";
                out += TEXT_17;
                out += R"(x="10.5" y="18">成</text>)";
                out += TEXT_17;
                out += R"(x="10.5" y="34">)";
            } else if (!two) {
                out += R"~( transform="rotate(180)">)~";
                out += TEXT_17;
                out += R"(x="-10.5" y="-3.5">)";
            } else {
                out += R"~( transform="scale(1.0, 0.5) rotate(180)">)~";
                out += TEXT_17;
                out += R"(x="-10.5" y="-22">成</text>)";
                out += TEXT_17;
                out += R"(x="-10.5" y="-6">)";
            }
            out += GLYPHS[pt];
            out += "</text></g>";
        }
    }
    return out + "</defs>";
}

// Fixed: the grid and the file and rank labels.
std::string grid_and_labels() {
    std::string out = R"(<g stroke="black"><rect x="20" y="10" width="181" height="181" fill="none" stroke-width="1.5" />)";
    for (int i = 1; i <= 8; ++i) {
        const std::string y = std::to_string(10 + 20 * i) + ".5";
        out += R"(<line x1="20.5" y1=")" + y + R"(" x2="200.5" y2=")" + y + R"(" stroke-width="1.0" />)";
    }
    for (int i = 1; i <= 8; ++i) {
        const std::string x = std::to_string(20 + 20 * i) + ".5";
        out += R"(<line x1=")" + x + R"(" y1="10.5" x2=")" + x + R"(" y2="190.5" stroke-width="1.0" />)";
    }
    out += "</g><g>";
    for (int i = 0; i < 9; ++i)
        out += R"(<text font-family="serif" text-anchor="middle" font-size="9" x=")" + std::to_string(30 + 20 * i) +
               R"(.5" y="8">)" + std::to_string(9 - i) + "</text>";
    for (int i = 0; i < 9; ++i)
        out += R"(<text font-family="serif" font-size="9" x="203.5" y=")" + std::to_string(23 + 20 * i) + R"(">)" +
               std::string(NUMERALS[i + 1]) + "</text>";
    return out + "</g>";
}

float square_x(Square s) { return static_cast<float>(8 - file_of(s)) * 20.0f + 20.5f; }
float square_y(Square s) { return static_cast<float>(rank_of(s)) * 20.0f + 10.5f; }

void shade(std::string& out, Square s, std::string_view fill) {
    out += "<rect x=\"" + shortest_decimal(square_x(s)) + "\" y=\"" + shortest_decimal(square_y(s)) +
           R"(" width="20" height="20" fill=")" + std::string(fill) + "\" />";
}

void hand_column(std::string& out, Hand hand, Color c) {
    std::string_view entries[7 * 3 + 1];
    int n = 0;
    for (PieceType pt : HAND_ORDER) {
        const std::uint32_t count = hand_count(hand, pt);
        if (count == 0) continue;
        if (count >= 11) {
            if (count % 10 != 0) entries[n++] = NUMERALS[count % 10];
            entries[n++] = NUMERALS[10];
        } else if (count >= 2) {
            entries[n++] = NUMERALS[count];
        }
        entries[n++] = HAND_CHARS[hand_piece_of(pt)];
    }
    entries[n++] = c == BLACK ? "☗" : "☖";
    float step = 14.0f;
    if (n > 12) {
        step = 13.0f / static_cast<float>(n + 1);
        step = step * 14.0f;
    }
    const std::string size = shortest_decimal(step);
    const std::string x = shortest_decimal(c == BLACK ? 214.0 : -16.0);
    const float y0 = c == BLACK ? 190.0f : -10.0f;
    for (int i = 0; i < n; ++i) {
        // Kept apart so that no fused multiply-add changes the rounding.
        volatile float offset = step * static_cast<float>(i);
        const float y = y0 - offset;
        out += R"(<text font-family="serif" font-size=")" + size + "\" x=\"" + x + "\" y=\"" + shortest_decimal(y) +
               "\"" + (c == WHITE ? R"~( transform="rotate(180)")~" : "") + ">" + std::string(entries[i]) + "</text>";
    }
}

}  // namespace

std::string shortest_decimal(float v) { return shortest(v); }
std::string shortest_decimal(double v) { return shortest(v); }

std::string board_to_svg(const std::array<Piece, 81>& board, const std::array<Hand, 2>& hands,
                         std::optional<Move> last_move, float scale) {
    static const std::string defs = glyph_defs();
    static const std::string grid = grid_and_labels();
    if (scale <= 0.0f) scale = 1.0f;
    std::string out;
    out.reserve(16384);
    out += R"(<svg xmlns="http://www.w3.org/2000/svg" version="1.1" xmlns:xlink="http://www.w3.org/1999/xlink" width=")";
    out += shortest_decimal(scale * 230.0f) + "\" height=\"" + shortest_decimal(scale * 192.0f) + "\" viewBox=\"0 0 " +
           shortest_decimal(230.0f) + " " + shortest_decimal(192.0f) + "\">";
    out += defs;
    if (last_move) {
        shade(out, move_to(*last_move), "#f6b94d");
        if (!is_drop(*last_move)) shade(out, move_from(*last_move), "#fdf0e3");
    }
    out += grid;
    for (Square s = 0; s < 81; ++s) {
        const Piece p = board[s];
        if (!names_piece(p)) continue;
        out += "<use xlink:href=\"#" + std::string(color_of(p) == BLACK ? "black-" : "white-") +
               std::string(TYPE_WORDS[type_of(p)]) + "\" x=\"" + shortest_decimal(square_x(s)) + "\" y=\"" +
               shortest_decimal(square_y(s)) + "\" />";
    }
    hand_column(out, hands[BLACK], BLACK);
    hand_column(out, hands[WHITE], WHITE);
    return out + "</svg>";
}

}  // namespace korvan
