#include "core/board/notation/packed.h"

#include "core/board/position/parser.h"
#include "core/util/enum_texts.h"

#include <bit>
#include <cstring>

namespace korvan {

namespace {

// Bit i of the 256 is bit (i mod 8) of byte (i div 8), that is bit (i mod 64) of the
// little-endian word i div 64; fields go least significant bit first.
class BitWriter {
public:
    // Fields gather in one register and go out a word at a time. The board goes out
    // before the census is complete, so there is room for a board of 81 longest codes;
    // what follows it is written only once the stream is known to fit in 256 bits.
    void write(std::uint32_t value, int width) {
        pending_ |= static_cast<std::uint64_t>(value) << used_;
        used_ += width;
        if (used_ >= 64) {
            words_[full_++] = pending_;
            used_ -= 64;
            // The field's bits that did not fit; none when it ended on the word's end.
            pending_ = static_cast<std::uint64_t>(value) >> (width - used_);
        }
    }
    // n zero bits.
    void skip(int n) {
        used_ += n;
        while (used_ >= 64) {
            words_[full_++] = pending_;
            pending_ = 0;
            used_ -= 64;
        }
    }
    Packed32 bytes() {
        if (full_ < 4) words_[full_] = pending_;
        Packed32 out{};
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(out.data(), words_, 32);
        } else {
            for (int i = 0; i < 32; ++i) out[i] = static_cast<std::uint8_t>(words_[i / 8] >> (8 * (i % 8)));
        }
        return out;
    }

private:
    std::uint64_t words_[11] = {};  // 15 + 81 * 8 bits at the most
    std::uint64_t pending_ = 0;
    int used_ = 0;  // bits of pending_ in use, below 64
    int full_ = 0;  // words written out
};

class BitReader {
public:
    explicit BitReader(const Packed32& bytes) {
        for (int i = 0; i < 32; ++i) words_[i / 8] |= static_cast<std::uint64_t>(bytes[i]) << (8 * (i % 8));
    }
    // The next n bits (n <= 8), zero past the end of the stream.
    std::uint32_t peek(int n) const {
        const int i = cursor_ >> 6, o = cursor_ & 63;
        // Two shifts instead of one by 64 - o, which would be undefined when o is 0.
        const std::uint64_t v = (words_[i] >> o) | ((words_[i + 1] << 1) << (63 - o));
        return static_cast<std::uint32_t>(v) & ((1u << n) - 1);
    }
    int remaining() const { return 256 - cursor_; }
    // Reads n bits; false when the read would pass bit 255.
    bool read(int n, std::uint32_t& value) {
        if (n > remaining()) return false;
        value = peek(n);
        cursor_ += n;
        return true;
    }
    void skip(int n) { cursor_ += n; }
    int cursor() const { return cursor_; }

private:
    std::uint64_t words_[6] = {};
    int cursor_ = 0;
};

// A prefix code decoded by looking up the next Bits bits.
template <int Bits>
struct PrefixTable {
    struct Entry {
        std::int16_t symbol = -1;  // -1: no code is a prefix of these bits
        std::uint8_t length = 0;
    };
    std::array<Entry, 1 << Bits> entries{};

    constexpr void add(std::uint32_t value, int length, int symbol) {
        for (std::uint32_t rest = 0; rest < (1u << (Bits - length)); ++rest) {
            Entry& e = entries[value | rest << length];
            e.symbol = static_cast<std::int16_t>(symbol);
            e.length = static_cast<std::uint8_t>(length);
        }
    }
};

enum class DecodeFault { None, Cursor, Code };

// One code from the stream: the symbol, or a fault. A code that would run past the
// end is a cursor fault, as a bit-by-bit read would find.
template <int Bits>
int decode(BitReader& r, const PrefixTable<Bits>& table, DecodeFault& fault) {
    const auto& e = table.entries[r.peek(Bits)];
    if (e.symbol < 0) {
        fault = r.remaining() < Bits ? DecodeFault::Cursor : DecodeFault::Code;
        return -1;
    }
    if (e.length > r.remaining()) {
        fault = DecodeFault::Cursor;
        return -1;
    }
    r.skip(e.length);
    return e.symbol;
}

constexpr PieceType HAND_ORDER[7] = {PAWN, LANCE, KNIGHT, SILVER, GOLD, BISHOP, ROOK};

// Codes that name no piece: a colour with no type, GOLD_LIKE, or anything above 31.
// Tested on all 81 squares, before any code indexes a table.
constexpr std::array<std::uint8_t, 256> FOREIGN_CODE = [] {
    std::array<std::uint8_t, 256> t{};
    for (int p = 1; p < 256; ++p) t[p] = !names_piece(static_cast<std::uint8_t>(p));
    return t;
}();

std::string foreign_code_error(const Position& pos) {
    std::uint8_t foreign = 0;
    for (const Piece p : pos.board) foreign |= FOREIGN_CODE[p];
    if (!foreign) return {};
    for (Square s = 0; s < 81; ++s) {
        const Piece p = pos.board[s];
        if (p != NO_PIECE && !names_piece(p))
            return "position cannot be encoded: piece code " + std::to_string(p) + " on " + tuple_debug("Square", s);
    }
    return {};
}

// Both formats spend exactly 256 bits on one king per side and a full set of the other
// pieces (what is missing goes in the piece box); a missing king would need one bit
// more for its empty square. `on_board` counts the board's squares by piece code;
// `count` gets each kind's total over the board and both hands.
std::string census_error(const Position& pos, const std::array<std::uint8_t, 32>& on_board,
                         std::array<std::uint32_t, 7>& count) {
    const int black_kings = on_board[make_piece(BLACK, KING)];
    const int white_kings = on_board[make_piece(WHITE, KING)];
    if (black_kings > 1 || white_kings > 1) return "position cannot be encoded: a side has two or more kings";
    if (black_kings == 0 || white_kings == 0) return "position cannot be encoded: a king is missing";
    for (HandPiece hp = 0; hp < 7; ++hp) {
        const PieceType pt = piece_type_of(hp);
        std::uint32_t n = on_board[make_piece(BLACK, pt)] + on_board[make_piece(WHITE, pt)];
        if (is_promotable(pt)) n += on_board[make_piece(BLACK, promote(pt))] + on_board[make_piece(WHITE, promote(pt))];
        count[hp] = n + hand_count(pos.hands[BLACK], hp) + hand_count(pos.hands[WHITE], hp);
        if (count[hp] > HAND_FULL_SET[hp])
            return "position cannot be encoded: more than a full set of " + tuple_debug("PieceType", pt) + " (" +
                   std::to_string(count[hp]) + " > " + std::to_string(HAND_FULL_SET[hp]) + ")";
    }
    return {};
}

// Adds one piece to a hand; false when the field is already full.
bool add_to_hand(Hand& hand, PieceType pt) {
    const HandPiece hp = hand_piece_of(pt);
    if (hand_count(hand, hp) == HAND_MASK[hp]) return false;
    hand = hand_add(hand, pt);
    return true;
}


// A whole entry: code and, where the format has them, promotion and colour bits.
struct PieceCode {
    std::uint32_t value = 0;
    int length = 0;
};

// What distinguishes the two formats: their entries. Hand and piece-box entries are
// listed in writing order (pawn, lance, knight, silver, gold, bishop, rook). Decoding
// reads whole entries through prefix tables: board entries give the piece code, hand
// entries colour * 16 + piece type, piece-box entries 32 + piece type.
struct Format {
    std::array<PieceCode, 32> board{};  // by piece code; length 0 for kings and non-pieces
    std::array<std::array<PieceCode, 7>, 2> hand{};
    std::array<PieceCode, 7> box{};
    PrefixTable<8> board_table;
    PrefixTable<8> hand_table;
};

constexpr PieceCode join_bits(PieceCode code, std::uint32_t bit) {
    return {code.value | bit << code.length, code.length + 1};
}

// PackedSfen: a board entry is the kind's code, a promotion bit (not for a gold) and the
// colour bit; hand and box entries drop the code's leading 1, and a box entry is a hand
// entry with the promotion bit set (a gold, which has none, poses as a White promoted
// silver).
constexpr Format make_packed_sfen_format() {
    constexpr PieceCode KIND[8] = {{0, 1}, {1, 2}, {3, 4}, {11, 4}, {7, 4}, {31, 6}, {63, 6}, {15, 5}};
    Format f;
    f.board[0] = KIND[0];
    for (int p = 1; p < 32; ++p) {
        const PieceType pt = PieceType(p & 15);
        if (pt == NO_PIECE_TYPE || pt == KING || pt == GOLD_LIKE) continue;
        const PieceType kind = demote(pt);
        PieceCode code = KIND[kind];
        if (kind != GOLD) code = join_bits(code, is_promoted(pt));
        f.board[p] = join_bits(code, static_cast<std::uint32_t>(p >> 4));
    }
    for (int w = 0; w < 7; ++w) {
        const PieceType kind = HAND_ORDER[w];
        const PieceCode hand = {KIND[kind].value >> 1, KIND[kind].length - 1};
        for (int c = 0; c < 2; ++c)
            f.hand[c][w] = join_bits(kind == GOLD ? hand : join_bits(hand, 0), static_cast<std::uint32_t>(c));
        f.box[w] = kind == GOLD ? PieceCode{27, 5} : join_bits(join_bits(hand, 1), 0);
    }
    for (int p = 0; p < 32; ++p)
        if (f.board[p].length) f.board_table.add(f.board[p].value, f.board[p].length, p);
    for (int w = 0; w < 7; ++w) {
        const PieceType kind = HAND_ORDER[w];
        for (int c = 0; c < 2; ++c) {
            f.hand_table.add(f.hand[c][w].value, f.hand[c][w].length, c * 16 + kind);
            // Any entry with the promotion bit set belongs to the box, whatever its colour.
            if (kind != GOLD) {
                const PieceCode hand = {KIND[kind].value >> 1, KIND[kind].length - 1};
                const PieceCode boxed = join_bits(join_bits(hand, 1), static_cast<std::uint32_t>(c));
                f.hand_table.add(boxed.value, boxed.length, 32 + kind);
            }
        }
    }
    return f;
}

// HuffmanCodedPos: every entry is listed as it is written (colour before promotion).
constexpr Format make_hcp_format() {
    constexpr std::pair<PieceCode, int> BOARD[] = {
        {{0, 1}, 0},    {{1, 4}, 1},    {{3, 6}, 2},    {{7, 6}, 3},    {{11, 6}, 4},   {{31, 8}, 5},  {{63, 8}, 6},
        {{15, 6}, 7},   {{9, 4}, 9},    {{35, 6}, 10},  {{39, 6}, 11},  {{43, 6}, 12},  {{159, 8}, 13}, {{191, 8}, 14},
        {{5, 4}, 17},   {{19, 6}, 18},  {{23, 6}, 19},  {{27, 6}, 20},  {{95, 8}, 21},  {{127, 8}, 22}, {{47, 6}, 23},
        {{13, 4}, 25},  {{51, 6}, 26},  {{55, 6}, 27},  {{59, 6}, 28},  {{223, 8}, 29}, {{255, 8}, 30}};
    Format f;
    for (const auto& [code, piece] : BOARD) {
        f.board[piece] = code;
        f.board_table.add(code.value, code.length, piece);
    }
    f.hand = {{{{{0, 3}, {1, 5}, {3, 5}, {5, 5}, {7, 5}, {31, 7}, {63, 7}}},
               {{{4, 3}, {17, 5}, {19, 5}, {21, 5}, {23, 5}, {95, 7}, {127, 7}}}}};
    f.box = {{{2, 3}, {9, 5}, {11, 5}, {13, 5}, {29, 5}, {15, 7}, {47, 7}}};
    for (int w = 0; w < 7; ++w) {
        for (int c = 0; c < 2; ++c) f.hand_table.add(f.hand[c][w].value, f.hand[c][w].length, c * 16 + HAND_ORDER[w]);
        f.hand_table.add(f.box[w].value, f.box[w].length, 32 + HAND_ORDER[w]);
    }
    return f;
}

constexpr Format PACKED_SFEN = make_packed_sfen_format();
constexpr Format HCP = make_hcp_format();

constexpr std::array<EnumTexts, 3> PACKED_SFEN_ERROR_TEXTS = {{
    {"invalid huffman cursor", "InvalidCursor"},
    {"invalid huffman piece code", "InvalidPieceCode"},
    {"invalid huffman hand count", "InvalidHandCount"},
}};

Expected<Packed32, std::string> encode(const Position& pos, const Format& f) {
    if (std::string error = foreign_code_error(pos); !error.empty()) return unexpected(std::move(error));
    BitWriter w;
    w.write(pos.side_to_move, 1);
    w.write(pos.king_square[BLACK], 7);
    w.write(pos.king_square[WHITE], 7);
    // Empty squares are one 0 bit each; kings have an empty entry, which writes nothing.
    std::array<std::uint8_t, 32> on_board{};
    Square next = 0;
    pos.occupied.for_each([&](Square s) {
        const Piece p = pos.board[s];
        w.skip(s - next);
        w.write(f.board[p].value, f.board[p].length);
        ++on_board[p];
        next = s + 1;
    });
    w.skip(81 - next);
    std::array<std::uint32_t, 7> count{};
    if (std::string error = census_error(pos, on_board, count); !error.empty()) return unexpected(std::move(error));
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 7; ++i)
            for (std::uint32_t n = hand_count(pos.hands[c], HAND_ORDER[i]); n > 0; --n)
                w.write(f.hand[c][i].value, f.hand[c][i].length);
    for (int i = 0; i < 7; ++i) {
        const HandPiece hp = hand_piece_of(HAND_ORDER[i]);
        for (std::uint32_t n = HAND_FULL_SET[hp] - count[hp]; n > 0; --n) w.write(f.box[i].value, f.box[i].length);
    }
    return w.bytes();
}

struct Decoded {
    std::array<Piece, 81> board{};
    std::array<Hand, 2> hands{};

    PositionState state(const Packed32& bytes, std::uint16_t ply) const {
        PositionState s;
        s.board = board;
        s.hands = hands;
        s.side_to_move = Color(bytes[0] & 1);
        s.ply = ply;
        return s;
    }
};

enum class DecodeError { None, Cursor, Code, HandCount };

// The board after the kings, then the hands up to bit 256.
DecodeError decode_rest(BitReader& r, const Format& f, Decoded& out) {
    DecodeFault fault = DecodeFault::None;
    auto error = [&] { return fault == DecodeFault::Cursor ? DecodeError::Cursor : DecodeError::Code; };
    for (Square s = 0; s < 81; ++s) {
        if (type_of(out.board[s]) == KING) continue;
        // Most squares are empty: a single 0 bit in both formats.
        if (r.remaining() > 0 && r.peek(1) == 0) {
            r.skip(1);
            continue;
        }
        const int piece = decode(r, f.board_table, fault);
        if (piece < 0) return error();
        out.board[s] = Piece(piece);
    }
    while (r.remaining() > 0) {
        const int symbol = decode(r, f.hand_table, fault);
        if (symbol < 0) return error();
        if (symbol >= 32) continue;  // a piece-box entry
        if (!add_to_hand(out.hands[symbol >> 4], PieceType(symbol & 15))) return DecodeError::HandCount;
    }
    return DecodeError::None;
}

}  // namespace

const char* packed_sfen_error_display(PackedSfenError e) { return enum_texts(PACKED_SFEN_ERROR_TEXTS, e).display; }
const char* packed_sfen_error_debug(PackedSfenError e) { return enum_texts(PACKED_SFEN_ERROR_TEXTS, e).debug; }

std::string hcp_error_display(const HuffmanCodedPosError& e) {
    switch (e.kind) {
        case HuffmanCodedPosError::Kind::InvalidCursor: return "invalid huffman cursor";
        case HuffmanCodedPosError::Kind::InvalidPieceCode: return "invalid huffman piece code";
        case HuffmanCodedPosError::Kind::InvalidKingSquare:
            return "invalid king square in HuffmanCodedPos: " + std::to_string(e.square);
        case HuffmanCodedPosError::Kind::InvalidHandCount: return "invalid huffman hand count";
    }
    return "";
}

Expected<Packed32, std::string> position_to_packed_sfen(const Position& pos) { return encode(pos, PACKED_SFEN); }

Expected<Packed32, std::string> position_to_hcp(const Position& pos) { return encode(pos, HCP); }

Expected<PositionState, PackedSfenError> packed_sfen_to_state(const Packed32& bytes, std::uint16_t ply) {
    BitReader r(bytes);
    Decoded d;
    r.skip(1);
    std::uint32_t black_king = 0, white_king = 0;
    r.read(7, black_king);
    r.read(7, white_king);
    // A king field of 81 or more places no king.
    if (black_king < 81) d.board[black_king] = make_piece(BLACK, KING);
    if (white_king < 81) d.board[white_king] = make_piece(WHITE, KING);
    switch (decode_rest(r, PACKED_SFEN, d)) {
        case DecodeError::None: break;
        case DecodeError::HandCount: return unexpected(PackedSfenError::InvalidHandCount);
        case DecodeError::Code: return unexpected(PackedSfenError::InvalidPieceCode);
        case DecodeError::Cursor: return unexpected(PackedSfenError::InvalidCursor);
    }
    return d.state(bytes, ply);
}

Expected<PositionState, HuffmanCodedPosError> hcp_to_state(const Packed32& bytes, std::uint16_t ply) {
    using K = HuffmanCodedPosError::Kind;
    BitReader r(bytes);
    Decoded d;
    r.skip(1);
    std::uint32_t black_king = 0, white_king = 0;
    r.read(7, black_king);
    if (black_king > 80) return unexpected(HuffmanCodedPosError{K::InvalidKingSquare, static_cast<std::uint16_t>(black_king)});
    r.read(7, white_king);
    // Both kings on one square would silently lose one of them.
    if (white_king > 80 || white_king == black_king)
        return unexpected(HuffmanCodedPosError{K::InvalidKingSquare, static_cast<std::uint16_t>(white_king)});
    d.board[black_king] = make_piece(BLACK, KING);
    d.board[white_king] = make_piece(WHITE, KING);
    switch (decode_rest(r, HCP, d)) {
        case DecodeError::None: break;
        case DecodeError::HandCount: return unexpected(HuffmanCodedPosError{K::InvalidHandCount});
        case DecodeError::Code: return unexpected(HuffmanCodedPosError{K::InvalidPieceCode});
        case DecodeError::Cursor: return unexpected(HuffmanCodedPosError{K::InvalidCursor});
    }
    return d.state(bytes, ply);
}

void position_set_decoded(Position& pos, const PositionState& state) {
    position_set(pos, state);
    position_update_declaration_thresholds(pos);
}

namespace {

template <class Error>
Expected<Position, Error> position_of_decoded(Expected<PositionState, Error> state) {
    if (!state) return unexpected(state.error());
    Position pos;
    position_set_decoded(pos, *state);
    return pos;
}

}  // namespace

Expected<Position, PackedSfenError> position_from_packed_sfen(const Packed32& bytes, std::uint16_t ply) {
    return position_of_decoded(packed_sfen_to_state(bytes, ply));
}

Expected<Position, HuffmanCodedPosError> position_from_hcp(const Packed32& bytes, std::uint16_t ply) {
    return position_of_decoded(hcp_to_state(bytes, ply));
}

void position_update_declaration_thresholds(Position& pos) {
    switch (pos.entering_king_rule) {
        case EnteringKingRule::Point24:
        case EnteringKingRule::Point24Handicap:
            pos.declaration_threshold = {31, 31};
            break;
        case EnteringKingRule::Point27:
        case EnteringKingRule::Point27Handicap:
            pos.declaration_threshold = {28, 27};
            break;
        default:
            return;
    }
    if (pos.entering_king_rule != EnteringKingRule::Point24Handicap &&
        pos.entering_king_rule != EnteringKingRule::Point27Handicap)
        return;
    int total = 0;
    for (Square s = 0; s < 81; ++s) {
        const Piece p = pos.board[s];
        if (p == NO_PIECE) continue;
        const PieceType t = demote(type_of(p));
        total += (t == BISHOP || t == ROOK) ? 5 : 1;
    }
    for (int c = 0; c < 2; ++c)
        for (HandPiece hp = 0; hp < 7; ++hp)
            total += static_cast<int>(hand_count(pos.hands[c], hp)) * (hp == 4 || hp == 5 ? 5 : 1);
    if (total != 56) pos.declaration_threshold[WHITE] += total - 56;
}

}  // namespace korvan
