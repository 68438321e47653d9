#pragma once
// The tags of the value classes (colours, squares, pieces, hands, bitboards, the small
// enumerations and the four move classes), so that any binding file can make,
// recognise and read their objects; and the module functions of the group.

#include <cstdint>
#include <limits>

#include "core/types/bitboard.h"
#include "support/value_shape.h"

namespace korvan::py {

// Colours, squares and pieces: an int in the signed byte's range may stand on the
// other side of == and !=.
template <Text Name>
using ByteClass = ComparedClass<Name, std::uint8_t, OrderRefusal::Plain, true, -128, 127>;
// Enumerations compared with their own members only.
template <Text Name>
using EnumClass = ComparedClass<Name, std::uint8_t, OrderRefusal::Plain, false>;
// The four move classes: any int the move's width holds.
template <Text Name, class V>
using MoveValueClass = ComparedClass<Name, V, OrderRefusal::Named, true, 0, std::numeric_limits<V>::max()>;

struct ColorClass : ByteClass<"Color"> { static const ClassDefinition definition; };
struct SquareClass : ByteClass<"Square"> { static const ClassDefinition definition; };
struct PieceTypeClass : ByteClass<"PieceType"> { static const ClassDefinition definition; };
struct PieceClass : ByteClass<"Piece"> { static const ClassDefinition definition; };

struct MoveTypeClass : EnumClass<"MoveType"> { static const ClassDefinition definition; };
struct RepetitionStateClass : EnumClass<"RepetitionState"> { static const ClassDefinition definition; };
struct GameResultClass : ComparedClass<"GameResult", std::uint8_t, OrderRefusal::Named, true, 0, 0xFFFFFFFF> {
    static const ClassDefinition definition;
};

struct MoveClass : MoveValueClass<"Move", std::uint16_t> { static const ClassDefinition definition; };
struct Move32Class : MoveValueClass<"Move32", std::uint32_t> { static const ClassDefinition definition; };
struct AperyMoveClass : MoveValueClass<"AperyMove", std::uint16_t> { static const ClassDefinition definition; };
struct AperyMove32Class : MoveValueClass<"AperyMove32", std::uint32_t> { static const ClassDefinition definition; };

// Compared by identity, changed in place.
struct HandClass : ClassTag<"Hand", std::uint32_t> { static const ClassDefinition definition; };
struct BitboardClass : ClassTag<"Bitboard", Bitboard> { static const ClassDefinition definition; };

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
