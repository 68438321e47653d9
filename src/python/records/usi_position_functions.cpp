// The module's USI position functions: a Board from a command, the command's parts,
// and the normal form of the position it reaches.

#include "board/board_tags.h"
#include "records/record_tags.h"
#include "support/convert.h"
#include "core/board/position/parser.h"
#include "core/board/notation/usi_position.h"
#include "core/util/text.h"
#include "support/lists.h"
#include "support/simple_classes.h"
#include "support/typed_args.h"

namespace korvan::py {

namespace {

using PC = UsiPositionPartsClass;

bool parse_command(PyObject* arg, UsiPositionResult& out) {
    std::string_view text;
    if (!str_arg(arg, "position", text)) return false;
    auto parsed = parse_usi_position_command(text);
    if (!parsed) {
        raise_value_error(parsed.error());
        return false;
    }
    out = std::move(*parsed);
    return true;
}

PyObject* parse_usi_position(PyObject* const* args) {
    UsiPositionResult parsed;
    if (!parse_command(args[0], parsed)) return nullptr;
    return wrap<BoardClass>(std::move(parsed.position));
}

PyObject* parse_usi_position_parts(PyObject* const* args) {
    UsiPositionResult parsed;
    if (!parse_command(args[0], parsed)) return nullptr;
    return wrap<PC>(UsiParts{std::move(parsed.base_sfen), std::move(parsed.moves), std::move(parsed.final_sfen)});
}

PyObject* normalize_usi_position(PyObject* const* args) {
    std::string_view text;
    if (!str_arg(args[0], "position", text)) return nullptr;
    const std::string_view trimmed = trim_whitespace(text);
    if (trimmed.empty()) return to_py_str("startpos");
    bool has_moves = false;
    for (std::string_view word : split_whitespace(trimmed)) has_moves |= word == "moves";
    auto parsed = parse_usi_position_command(trimmed);
    if (!parsed) {
        raise_value_error(parsed.error());
        return nullptr;
    }
    const std::string sfen = position_to_sfen(parsed->position, parsed->position.ply);
    if (sfen == STARTPOS_SFEN && !has_moves) return to_py_str("startpos");
    return to_py_str(sfen);
}

PyObject* initial_sfen(const UsiParts& p) { return to_py_str(p.initial_sfen); }
PyObject* final_sfen(const UsiParts& p) { return to_py_str(p.final_sfen); }

PyObject* moves(const UsiParts& p) {
    return list_of<MoveClass>(p.moves);
}

PyObject* move_usi(const UsiParts& p) {
    return list_of(p.moves, [](Move m) { return message_str(move_display_usi(m)); });
}

PyObject* to_dict(const UsiParts& p) {
    Ref dict(PyDict_New());
    if (!dict) return nullptr;
    const std::pair<const char*, PyObject* (*)(const UsiParts&)> items[] = {
        {"initial_sfen", initial_sfen}, {"moves", moves}, {"move_usi", move_usi}, {"final_sfen", final_sfen}};
    for (const auto& [key, make] : items) {
        Ref value(make(p));
        if (!value || PyDict_SetItemString(dict.get(), key, value.get()) < 0) return nullptr;
    }
    return dict.release();
}

PyObject* parts_repr(const UsiParts& p) {
    return to_py_str("UsiPositionParts(initial_sfen=" + debug_str(p.initial_sfen) + ", moves=" +
                     std::to_string(p.moves.size()) + ", final_sfen=" + debug_str(p.final_sfen) + ")");
}

constexpr Methods methods = method_table<PC,
    Method<"to_dict()", to_dict>>;

constexpr Attributes getset = attribute_table<PC,
    Attribute<"initial_sfen", initial_sfen>,
    Attribute<"moves", moves>,
    Attribute<"move_usi", move_usi>,
    Attribute<"final_sfen", final_sfen>>;

}  // namespace

constexpr Methods USI_POSITION_FUNCTIONS = function_table<
    Function<"parse_usi_position(position)", parse_usi_position>,
    Function<"parse_usi_position_parts(position)", parse_usi_position_parts>,
    Function<"normalize_usi_position(position)", normalize_usi_position>>;

const ClassDefinition PC::definition = simple_class<PC, parts_repr>("", getset, methods);

}  // namespace korvan::py
