#include "core/types/bitboard.h"

namespace korvan {

std::string bitboard_display(const Bitboard& b) {
    std::string out = "Bitboard(\n";
    for (int rank = 8; rank >= 0; --rank) {
        out += "  ";
        for (int file = 8; file >= 0; --file) out.push_back(b.test(make_square(file, rank)) ? '1' : '0');
        out.push_back('\n');
    }
    out.push_back(')');
    return out;
}

}  // namespace korvan
