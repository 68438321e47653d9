// RecordMetadataKey: the ten standard metadata keys as str class constants. The class
// is a namespace only; it has no instances.

#include "records/record_values.h"

namespace korvan::py {

namespace {

struct RecordMetadataKeyClass : ValueClass<RecordMetadataKeyClass, RecordMetadataKey> {
    static constexpr const char* name = "RecordMetadataKey";
};
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

constexpr Signature NEW{"__new__"};

}  // namespace

PyTypeObject* create_record_metadata_key_class() {
    ClassSpec spec = class_spec<MK>("RecordMetadataKey()\n--\n\n");
    spec.new_ = construct_new<MK, NEW, refuse>;
    spec.vectorcall = construct_vectorcall<MK, NEW, refuse>;
    PyTypeObject* type = build_class(spec);
    if (!type) return nullptr;
    for (int i = 0; i < RECORD_METADATA_KEY_NB; ++i) {
        const std::string_view text = RECORD_METADATA_KEY_NAMES[i];
        if (!add_class_attribute(type, CONSTANT_NAMES[i],
                                 PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size())))) {
            Py_DECREF(type);
            return nullptr;
        }
    }
    MK::type = type;
    return type;
}

}  // namespace korvan::py
