"""BOD diagrams, SVG pictures and CSA board lines of a Board, against golden texts written by hand."""

import collections.abc
import threading
from pathlib import Path

import pytest

import korvan as k

GOLDEN = Path(__file__).parent / "golden"
START = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1"
EVERY_KIND_IN_HAND = "4k4/9/9/9/9/9/9/9/4K4 b RB2G3S4N2L10Prb2gs2l8p 1"
RECAPTURE = "startpos moves 7g7f 3c3d 8h2b+ 3a2b"


def board(setup):
    b = k.Board()
    if setup.startswith("startpos"):
        b.set_usi_position(setup)
    else:
        b.set_sfen(setup)
    return b


def golden_bod(name):
    # The files end with one line break; the diagram itself has none.
    return (GOLDEN / name).read_text(encoding="utf-8").removesuffix("\n")


def golden_svg(name):
    # One element per line in the file; the document has no line breaks.
    return "".join((GOLDEN / name).read_text(encoding="utf-8").splitlines())


@pytest.mark.parametrize(
    "setup, name",
    [
        (START, "bod_start.txt"),
        ("lnsgkgsnl/9/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL w - 1", "bod_two_piece_handicap.txt"),
        (EVERY_KIND_IN_HAND, "bod_every_kind_in_hand.txt"),
        (RECAPTURE, "bod_recapture.txt"),
    ],
)
def test_bod_matches_golden(setup, name):
    b = board(setup)
    before = b.to_sfen()
    assert b.to_bod() == golden_bod(name)
    assert b.to_sfen() == before


@pytest.mark.parametrize(
    "setup, last_lines",
    [
        ("startpos moves 7g7f", ["後手番", "手数＝1　▲７六歩　まで"]),
        ("startpos moves 2g2f 8c8d 2f2e 8d8e 2e2d 2c2d", ["先手の持駒：なし", "手数＝6　△２四同歩　まで"]),
        ("sfen 4k4/6p2/9/5+S3/9/9/9/9/4K4 w - 1 moves 3b3c 4d3c", ["後手番", "手数＝2　▲３三同成銀　まで"]),
        ("sfen 4k4/9/9/9/9/9/9/9/4K4 b R2G18P 1", ["| ・ ・ ・ ・ 玉 ・ ・ ・ ・|九", "+---------------------------+",
                                                   "先手の持駒：飛　金二　歩18"]),
        # No history: no last-move line, even with White to move.
        ("sfen 4k4/9/9/9/9/9/9/9/4K4 w - 9", ["先手の持駒：なし", "後手番"]),
        ("sfen 4k4/9/9/9/9/9/9/9/+s3K3+R w - 1", ["|v全 ・ ・ ・ 玉 ・ ・ ・ 龍|九", "+---------------------------+",
                                                  "先手の持駒：なし", "後手番"]),
    ],
)
def test_bod_last_lines(setup, last_lines):
    b = k.Board()
    b.set_usi_position(setup)
    assert b.to_bod().split("\n")[-len(last_lines):] == last_lines


def test_bod_after_undo_drops_the_line():
    b = k.Board()
    b.push_usi("7g7f")
    b.pop()
    assert b.to_bod() == golden_bod("bod_start.txt")


@pytest.mark.parametrize(
    "setup, last_move, name",
    [
        (START, None, "svg_start.txt"),
        (RECAPTURE, "last", "svg_recapture.txt"),
        (EVERY_KIND_IN_HAND, None, "svg_every_kind_in_hand.txt"),
    ],
)
def test_svg_matches_golden(setup, last_move, name):
    b = board(setup)
    svg = b.to_svg(b.last_move() if last_move else None)
    assert isinstance(svg, k.Svg)
    assert str(svg) == golden_svg(name)
    assert repr(svg) == str(svg) == svg._repr_svg_()


def test_svg_last_move_as_move_or_move32():
    b = k.Board()
    as_move = str(b.to_svg(k.Move.from_usi("7g7f")))
    as_move32 = str(b.to_svg(last_move=b.move32_from_move(k.Move.from_usi("7g7f"))))
    assert as_move == as_move32
    shaded = ('</defs><rect x="60.5" y="110.5" width="20" height="20" fill="#f6b94d" />'
              '<rect x="60.5" y="130.5" width="20" height="20" fill="#fdf0e3" /><g stroke="black">')
    assert shaded in as_move
    drop = str(b.to_svg(k.Move.from_usi("P*5e")))
    assert '</defs><rect x="100.5" y="90.5" width="20" height="20" fill="#f6b94d" /><g stroke="black">' in drop
    assert "#fdf0e3" not in drop


def test_svg_last_move_given_as_move_is_read_on_the_current_board():
    b = board(RECAPTURE)
    # The recapture's source square is empty now: as a Move it fits this board no more.
    with pytest.raises(ValueError, match=r"^invalid move value$"):
        b.to_svg(b.last_move().to_move())


@pytest.mark.parametrize(
    "last_move, error, message",
    [
        (1234, TypeError, "move must be Move32 or Move"),
        ("7g7f", TypeError, "move must be Move32 or Move"),
        (k.Move(0), ValueError, "invalid move value"),
        (k.Move32(258), ValueError, "invalid move value"),
        (k.Move32(81), ValueError, "invalid move value"),  # destination off the board
        (k.Move.from_usi("5e5d"), ValueError, "invalid move value"),  # empty source
    ],
)
def test_svg_bad_last_move(last_move, error, message):
    with pytest.raises(error) as e:
        k.Board().to_svg(last_move)
    assert str(e.value) == message


@pytest.mark.parametrize(
    "scale, width, height",
    [(2, "460", "384"), (2.0, "460", "384"), (0.5, "115", "96"), (0, "230", "192"), (-1.0, "230", "192"),
     (float("inf"), "inf", "inf"), (1e-45, "0.000000000000000000000000000000000000000000322", "0.000000000000000000000000000000000000000000269")],
)
def test_svg_scale(scale, width, height):
    svg = str(k.Board().to_svg(scale=scale))
    assert f'width="{width}" height="{height}" viewBox="0 0 230 192">' in svg


def test_svg_scale_at_or_below_zero_is_the_default():
    default = str(k.Board().to_svg())
    assert str(k.Board().to_svg(scale=0)) == default
    assert str(k.Board().to_svg(scale=-1)) == default


def test_svg_scale_type_error_is_checked_before_the_move():
    with pytest.raises(TypeError) as e:
        k.Board().to_svg(1234, "2")
    assert str(e.value).startswith("argument 'scale': ")


def test_svg_has_no_constructor():
    with pytest.raises(TypeError):
        k.Svg()


# Every Board member of the packed, row, PositionState, validation and picture groups
# keeps the shape all Board members share: the receiver check and the owner thread.
MEMBERS = [
    ("to_packed_sfen", ()), ("to_hcp", ()), ("set_packed_sfen", (bytes(32),)), ("set_hcp", (bytes(32),)),
    ("to_psv", ()), ("to_hcpe", ()), ("to_position_state", ()), ("set_position_state", (None,)),
    ("validate", ()), ("is_valid", ()), ("validate_all", ()), ("to_bod", ()), ("to_svg", ()), ("to_csa", ()),
]


@pytest.mark.parametrize("name, args", MEMBERS, ids=[m[0] for m in MEMBERS])
def test_members_refuse_a_foreign_receiver(name, args):
    with pytest.raises(TypeError) as e:
        getattr(k.Board, name)(5, *args)
    assert str(e.value) == "'int' object cannot be cast as 'Board'"


@pytest.mark.parametrize("name, args", MEMBERS, ids=[m[0] for m in MEMBERS])
def test_members_refuse_other_threads(name, args):
    b = k.Board()
    b.push_usi("7g7f")
    box = {}

    def run():
        try:
            getattr(b, name)(*args)
        except BaseException as e:  # the panic exception is a BaseException
            box["error"] = e

    t = threading.Thread(target=run)
    t.start()
    t.join()
    assert isinstance(box["error"], k._korvan.PanicException)
    assert "korvan::PyBoard is unsendable, but sent to another thread" in str(box["error"])
    assert b.last_move().to_usi() == "7g7f"


EMPTY_RANK = "*  " * 9


@pytest.mark.parametrize(
    "setup, lines",
    [
        (START, ["P1-KY-KE-GI-KI-OU-KI-GI-KE-KY", "P2*  -HI*  *  *  *  *  -KA*  ",
                 "P3" + "-FU" * 9, "P4" + EMPTY_RANK, "P5" + EMPTY_RANK, "P6" + EMPTY_RANK,
                 "P7" + "+FU" * 9, "P8*  +KA*  *  *  *  *  +HI*  ", "P9+KY+KE+GI+KI+OU+KI+GI+KE+KY",
                 "P+", "P-", "+"]),
        # Hands in the order pawn, lance, knight, silver, gold, bishop, rook; White to move.
        ("4k4/9/9/9/9/9/9/9/4K4 w RB2G3S4N2L10Prb2gs2l8p 7",
         ["P1*  *  *  *  -OU*  *  *  *  "] + ["P%d" % r + EMPTY_RANK for r in range(2, 9)] +
         ["P9*  *  *  *  +OU*  *  *  *  ",
          "P+" + "00FU" * 10 + "00KY" * 2 + "00KE" * 4 + "00GI" * 3 + "00KI" * 2 + "00KA00HI",
          "P-" + "00FU" * 8 + "00KY" * 2 + "00GI" + "00KI" * 2 + "00KA00HI", "-"]),
        # Promoted pieces keep their own codes; after 8h2b+ 3a2b the silver stands on 2b.
        ("startpos moves 7g7f 3c3d 8h2b+", None),
    ],
)
def test_csa_board_lines(setup, lines):
    b = board(setup)
    text = b.to_csa()
    assert not text.endswith("\n")
    got = text.split("\n")
    assert len(got) == 12
    assert all(len(line) == 29 for line in got[:9])
    if lines is None:
        assert got[1] == "P2*  -HI*  *  *  *  *  +UM*  "
        assert got[-1] == "-"
    else:
        assert got == lines


def test_csa_takes_a_shared_borrow():
    b = k.Board()
    seen = []

    class Reenter(collections.abc.Sequence):
        def __len__(self):
            return 32

        def __getitem__(self, i):
            try:
                b.to_csa()
            except RuntimeError as e:
                seen.append(str(e))
                raise
            return 0

    with pytest.raises(TypeError):
        b.set_packed_sfen(Reenter())
    assert seen and set(seen) == {"Already mutably borrowed"}
    assert b.to_csa().startswith("P1-KY")  # the borrow was released
