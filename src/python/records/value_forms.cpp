// Times of record entries in whole milliseconds, as Python sees them.

#include "records/value_forms.h"

#include "support/convert.h"
#include "support/typed_args.h"

namespace korvan::py {

PyObject* time_ms_to_object(const std::optional<Duration>& time) {
    const auto ms = duration_ms_u32(time);
    if (!ms) Py_RETURN_NONE;
    return PyLong_FromUnsignedLong(*ms);
}

bool time_ms_from_object(PyObject* obj, const char* name, std::optional<Duration>& out) {
    if (!obj || obj == Py_None) {
        out.reset();
        return true;
    }
    std::uint32_t ms = 0;
    if (!int_arg(obj, name, ms)) return false;
    out = Duration::from_ms(ms);
    return true;
}

}  // namespace korvan::py
