"""YaneuraOuBook and its values from Python: the classes' faces, argument errors,
reprs and the book errors. The grammar and the search have their full cases in the C++
tests; here each path reaches Python once."""

import pathlib

import pytest

import korvan
from korvan import Board, Move, YaneuraOuBook

START = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"
AFTER_7G7F = "lnsgkgsnl/1r5b1/ppppppppp/9/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL w - 2"
SORTED = (
    "#YANEURAOU-DB2016 1.00\n"
    "sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/2P6/PP1PPPPPP/1B5R1/LNSGKGSNL w - 2\n"
    "3c3d none\n"
    "sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 17\n"
    "# the start\n"
    "7g7f 3c3d 30 12 5 // strong\n"
    "// second line\n"
    "2g2f None\n"
)


@pytest.fixture
def write(tmp_path):
    def write(text, name="book.db"):
        path = tmp_path / name
        path.write_bytes(text.encode() if isinstance(text, str) else text)
        return str(path)

    return write


def test_sorted_book_entries_and_moves(write):
    book = YaneuraOuBook.open(write(SORTED))
    assert repr(book) == "YaneuraOuBook(ordering=sorted)"
    d = book.diagnostics()
    assert (d.kind, d.complete, d.checked_rows, d.line_number, d.previous_sfen, d.current_sfen) == (
        "sorted", True, 2, None, None, None)
    assert repr(d) == 'YaneuraOuBookDiagnostics(kind="sorted")'

    entry = book.lookup_sfen(START.replace(" 1", " 40"))
    assert repr(entry) == f'YaneuraOuBookEntry(sfen="{START}", min_ply=17, moves=2)'
    assert (entry.sfen, entry.min_ply, entry.comment, len(entry)) == (START, 17, "the start", 2)
    first, second = entry.moves
    assert repr(first) == "YaneuraOuBookMove(move=7g7f, ponder=3c3d, score=Some(30), depth=Some(12), count=Some(5))"
    assert (first.mv, first.ponder, first.score, first.depth, first.count) == (
        Move.from_usi("7g7f"), Move.from_usi("3c3d"), 30, 12, 5)
    assert first.comment == " strong\nsecond line"
    assert repr(second) == "YaneuraOuBookMove(move=2g2f, ponder=none, score=None, depth=None, count=None)"
    assert (int(second.ponder), second.score, second.depth, second.count, second.comment) == (0, None, None, None, "")
    # Every getter builds new objects.
    assert entry.moves is not entry.moves and entry.moves[0] is not first

    board = Board()
    assert book.lookup_position(board).sfen == START
    board.push_usi("7g7f")
    found = book.lookup_position(board)
    assert (found.sfen, found.min_ply, len(found), found.comment) == (AFTER_7G7F.replace(" 2", " 1"), 2, 1, "")
    assert book.lookup_sfen_by_scan(START).moves[0].comment == first.comment
    board.push_usi("3c3d")
    assert book.lookup_position(board) is None
    assert book.lookup_sfen_by_scan("9/9/9/9/9/9/9/9/9 b - 1") is None


def test_unsorted_and_invalid_header_books(write):
    book = YaneuraOuBook.open(write(f"sfen {START}\n7g7f 3c3d\nsfen {START[:-1]}9\n", "twice.db"))
    d = book.diagnostics()
    assert repr(book) == "YaneuraOuBook(ordering=unsorted)"
    assert repr(d) == 'YaneuraOuBookDiagnostics(kind="unsorted")'
    assert (d.kind, d.complete, d.checked_rows, d.line_number, d.previous_sfen, d.current_sfen) == (
        "unsorted", None, 2, 3, START, START)
    with pytest.raises(ValueError, match="^book error: unsupported feature: yaneuraou db is not sorted; "
                                         "use lookup_sfen_by_scan$"):
        book.lookup_sfen(START)
    assert len(book.lookup_sfen_by_scan(START)) == 1
    assert book.validate_full().kind == "unsorted"

    bad = YaneuraOuBook.open(write("#YANEURAOU-DB2016 2.00\n", "header.db"))
    d = bad.diagnostics()
    assert (d.kind, d.complete, d.checked_rows, d.line_number, d.previous_sfen, d.current_sfen) == (
        "invalid_header", None, None, None, None, None)
    assert repr(bad) == "YaneuraOuBook(ordering=invalid_header)"
    for lookup in (bad.lookup_sfen, bad.lookup_sfen_by_scan):
        with pytest.raises(ValueError, match="^book error: invalid book format: unsupported yaneuraou book header$"):
            lookup(START)


def test_validate_full_replaces_the_ordering_and_keeps_old_objects(write):
    path = write(SORTED)
    book = YaneuraOuBook.open(path)
    before = book.diagnostics()
    pathlib.Path(path).write_text(SORTED + f"sfen {START}\n")
    with pytest.raises(ValueError, match="^book error: unsupported feature: yaneuraou db changed since it was "
                                         "validated; call validate_full or use lookup_sfen_by_scan$"):
        book.lookup_sfen(START)
    after = book.validate_full()
    assert (after.kind, after.line_number, before.kind) == ("unsorted", 9, "sorted")
    assert book.diagnostics().kind == "unsorted"
    pathlib.Path(path).write_text("sfen x\n")
    with pytest.raises(ValueError, match="^book error: invalid data: line 1: invalid sfen$"):
        book.validate_full()
    assert book.diagnostics().line_number == 9


@pytest.mark.parametrize(
    "text, message",
    [
        ("sfen " + START + "\n7g7f 3c3d x\n", "book error: invalid data: line 1: invalid score: invalid digit found in string"),
        ("sfen " + START + "\n7g7f\n", "book error: invalid data: line 1: missing ponder move"),
        (b"sfen " + START.encode() + b"\n# \x8b\xad\n", "book error: invalid data: line 2: invalid utf-8: invalid utf-8 "
         "sequence of 1 bytes from index 2; CP932 / Shift_JIS input is not supported"),
    ],
    ids=["score", "ponder", "shift-jis"],
)
def test_line_errors_reach_python(write, text, message):
    # Open reads every line's bytes but no move line; the ordered search counts lines
    # from the entry.
    with pytest.raises(ValueError) as raised:
        YaneuraOuBook.open(write(text)).lookup_sfen(START)
    assert str(raised.value) == message


@pytest.mark.parametrize(
    "call, error, message",
    [
        (lambda b: YaneuraOuBook.open(pathlib.Path("x.db")), TypeError, "argument 'path'"),
        (lambda b: YaneuraOuBook.open(b"x.db"), TypeError, "argument 'path'"),
        (lambda b: b.lookup_sfen(1), TypeError, "argument 'sfen'"),
        (lambda b: b.lookup_sfen_by_scan(None), TypeError, "argument 'sfen'"),
        (lambda b: b.lookup_position(START), TypeError, "argument 'board'"),
        (lambda b: YaneuraOuBook.open("/nonexistent/x.db"), ValueError,
         "book error: io error: No such file or directory (os error 2)"),
        (lambda b: YaneuraOuBook.open("/dev/null\0x"), ValueError, "book error: io error: Invalid argument (os error 22)"),
        (lambda b: YaneuraOuBook.open("/dev/zero"), ValueError,
         "book error: invalid data: line 1: line is longer than 1048576 bytes"),
        (lambda b: b.lookup_sfen("9/9 b"), ValueError, "book error: invalid data: invalid sfen"),
    ],
    ids=["path-pathlike", "path-bytes", "sfen-int", "scan-none", "board-str", "missing", "nul", "no-line-feed",
         "query"],
)
def test_argument_and_open_errors(write, call, error, message):
    book = YaneuraOuBook.open(write(SORTED))
    with pytest.raises(error) as raised:
        call(book)
    assert str(raised.value).startswith(message)


@pytest.mark.parametrize("cls", ["YaneuraOuBookDiagnostics", "YaneuraOuBookMove", "YaneuraOuBookEntry", "YaneuraOuBook"])
def test_classes_are_not_instantiable(cls):
    with pytest.raises(TypeError):
        getattr(korvan, cls)()
