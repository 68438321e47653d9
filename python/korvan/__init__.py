"""korvan: fast, exact shogi for Python.

Everything lives in the native module ``korvan._korvan``; this package re-exports it.
"""

from korvan import _korvan
from korvan._korvan import *  # noqa: F401,F403

__all__ = list(_korvan.__all__)
