import pathlib

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


@pytest.mark.parametrize(
    "path, encoding",
    [(p, None) for p in fixture_files("kif", ".kif", ".kifu")]
    + [(p, None) for p in fixture_files("ki2", ".ki2")]
    + [(p, "utf-8") for p in fixture_files("ki2", ".ki2u") if p.name != "7mai.ki2u"],
    ids=lambda v: getattr(v, "name", str(v)),
)
def test_kif_and_ki2_fixtures_read_with_default_encodings(path, encoding):
    reader = Record.from_ki2_file if path.suffix.startswith(".ki2") else Record.from_kif_file
    record = reader(path, encoding=encoding) if encoding else reader(path)
    text = path.read_text(encoding=encoding or ("utf-8" if path.suffix == ".kifu" else "shift_jis"))
    parse = Record.from_ki2_str if path.suffix.startswith(".ki2") else Record.from_kif_str
    assert parse(text).to_usi_position() == record.to_usi_position()


def test_unknown_handicap_is_refused():
    with pytest.raises(ValueError):
        Record.from_ki2_file(FIXTURES / "ki2" / "7mai.ki2u", encoding="utf-8")


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
    path.write_bytes("手合割：平手\n".encode("shift_jis"))
    assert Record.from_kif_file(path, encoding="shift_jis").move_count == 0
    with pytest.raises(UnicodeDecodeError):
        Record.from_kif_file(path)


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


@pytest.mark.parametrize(
    "path, encoding",
    [(p, None) for p in fixture_files("kif", ".kif", ".kifu")]
    + [(p, None) for p in fixture_files("ki2", ".ki2")],
    ids=lambda v: getattr(v, "name", str(v)),
)
def test_kif_and_ki2_written_back(path, encoding, tmp_path):
    reader = Record.from_ki2_file if path.suffix == ".ki2" else Record.from_kif_file
    record = reader(path)
    try:
        (record.to_kif() + record.to_ki2()).encode("shift_jis")
        sjis = None
    except UnicodeEncodeError:  # a character Shift_JIS lacks: the default codec must refuse it
        with pytest.raises(UnicodeEncodeError):
            record.write_kif(tmp_path / "refused.kif")
        assert not (tmp_path / "refused.kif").exists()
        sjis = "utf-8"
    for write, read, name, encoding in [(Record.write_kif, Record.from_kif_file, "out.kif", sjis),
                                        (Record.write_kif, Record.from_kif_file, "out.kifu", None),
                                        (Record.write_ki2, Record.from_ki2_file, "out.ki2", sjis)]:
        out = tmp_path / name
        write(record, out, encoding)
        back = read(out, encoding)
        assert back.to_usi_position(include_special_tokens=True) == record.to_usi_position(include_special_tokens=True)
        assert back.result == record.result
    assert (tmp_path / "out.kifu").read_text(encoding="utf-8") == record.to_kif()
    assert (tmp_path / "out.kif").read_text(encoding=sjis or "shift_jis") == record.to_kif()
