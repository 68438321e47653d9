// RecordMetadataKey: the ten standard metadata keys as str class constants. The class
// is a namespace only; it has no instances.

#include "records/value_forms.h"

namespace korvan::py {

namespace {

using MK = RecordMetadataKeyClass;

constexpr const char* CONSTANT_NAMES[RECORD_METADATA_KEY_NB] = {
    "EVENT",      "SITE",     "BLACK_PLAYER", "WHITE_PLAYER", "GAME_NAME",
    "GAME_TYPE",  "START_DATE", "END_DATE",   "UPDATED_DATE", "COMMENT",
};

// Reached only once the call has bound (an argument is refused by the binder first).
bool refuse(PyObject* const*, RecordMetadataKey&) {
    PyErr_SetString(PyExc_TypeError, "RecordMetadataKey is a constants namespace");
    return false;
}

bool add_key_constants(PyTypeObject* type) {
    for (int i = 0; i < RECORD_METADATA_KEY_NB; ++i) {
        const std::string_view text = RECORD_METADATA_KEY_NAMES[i];
        if (!add_class_attribute(type, CONSTANT_NAMES[i],
                                 PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size()))))
            return false;
    }
    return true;
}

}  // namespace

const ClassDefinition MK::definition = define<MK>({
    .constructor = constructor<MK, "()", refuse>,
    .class_attributes = add_key_constants,
});

}  // namespace korvan::py
