"""Every reader of a str, given real records cut at character boundaries and with
multi-byte characters spliced in, returns a result or raises ValueError whose message
is a whole text: never another exception, never a decoding error, never a U+FFFD that a
half-cut character left (the inputs hold none of their own)."""

import pathlib
import random

import pytest

import korvan
from korvan import Board, Record

FIXTURES = pathlib.Path(__file__).resolve().parents[1] / "fixtures" / "records"
PICKED = [
    "kif/fork.kif", "kif/shogidokoro.kifu", "kif/9fu.kif",
    "ki2/20091203.ki2", "ki2/8mai.ki2u", "ki2/fork.ki2",
    "csa/example.csa", "csa/9fu.csa", "csa/engine_comments.csa",
    "jkf/same_move_minimal.jkf",
]
READERS_OF_RECORDS = {
    "kif": Record.from_kif_str, "ki2": Record.from_ki2_str, "csa": Record.from_csa_str, "jkf": Record.from_jkf_str,
}
# One-letter, accented, CJK, astral, full-width space and a combining mark.
SPLICED = ["é", "棋", "😀", "\u3000", "e\u0301", "７六歩"]
CUTS_PER_TEXT = 1200
SPLICES_PER_TEXT = 24


def decoded(name):
    path = FIXTURES / name
    utf8 = path.suffix in (".kifu", ".ki2u", ".jkf")
    return path.read_text(encoding="utf-8" if utf8 else "shift_jis")


def variants(text, rng):
    """The text cut at (sampled) character boundaries and with characters spliced in."""
    cuts = range(len(text) + 1)
    if len(cuts) > CUTS_PER_TEXT:
        cuts = sorted({0, len(text), *rng.sample(cuts, CUTS_PER_TEXT)})
    out = [text[:i] for i in cuts]
    for _ in range(SPLICES_PER_TEXT):
        at = rng.randrange(len(text) + 1)
        out.append(text[:at] + rng.choice(SPLICED) + text[at:])
    return out


def the_texts():
    """Each picked record in its own format, and as the position texts the board readers
    take: its USI position command, its SFEN and its first moves."""
    rng = random.Random(22)
    texts = []
    for name in PICKED:
        text = decoded(name)
        texts.append((name, text, variants(text, rng)))
        record = READERS_OF_RECORDS[name.split("/")[0]](text)
        usi = record.to_usi_position()
        moves = usi.split(" moves ")[1].split()[:3] if " moves " in usi else ["7g7f"]
        for form in (usi, record.init_position_sfen, " ".join(moves), "600+10+5"):
            texts.append((name + " as " + form[:12], form, variants(form, rng)))
    # A replacement character in a message must then come from a cut.
    assert not any("\ufffd" in v for _, _, vs in texts for v in vs)
    return texts


def board_call(method):
    return lambda s: getattr(Board(), method)(s)


READERS = {
    **{f"Record.from_{k}_str": f for k, f in READERS_OF_RECORDS.items()},
    "Board": Board,
    "Board.set_sfen": board_call("set_sfen"),
    "Board.set_usi_position": board_call("set_usi_position"),
    "Board.push_usi": board_call("push_usi"),
    "Board.apply_usi": board_call("apply_usi"),
    "Board.push_usi_with_delta": board_call("push_usi_with_delta"),
    "Board.apply_csa": board_call("apply_csa"),
    "Board.move_from_csa": board_call("move_from_csa"),
    "PositionState": korvan.PositionState,
    "PositionState.from_sfen": korvan.PositionState.from_sfen,
    "RecordEditor": korvan.RecordEditor,
    "Record": Record,
    "Record.from_usi_position": Record.from_usi_position,
    "Record.from_usi_position(special)": lambda s: Record.from_usi_position(s, allow_special_tokens=True),
    "parse_usi_position": korvan.parse_usi_position,
    "parse_usi_position_parts": korvan.parse_usi_position_parts,
    "normalize_usi_position": korvan.normalize_usi_position,
    "Move.from_usi": korvan.Move.from_usi,
    "Move32.from_usi": korvan.Move32.from_usi,
    "AperyMove.from_usi": korvan.AperyMove.from_usi,
    "Square.from_usi": korvan.Square.from_usi,
    "Piece.from_usi": korvan.Piece.from_usi,
    "PieceType.from_usi": korvan.PieceType.from_usi,
    "Color.from_usi": korvan.Color.from_usi,
    "GameResult.from_str": korvan.GameResult.from_str,
    "TimeControl.from_spec": korvan.TimeControl.from_spec,
    "TimeControl.normalize_spec": korvan.TimeControl.normalize_spec,
    "SpecialMoveEntry(kind)": lambda s: korvan.SpecialMoveEntry(s, korvan.GameResult.BLACK_WIN),
}
TEXTS = the_texts()


@pytest.mark.parametrize("reader", READERS.values(), ids=READERS.keys())
def test_only_a_result_or_a_whole_value_error_comes_out(reader):
    for name, _, inputs in TEXTS:
        for text in inputs:
            try:
                reader(text)
            except ValueError as e:
                assert not isinstance(e, UnicodeError), (name, text, e)
                message = str(e)
                assert "\ufffd" not in message, (name, text, message)
                message.encode("utf-8")
            except BaseException as e:  # noqa: BLE001 - anything else is the fault
                pytest.fail(f"{type(e).__name__} from {name}: {text!r}: {e}")


JSON_ERROR = "json serialization failed: [json.exception.parse_error.101] parse error at line 1, "


@pytest.mark.parametrize(
    ("text", "message"),
    [
        ("棋", JSON_ERROR + "column 1: syntax error while parsing value - invalid literal; last read: ''"),
        ("[1, é]", JSON_ERROR + "column 5: syntax error while parsing value - invalid literal; last read: '1, '"),
        ("7棋g", JSON_ERROR + "column 2: syntax error while parsing value - invalid literal; last read: '7'; "
                             "expected end of input"),
        ('"é', JSON_ERROR + "column 4: syntax error while parsing value - invalid string: missing closing quote; "
                            "last read: '\"é'"),
        ('{"a": "棋', JSON_ERROR + "column 11: syntax error while parsing value - invalid string: missing closing "
                                   "quote; last read: '\"棋'"),
    ],
)
def test_the_json_excerpt_ends_at_a_whole_character(text, message):
    with pytest.raises(ValueError) as raised:
        Record.from_jkf_str(text)
    assert type(raised.value) is ValueError
    assert str(raised.value) == message
