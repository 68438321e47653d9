#pragma once
// The tags of the value classes (colours, squares, pieces, hands, bitboards, the small
// enumerations and the four move classes), so that any binding file can make,
// recognise and read their objects; and the module functions of the group.

#include <cstdint>

#include "core/types/bitboard.h"
#include "support/class_definition.h"

namespace korvan::py {

// The four "plain" enumerations refuse ordering with one shared text.
inline constexpr const char* PLAIN_ORDER_ERROR = "comparison only supports == and !=";

template <class Tag>
struct ByteValueClass : ValueClass<Tag, std::uint8_t> {
    static constexpr const char* order_error = PLAIN_ORDER_ERROR;
    static constexpr bool int_operand = true;
    static constexpr long long int_min = -128;
    static constexpr long long int_max = 127;
};

struct ColorClass : ByteValueClass<ColorClass> {
    static constexpr const char* name = "Color";
    static const ClassDefinition definition;
};
struct SquareClass : ByteValueClass<SquareClass> {
    static constexpr const char* name = "Square";
    static const ClassDefinition definition;
};
struct PieceTypeClass : ByteValueClass<PieceTypeClass> {
    static constexpr const char* name = "PieceType";
    static const ClassDefinition definition;
};
struct PieceClass : ByteValueClass<PieceClass> {
    static constexpr const char* name = "Piece";
    static const ClassDefinition definition;
};

struct MoveTypeClass : ValueClass<MoveTypeClass, std::uint8_t> {
    static constexpr const char* name = "MoveType";
    static const ClassDefinition definition;
    static constexpr const char* order_error = PLAIN_ORDER_ERROR;
    static constexpr bool int_operand = false;
    static constexpr long long int_min = 0, int_max = 0;
};
struct RepetitionStateClass : ValueClass<RepetitionStateClass, std::uint8_t> {
    static constexpr const char* name = "RepetitionState";
    static const ClassDefinition definition;
    static constexpr const char* order_error = PLAIN_ORDER_ERROR;
    static constexpr bool int_operand = false;
    static constexpr long long int_min = 0, int_max = 0;
};
struct GameResultClass : ValueClass<GameResultClass, std::uint8_t> {
    static constexpr const char* name = "GameResult";
    static const ClassDefinition definition;
    static constexpr const char* order_error = "GameResult only supports == and !=";
    static constexpr bool int_operand = true;
    static constexpr long long int_min = 0, int_max = 0xFFFFFFFF;
};

template <class Tag, class V, long long Max>
struct MoveValueClass : ValueClass<Tag, V> {
    static constexpr bool int_operand = true;
    static constexpr long long int_min = 0, int_max = Max;
};
struct MoveClass : MoveValueClass<MoveClass, std::uint16_t, 0xFFFF> {
    static constexpr const char* name = "Move";
    static const ClassDefinition definition;
    static constexpr const char* order_error = "Move only supports == and !=";
};
struct Move32Class : MoveValueClass<Move32Class, std::uint32_t, 0xFFFFFFFF> {
    static constexpr const char* name = "Move32";
    static const ClassDefinition definition;
    static constexpr const char* order_error = "Move32 only supports == and !=";
};
struct AperyMoveClass : MoveValueClass<AperyMoveClass, std::uint16_t, 0xFFFF> {
    static constexpr const char* name = "AperyMove";
    static const ClassDefinition definition;
    static constexpr const char* order_error = "AperyMove only supports == and !=";
};
struct AperyMove32Class : MoveValueClass<AperyMove32Class, std::uint32_t, 0xFFFFFFFF> {
    static constexpr const char* name = "AperyMove32";
    static const ClassDefinition definition;
    static constexpr const char* order_error = "AperyMove32 only supports == and !=";
};

// Compared by identity, changed in place.
struct HandClass : ValueClass<HandClass, std::uint32_t> {
    static constexpr const char* name = "Hand";
    static const ClassDefinition definition;
};
struct BitboardClass : ValueClass<BitboardClass, Bitboard> {
    static constexpr const char* name = "Bitboard";
    static const ClassDefinition definition;
};

// Module functions: to_move; the policy-label functions.
extern const Methods MOVE_FUNCTIONS;
extern const Methods LABEL_FUNCTIONS;

// The label constants: new lists built from the label tables.
PyObject* move_label_to_compact_list();
PyObject* compact_to_move_label_list();

// The dtype submodule with its numpy record types when numpy is importable.
PyObject* create_dtype_module();

// A record type of the dtype submodule as it was made (borrowed, kept for the life of
// the process); null when numpy could not be imported then.
enum class RecordDtype : std::uint8_t { PackedSfen, PackedSfenValue, HuffmanCodedPos, HuffmanCodedPosAndEval };
PyObject* record_dtype(RecordDtype kind);

}  // namespace korvan::py
