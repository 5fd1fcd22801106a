"""The flue gas calculator and the TWCommon library for Python.

Every command of twcalc is a function here, with the command's options as keyword arguments
(dashes become underscores, values strings or numbers exactly as the command would read them)
and returning the object that the command's --json prints, as dicts and lists:

    convert(key, from_unit, to_unit, value)  -> the converted number
    units(key=None), fluegas(**options), steam_sat(**options), steam_state(**options),
    steam_visco(**options), pipe(function, **arguments), dpcalc(**options), ...

The functions are made from twcalc's own command table, so a new command of twcalc is a new
function here. Messages the library would show in a box come back under "messages", never
printed. An automation error of the library raises AutomationError; a call that twcalc would
refuse as a usage error raises TypeError (the shape of the call) or ValueError (a value) with
twcalc's text; a file that cannot be read or written raises OSError. A single case whose input
the calculation refuses (twcalc's exit status 4) raises InputRefused, a ValueError carrying the
messages that say why.

fluegas_batch(**arrays) calculates many flue gas cases at once into numpy arrays.
"""

import inspect
import numbers
import os

from . import _twsuite
from ._batch import split_batch_options

__all__ = ["AutomationError", "InputRefused", "fluegas_batch", "gas_properties_batch"]


class AutomationError(Exception):
    """An automation error raised by the library.

    number: the platform's error number (5 invalid procedure call or argument, 6 overflow,
    9 subscript out of range, 11 division by zero, ...); description: its standard text;
    messages: what the library showed before it raised the error.
    """

    def __init__(self, number, description, messages=None):
        super().__init__(number, description)
        self.number = number
        self.description = description
        self.messages = list(messages or [])

    def __str__(self):
        return f"Error #{self.number}: {self.description}"


class InputRefused(ValueError):
    """The input of a single case was refused; nothing was calculated.

    messages: the messages of the calculation that say why (dicts of caption, text, icon).
    """

    def __init__(self, messages):
        self.messages = list(messages or [])
        super().__init__("the input was refused; nothing was calculated: " +
                         "; ".join(m["text"] for m in self.messages))


def _no_nul(keyword, text):
    # A C string ends at its first NUL: the rest would be lost without a word, as open() knows.
    if "\0" in text:
        raise ValueError(f"{keyword}: embedded null character")
    return text


def _text(keyword, value):
    """A value as the text twcalc reads: strings and paths as given, numbers in their
    shortest form."""
    if isinstance(value, str):
        return _no_nul(keyword, value)
    if isinstance(value, os.PathLike):
        return _no_nul(keyword, os.fsdecode(value))
    if isinstance(value, bool) or getattr(getattr(value, "dtype", None), "kind", "") == "b":
        return "true" if value else "false"
    if isinstance(value, numbers.Integral):
        return str(int(value))
    if isinstance(value, numbers.Real):
        return _twsuite.number_text(float(value))
    raise TypeError(f"{keyword}: give a string or a number, not {type(value).__name__}")


def _option(name, text):
    # "--name=text" keeps a text that starts with a dash a value; an empty text stands apart.
    return [name, ""] if text == "" else [f"{name}={text}"]


def _items(option, value):
    if not option["repeatable"]:
        return [value]
    if isinstance(value, dict):
        return [f"{_no_nul(option['keyword'], str(key))}={_text(key, item)}"
                for key, item in value.items()]
    if isinstance(value, (list, tuple)):
        return list(value)
    return [value]


def _command_line(command, args, kwargs):
    """The twcalc command line of a call."""
    name = "_".join(command["path"])
    positionals = command["positionals"]
    if len(args) > len(positionals):
        raise TypeError(
            f"{name}() takes {len(positionals)} positional arguments but {len(args)} were given")
    values = [None] * len(positionals)
    values[: len(args)] = args
    kwargs = dict(kwargs)
    for index, positional in enumerate(positionals):
        if positional["keyword"] in kwargs:
            if index < len(args):
                raise TypeError(
                    f"{name}() got multiple values for argument '{positional['keyword']}'")
            values[index] = kwargs.pop(positional["keyword"])

    line = list(command["path"])
    options = {option["keyword"]: option for option in command["options"]}
    for keyword, value in kwargs.items():
        if value is None:
            continue
        option = options.get(keyword)
        if option is None:
            # twcalc refuses it with its own words.
            line += _option("--" + keyword, _text(keyword, value))
        elif option["flag"]:
            # A flag is True or False: a text such as "no" would turn it on.
            if not isinstance(value, (bool, numbers.Integral)) and getattr(
                    getattr(value, "dtype", None), "kind", "") != "b":
                raise TypeError(f"{keyword}: give True or False, not {type(value).__name__}")
            if value:
                line.append(option["name"])
        else:
            for item in _items(option, value):
                line += _option(option["name"], _text(keyword, item))
    given = []
    for positional, value in zip(positionals, values):
        if value is None:
            break
        given.append(_text(positional["keyword"], value))
    # After "--" every argument is a positional, even one that starts with a dash.
    return line + ["--"] + given if given else line


def _evaluate(line):
    return _outcome(_twsuite.evaluate(line))


def _outcome(outcome):
    status, value, error, malformed = outcome
    if status == _twsuite.SUCCESS:
        return value
    if status == _twsuite.AUTOMATION_ERROR:
        raise AutomationError(
            value["error"]["number"], value["error"]["description"], value.get("messages"))
    if status == _twsuite.USAGE_ERROR:
        raise (TypeError if malformed else ValueError)(error)
    if status == _twsuite.INPUT_REFUSED:
        raise InputRefused(value.get("messages"))
    raise OSError(error)


def _signature(command):
    parameters = []
    for positional in command["positionals"]:
        default = inspect.Parameter.empty if positional["required"] else None
        parameters.append(inspect.Parameter(
            positional["keyword"], inspect.Parameter.POSITIONAL_OR_KEYWORD, default=default))
    for option in command["options"]:
        parameters.append(inspect.Parameter(
            option["keyword"], inspect.Parameter.KEYWORD_ONLY,
            default=False if option["flag"] else None))
    return inspect.Signature(parameters)


def _argument_doc(argument):
    kind = "flag" if argument["flag"] else (
        "list or dict of key=value" if argument["repeatable"] else "")
    return f"    {argument['keyword']}: {argument['help']}" + (f" ({kind})" if kind else "")


def _docstring(command, returns):
    lines = [command["help"], ""]
    if command["positionals"] or command["options"]:
        lines.append("Arguments:")
        lines += [_argument_doc(a) for a in command["positionals"] + command["options"]]
        lines.append("")
    lines.append(f"Returns {returns}.")
    return "\n".join(lines)


def _make_function(command):
    name = "_".join(command["path"]).replace("-", "_")
    twcalc_line = "twcalc " + " ".join(command["path"]) + " --json"
    # The arguments go straight to the command's options; a call in a shape the prepared
    # command does not take (None) is read as the command line, which words what is wrong.
    prepared = _twsuite.PreparedCall(command["path"])

    def failed(outcome, args, kwargs):
        if outcome is None:
            outcome = _twsuite.evaluate(_command_line(command, args, kwargs))
        return _outcome(outcome)

    # Called straight from C through Python's vector call; `failed` when the prepared command
    # does not take the call or the call fails.
    if name == "convert":
        function = _twsuite.function(
            prepared, lambda outcome, args, kwargs: failed(outcome, args, kwargs)["value"],
            "value")
        returns = "the converted number"
    else:
        function = _twsuite.function(prepared, failed)
        returns = f"the object that `{twcalc_line}` prints, as dicts and lists"
    function.__name__ = function.__qualname__ = name
    function.__module__ = __name__
    function.__signature__ = _signature(command)
    function.__doc__ = _docstring(command, returns)
    return function


COMMANDS = _twsuite.commands()
for _command in COMMANDS:
    _function = _make_function(_command)
    globals()[_function.__name__] = _function
    __all__.append(_function.__name__)
del _command, _function

CELL_OPTIONS = tuple(_twsuite.CELL_OPTIONS)
SETTING_OPTIONS = tuple(_twsuite.SETTING_OPTIONS)
RESULT_COLUMNS = tuple(_twsuite.RESULT_COLUMNS)


def fluegas_batch(**options):
    """Calculates many flue gas cases at once, as fluegas() would one by one.

    n2, ar, o2, co2, co, so2, h2o, t, tref: numpy arrays or sequences of numbers, one element
    per case, or a single number for every case; one left out is an empty cell. basis,
    formula, so3, utp, uenth, upr, lang: as for fluegas(), the same for every case. jobs: the
    number of threads to calculate on, as twcalc fluegas --jobs (default: one per core).

    Returns a dict of numpy arrays total, mole_weight, enthalpy, so3_rate, okkes_dew_point,
    verhoff_dew_point, water_dew_point (the numbers the table shows, NaN where it shows "N/A"
    or nothing) and "messages", a list per case of what the library showed (a value that
    fluegas() would refuse shows as a message with the caption "ValueError"). The cases run
    without the interpreter lock; batches and calls from several Python threads take turns.
    """
    lang = options.pop("lang", None)
    jobs = options.pop("jobs", None)
    cells, settings = split_batch_options("fluegas_batch", options, CELL_OPTIONS,
                                          SETTING_OPTIONS, _text)
    if jobs is not None:
        if isinstance(jobs, bool) or not isinstance(jobs, numbers.Integral):
            raise TypeError(f"jobs: give a whole number of threads, not {type(jobs).__name__}")
        if not 1 <= int(jobs) <= 256:
            raise ValueError(f"--jobs {int(jobs)}: give 1 to 256 threads")
    for name, value in cells.items():
        kind = getattr(getattr(value, "dtype", None), "kind", None)
        if kind is None and not isinstance(value, (numbers.Number, str, bytes)):
            kind = getattr(_numpy().asarray(value).dtype, "kind", "")
        if isinstance(value, (bool, complex)) or kind in ("b", "c"):
            raise TypeError(f"{name}: give real numbers, not "
                            f"{'truth values' if kind == 'b' or isinstance(value, bool) else 'complex numbers'}")
    return _twsuite.fluegas_batch(cells, settings, "en" if lang is None else _text("lang", lang),
                                  None if jobs is None else int(jobs))


def _numpy():
    import numpy  # pylint: disable=import-outside-toplevel
    return numpy


fluegas_batch.__signature__ = inspect.Signature(
    [inspect.Parameter(name, inspect.Parameter.KEYWORD_ONLY, default=None)
     for name in CELL_OPTIONS + SETTING_OPTIONS + ("lang", "jobs")])


def _line_accepting_documents(from_file):
    """line(path or dict): a dict is the line file's document, written to a temporary file
    for the command that reads it."""
    import functools
    import json
    import tempfile

    @functools.wraps(from_file)
    def line(*args, **kwargs):
        document = kwargs.get("file", args[0] if args else None)
        if not isinstance(document, dict):
            return from_file(*args, **kwargs)
        with tempfile.TemporaryDirectory(prefix="twsuite-line-") as folder:
            path = os.path.join(folder, "line.twline")
            with open(path, "w", encoding="utf-8") as out:
                json.dump(document, out, allow_nan=False)
            if args:
                return from_file(path, *args[1:], **kwargs)
            return from_file(**dict(kwargs, file=path))

    line.__doc__ = (from_file.__doc__ or "") + (
        "\n\nfile may also be a dict: the document of a line file.")
    return line


if "line" in globals():
    line = _line_accepting_documents(globals()["line"])


from ._gas_properties import (  # noqa: E402  (after the command table)
    GAS_PROPERTIES_NUMBERS, GAS_PROPERTIES_SETTINGS, gas_properties_batch)
