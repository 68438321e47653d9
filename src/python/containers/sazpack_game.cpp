// SazGame: one self-play game (stem, result, moves) and its network targets.

#include "core/board/position/parser.h"
#include "board/board_tags.h"
#include "core/containers/sazpack_targets.h"
#include "containers/container_tags.h"
#include "support/convert.h"
#include "support/lists.h"
#include "support/sequences.h"
#include "support/simple_classes.h"
#include "support/typed_args.h"

namespace korvan::py {

namespace {

using Game = SazGameClass;

bool moves_arg(PyObject* obj, std::vector<SazMove>& out) {
    const bool ok = for_each_sequence_item(obj, [&](PyObject* item) {
        bool raised = false;
        SazMove m;
        if (extract<SazMoveClass>(item, m, raised)) {
            out.push_back(std::move(m));
            return true;
        }
        if (!raised) wrong_class(item, SazMoveClass::name);
        return false;
    });
    return named_arg(ok, "moves");
}

// An SFEN text is set up and packed (its ply is not kept); a byte string is taken as
// the 32 stem bytes without looking inside.
bool stem_arg(PyObject* obj, Packed32& out) {
    if (PyUnicode_Check(obj)) {
        std::string_view text;
        if (!extract_str(obj, text)) return false;
        auto fields = parse_sfen_fields(text);
        if (!fields) return raise_value_error("sazpack: invalid stem sfen: " + sfen_error_debug(fields.error()));
        Position pos;
        position_set(pos, *fields);
        auto packed = position_to_packed_sfen(pos);
        // A position the 32 bytes cannot hold is refused rather than packed wrongly.
        if (!packed) return raise_value_error("sazpack: " + packed.error());
        out = *packed;
        return true;
    }
    std::vector<std::uint8_t> bytes;
    if (!extract_byte_list(obj, bytes)) {
        PyErr_Clear();
        return raise_value_error("sazpack: stem must be an SFEN str or 32-byte packed sfen");
    }
    if (bytes.size() != out.size()) return raise_value_error("sazpack: stem packed sfen must be 32 bytes");
    std::copy(bytes.begin(), bytes.end(), out.begin());
    return true;
}

// SazGame(stem, game_result, moves): moves first, then the stem, then the result.
bool game_init(PyObject* const* args, SazGame& out) {
    return moves_arg(args[2], out.moves) && stem_arg(args[0], out.stem) &&
           game_result_from_object(args[1], out.result);
}

// The stem with ply 0, or ValueError with the given lead and the decoder's name.
std::optional<Position> stem_position(const SazGame& game, const char* lead) {
    auto pos = sazpack_stem_position(game);
    if (!pos) {
        raise_value_error(std::string(lead) + packed_sfen_error_debug(pos.error()));
        return std::nullopt;
    }
    return std::move(*pos);
}

constexpr const char* INVALID_STEM = "sazpack: invalid stem packed sfen: ";

PyObject* game_stem_sfen(const SazGame& g) {
    auto pos = stem_position(g, INVALID_STEM);
    if (!pos) return nullptr;
    return message_str(position_to_sfen(*pos, 0));
}

PyObject* game_stem_packed(const SazGame& g) {
    return PyBytes_FromStringAndSize(reinterpret_cast<const char*>(g.stem.data()),
                                     static_cast<Py_ssize_t>(g.stem.size()));
}

PyObject* game_result(const SazGame& g) { return wrap<GameResultClass>(g.result); }

PyObject* game_moves(const SazGame& g) {
    return list_of<SazMoveClass>(g.moves);
}

PyObject* played_compact_labels(const SazGame& g) {
    auto labels = resolve_compact_labels(g);
    if (!labels) {
        raise_sazpack_error(labels.error());
        return nullptr;
    }
    return list_of(*labels, [](auto label) { return PyLong_FromLong(label); });
}

PyObject* expand_policies(const SazGame& g) {
    auto pos = stem_position(g, INVALID_STEM);
    if (!pos) return nullptr;
    auto rows = korvan::expand_policies(*pos, g);
    if (!rows) {
        raise_sazpack_error(rows.error());
        return nullptr;
    }
    return list_of(*rows, [](const PolicyRow& row) {
        return list_of(row, [](auto value) { return PyFloat_FromDouble(value); });
    });
}

PyObject* game_repr(const SazGame& g) {
    return to_py_str("SazGame(game_result=" + std::string(GAME_RESULT_DEBUG_NAMES[g.result < GAME_RESULT_NB ? g.result : 7]) +
                     ", moves=" + std::to_string(g.moves.size()) + ")");
}

constexpr Methods game_methods = method_table<Game,
    Method<"played_compact_labels()", played_compact_labels, Access::Shared, "Replay each played move from the stem "
        "and map it to its CompactMoveLabel raw value; raises on an illegal move. Delegates to the core routine "
        "resolve_compact_labels.">,
    Method<"expand_policies()", expand_policies, Access::Shared, "Expand each move's sparse visit distribution into "
        "normalised probabilities over the 1496 compact labels: per move a list[float] of length 1496 (all 0 for a "
        "hard target), normalised with the side to move of each replayed position. Raises on illegal moves and broken "
        "policies.">>;

constexpr Attributes game_getset = attribute_table<Game,
    Attribute<"stem_sfen", game_stem_sfen, ReadOnly, "The SFEN of the stem position, with ply 0.">,
    Attribute<"stem_packed_sfen", game_stem_packed, ReadOnly, "The 32 stem bytes (PackedSfen).">,
    Attribute<"game_result", game_result, ReadOnly, "The result of the game.">,
    Attribute<"moves", game_moves, ReadOnly, "The moves as a new list of SazMove.">>;

}  // namespace

void raise_sazpack_error(const SazpackError& e) {
    raise_value_error("sazpack: " + sazpack_error_display(e));
}

const ClassDefinition Game::definition = simple_class<Game, game_repr>(
    constructor<Game, "(stem, game_result, moves)", game_init, "One sazpack game: start position, "
        "result and move list.">,
    game_getset,
    game_methods);

}  // namespace korvan::py
