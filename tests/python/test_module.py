import importlib
import sys

import korvan
from korvan import _korvan


def test_import_returns_the_same_module():
    first = importlib.import_module("korvan._korvan")
    del sys.modules["korvan._korvan"]
    again = importlib.import_module("korvan._korvan")
    assert again is first is _korvan


def test_all_lists_registered_names():
    assert isinstance(_korvan.__all__, list)
    assert korvan.__all__ == list(_korvan.__all__)


# The module's registration order; the names other parts of the library register
# take their places between these.
REGISTERED = [
    "Color", "PieceType", "Piece", "Square", "Bitboard", "Hand", "MoveType", "RepetitionState",
    "Svg", "ValidationIssue", "ValidationReport", "PositionState", "Board",
    "Move", "AperyMove", "Move32", "AperyMove32", "GameResult",
    "GameResultInfo", "TimeControl", "EngineInfo", "MoveEntry", "SpecialMoveEntry",
    "RecordEntry", "UsiPositionParts", "RecordNodeId", "RecordMetadataKey", "RecordMetadata",
    "RecordEditor", "Record",
    "BookKey", "BookMove", "BookEntry",
    "YaneuraOuBookDiagnostics", "YaneuraOuBookMove", "YaneuraOuBookEntry", "YaneuraOuBook",
    "SbkDiagnostics", "SbkOpenProgress", "SbkEval", "SbkMove", "SbkEntry", "SbkBook",
    "MemoryBook", "StaticBook", "BookBuilder",
    "MOVE_LABEL_COUNT", "COMPACT_MOVE_LABEL_COUNT", "MOVE_LABEL_TO_COMPACT", "COMPACT_TO_MOVE_LABEL",
    "SazPolicyEntry", "SazMove", "SazGame",
    "write_sazpack", "write_sazpack_file", "decode_sazpack", "decode_sazpack_file",
    "book_key_from_position", "book_key_after", "book_builder_from_game_record",
    "parse_usi_position", "parse_usi_position_parts", "normalize_usi_position",
    "to_move",
    "decode_pack", "decode_pack_file", "decode_sbinpack", "decode_sbinpack_file",
    "write_pack", "write_pack_file", "write_sbinpack", "write_sbinpack_file",
    "move_label", "compact_move_label", "move_label_to_compact", "compact_move_label_to_move_label",
    "is_structurally_valid_move_label", "dtype",
]


def test_registration_order():
    assert _korvan.__all__ == REGISTERED
    assert all(hasattr(_korvan, name) for name in REGISTERED)


def test_function_signatures_and_binding():
    assert _korvan.to_move.__text_signature__ == "(move)"
    assert _korvan.to_move.__self__ is _korvan
    assert _korvan.Square.from_file_rank.__text_signature__ == "($cls, file, rank)"
    assert _korvan.Move.__text_signature__ == "(value)"
    assert _korvan.Color.__module__ == "korvan._korvan"
