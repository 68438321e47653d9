import pathlib
import re

import pytest

import korvan
from korvan import MoveEntry, Record, SpecialMoveEntry

FIXTURES = pathlib.Path(__file__).resolve().parents[1] / "fixtures" / "records"
START = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"


def fixture_files(kind, *suffixes):
    return sorted(p for p in (FIXTURES / kind).iterdir() if p.suffix in suffixes)


def same_main_line(a, b):
    return [str(e.move) for e in a.moves] == [str(e.move) for e in b.moves] and a.result == b.result


@pytest.mark.parametrize("path", fixture_files("csa", ".csa"), ids=lambda p: p.name)
def test_csa_fixtures_read_and_write_back(path, tmp_path):
    record = Record.from_csa_file(path)
    assert Record.from_csa_file(str(path), encoding=None).to_csa() == record.to_csa()
    again = Record.from_csa_str(record.to_csa())
    assert same_main_line(record, again)
    out = tmp_path / "out.csa"
    record.write_csa(out)
    assert out.read_text(encoding="shift_jis") == record.to_csa()
    jkf = Record.from_jkf_str(record.to_jkf())
    assert same_main_line(record, jkf)
    record.write_jkf(tmp_path / "out.jkf")
    assert Record.from_jkf_file(tmp_path / "out.jkf").to_jkf() == record.to_jkf()


@pytest.mark.parametrize("path", fixture_files("jkf", ".jkf"), ids=lambda p: p.name)
def test_jkf_fixtures(path):
    record = Record.from_jkf_file(path)
    assert Record.from_jkf_str(record.to_jkf()).to_jkf() == record.to_jkf()


RECORD_FIXTURES = [p for kind in ("kif", "ki2", "csa", "jkf") for p in fixture_files(kind, ".kif", ".kifu", ".ki2",
                                                                                      ".ki2u", ".csa", ".jkf")]
STR_READERS = {"kif": Record.from_kif_str, "ki2": Record.from_ki2_str, "csa": Record.from_csa_str,
               "jkf": Record.from_jkf_str}
FILE_READERS = {"kif": Record.from_kif_file, "ki2": Record.from_ki2_file, "csa": Record.from_csa_file,
                "jkf": Record.from_jkf_file}


def fixture_text(path):
    utf8 = path.suffix in (".kifu", ".ki2u", ".jkf")
    return path.read_text(encoding="utf-8" if utf8 else "shift_jis")


def outcome(read, *args):
    """All a record says through its writers (or the reader's error)."""
    try:
        record = read(*args)
    except ValueError as e:
        return "ValueError: " + str(e)
    texts = [repr(record.to_dict()), record.to_usi_position(include_special_tokens=True)]
    for write in (Record.to_kif, Record.to_ki2, Record.to_csa, Record.to_jkf):
        try:
            texts.append(write(record))
        except ValueError as e:
            texts.append("ValueError: " + str(e))
    return texts


def encoded_forms(kind, text):
    """The text as a file may hold it: (file text, bytes), each read with no encoding named."""
    forms = [(text, text.encode("utf-8")), ("\ufeff" + text, ("\ufeff" + text).encode("utf-8"))]
    try:
        forms.append((text, text.encode("cp932")))
    except UnicodeEncodeError:
        pass
    declare = {"kif": "#KIF version=2.0 encoding={}\n", "ki2": "#KIF version=2.0 encoding={}\n",
               "csa": "'CSA encoding={}\n"}.get(kind)
    if declare:
        for name, codec in (("UTF-8", "utf-8"), ("SHIFT_JIS", "shift_jis"), ("Shift_JIS", "cp932")):
            declared = declare.format(name) + text
            try:
                forms.append((declared, declared.encode(codec)))
            except UnicodeEncodeError:
                pass
    return forms


@pytest.mark.parametrize("path", RECORD_FIXTURES, ids=lambda p: p.parent.name + "/" + p.name)
def test_fixture_files_read_with_no_encoding_named(path, tmp_path):
    kind = path.parent.name
    for text, data in encoded_forms(kind, fixture_text(path)):
        # A name the KIF rule reads as Shift_JIS: the bytes alone decide.
        out = tmp_path / ("game." + kind)
        out.write_bytes(data)
        assert outcome(FILE_READERS[kind], out) == outcome(STR_READERS[kind], text), data[:60]
        assert outcome(FILE_READERS[kind], out, None) == outcome(STR_READERS[kind], text)


@pytest.mark.parametrize("reader, name", [(Record.from_kif_file, "g.kif"), (Record.from_kif_file, "g.kifu"),
                                          (Record.from_ki2_file, "g.ki2"), (Record.from_csa_file, "g.csa"),
                                          (Record.from_jkf_file, "g.jkf")])
def test_bytes_nothing_decodes_raise_the_defaults_error(tmp_path, reader, name):
    path = tmp_path / name
    path.write_bytes("先手：甲\n".encode("shift_jis") + b"\x81\n")
    default = "utf-8" if name.endswith(("kifu", "jkf")) else "shift_jis"
    with pytest.raises(UnicodeDecodeError) as raised:
        reader(path)
    with pytest.raises(UnicodeDecodeError) as today:
        path.read_text(encoding=default)
    assert str(raised.value) == str(today.value)


@pytest.mark.parametrize(
    "name, utf8",
    [("game.kifu", True), ("game.KIFU", True), ("dir.x/game.KiFu", True), ("game.kifu/", True),
     ("game.kif", False), ("game", False), (".kifu", False), ("game.kifu.bak", False), ("dir.kifu/game", False),
     ("game.", False)],
)
def test_kif_default_encoding(tmp_path, name, utf8):
    path = tmp_path / name
    path.parent.mkdir(parents=True, exist_ok=True)
    if name.endswith("/"):
        path = pathlib.Path(str(tmp_path / name.rstrip("/")))
    # Read with the other codec, these bytes raise UnicodeDecodeError.
    path.write_bytes("手合割：平手\n".encode("utf-8" if utf8 else "shift_jis"))
    assert Record.from_kif_file(path).move_count == 0


def test_explicit_encoding_wins(tmp_path):
    path = tmp_path / "game.kifu"
    path.write_bytes("手合割：香落ち\n".encode("shift_jis"))
    assert Record.from_kif_file(path, encoding="shift_jis").init_position_sfen.startswith("lnsgkgsn1/")
    with pytest.raises(UnicodeDecodeError):
        Record.from_kif_file(path, encoding="utf-8")
    # Named nothing, the Shift_JIS bytes of a ".kifu" file are no UTF-8: Windows' Shift_JIS reads them.
    assert Record.from_kif_file(path).init_position_sfen.startswith("lnsgkgsn1/")
    # A declaration the bytes belie is passed over; a given encoding is not.
    path.write_bytes("#KIF version=2.0 encoding=UTF-8\n先手：髙橋\n".encode("cp932"))
    assert Record.from_kif_file(path).metadata.black_player == "髙橋"
    with pytest.raises(UnicodeDecodeError):
        Record.from_kif_file(path, encoding="utf-8")


class TestFileErrors:
    def test_missing_file(self, tmp_path):
        with pytest.raises(FileNotFoundError):
            Record.from_csa_file(tmp_path / "missing.csa")

    def test_bytes_text_and_bad_encoding_type(self, tmp_path):
        with pytest.raises(TypeError, match="^argument 'text': "):
            Record.from_kif_str(b"abc")
        with pytest.raises(TypeError, match="^argument 'encoding': "):
            Record.from_csa_file(tmp_path / "x.csa", encoding=1)
        with pytest.raises(TypeError):
            Record.from_csa_file(b"/tmp/x.csa")

    def test_unknown_codec(self, tmp_path):
        with pytest.raises(LookupError):
            Record(START).write_csa(tmp_path / "x.csa", encoding="no-such-codec")
        assert not (tmp_path / "x.csa").exists()

    def test_unencodable_text_leaves_the_file(self, tmp_path):
        path = tmp_path / "kept.csa"
        path.write_text("old contents", encoding="shift_jis")
        record = Record(START, [MoveEntry("7g7f", comment="\U0001F600")])
        with pytest.raises(UnicodeEncodeError):
            record.write_csa(path)
        assert path.read_text(encoding="shift_jis") == "old contents"
        record.write_csa(path, encoding="utf-8")
        assert "\U0001F600" in path.read_text(encoding="utf-8")

    def test_writer_error_creates_no_file(self, tmp_path):
        path = tmp_path / "bad.jkf"
        with pytest.raises(ValueError):
            Record("x").write_jkf(path)
        assert not path.exists()
        with pytest.raises(ValueError) as info:
            Record("x").to_jkf()
        with pytest.raises(ValueError) as again:
            Record("x").write_jkf(path)
        assert str(info.value) == str(again.value)

    def test_reader_errors(self):
        with pytest.raises(ValueError):
            Record.from_csa_str("PI\n+\n+7775FU\n")
        with pytest.raises(ValueError):
            Record.from_jkf_str("{")


def test_csa_round_trip_keeps_terminal_and_comments():
    r = Record(START, [MoveEntry("7g7f", comment="first", time_ms=3000), MoveEntry("3c3d")],
               terminal=SpecialMoveEntry("resign", "WHITE_WIN"))
    back = Record.from_csa_str(r.to_csa())
    assert same_main_line(r, back)
    assert back.moves[0].comment == "first" and back.moves[0].time_ms == 3000
    assert back.main_terminal.kind == "RESIGN"


WRITERS = [("out.kif", "kif"), ("out.kifu", "kif"), ("out.ki2", "ki2"), ("out.csa", "csa"), ("out.jkf", "jkf")]


@pytest.mark.parametrize("path", RECORD_FIXTURES, ids=lambda p: p.parent.name + "/" + p.name)
def test_records_written_with_no_encoding_read_back(path, tmp_path):
    record = STR_READERS[path.parent.name](fixture_text(path))
    named = Record.from_dict(record.to_dict())
    # Names only Windows' Shift_JIS has: such a record is saved in it.
    named.update_metadata({"black_player": "髙橋", "white_player": "山﨑"})
    for each in (record, named):
        for name, kind in WRITERS:
            out = tmp_path / name
            out.unlink(missing_ok=True)
            text = getattr(each, "to_" + kind)()
            codec = "utf-8" if name.endswith(("kifu", "jkf")) else "shift_jis"
            try:
                text.encode(codec)
            except UnicodeEncodeError as refused:
                try:
                    text.encode("cp932")
                    codec = "cp932"
                except UnicodeEncodeError:
                    # Neither has the character: Shift_JIS's error, and no file.
                    with pytest.raises(UnicodeEncodeError, match="^" + re.escape(str(refused)) + "$"):
                        getattr(each, "write_" + kind)(out)
                    assert not out.exists()
                    continue
            getattr(each, "write_" + kind)(out)
            assert out.read_bytes() == text.encode(codec)
            assert outcome(FILE_READERS[kind], out) == outcome(STR_READERS[kind], text)
