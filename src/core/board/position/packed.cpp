#include "board/position/packed.h"

#include "board/position/parser.h"

namespace korvan {

namespace {

// Bit i of the 256 is bit (i mod 8) of byte (i div 8), that is bit (i mod 64) of the
// little-endian word i div 64; fields go least significant bit first.
class BitWriter {
public:
    // The caller has checked that the stream fits: never past bit 255.
    void write(std::uint32_t value, int width) {
        const int i = cursor_ >> 6, o = cursor_ & 63;
        words_[i] |= static_cast<std::uint64_t>(value) << o;
        if (o + width > 64) words_[i + 1] |= static_cast<std::uint64_t>(value) >> (64 - o);
        cursor_ += width;
    }
    Packed32 bytes() const {
        Packed32 out{};
        for (int i = 0; i < 32; ++i) out[i] = static_cast<std::uint8_t>(words_[i / 8] >> (8 * (i % 8)));
        return out;
    }

private:
    std::uint64_t words_[5] = {};
    int cursor_ = 0;
};

class BitReader {
public:
    explicit BitReader(const Packed32& bytes) {
        for (int i = 0; i < 32; ++i) words_[i / 8] |= static_cast<std::uint64_t>(bytes[i]) << (8 * (i % 8));
    }
    // The next n bits (n <= 8), zero past the end of the stream.
    std::uint32_t peek(int n) const {
        const int i = cursor_ >> 6, o = cursor_ & 63;
        std::uint64_t v = words_[i] >> o;
        if (o) v |= words_[i + 1] << (64 - o);
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

// What a position holds, per unpromoted kind, checked against what the formats can hold.
struct Census {
    std::array<std::uint32_t, 7> count{};  // by hand piece, board and both hands
    std::string error;
};

// Both formats spend exactly 256 bits on one king per side and a full set of the other
// pieces (what is missing goes in the piece box); a missing king would need one bit
// more for its empty square.
Census take_census(const Position& pos) {
    Census c;
    // Codes that name no piece: a colour with no type, GOLD_LIKE, or anything above 31.
    for (Square s = 0; s < 81; ++s) {
        const Piece p = pos.board[s];
        if ((p != NO_PIECE && (p & 15) == 0) || (p & 15) == GOLD_LIKE || p > 31) {
            c.error = "position cannot be encoded: piece code " + std::to_string(p) + " on " + tuple_debug("Square", s);
            return c;
        }
    }
    const auto& t = pos.by_type;
    const int black_kings = (t[KING] & pos.by_color[BLACK]).count();
    const int white_kings = (t[KING] & pos.by_color[WHITE]).count();
    if (black_kings > 1 || white_kings > 1) {
        c.error = "position cannot be encoded: a side has two or more kings";
        return c;
    }
    if (black_kings == 0 || white_kings == 0) {
        c.error = "position cannot be encoded: a king is missing";
        return c;
    }
    for (HandPiece hp = 0; hp < 7; ++hp) {
        const PieceType pt = piece_type_of(hp);
        const Bitboard on_board = is_promotable(pt) ? t[pt] | t[promote(pt)] : t[pt];
        c.count[hp] = static_cast<std::uint32_t>(on_board.count()) + hand_count(pos.hands[BLACK], hp) +
                      hand_count(pos.hands[WHITE], hp);
        if (c.count[hp] > HAND_FULL_SET[hp]) {
            c.error = "position cannot be encoded: more than a full set of " + tuple_debug("PieceType", pt) + " (" +
                      std::to_string(c.count[hp]) + " > " + std::to_string(HAND_FULL_SET[hp]) + ")";
            return c;
        }
    }
    return c;
}

// Adds one piece to a hand; false when the field is already full.
bool add_to_hand(Hand& hand, PieceType pt) {
    const HandPiece hp = hand_piece_of(pt);
    if (hand_count(hand, hp) == HAND_MASK[hp]) return false;
    hand = hand_add(hand, pt);
    return true;
}

template <class E>
Position finish(const std::array<Piece, 81>& board, const std::array<Hand, 2>& hands, Color side, std::uint16_t ply) {
    SfenFields fields;
    fields.board = board;
    fields.hands = hands;
    fields.side_to_move = side;
    fields.ply = ply;
    Position pos;
    position_set(pos, fields);
    position_update_declaration_thresholds(pos);
    return pos;
}

// ---- PackedSfen ----

// (value, length) by unpromoted kind 0..7 (index 0 is the empty square).
constexpr std::uint32_t PS_BOARD_VALUE[8] = {0, 1, 3, 11, 7, 31, 63, 15};
constexpr int PS_BOARD_LENGTH[8] = {1, 2, 4, 4, 4, 6, 6, 5};
constexpr std::uint32_t PS_BOX_VALUE[8] = {0, 2, 9, 13, 11, 47, 63, 27};
constexpr int PS_BOX_LENGTH[8] = {1, 2, 4, 4, 4, 6, 6, 5};

// The whole board entry of each piece code: code, promotion bit (not for a gold) and
// colour bit. Kings and codes that name no piece have length 0.
struct PieceCode {
    std::uint32_t value = 0;
    int length = 0;
};
constexpr std::array<PieceCode, 32> PS_PIECE_CODES = [] {
    std::array<PieceCode, 32> t{};
    t[0] = {0, 1};
    for (int p = 1; p < 32; ++p) {
        const PieceType pt = PieceType(p & 15);
        if (pt == NO_PIECE_TYPE || pt == KING || pt == GOLD_LIKE) continue;
        const PieceType kind = demote(pt);
        std::uint32_t v = PS_BOARD_VALUE[kind];
        int len = PS_BOARD_LENGTH[kind];
        if (kind != GOLD) v |= static_cast<std::uint32_t>(is_promoted(pt)) << len++;
        v |= static_cast<std::uint32_t>(p >> 4) << len++;
        t[p] = {v, len};
    }
    return t;
}();

constexpr PrefixTable<6> PS_BOARD_TABLE = [] {
    PrefixTable<6> t;
    for (int kind = 0; kind < 8; ++kind) t.add(PS_BOARD_VALUE[kind], PS_BOARD_LENGTH[kind], kind);
    return t;
}();

// Hand and piece-box codes: the board codes without their leading 1.
constexpr PrefixTable<5> PS_HAND_TABLE = [] {
    PrefixTable<5> t;
    for (int kind = 1; kind < 8; ++kind) t.add(PS_BOARD_VALUE[kind] >> 1, PS_BOARD_LENGTH[kind] - 1, kind);
    return t;
}();

// ---- HuffmanCodedPos ----

struct Code {
    std::uint32_t value;
    int length;
    int piece;  // piece code; for hand and box codes the colour bit is bit 4
};

constexpr Code HCP_BOARD[] = {{0, 1, 0},     {1, 4, 1},     {3, 6, 2},     {7, 6, 3},    {11, 6, 4},   {31, 8, 5},
                              {63, 8, 6},    {15, 6, 7},    {9, 4, 9},     {35, 6, 10},  {39, 6, 11},  {43, 6, 12},
                              {159, 8, 13},  {191, 8, 14},  {5, 4, 17},    {19, 6, 18},  {23, 6, 19},  {27, 6, 20},
                              {95, 8, 21},   {127, 8, 22},  {47, 6, 23},   {13, 4, 25},  {51, 6, 26},  {55, 6, 27},
                              {59, 6, 28},   {223, 8, 29},  {255, 8, 30}};
// Hand codes in writing order (pawn, lance, knight, silver, gold, bishop, rook), Black
// then White.
constexpr Code HCP_HAND[2][7] = {{{0, 3, PAWN}, {1, 5, LANCE}, {3, 5, KNIGHT}, {5, 5, SILVER}, {7, 5, GOLD}, {31, 7, BISHOP}, {63, 7, ROOK}},
                                 {{4, 3, PAWN}, {17, 5, LANCE}, {19, 5, KNIGHT}, {21, 5, SILVER}, {23, 5, GOLD}, {95, 7, BISHOP}, {127, 7, ROOK}}};
// Piece-box codes in writing order.
constexpr Code HCP_BOX[7] = {{2, 3, PAWN}, {9, 5, LANCE}, {11, 5, KNIGHT}, {13, 5, SILVER}, {29, 5, GOLD}, {15, 7, BISHOP}, {47, 7, ROOK}};

constexpr PrefixTable<8> HCP_BOARD_TABLE = [] {
    PrefixTable<8> t;
    for (const Code& c : HCP_BOARD) t.add(c.value, c.length, c.piece);
    return t;
}();

// Hand codes give colour * 16 + piece type; piece-box codes 32 + piece type.
constexpr PrefixTable<8> HCP_HAND_TABLE = [] {
    PrefixTable<8> t;
    for (int c = 0; c < 2; ++c)
        for (const Code& code : HCP_HAND[c]) t.add(code.value, code.length, c * 16 + code.piece);
    for (const Code& code : HCP_BOX) t.add(code.value, code.length, 32 + code.piece);
    return t;
}();

constexpr std::array<PieceCode, 32> HCP_PIECE_CODES = [] {
    std::array<PieceCode, 32> t{};
    for (const Code& c : HCP_BOARD) t[c.piece] = {c.value, c.length};
    return t;
}();

}  // namespace

const char* packed_sfen_error_display(PackedSfenError e) {
    switch (e) {
        case PackedSfenError::InvalidCursor: return "invalid huffman cursor";
        case PackedSfenError::InvalidPieceCode: return "invalid huffman piece code";
        case PackedSfenError::InvalidHandCount: return "invalid huffman hand count";
    }
    return "";
}

const char* packed_sfen_error_debug(PackedSfenError e) {
    switch (e) {
        case PackedSfenError::InvalidCursor: return "InvalidCursor";
        case PackedSfenError::InvalidPieceCode: return "InvalidPieceCode";
        case PackedSfenError::InvalidHandCount: return "InvalidHandCount";
    }
    return "";
}

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

Expected<Packed32, std::string> position_to_packed_sfen(const Position& pos) {
    Census census = take_census(pos);
    if (!census.error.empty()) return unexpected(std::move(census.error));
    BitWriter w;
    w.write(pos.side_to_move, 1);
    w.write(pos.king_square[BLACK], 7);
    w.write(pos.king_square[WHITE], 7);
    for (Square s = 0; s < 81; ++s) {
        const PieceCode& code = PS_PIECE_CODES[pos.board[s]];
        if (code.length) w.write(code.value, code.length);  // kings have no entry
    }
    for (int c = 0; c < 2; ++c) {
        for (PieceType pt : HAND_ORDER) {
            for (std::uint32_t n = hand_count(pos.hands[c], pt); n > 0; --n) {
                w.write(PS_BOARD_VALUE[pt] >> 1, PS_BOARD_LENGTH[pt] - 1);
                if (pt != GOLD) w.write(0, 1);
                w.write(static_cast<std::uint32_t>(c), 1);
            }
        }
    }
    for (PieceType pt : HAND_ORDER) {
        for (std::uint32_t n = HAND_FULL_SET[hand_piece_of(pt)] - census.count[hand_piece_of(pt)]; n > 0; --n) {
            w.write(PS_BOX_VALUE[pt], PS_BOX_LENGTH[pt]);
            if (pt != GOLD) w.write(0, 1);
        }
    }
    return w.bytes();
}

Expected<Position, PackedSfenError> position_from_packed_sfen(const Packed32& bytes, std::uint16_t ply) {
    BitReader r(bytes);
    std::array<Piece, 81> board{};
    std::array<Hand, 2> hands{};
    r.skip(1);
    std::uint32_t black_king = 0, white_king = 0;
    r.read(7, black_king);
    r.read(7, white_king);
    if (black_king < 81) board[black_king] = make_piece(BLACK, KING);
    if (white_king < 81) board[white_king] = make_piece(WHITE, KING);
    DecodeFault fault = DecodeFault::None;
    // Every bit pattern is some code in both tables: only the cursor can fail.
    for (Square s = 0; s < 81; ++s) {
        if (type_of(board[s]) == KING) continue;
        const int kind = decode(r, PS_BOARD_TABLE, fault);
        if (kind < 0) return unexpected(PackedSfenError::InvalidCursor);
        if (kind == NO_PIECE_TYPE) continue;
        std::uint32_t promoted = 0, color = 0;
        if (kind != GOLD && !r.read(1, promoted)) return unexpected(PackedSfenError::InvalidCursor);
        if (!r.read(1, color)) return unexpected(PackedSfenError::InvalidCursor);
        board[s] = Piece((color << 4) | (kind + (promoted ? 8 : 0)));
    }
    while (r.remaining() > 0) {
        const int kind = decode(r, PS_HAND_TABLE, fault);
        if (kind < 0) return unexpected(PackedSfenError::InvalidCursor);
        std::uint32_t promoted = 0, color = 0;
        if (kind != GOLD && !r.read(1, promoted)) return unexpected(PackedSfenError::InvalidCursor);
        if (!r.read(1, color)) return unexpected(PackedSfenError::InvalidCursor);
        if (promoted) continue;  // a piece-box entry
        if (!add_to_hand(hands[color], PieceType(kind))) return unexpected(PackedSfenError::InvalidHandCount);
    }
    return finish<PackedSfenError>(board, hands, Color(bytes[0] & 1), ply);
}

Expected<Packed32, std::string> position_to_hcp(const Position& pos) {
    Census census = take_census(pos);
    if (!census.error.empty()) return unexpected(std::move(census.error));
    BitWriter w;
    w.write(pos.side_to_move, 1);
    w.write(pos.king_square[BLACK], 7);
    w.write(pos.king_square[WHITE], 7);
    for (Square s = 0; s < 81; ++s) {
        const PieceCode& code = HCP_PIECE_CODES[pos.board[s]];
        if (code.length) w.write(code.value, code.length);  // kings have no entry
    }
    for (int c = 0; c < 2; ++c)
        for (const Code& code : HCP_HAND[c])
            for (std::uint32_t n = hand_count(pos.hands[c], PieceType(code.piece)); n > 0; --n)
                w.write(code.value, code.length);
    for (const Code& code : HCP_BOX) {
        const HandPiece hp = hand_piece_of(PieceType(code.piece));
        for (std::uint32_t n = HAND_FULL_SET[hp] - census.count[hp]; n > 0; --n) w.write(code.value, code.length);
    }
    return w.bytes();
}

Expected<Position, HuffmanCodedPosError> position_from_hcp(const Packed32& bytes, std::uint16_t ply) {
    using K = HuffmanCodedPosError::Kind;
    BitReader r(bytes);
    std::array<Piece, 81> board{};
    std::array<Hand, 2> hands{};
    r.skip(1);
    std::uint32_t black_king = 0, white_king = 0;
    r.read(7, black_king);
    if (black_king > 80) return unexpected(HuffmanCodedPosError{K::InvalidKingSquare, static_cast<std::uint16_t>(black_king)});
    r.read(7, white_king);
    if (white_king > 80) return unexpected(HuffmanCodedPosError{K::InvalidKingSquare, static_cast<std::uint16_t>(white_king)});
    board[black_king] = make_piece(BLACK, KING);
    board[white_king] = make_piece(WHITE, KING);
    DecodeFault fault = DecodeFault::None;
    auto failure = [&] {
        return HuffmanCodedPosError{fault == DecodeFault::Cursor ? K::InvalidCursor : K::InvalidPieceCode};
    };
    for (Square s = 0; s < 81; ++s) {
        if (type_of(board[s]) == KING) continue;
        const int piece = decode(r, HCP_BOARD_TABLE, fault);
        if (piece < 0) return unexpected(failure());
        board[s] = Piece(piece);
    }
    while (r.remaining() > 0) {
        const int symbol = decode(r, HCP_HAND_TABLE, fault);
        if (symbol < 0) return unexpected(failure());
        if (symbol >= 32) continue;  // a piece-box entry
        if (!add_to_hand(hands[symbol >> 4], PieceType(symbol & 15)))
            return unexpected(HuffmanCodedPosError{K::InvalidHandCount});
    }
    return finish<HuffmanCodedPosError>(board, hands, Color(bytes[0] & 1), ply);
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
