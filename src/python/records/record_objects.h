#pragma once
// The objects of the record classes that other binding files make.

#include "records/record_tags.h"

namespace korvan::py {

// A new RecordEntry for a move or terminal node; None for the root.
PyObject* record_entry_of_node(const RecordNode& node);
// A new RecordEditor over a deep copy of the record, cursor on the root.
PyObject* record_editor_from_record(const Record& record);

}  // namespace korvan::py
