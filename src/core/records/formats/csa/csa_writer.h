#pragma once
// The CSA record writer: the header, the start position, the main line with its times
// and comments, and the terminal. Variations, engine information and results are not
// written.

#include <string>

#include "core/records/formats/csa/csa_error.h"
#include "core/records/record.h"

namespace korvan {

// Lines joined by "\n" with a final "\n". Every text the record holds is written on
// one line: a carriage return or line feed in a name, a header value, an attribute key
// or a special's name is written as a blank ($NOTE escapes its line feeds instead), so
// no stored text can add lines of its own.
Expected<std::string, CsaError> write_csa(const Record& record);

}  // namespace korvan
