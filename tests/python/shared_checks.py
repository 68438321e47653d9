"""Helpers several test modules share."""

import pytest

import korvan as k


def raises(error, text, call, *args, **kwargs):
    """Calls `call` and checks that it raises `error` with exactly `text`."""
    with pytest.raises(error) as raised:
        call(*args, **kwargs)
    assert str(raised.value) == text
    return raised


def sq(usi):
    return k.Square.from_usi(usi)
