#include "core/mate/mate_table.h"

#include <cstdlib>
#include <memory>

#include "core/util/panic.h"

namespace korvan {

namespace {

enum class Kind { Lance, Silver, Gold, Bishop, Rook, Line };

bool fits(Kind kind, int dx, int dy, int forward) {
    const int adx = std::abs(dx), ady = std::abs(dy);
    const bool is_forward = dy * forward > 0;
    const bool is_backward = dy * forward < 0;
    switch (kind) {
        case Kind::Lance: return dx == 0 && is_forward;
        case Kind::Silver:
            return adx <= 1 && ady <= 1 && !(dx == 0 && is_backward) && !(dy == 0 && adx == 1);
        case Kind::Gold: return adx <= 1 && ady <= 1 && (!is_backward || dx == 0);
        case Kind::Bishop: return adx == ady;
        case Kind::Rook: return dx == 0 || dy == 0;
        case Kind::Line: return dx == 0 || dy == 0 || adx == ady;
    }
    return false;
}

constexpr int hand_bit(Kind kind) {
    switch (kind) {
        case Kind::Lance: return 1;
        case Kind::Silver: return 3;
        case Kind::Bishop: return 4;
        case Kind::Rook: return 5;
        case Kind::Gold: return 6;
        default: return -1;
    }
}

std::unique_ptr<std::uint8_t[]> build() {
    auto table = std::make_unique<std::uint8_t[]>(MATE_TABLE_SIZE);
    static constexpr Kind KINDS[] = {Kind::Lance, Kind::Silver, Kind::Gold, Kind::Bishop, Kind::Rook, Kind::Line};
    constexpr int LINE = 5;
    // covered[colour][i][kind]: the neighbours j that a piece of the kind on neighbour i
    // covers; every entry of the table is then a few mask tests.
    std::uint8_t covered[2][8][6] = {};
    for (int color = 0; color < 2; ++color) {
        const int forward = color == 0 ? -1 : 1;
        for (int i = 0; i < 8; ++i) {
            for (int kind = 0; kind < 6; ++kind) {
                for (int j = 0; j < 8; ++j) {
                    const int dx = NEIGHBOUR_OFFSETS[j][0] - NEIGHBOUR_OFFSETS[i][0];
                    const int dy = NEIGHBOUR_OFFSETS[j][1] - NEIGHBOUR_OFFSETS[i][1];
                    if (fits(KINDS[kind], dx, dy, forward)) covered[color][i][kind] |= static_cast<std::uint8_t>(1u << j);
                }
            }
        }
    }
    for (unsigned v = 0; v < 65536; ++v) {
        const unsigned cand = v & 255, escape = v >> 8;
        for (int color = 0; color < 2; ++color) {
            std::uint8_t drops = 0, lines = 0;
            for (int i = 0; i < 8; ++i) {
                if ((escape & ~covered[color][i][LINE]) == 0) lines |= static_cast<std::uint8_t>(1u << i);
                if (!((cand >> i) & 1)) continue;
                for (int kind = 0; kind < LINE; ++kind)
                    if ((escape & ~covered[color][i][kind]) == 0)
                        drops |= static_cast<std::uint8_t>(1u << hand_bit(KINDS[kind]));
            }
            if (escape == 0) drops |= 1u << 2;
            table[v * 4 + color * 2] = drops;
            table[v * 4 + color * 2 + 1] = lines;
        }
    }
    return table;
}

}  // namespace

const std::uint8_t* init_mate_table() {
    static const std::unique_ptr<std::uint8_t[]> table = build();
    return table.get();
}

std::uint8_t around8_bits(const Bitboard& b, Square sq) {
    check_index("mate/mate_table", sq, 81);
    std::uint8_t bits = 0;
    const int f = file_of(sq), r = rank_of(sq);
    for (int i = 0; i < 8; ++i) {
        const int nf = f + NEIGHBOUR_OFFSETS[i][0], nr = r + NEIGHBOUR_OFFSETS[i][1];
        if (nf < 0 || nf > 8 || nr < 0 || nr > 8) continue;
        if (b.test(make_square(nf, nr))) bits |= static_cast<std::uint8_t>(1u << i);
    }
    return bits;
}

}  // namespace korvan
