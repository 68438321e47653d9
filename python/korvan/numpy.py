"""numpy record types of the fixed-size position rows.

``PackedSfen``, ``PackedSfenValue``, ``HuffmanCodedPos`` and ``HuffmanCodedPosAndEval``
are ``numpy.dtype`` objects. numpy is optional: without it this module still imports,
and reading any of its record types raises ImportError.
"""

from korvan._korvan import dtype as _dtype

__all__ = [name for name in _dtype.__all__ if name != "dtype_getattr"]
globals().update({name: getattr(_dtype, name) for name in __all__})

# Asked for whatever the submodule could not build at import, so that the missing
# numpy is named when a record type is first wanted.
__getattr__ = _dtype.dtype_getattr
