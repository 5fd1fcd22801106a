"""A call handed straight to its command gives what the same call gives as a command line:
the same objects, the same exceptions in the same words, whatever came before it."""

import math
import pathlib
import threading

import pytest

import twsuite
from twsuite import _twsuite

SEEDS = pathlib.Path(__file__).parents[2] / "twcalc" / "fuzz" / "argv"
FUNCTIONS = {"_".join(c["path"]).replace("-", "_"): c for c in twsuite.COMMANDS}


def as_call(line):
    """(function, args, kwargs) of a twcalc command line, or None when it names no command."""
    for name, command in FUNCTIONS.items():
        path = command["path"]
        if line[:len(path)] != path:
            continue
        options = {o["name"]: o for o in command["options"]}
        args, kwargs, rest = [], {}, line[len(path):]
        while rest:
            word, rest = rest[0], rest[1:]
            name_, _, inline = word.partition("=")
            option = options.get(name_)
            if word == "--json":
                continue
            if option is None:
                if word.startswith("-"):
                    return None
                args.append(word)
            elif option["flag"]:
                kwargs[option["keyword"]] = True
            elif option["repeatable"]:
                values = kwargs.setdefault(option["keyword"], [])
                if inline:
                    values.append(inline)
                while rest and not rest[0].startswith("--"):
                    values.append(rest.pop(0))
            else:
                if not inline and not rest:
                    return None
                kwargs[option["keyword"]] = inline if inline else rest.pop(0)
        return name, tuple(args), kwargs
    return None


def outcome(function):
    try:
        return ("value", function())
    except Exception as error:  # compared below: type and words
        return (type(error).__name__, str(error))


def both(name, args, kwargs):
    command = FUNCTIONS[name]
    fast = outcome(lambda: getattr(twsuite, name)(*args, **kwargs))
    # pylint: disable=protected-access
    slow = outcome(lambda: twsuite._outcome(
        _twsuite.evaluate(twsuite._command_line(command, args, kwargs))))
    if name == "convert" and slow[0] == "value":
        slow = ("value", slow[1]["value"])
    return fast, slow


def same(a, b):
    if isinstance(a, float) and isinstance(b, float):
        return a == b or (math.isnan(a) and math.isnan(b))
    if isinstance(a, dict):
        return isinstance(b, dict) and list(a) == list(b) and all(same(a[k], b[k]) for k in a)
    if isinstance(a, (list, tuple)):
        return type(a) is type(b) and len(a) == len(b) and all(map(same, a, b))
    return a == b and type(a) is type(b)


HOSTILE = [
    ("steam_sat", (), dict(tp="abc")),
    ("steam_sat", (), dict(tp=float("nan"))),
    ("steam_sat", (), dict(tp=1e39)),
    ("steam_sat", (), dict(tp=10**30)),
    ("steam_sat", (), dict(tp=True)),
    ("steam_sat", (), dict(tp="")),
    ("steam_sat", (), dict(tp="-5", lang="fr")),
    ("steam_sat", (), dict(tp=100, pr=1)),
    ("steam_sat", (), dict(code=1)),
    ("steam_sat", (), dict(tp=[1, 2])),
    ("steam_sat", (), dict(tp=100, colour="red")),
    ("steam_visco", (), dict(pr=10, tp=300)),
    ("convert", ("TP", 0, 1), {}),
    ("convert", ("TP", 0, 1, 5, 6), {}),
    ("convert", ("TP", 0, 1, "--5"), {}),
    ("convert", ("TP", 0, 1, 5), dict(key="PR")),
    ("convert", ("TP", 0, 1, 5), dict(key=None)),
    ("convert", ("XX", 0, 1, 5), {}),
    ("convert", (), dict(key="TP", from_unit="oC", to_unit=99, value=5)),
    ("units", (None,), {}),
    ("fluegas", (), dict(n2="7,6", t=300, jobs=2)),
    ("fluegas", (), dict(n2=76, t="300\0")),
    ("fluegas", (), dict(csv="missing.csv")),
    ("fluegas", (), dict(csv="missing.csv", jobs=0)),
    ("dpcalc", (), dict(pipe=True, fittings=True)),
    ("dpcalc", (), dict(pipe="yes")),
    ("dpcalc", (), {"pipe": True, "set": {"i_MFlow": "x"}}),
    ("dpcalc", (), {"pipe": True, "set": {1: 2}}),
    ("pipe", ("f",), dict(PipeID=100)),
    ("pipe", ("nothing",), {}),
    ("pipe", (), {}),
    ("combustion", (), dict(fuel_gas="CH4=100", o2_dry=3, excess_air=20)),
    ("combustion", (), dict(fuel_gas="CH4=-100", o2_dry=3)),
    ("efficiency", (), dict(fuel_gas="CH4=100", o2_dry=3, stack_temperature=1e30)),
    ("efficiency", (), dict(fuel_gas="CH4=100", o2_dry=3, stack_temperature=180,
                            sweep=["stack-temperature"])),
    ("efficiency", (), dict(fuel_gas="CH4=100", o2_dry=3, stack_temperature=180,
                            sweep=["stack-temperature", "100:300:50", "x"])),
]


def seed_calls():
    calls = []
    for seed in sorted(SEEDS.iterdir()):
        call = as_call(seed.read_text(encoding="utf-8").splitlines())
        if call is not None:
            calls.append(pytest.param(*call, id=seed.name))
    return calls


@pytest.mark.parametrize("name,args,kwargs", seed_calls() + [
    pytest.param(*case, id=f"hostile-{i}") for i, case in enumerate(HOSTILE)])
def test_a_call_goes_straight_to_its_command_as_the_command_line_would(
        name, args, kwargs, tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    (tmp_path / "cases.csv").write_text("n2,o2,h2o,t,tref\n76,4,7,300,25\n", encoding="utf-8")
    fast, slow = both(name, args, kwargs)
    assert same(fast, slow), (fast, slow)


def test_what_one_call_gave_its_options_is_gone_at_the_next():
    # Every seed, then every seed again without its options: a value left over from the call
    # before would show as a difference from the command line, which starts afresh each time.
    calls = [p.values for p in seed_calls()] + [(c[0], c[1], {}) for c in HOSTILE]
    for name, args, kwargs in calls + [(n, (), {}) for n, _, _ in calls]:
        fast, slow = both(name, args, kwargs)
        assert same(fast, slow), (name, args, kwargs, fast, slow)


def test_threads_calling_at_once_get_what_one_thread_gets():
    # The calls share what they keep between calls (the Python strings of the texts, the
    # tables of the settings, the JSON nodes): four threads taking turns change nothing.
    calls = [
        lambda i: twsuite.steam_sat(tp=100 + i % 50),
        lambda i: twsuite.fluegas(n2=76, o2=4 + i % 9 / 10, co2=12, h2o=7, t=300 + i % 100,
                                  lang=("en", "ko")[i % 2], formula=str(i % 3)),
        lambda i: twsuite.convert("PR", 0, 1, 10.0 + i),
        lambda i: twsuite.steam_state(pr=10, tp=200 + i % 300),
    ]
    expected = [[call(i) for i in range(120)] for call in calls]
    differences = []

    def work(first):
        for _ in range(5):
            for call, values in zip(calls, expected):
                differences.extend(i for i in range(first, 120, 4) if call(i) != values[i])

    threads = [threading.Thread(target=work, args=(k,)) for k in range(4)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert not differences
