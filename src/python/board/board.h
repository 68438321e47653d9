#pragma once
// The Board class is assembled from method groups, one file each; its definition in
// board_class.cpp lists its own set-up methods, then these tables in this order.

#include "board/board_tags.h"

namespace korvan::py {

extern const Methods BOARD_MOVE_METHODS;            // making, testing and undoing moves
extern const Methods BOARD_QUERY_METHODS;           // move lists, pieces, attacks, state
extern const Methods BOARD_ANALYSIS_METHODS;        // mate, declaration, move conversions
extern const Methods BOARD_PACKED_METHODS;          // PackedSfen and HuffmanCodedPos
extern const Methods BOARD_ROW_METHODS;             // PackedSfenValue and HCPE rows
extern const Methods BOARD_POSITION_STATE_METHODS;  // PositionState in and out, validation
extern const Methods BOARD_PICTURE_METHODS;         // BOD, SVG and CSA board lines

// The board argument of the value-class methods that read a position: an instance of
// Board (or a subclass) used on its own thread, borrowed shared by the guard.
class BoardArg {
public:
    // False with an exception set; a wrong class is reported under `name`.
    bool bind(PyObject* obj, const char* name);
    const Position& position() const { return object_of<BoardClass>(obj_)->value; }

private:
    PyObject* obj_ = nullptr;
    std::optional<SharedBorrow> guard_;
};

}  // namespace korvan::py
