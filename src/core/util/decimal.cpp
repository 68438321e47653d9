#include "core/util/decimal.h"

namespace korvan {

const char* int_error_display(IntErrorKind k) {
    switch (k) {
        case IntErrorKind::Empty: return "cannot parse integer from empty string";
        case IntErrorKind::InvalidDigit: return "invalid digit found in string";
        case IntErrorKind::PosOverflow: return "number too large to fit in target type";
        case IntErrorKind::NegOverflow: return "number too small to fit in target type";
    }
    return "";
}

const char* int_error_debug_name(IntErrorKind k) {
    switch (k) {
        case IntErrorKind::Empty: return "Empty";
        case IntErrorKind::InvalidDigit: return "InvalidDigit";
        case IntErrorKind::PosOverflow: return "PosOverflow";
        case IntErrorKind::NegOverflow: return "NegOverflow";
    }
    return "";
}

}  // namespace korvan
