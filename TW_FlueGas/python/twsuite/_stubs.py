"""Writes the type stubs of twsuite (__init__.pyi) from twcalc's command table.

    python3 -m twsuite._stubs OUTPUT
"""

import inspect
import sys

import twsuite

_HEADER = '''\
# Type stubs of twsuite, written from twcalc's command table at build time.
from typing import Any, Mapping, Optional, Sequence, Union

import numpy as np
import numpy.typing as npt

Value = Union[str, int, float]
Numbers = Union[float, Sequence[float], npt.ArrayLike]

class AutomationError(Exception):
    number: int
    description: str
    messages: list[dict[str, str]]
    def __init__(self, number: int, description: str,
                 messages: Optional[list[dict[str, str]]] = ...) -> None: ...

class InputRefused(ValueError):
    messages: list[dict[str, str]]
    def __init__(self, messages: Optional[list[dict[str, str]]]) -> None: ...

COMMANDS: list[dict[str, Any]]
CELL_OPTIONS: tuple[str, ...]
SETTING_OPTIONS: tuple[str, ...]
RESULT_COLUMNS: tuple[str, ...]
'''


def _parameter(argument, keyword_only):
    if argument["flag"]:
        return f"{argument['keyword']}: bool = False"
    kind = "Value"
    if argument["repeatable"]:
        kind = "Union[Value, Sequence[Value], Mapping[str, Value]]"
    if argument.get("required") and not keyword_only:
        return f"{argument['keyword']}: {kind}"
    return f"{argument['keyword']}: Optional[{kind}] = None"


def _function(name, parameters, returns, doc):
    lines = [f"def {name}("]
    lines += [f"    {p}," for p in parameters]
    lines.append(f") -> {returns}:")
    doc = doc.replace("\\", "\\\\").replace('"""', '\\"\\"\\"')
    body = "\n".join(f"    {line}" if line else "" for line in inspect.cleandoc(doc).splitlines())
    lines.append('    """' + body.lstrip() + '\n    """')
    return "\n".join(lines) + "\n"


def stubs():
    out = [_HEADER]
    for command in twsuite.COMMANDS:
        name = "_".join(command["path"])
        parameters = [_parameter(p, False) for p in command["positionals"]]
        if command["options"]:
            parameters.append("*")
            parameters += [_parameter(o, True) for o in command["options"]]
        returns = "float" if name == "convert" else "dict[str, Any]"
        out.append(_function(name, parameters, returns, getattr(twsuite, name).__doc__))
    batch = ["*"] + [f"{n}: Optional[Numbers] = None" for n in twsuite.CELL_OPTIONS]
    batch += [f"{n}: Optional[Value] = None" for n in twsuite.SETTING_OPTIONS]
    batch.append("lang: Optional[str] = None")
    batch.append("jobs: Optional[int] = None")
    out.append(_function("fluegas_batch", batch, "dict[str, Any]",
                         twsuite.fluegas_batch.__doc__))
    return "\n".join(out)


if __name__ == "__main__":
    with open(sys.argv[1], "w", encoding="utf-8") as file:
        file.write(stubs())
