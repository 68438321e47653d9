// Svg: the picture a Board draws, one SVG document as text.

#include "board/board_tags.h"
#include "support/convert.h"

namespace korvan::py {

namespace {

PyObject* text(const std::string& svg) { return to_py_str(svg); }

// Notebook front ends show an object with this hook as the picture itself.
constexpr Methods methods = method_table<SvgClass,
    Method<"_repr_svg_()", text>>;

}  // namespace

const ClassDefinition SvgClass::definition = define<SvgClass>({
    .doc = "An SVG picture of a board.",
    .methods = {methods},
    .repr = slot<SvgClass, text>,
    .str = slot<SvgClass, text>,
});

}  // namespace korvan::py
