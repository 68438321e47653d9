#pragma once
// The tags of the sazpack classes (SazPolicyEntry, SazMove, SazGame), which any binding
// file can use to make or read their objects, and the container module functions.

#include "core/containers/sazpack.h"
#include "support/class_definition.h"

namespace korvan::py {

struct SazPolicyEntryClass : ClassTag<"SazPolicyEntry", SazPolicyEntry> { static const ClassDefinition definition; };
struct SazMoveClass : ClassTag<"SazMove", SazMove> { static const ClassDefinition definition; };
struct SazGameClass : ClassTag<"SazGame", SazGame> { static const ClassDefinition definition; };

// Module functions: the pack and sbinpack readers and writers; the sazpack ones.
extern const Methods PACK_FUNCTIONS;
extern const Methods SAZPACK_FUNCTIONS;

// ValueError "sazpack: " and the error's text.
void raise_sazpack_error(const SazpackError& e);

}  // namespace korvan::py
