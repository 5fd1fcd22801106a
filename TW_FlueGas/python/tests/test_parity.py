"""Every function gives what the twcalc command prints with --json, value for value."""

import math

import pytest

import twsuite

# (function, positional arguments, keyword arguments): a sample of cases of every command.
CASES = [
    ("convert", ("TP", "oC", "oF", 100), {}),
    ("convert", ("PR", "kg/cm2 a", 6, 1.0332), {}),
    ("convert", ("TP", -1, 1, -7.5), {}),
    ("units", (), {}),
    ("units", ("ENTH",), {}),
    ("fluegas", (), dict(n2=76, ar=0.9, o2=4, co2=12, co=0, so2=0.1, h2o=7, t=300, tref=25)),
    ("fluegas", (), dict(n2="76", ar="0.9", o2="4", co2="12", co="0", so2="0.1", h2o="7",
                         t=572, tref=77, utp="oF", uenth=1, upr="bar a", so3=2, formula=1,
                         basis="wt", lang="ko")),
    ("fluegas", (), dict(n2=50, h2o=0.5, t=1e16, tref=25, formula=2)),
    ("fluegas", (), dict(so3="user")),
    ("steam_sat", (), dict(tp=100)),
    ("steam_sat", (), dict(pr=10, upr=2, utp=1, uenth=1, lang="ko")),
    ("steam_sat", (), dict(code=3, value=1)),
    ("steam_state", (), dict(pr=10, tp=300)),
    ("steam_state", (), dict(code1=4, value1=700, code2=1, value2=10)),
    ("steam_visco", (), dict(pr=10, tp=300, x=2, uvisco=1)),
    ("pipe", ("f",), dict(PipeID=100, AbsRoughness=0.05, ReynoldNo=3000)),
    ("pipe", ("FtgK",), dict(FtgNo="Cone_type_Strainer", Para1=10, Para2=100, fT=0.017,
                             PipeID=100)),
    ("pipe", ("VelPipe",), dict(MFlow=1, PipeID=0, SVOL=1, lang="ko")),
    ("pipe", ("OrificeGasdP",), dict(MFlow=1000, PRin=10, PipeID=100, SVOLin=0.085, Beta=0.5,
                                     Isentropic_exponent_k=1.4, upr="psi a")),
    ("dpcalc", (), {"pipe": True, "set": {"i_MFlow": 36000, "i_PipeID": 100,
                                          "i_AbsRough": 0.0457, "i_SVOLin": 0.001,
                                          "i_Viscoin": 1, "i_OutUp": 10}}),
    ("dpcalc", (), {"fittings": True, "set": ["i_FtgNo=Increaser", "i_MFlow=36000",
                                              "i_PipeID=50", "i_PipeID_DownStream=100",
                                              "i_FtgPara1=10", "i_SVOLin=0.001", "i_FtgQty=2"]}),
    ("dpcalc", (), dict(name=47)),
    ("combustion", (), dict(fuel_gas="CH4=91,C2H6=4.5,C3H8=1.5,C4H10=0.5,N2=1.5,CO2=1",
                            o2_dry=3, rh=60, air_temperature=20)),
    ("combustion", (), dict(fuel_mass="C=65.4,H=4.2,O=7.8,N=1.3,S=0.8,H2O=10.5,Ash=10",
                            excess_air=20, calculate=True, t=300, tref=25, lang="ko")),
    ("efficiency", (), dict(fuel_gas="CH4=100", o2_dry=3, humidity=0, air_temperature=20,
                            stack_temperature=180, analyser="gas", fuel_flow_nm3=100,
                            sweep=["stack-temperature", "100:300:50"])),
    ("efficiency", (), dict(fuel_mass="C=65.4,H=4.2,O=7.8,N=1.3,S=0.8,H2O=10.5,Ash=10",
                            excess_air=20, stack_temperature=150, carbon_in_refuse=5,
                            radiation_loss=0.8, fuel_flow=10000, sweep=["o2-dry", "2:8:0.5"],
                            lang="ko")),
    ("gas_properties", (), dict(n2=74, o2=4, co2=13.5, so2=0.1, h2o=7.5, ar=0.9, t=150,
                                p=1.5, upr="bar g", uvisco="Pa-s", sweep=["t", "100:300:50"])),
]


def typed(value):
    # As a user types it: no '+' in an exponent, which a table cell would refuse.
    return repr(value).replace("e+", "e") if isinstance(value, float) else str(value)


def command_line(function, args, kwargs):
    """The twcalc command line a user would type for the call."""
    command = next(c for c in twsuite.COMMANDS
                   if "_".join(c["path"]).replace("-", "_") == function)
    line = list(command["path"])
    names = {o["keyword"]: o for o in command["options"]}
    for keyword, value in kwargs.items():
        option = names[keyword]
        if option["flag"]:
            line.append(option["name"])
            continue
        items = value.items() if isinstance(value, dict) else None
        values = [f"{k}={v}" for k, v in items] if items else (
            value if isinstance(value, list) else [value])
        for item in values:
            line += [option["name"], typed(item)]
    return line + ["--json", "--"] + [typed(a) for a in args]


def same(module_value, printed):
    """Equal as JSON prints them: numbers equal as read back, non-finite as null."""
    if isinstance(module_value, dict):
        return (isinstance(printed, dict) and list(module_value) == list(printed)
                and all(same(module_value[k], printed[k]) for k in module_value))
    if isinstance(module_value, list):
        return (isinstance(printed, list) and len(module_value) == len(printed)
                and all(same(a, b) for a, b in zip(module_value, printed)))
    if isinstance(module_value, float):
        return isinstance(printed, (int, float)) and module_value == printed
    return module_value == printed and type(module_value) is type(printed)


def call(function, args, kwargs):
    try:
        return getattr(twsuite, function)(*args, **kwargs)
    except Exception as error:  # the comparison looks at what was raised
        return error


@pytest.mark.parametrize("function,args,kwargs", CASES,
                         ids=[f"{c[0]}-{i}" for i, c in enumerate(CASES)])
def test_a_call_gives_what_twcalc_prints(twcalc, function, args, kwargs):
    printed = twcalc(*command_line(function, args, kwargs))
    assert printed.status == 0, printed.err
    result = call(function, args, kwargs)
    expected = printed.json()["value"] if function == "convert" else printed.json()
    assert same(result, expected), (result, expected)


def test_every_command_is_a_function_and_has_cases(twcalc):
    functions = {"_".join(c["path"]).replace("-", "_") for c in twsuite.COMMANDS}
    assert {"convert", "units", "fluegas", "steam_sat", "steam_state", "steam_visco", "pipe",
            "dpcalc"} <= functions
    assert all(callable(getattr(twsuite, f)) for f in functions)
    # A command without cases above is still compared with no arguments at all.
    for function in functions - {c[0] for c in CASES}:
        printed = twcalc(*command_line(function, (), {}))
        result = call(function, (), {})
        if printed.status == 0:
            assert same(result, printed.json())
        else:
            assert str(result) == printed.error_text() or printed.status == 1


@pytest.mark.parametrize("function,args,kwargs,status", [
    ("convert", ("Mass", 0, 2, 3e38), {}, 1),
    ("pipe", ("fT",), dict(PipeID=100, AbsRoughness=-1), 1),
    ("dpcalc", (), dict(name=48), 1),
    ("steam_sat", (), dict(tp=100, upr=99), 1),
    ("convert", ("TP", "oC", "oF", "nan"), {}, 2),
    ("convert", ("TP", "degC", "oF", 1), {}, 2),
    ("fluegas", (), dict(n2="7a"), 2),
    ("fluegas", (), dict(utp=4), 2),
    ("steam_sat", (), dict(pr=1, tp=100), 2),
    ("pipe", ("f",), dict(PipeID=100), 2),
    ("pipe", ("Nope",), {}, 2),
    ("dpcalc", (), {"pipe": True, "set": {"i_Bogus": 1}}, 2),
])
def test_a_refused_call_says_what_twcalc_says(twcalc, function, args, kwargs, status):
    printed = twcalc(*command_line(function, args, kwargs))
    assert printed.status == status
    error = call(function, args, kwargs)
    if status == 1:
        assert isinstance(error, twsuite.AutomationError) and isinstance(error, Exception)
        assert printed.json()["error"] == {"number": error.number,
                                           "description": error.description}
        assert str(error) == f"Error #{error.number}: {error.description}"
    else:
        assert isinstance(error, (ValueError, TypeError))
        assert str(error) == printed.error_text()


def test_numbers_reach_the_library_as_the_command_line_reads_them():
    # A Python float takes its shortest text, which names the same single-precision number.
    assert twsuite.convert("TP", 0, 0, 0.1) == pytest.approx(0.1, rel=1e-7)
    assert twsuite.convert("TP", 0, 0, 0.1) == twsuite.convert("TP", 0, 0, "0.1")
    assert twsuite.convert("Len", 0, 0, 1e-45) > 0  # the smallest subnormal single
    numpy = pytest.importorskip("numpy")
    assert twsuite.convert("TP", 0, 1, numpy.float32(100)) == 212
    assert twsuite.convert("TP", numpy.int64(0), numpy.int32(1), 100) == 212
    assert math.isclose(twsuite.steam_sat(tp=numpy.float64(100))["TSAT"], 100)
