#pragma once
// The Board class is assembled from method groups, one file each; its definition in
// board_class.cpp lists its own set-up methods, then these groups in this order.

#include "board/board_tags.h"

namespace korvan::py {

Methods board_move_methods();      // making, testing and undoing moves
Methods board_query_methods();     // move lists, pieces, attacks, state
Methods board_analysis_methods();  // mate, declaration, move conversions
Methods board_packed_methods();          // PackedSfen and HuffmanCodedPos
Methods board_row_methods();             // PackedSfenValue and HCPE rows
Methods board_position_state_methods();  // PositionState in and out, validation
Methods board_picture_methods();         // BOD, SVG and CSA board lines

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
