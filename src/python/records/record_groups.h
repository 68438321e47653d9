#pragma once
// The Record class is assembled from method groups, one file each; record_class.cpp
// joins them in this order.

#include <span>

#include "record_tags.h"

namespace korvan::py {

std::span<const PyMethodDef> record_tree_methods();  // node queries, main-line edits, editor
std::span<const PyMethodDef> record_usi_methods();   // USI position commands and main lines
std::span<const PyMethodDef> record_text_methods();  // KIF, KI2, CSA and JKF texts and files
std::span<const PyMethodDef> record_dict_methods();  // the record dict form
std::span<const PyMethodDef> record_metadata_update_methods();  // metadata patches, attribute edits
std::span<const PyMethodDef> record_binary_methods();  // pack, sbinpack and PackedSfenValue rows
std::span<const PyGetSetDef> record_property_getset();

}  // namespace korvan::py
