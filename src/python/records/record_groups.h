#pragma once
// The Record class is assembled from method groups, one file each; its definition in
// record_class.cpp lists its own node and main-line methods, then these in this order.

#include "records/record_tags.h"

namespace korvan::py {

Methods record_usi_methods();   // USI position commands and main lines
Methods record_text_methods();  // KIF, KI2, CSA and JKF texts and files
Methods record_dict_methods();  // the record dict form
Methods record_metadata_update_methods();  // metadata patches, attribute edits
Methods record_binary_methods();  // pack, sbinpack and PackedSfenValue rows
Attributes record_property_getset();

}  // namespace korvan::py
