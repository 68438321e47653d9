#pragma once
// The tags of the SBK book classes: the opened book, its entries, moves and engine
// evaluations, and the two small reports of the open. None of them can be made from
// Python; they come from SbkBook.open and the lookups.

#include "core/book/sbk_book.h"
#include "support/class_definition.h"

namespace korvan::py {

struct SbkDiagnosticsClass : ValueClass<SbkDiagnosticsClass, SbkDiagnostics> {
    static constexpr const char* name = "SbkDiagnostics";
    static const ClassDefinition definition;
};
struct SbkOpenProgressClass : ValueClass<SbkOpenProgressClass, SbkOpenProgress> {
    static constexpr const char* name = "SbkOpenProgress";
    static const ClassDefinition definition;
};
struct SbkEvalClass : ValueClass<SbkEvalClass, SbkEval> {
    static constexpr const char* name = "SbkEval";
    static const ClassDefinition definition;
};
struct SbkMoveClass : ValueClass<SbkMoveClass, SbkMove> {
    static constexpr const char* name = "SbkMove";
    static const ClassDefinition definition;
};
struct SbkEntryClass : ValueClass<SbkEntryClass, SbkEntry> {
    static constexpr const char* name = "SbkEntry";
    static const ClassDefinition definition;
};
struct SbkBookClass : ValueClass<SbkBookClass, SbkBook> {
    static constexpr const char* name = "SbkBook";
    static const ClassDefinition definition;
};

}  // namespace korvan::py
