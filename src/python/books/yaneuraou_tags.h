#pragma once
// The tags of the YaneuraOu db book classes: the opened book, its entries and moves,
// and the ordering report. None of them can be made from Python; they come from
// YaneuraOuBook.open and its methods.

#include "core/book/yaneuraou_book.h"
#include "support/class_definition.h"

namespace korvan::py {

struct YaneuraOuBookDiagnosticsClass : ClassTag<"YaneuraOuBookDiagnostics", YaneuraOuOrdering> { static const ClassDefinition definition; };
struct YaneuraOuBookMoveClass : ClassTag<"YaneuraOuBookMove", YaneuraOuMove> { static const ClassDefinition definition; };
struct YaneuraOuBookEntryClass : ClassTag<"YaneuraOuBookEntry", YaneuraOuEntry> { static const ClassDefinition definition; };
struct YaneuraOuBookClass : ClassTag<"YaneuraOuBook", YaneuraOuBook> { static const ClassDefinition definition; };

}  // namespace korvan::py
