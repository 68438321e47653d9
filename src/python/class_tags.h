#pragma once
// The tags of every class the module defines, so that any binding file can make,
// recognise and read an object of another class.

#include <cstdint>

#include <string>
#include <vector>

#include "core/board/position/position.h"
#include "core/board/position/position_state.h"
#include "core/board/position/validation.h"
#include "support/classes.h"
#include "core/types/bitboard.h"

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
};
struct SquareClass : ByteValueClass<SquareClass> {
    static constexpr const char* name = "Square";
};
struct PieceTypeClass : ByteValueClass<PieceTypeClass> {
    static constexpr const char* name = "PieceType";
};
struct PieceClass : ByteValueClass<PieceClass> {
    static constexpr const char* name = "Piece";
};

struct MoveTypeClass : ValueClass<MoveTypeClass, std::uint8_t> {
    static constexpr const char* name = "MoveType";
    static constexpr const char* order_error = PLAIN_ORDER_ERROR;
    static constexpr bool int_operand = false;
    static constexpr long long int_min = 0, int_max = 0;
};
struct RepetitionStateClass : ValueClass<RepetitionStateClass, std::uint8_t> {
    static constexpr const char* name = "RepetitionState";
    static constexpr const char* order_error = PLAIN_ORDER_ERROR;
    static constexpr bool int_operand = false;
    static constexpr long long int_min = 0, int_max = 0;
};
struct GameResultClass : ValueClass<GameResultClass, std::uint8_t> {
    static constexpr const char* name = "GameResult";
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
    static constexpr const char* order_error = "Move only supports == and !=";
};
struct Move32Class : MoveValueClass<Move32Class, std::uint32_t, 0xFFFFFFFF> {
    static constexpr const char* name = "Move32";
    static constexpr const char* order_error = "Move32 only supports == and !=";
};
struct AperyMoveClass : MoveValueClass<AperyMoveClass, std::uint16_t, 0xFFFF> {
    static constexpr const char* name = "AperyMove";
    static constexpr const char* order_error = "AperyMove only supports == and !=";
};
struct AperyMove32Class : MoveValueClass<AperyMove32Class, std::uint32_t, 0xFFFFFFFF> {
    static constexpr const char* name = "AperyMove32";
    static constexpr const char* order_error = "AperyMove32 only supports == and !=";
};

// Compared by identity, changed in place.
struct HandClass : ValueClass<HandClass, std::uint32_t> {
    static constexpr const char* name = "Hand";
};
struct BitboardClass : ValueClass<BitboardClass, Bitboard> {
    static constexpr const char* name = "Bitboard";
};

// Editable position descriptions, the findings of validation and board pictures:
// compared by value (the first three) or not at all (Svg), never hashed.
struct PositionStateClass : ValueClass<PositionStateClass, PositionState> {
    static constexpr const char* name = "PositionState";
};
struct ValidationIssueClass : ValueClass<ValidationIssueClass, ValidationIssue> {
    static constexpr const char* name = "ValidationIssue";
};
struct ValidationReportClass : ValueClass<ValidationReportClass, std::vector<ValidationIssue>> {
    static constexpr const char* name = "ValidationReport";
};
struct SvgClass : ValueClass<SvgClass, std::string> {
    static constexpr const char* name = "Svg";
};

// A Board owns one position with its history and belongs to the thread that made it.
struct BoardClass : ValueClass<BoardClass, Position> {
    using Binding = ThreadBound;
    static constexpr const char* name = "Board";
    static constexpr const char* thread_name = "korvan::PyBoard";
};

// Class creators, each run once by the module body: they build the type, store it in
// its tag and add the class attributes.
PyTypeObject* create_color_class();
PyTypeObject* create_square_class();
PyTypeObject* create_piece_type_class();
PyTypeObject* create_piece_class();
PyTypeObject* create_hand_class();
PyTypeObject* create_bitboard_class();
PyTypeObject* create_move_type_class();
PyTypeObject* create_repetition_state_class();
PyTypeObject* create_game_result_class();
PyTypeObject* create_move_class();
PyTypeObject* create_move32_class();
PyTypeObject* create_apery_move_class();
PyTypeObject* create_apery_move32_class();
PyTypeObject* create_svg_class();
PyTypeObject* create_validation_issue_class();
PyTypeObject* create_validation_report_class();
PyTypeObject* create_position_state_class();
PyTypeObject* create_board_class();

}  // namespace korvan::py
