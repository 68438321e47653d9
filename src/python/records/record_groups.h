#pragma once
// The Record class is assembled from method groups, one file each; its definition in
// record_class.cpp lists its own node and main-line methods, then these tables in this
// order.

#include "records/record_tags.h"

namespace korvan::py {

extern const Methods RECORD_USI_METHODS;              // USI position commands and main lines
extern const Methods RECORD_TEXT_METHODS;             // KIF, KI2, CSA and JKF texts and files
extern const Methods RECORD_DICT_METHODS;             // the record dict form
extern const Methods RECORD_METADATA_UPDATE_METHODS;  // metadata patches, attribute edits
extern const Methods RECORD_BINARY_METHODS;           // pack, sbinpack and PackedSfenValue rows
extern const Attributes RECORD_PROPERTIES;

}  // namespace korvan::py
