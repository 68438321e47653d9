#pragma once
// The Board class is assembled from method groups, one file each; the class body in
// board_class.cpp concatenates the groups in this order.

#include <span>

#include "class_tags.h"

namespace korvan::py {

std::span<const PyMethodDef> board_setup_methods();     // set-up and snapshots
std::span<const PyMethodDef> board_move_methods();      // making, testing and undoing moves
std::span<const PyMethodDef> board_query_methods();     // move lists, pieces, attacks, state
std::span<const PyMethodDef> board_analysis_methods();  // mate, declaration, move conversions
std::span<const PyMethodDef> board_packed_methods();          // PackedSfen and HuffmanCodedPos
std::span<const PyMethodDef> board_row_methods();             // PackedSfenValue and HCPE rows
std::span<const PyMethodDef> board_position_state_methods();  // PositionState in and out, validation
std::span<const PyMethodDef> board_picture_methods();         // BOD, SVG and CSA board lines
std::span<const PyGetSetDef> board_setup_getset();

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
