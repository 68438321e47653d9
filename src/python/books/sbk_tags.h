#pragma once
// The tags of the SBK book classes: the opened book, its entries, moves and engine
// evaluations, and the two small reports of the open. None of them can be made from
// Python; they come from SbkBook.open and the lookups.

#include "core/book/sbk_book.h"
#include "support/class_definition.h"

namespace korvan::py {

struct SbkDiagnosticsClass : ClassTag<"SbkDiagnostics", SbkDiagnostics> { static const ClassDefinition definition; };
struct SbkOpenProgressClass : ClassTag<"SbkOpenProgress", SbkOpenProgress> { static const ClassDefinition definition; };
struct SbkEvalClass : ClassTag<"SbkEval", SbkEval> { static const ClassDefinition definition; };
struct SbkMoveClass : ClassTag<"SbkMove", SbkMove> { static const ClassDefinition definition; };
struct SbkEntryClass : ClassTag<"SbkEntry", SbkEntry> { static const ClassDefinition definition; };
struct SbkBookClass : ClassTag<"SbkBook", SbkBook> { static const ClassDefinition definition; };

}  // namespace korvan::py
