// The four sazpack functions: one chunk of games to and from bytes and files.

#include "core/containers/file_io.h"
#include "containers/container_tags.h"
#include "support/convert.h"
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
    auto bytes = encode_sazpack_chunk(games);
    if (!bytes) {
        raise_sazpack_error(bytes.error());
        return std::nullopt;
    }
    return std::move(*bytes);
}

PyObject* games_list(ByteSpan bytes) {
    auto games = decode_sazpack_chunk(bytes);
    if (!games) {
        raise_sazpack_error(games.error());
        return nullptr;
    }
    Ref list(PyList_New(static_cast<Py_ssize_t>(games->size())));
    if (!list) return nullptr;
    for (std::size_t i = 0; i < games->size(); ++i) {
        PyObject* item = wrap<SazGameClass>(std::move((*games)[i]));
        if (!item) return nullptr;
        PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), item);
    }
    return list.release();
}

PyObject* file_error(const char* verb, const std::string& path, const IoError& e) {
    const std::string text =
        std::string("failed to ") + verb + " sazpack file '" + path + "': " + io_error_display(e);
    raise_value_error(text);
    return nullptr;
}

PyObject* write_sazpack(PyObject* const* args) {
    auto bytes = encode(args[0]);
    if (!bytes) return nullptr;
    return PyBytes_FromStringAndSize(reinterpret_cast<const char*>(bytes->data()),
                                     static_cast<Py_ssize_t>(bytes->size()));
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
    if (!bytes) return nullptr;
    auto written = write_whole_file(path, *bytes);
    if (!written) return file_error("write", path, written.error());
    Py_RETURN_NONE;
}

PyObject* decode_sazpack_file(PyObject* const* args) {
    std::string path;
    if (!extract_path_arg(args[0], path)) return nullptr;
    auto data = read_whole_file(path);
    if (!data) return file_error("read", path, data.error());
    return games_list(*data);
}

}  // namespace

constexpr Methods SAZPACK_FUNCTIONS = function_table<
    Function<"write_sazpack(games)", write_sazpack, "`SazGame` 列を 1 つの sazpack チャンク（bytes）へ serialize する。">,
    Function<"write_sazpack_file(path, games)", write_sazpack_file, "`SazGame` 列を sazpack チャンクとしてファイルへ書き出す。">,
    Function<"decode_sazpack(data)", decode_sazpack, "sazpack チャンク（bytes）を `list[SazGame]` へ decode する。">,
    Function<"decode_sazpack_file(path)", decode_sazpack_file, "sazpack チャンクファイルを `list[SazGame]` へ decode する。">>;

}  // namespace korvan::py
