#pragma once
// The one way a book failure reaches Python: ValueError "book error: " and the error's
// text, for the own books and the SBK and YaneuraOu readers alike.

#include "core/book/book_error.h"
#include "support/errors.h"

namespace korvan::py {

Raised raise_book_error(const BookError& e);

}  // namespace korvan::py
