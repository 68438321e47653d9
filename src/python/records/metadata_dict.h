#pragma once
// The metadata dict of the record dict form, written and read, and the metadata
// patches of Record.update_metadata. Both readers know the same sixteen keys and refuse
// the same five removed ones; they differ in their messages, in what None means for
// "attributes", and in what an unlisted key does.

#include <string_view>

#include "records/record_tags.h"

namespace korvan::py {

// The sixteen keys in the order they are written and read; unset values as None, the
// attributes in key order.
PyObject* metadata_to_dict(const RecordMetadata& metadata);

// A RecordMetadata object (copied) or a metadata dict, read into empty metadata. Strict
// reading refuses every key outside the sixteen; permissive reading makes an unlisted
// key with a str value an attribute (None removes it), after the sixteen were read.
bool metadata_from_dict(PyObject* value, bool strict, RecordMetadata& out);

// `current` with the entries of the dict `patch` applied in the dict's order; `current`
// is not touched, so a failure leaves the caller's metadata as it was.
bool apply_metadata_patch(const RecordMetadata& current, PyObject* patch, bool strict, RecordMetadata& out);

// "time_control_black", "time_control_white", "black_player_name", "white_player_name",
// "time_specs": keys of an older form, refused with a pointer to their replacements.
bool is_removed_metadata_key(std::string_view key);

}  // namespace korvan::py
