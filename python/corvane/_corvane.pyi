# The extension is private to the package (import corvane instead); its
# names are left untyped here so that the package's own modules check.
from typing import Any

def __getattr__(name: str) -> Any: ...
