#pragma once
// The parts of the module body defined beside their classes: module functions (as
// method definitions bound to the module when registered), the label constants and
// the dtype submodule.

#include "support/python.h"

namespace korvan::py {

extern PyMethodDef TO_MOVE_DEF;

extern PyMethodDef PARSE_USI_POSITION_DEF;
extern PyMethodDef PARSE_USI_POSITION_PARTS_DEF;
extern PyMethodDef NORMALIZE_USI_POSITION_DEF;
PyTypeObject* create_usi_position_parts_class();

extern PyMethodDef DECODE_PACK_DEF;
extern PyMethodDef DECODE_PACK_FILE_DEF;
extern PyMethodDef DECODE_SBINPACK_DEF;
extern PyMethodDef DECODE_SBINPACK_FILE_DEF;
extern PyMethodDef WRITE_PACK_DEF;
extern PyMethodDef WRITE_PACK_FILE_DEF;
extern PyMethodDef WRITE_SBINPACK_DEF;
extern PyMethodDef WRITE_SBINPACK_FILE_DEF;

extern PyMethodDef MOVE_LABEL_DEF;
extern PyMethodDef COMPACT_MOVE_LABEL_DEF;
extern PyMethodDef MOVE_LABEL_TO_COMPACT_DEF;
extern PyMethodDef COMPACT_MOVE_LABEL_TO_MOVE_LABEL_DEF;
extern PyMethodDef IS_STRUCTURALLY_VALID_MOVE_LABEL_DEF;

// New lists built from the label tables.
PyObject* move_label_to_compact_list();
PyObject* compact_to_move_label_list();

// The dtype submodule with its numpy record types when numpy is importable.
PyObject* create_dtype_module();

}  // namespace korvan::py
