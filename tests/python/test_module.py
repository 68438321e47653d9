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
