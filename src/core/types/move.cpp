#include "core/types/move.h"

#include "core/util/panic.h"
#include "core/util/text.h"

namespace korvan {

namespace {

void check_builder_args(unsigned from, unsigned piece) {
    if (from > 127) panic("from square index");
    if (piece > 255) panic("piece index fits in u8");
}

constexpr std::string_view DROP_LETTERS = "PLNSBRG";

}  // namespace

Move32 move_make(unsigned from, unsigned to, unsigned piece) {
    check_builder_args(from, piece);
    return (piece & 31) << 16 | from << 7 | to;
}

Move32 move_make_promote(unsigned from, unsigned to, unsigned piece) {
    check_builder_args(from, piece);
    const unsigned pt = piece & 15;
    if (pt >= PAWN && pt <= ROOK) piece += 8;
    return (piece & 31) << 16 | from << 7 | to | MOVE_PROMOTE_FLAG;
}

Move move16_make_promote(unsigned from, unsigned to) {
    if (from > 127) panic("from square index");
    if (to > 127) panic("to square index");
    return static_cast<Move>(from << 7 | to | MOVE_PROMOTE_FLAG);
}

std::optional<Move> move_from_usi(std::string_view text) {
    if (text == "win") return MOVE_WIN;
    if (text == "resign") return MOVE_RESIGN;
    if (text == "null" || text == "0000") return MOVE_NULL;
    if (text == "none") return MOVE_NONE;

    // Characters, not bytes: a square is two characters and a multi-byte character
    // in its place makes the square fail.
    std::string_view chars[5];
    std::size_t n = 0;
    for (std::size_t pos = 0; pos < text.size() && n < 5;) {
        const std::size_t start = pos;
        utf8_next(text, pos);
        chars[n++] = text.substr(start, pos - start);
    }
    if (n < 4) return std::nullopt;
    auto square_of = [](std::string_view a, std::string_view b) -> std::optional<Square> {
        if (a.size() != 1 || b.size() != 1) return std::nullopt;
        const char buf[2] = {a[0], b[0]};
        auto sq = square_from_usi(std::string_view(buf, 2));
        if (!sq) return std::nullopt;
        return *sq;
    };
    if (chars[1] == "*") {
        if (chars[0].size() != 1) return std::nullopt;
        const auto k = DROP_LETTERS.find(chars[0][0]);
        if (k == std::string_view::npos) return std::nullopt;
        const auto to = square_of(chars[2], chars[3]);
        if (!to) return std::nullopt;
        return static_cast<Move>(MOVE_DROP_FLAG | (k + 1) << 7 | *to);
    }
    const auto from = square_of(chars[0], chars[1]);
    const auto to = square_of(chars[2], chars[3]);
    if (!from || !to) return std::nullopt;
    Move m = static_cast<Move>(*from << 7 | *to);
    if (n > 4 && chars[4] == "+") m |= MOVE_PROMOTE_FLAG;
    return m;
}

std::string move_display_usi(std::uint32_t move) {
    const Move m = move16(move);
    switch (m) {
        case MOVE_NONE: return "none";
        case MOVE_NULL: return "null";
        case MOVE_RESIGN: return "resign";
        case MOVE_WIN: return "win";
        case MOVE_END: return "";
        default: break;
    }
    std::string out;
    move_append_usi(out, m);
    return out;
}

void move_append_usi(std::string& out, std::uint32_t move) {
    const Move m = move16(move);
    const Square to = move_to(m);
    if (to > 80) return;
    const auto square = [&out](Square s) {
        out.push_back(static_cast<char>('1' + file_of(s)));
        out.push_back(static_cast<char>('a' + rank_of(s)));
    };
    if (is_drop(m)) {
        const unsigned pt = dropped_type(m);
        if (pt < PAWN || pt > GOLD) return;
        out.push_back(DROP_LETTERS[pt - 1]);
        out.push_back('*');
        square(to);
        return;
    }
    const Square from = move_from(m);
    if (from > 80) return;
    square(from);
    square(to);
    if (is_promotion(m)) out.push_back('+');
}

std::optional<Square> is_usi_square(std::string_view text) {
    auto sq = square_from_usi(text);
    if (!sq) return std::nullopt;
    return *sq;
}

std::string move32_debug(Move32 m) { return tuple_debug("Move32", m); }

}  // namespace korvan
