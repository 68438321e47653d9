#pragma once
// The tags of the YaneuraOu db book classes: the opened book, its entries and moves,
// and the ordering report. None of them can be made from Python; they come from
// YaneuraOuBook.open and its methods.

#include "core/book/yaneuraou_book.h"
#include "support/class_definition.h"

namespace korvan::py {

struct YaneuraOuBookDiagnosticsClass : ValueClass<YaneuraOuBookDiagnosticsClass, YaneuraOuOrdering> {
    static constexpr const char* name = "YaneuraOuBookDiagnostics";
    static const ClassDefinition definition;
};
struct YaneuraOuBookMoveClass : ValueClass<YaneuraOuBookMoveClass, YaneuraOuMove> {
    static constexpr const char* name = "YaneuraOuBookMove";
    static const ClassDefinition definition;
};
struct YaneuraOuBookEntryClass : ValueClass<YaneuraOuBookEntryClass, YaneuraOuEntry> {
    static constexpr const char* name = "YaneuraOuBookEntry";
    static const ClassDefinition definition;
};
struct YaneuraOuBookClass : ValueClass<YaneuraOuBookClass, YaneuraOuBook> {
    static constexpr const char* name = "YaneuraOuBook";
    static const ClassDefinition definition;
};

}  // namespace korvan::py
