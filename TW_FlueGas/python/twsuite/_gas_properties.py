"""gas_properties_batch: the physical properties of many flue gas states at once."""

import inspect
import numbers

from . import _twsuite
from ._batch import split_batch_options

GAS_PROPERTIES_NUMBERS = tuple(_twsuite.GAS_PROPERTIES_NUMBERS)
GAS_PROPERTIES_SETTINGS = tuple(_twsuite.GAS_PROPERTIES_SETTINGS)


def _setting_text(name, value):
    if isinstance(value, str):
        return value
    if isinstance(value, numbers.Integral) and not isinstance(value, bool):
        return str(int(value))
    raise TypeError(f"{name}: give a unit index or its text, not {type(value).__name__}")


def gas_properties_batch(**options):
    """Calculates the properties of many flue gas states at once, as gas_properties() would
    one by one.

    n2, ar, o2, co2, co, so2, h2o, t, p: numpy arrays or sequences of numbers, one element per
    case, or a single number for every case; a component left out is 0, p left out is
    101.325 kPa a; t is needed. basis, utp, upr, uvisco, uthcond, udensity, uentro, uenth,
    lang: as for gas_properties(), the same for every case.

    Returns a dict of numpy arrays under the keys of gas_properties() (NaN where a case was
    refused), "dew_points" a dict of arrays water, okkes and verhoff (NaN where there is
    none), "units" the unit text of each key, and "messages" a list per case of what the
    library showed (why a case was refused among them).
    """
    lang = options.pop("lang", None)
    values, settings = split_batch_options("gas_properties_batch", options, GAS_PROPERTIES_NUMBERS,
                                           GAS_PROPERTIES_SETTINGS, _setting_text)
    return _twsuite.gas_properties_batch(values, settings,
                                         "en" if lang is None else _setting_text("lang", lang))


gas_properties_batch.__signature__ = inspect.Signature(
    [inspect.Parameter(name, inspect.Parameter.KEYWORD_ONLY, default=None)
     for name in GAS_PROPERTIES_NUMBERS + GAS_PROPERTIES_SETTINGS + ("lang",)])
