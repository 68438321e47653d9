// The four sazpack functions: one chunk of games to and from bytes and files.

#include "core/containers/file_io.h"
#include "containers/container_tags.h"
#include "containers/record_containers.h"
#include "support/convert.h"
#include "support/lists.h"
#include "support/sequences.h"

namespace korvan::py {

namespace {

// Any iterable of SazGame objects, each copied out.
bool games_arg(PyObject* obj, std::vector<SazGame>& out) {
    Ref iterator(PyObject_GetIter(obj));
    if (!iterator) return false;
    while (Ref item{PyIter_Next(iterator.get())}) {
        bool raised = false;
        SazGame game;
        if (!extract<SazGameClass>(item.get(), game, raised)) {
            if (!raised) PyErr_SetString(PyExc_ValueError, "games must contain SazGame instances");
            return false;
        }
        out.push_back(std::move(game));
    }
    return !PyErr_Occurred();
}

std::optional<Bytes> encode(PyObject* games_obj) {
    std::vector<SazGame> games;
    if (!games_arg(games_obj, games)) return std::nullopt;
    return encoded_or_raised(encode_sazpack_chunk(games), raise_sazpack_error);
}

PyObject* games_list(ByteSpan bytes) {
    auto games = decode_sazpack_chunk(bytes);
    if (!games) {
        raise_sazpack_error(games.error());
        return nullptr;
    }
    return list_of(*games, [](SazGame& game) { return wrap<SazGameClass>(std::move(game)); });
}

PyObject* write_sazpack(PyObject* const* args) {
    auto bytes = encode(args[0]);
    return bytes ? bytes_object(*bytes) : nullptr;
}

PyObject* decode_sazpack(PyObject* const* args) {
    std::vector<std::uint8_t> data;
    if (!extract_byte_list(args[0], data)) return nullptr;
    return games_list(data);
}

// Encoding comes before the file is touched, so games that cannot be written leave an
// existing file as it was.
PyObject* write_sazpack_file(PyObject* const* args) {
    std::string path;
    if (!extract_path_arg(args[0], path)) return nullptr;
    auto bytes = encode(args[1]);
    return bytes ? write_file_result(path, *bytes, "sazpack") : nullptr;
}

}  // namespace

constexpr Methods SAZPACK_FUNCTIONS = function_table<
    Function<"write_sazpack(games)", write_sazpack, "`SazGame` 列を 1 つの sazpack チャンク（bytes）へ serialize する。">,
    Function<"write_sazpack_file(path, games)", write_sazpack_file, "`SazGame` 列を sazpack チャンクとしてファイルへ書き出す。">,
    Function<"decode_sazpack(data)", decode_sazpack, "sazpack チャンク（bytes）を `list[SazGame]` へ decode する。">,
    Function<"decode_sazpack_file(path)", decode_file_arg<games_list, "sazpack">,
             "sazpack チャンクファイルを `list[SazGame]` へ decode する。">>;

}  // namespace korvan::py
