"""gas_properties and gas_properties_batch: the same figures as twcalc gas-properties."""

import math

import numpy as np
import pytest

import twsuite

FLUE_GAS = dict(n2=74, o2=4, co2=13.5, so2=0.1, h2o=7.5, ar=0.9)
KEYS = ("mole_weight", "density", "cp", "cv", "gamma", "enthalpy", "entropy",
        "speed_of_sound_m_per_s", "viscosity", "kinematic_viscosity_m2_per_s",
        "thermal_conductivity", "thermal_diffusivity_m2_per_s", "prandtl")


def test_command_is_a_function_with_the_twcalc_result(twcalc):
    result = twsuite.gas_properties(**FLUE_GAS, t=150, sweep=["t", "100:300:100"])
    line = ["gas-properties", "--t", "150", "--sweep", "t", "100:300:100", "--json"]
    for name, value in FLUE_GAS.items():
        line += [f"--{name}", str(value)]
    printed = twcalc(*line).json()
    for key in KEYS:
        assert result[key] == pytest.approx(printed[key], rel=1e-8)
    assert result["dew_points"] == printed["dew_points"]
    assert [row["t"] for row in result["sweep"]] == [100, 200, 300]


def test_refused_state_raises_input_refused():
    with pytest.raises(twsuite.InputRefused) as refused:
        twsuite.gas_properties(n2=100, t=-100)
    assert "173.15 K is outside" in refused.value.messages[0]["text"]


def test_batch_gives_the_single_calls_figures():
    t = np.array([25.0, 150.0, 600.0, 1200.0])
    p = np.array([101.325, 50.0, 2000.0, 101.325])
    settings = dict(upr="kPa a", uvisco="Pa-s", uthcond="W/m-K", uentro=1, uenth=1)
    batch = twsuite.gas_properties_batch(**FLUE_GAS, t=t, p=p, **settings)
    assert batch["units"]["viscosity"] == "Pa-s"
    for case in range(len(t)):
        single = twsuite.gas_properties(**FLUE_GAS, t=t[case], p=p[case], **settings)
        for key in KEYS:
            assert batch[key][case] == pytest.approx(single[key], rel=1e-12), key
        for name, value in single["dew_points"].items():
            assert batch["dew_points"][name][case] == pytest.approx(value, rel=1e-12)
        assert batch["messages"][case] == single["messages"]


def test_batch_refused_cases_are_nan_with_their_reasons():
    batch = twsuite.gas_properties_batch(
        n2=np.array([79.0, 79.0, -1.0, math.nan]), o2=21, t=np.array([25.0, 5000.0, 25.0, 25.0]))
    assert not math.isnan(batch["density"][0])
    assert all(math.isnan(batch["density"][case]) for case in (1, 2, 3))
    assert "outside the range" in batch["messages"][1][0]["text"]
    assert "not valid" in batch["messages"][2][0]["text"]
    assert "not valid" in batch["messages"][3][0]["text"]
    # Dry air has no dew points at all.
    assert math.isnan(batch["dew_points"]["water"][0])


@pytest.mark.parametrize("call, error", [
    (dict(n2=[1, 2], o2=[1, 2, 3], t=25), ValueError),
    (dict(n2=[[1, 2]], t=25), ValueError),
    (dict(n2=79), TypeError),
    (dict(n2=79, t=25, tref=25), TypeError),
    (dict(n2=79, t=25, uvisco="poise"), ValueError),
    (dict(n2=79, t=25, basis="mol"), ValueError),
    (dict(n2=79, t=25, lang="de"), ValueError),
])
def test_batch_refuses_unusable_calls(call, error):
    with pytest.raises(error):
        twsuite.gas_properties_batch(**call)
