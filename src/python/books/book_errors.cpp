#include "books/book_errors.h"

namespace korvan::py {

Raised raise_book_error(const BookError& e) { return raise_value_error("book error: " + book_error_display(e)); }

}  // namespace korvan::py
