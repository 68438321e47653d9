#include "core/util/decimal.h"

#include <array>

#include "core/util/enum_texts.h"

namespace korvan {

namespace {

constexpr std::array<EnumTexts, 4> INT_ERROR_TEXTS = {{
    {"cannot parse integer from empty string", "Empty"},
    {"invalid digit found in string", "InvalidDigit"},
    {"number too large to fit in target type", "PosOverflow"},
    {"number too small to fit in target type", "NegOverflow"},
}};

}  // namespace

const char* int_error_display(IntErrorKind k) { return enum_texts(INT_ERROR_TEXTS, k).display; }
const char* int_error_debug_name(IntErrorKind k) { return enum_texts(INT_ERROR_TEXTS, k).debug; }

}  // namespace korvan
