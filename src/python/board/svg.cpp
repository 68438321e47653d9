// Svg: the picture a Board draws, one SVG document as text.

#include "class_tags.h"
#include "support/convert.h"

namespace korvan::py {

namespace {

PyObject* text(const std::string& svg) { return to_py_str(svg); }

constexpr Signature REPR_SVG{"_repr_svg_"};

// Notebook front ends show an object with this hook as the picture itself.
PyMethodDef methods[] = {
    method_def<method<SvgClass, REPR_SVG, text>>("_repr_svg_", "_repr_svg_($self)\n--\n\n"),
    METHODS_END,
};

}  // namespace

PyTypeObject* create_svg_class() {
    ClassSpec spec = class_spec<SvgClass>("An SVG picture of a board.");
    spec.methods = methods;
    spec.repr = slot<SvgClass, text>;
    spec.str = slot<SvgClass, text>;
    PyTypeObject* type = build_class(spec);
    if (type) SvgClass::type = type;
    return type;
}

}  // namespace korvan::py
