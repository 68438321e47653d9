#pragma once
// Creators of the Record, RecordEditor, RecordNodeId and RecordEntry classes, and the
// pieces of them that other binding files use.

#include "record_tags.h"

namespace korvan::py {

PyTypeObject* create_record_node_id_class();
PyTypeObject* create_record_entry_class();
PyTypeObject* create_record_class();
PyTypeObject* create_record_editor_class();

// A new RecordEntry for a move or terminal node; None for the root.
PyObject* record_entry_of_node(const RecordNode& node);
// A new RecordEditor over a deep copy of the record, cursor on the root.
PyObject* record_editor_from_record(const Record& record);

}  // namespace korvan::py
