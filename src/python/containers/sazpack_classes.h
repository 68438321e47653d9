#pragma once
// The sazpack classes (SazPolicyEntry, SazMove, SazGame) and functions, whose tags any
// binding file can use to make or read their objects.

#include "core/containers/sazpack.h"
#include "support/classes.h"

namespace korvan::py {

struct SazPolicyEntryClass : ValueClass<SazPolicyEntryClass, SazPolicyEntry> {
    static constexpr const char* name = "SazPolicyEntry";
};
struct SazMoveClass : ValueClass<SazMoveClass, SazMove> {
    static constexpr const char* name = "SazMove";
};
struct SazGameClass : ValueClass<SazGameClass, SazGame> {
    static constexpr const char* name = "SazGame";
};

PyTypeObject* create_saz_policy_entry_class();
PyTypeObject* create_saz_move_class();
PyTypeObject* create_saz_game_class();

extern PyMethodDef WRITE_SAZPACK_DEF;
extern PyMethodDef WRITE_SAZPACK_FILE_DEF;
extern PyMethodDef DECODE_SAZPACK_DEF;
extern PyMethodDef DECODE_SAZPACK_FILE_DEF;

// ValueError "sazpack: " and the error's text.
void raise_sazpack_error(const SazpackError& e);

}  // namespace korvan::py
