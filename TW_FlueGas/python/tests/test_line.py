"""twsuite.line: a line file or its document, the same object as twcalc line --json."""

import json

import pytest

import twsuite

STEAM_LINE = {
    "format": "twline", "version": 1,
    "units": {"upr": "bar g", "umflow": "Metric ton/hr"},
    "fluid": {"kind": "steam", "pressure": 10, "temperature": 250},
    "mass_flow": 5,
    "segments": [
        {"nps": "6", "schedule": "40", "length": 120, "rise": 8,
         "fittings": [{"kind": "Gate", "para1": 1}, {"kind": 30, "quantity": 4, "para1": 1}]},
        {"nps": "4", "schedule": "40", "length": 60},
    ],
}


def same(a, b):
    """The same object, numbers alike to single precision."""
    if isinstance(a, dict):
        return isinstance(b, dict) and a.keys() == b.keys() and all(same(a[k], b[k]) for k in a)
    if isinstance(a, list):
        return isinstance(b, list) and len(a) == len(b) and all(map(same, a, b))
    if isinstance(a, float) or isinstance(b, float):
        return a == pytest.approx(b, rel=1e-6, abs=1e-12)
    return a == b


def test_a_document_and_its_file_give_what_twcalc_prints(tmp_path, twcalc):
    path = tmp_path / "steam.twline"
    path.write_text(json.dumps(STEAM_LINE), encoding="utf-8")
    from_dict = twsuite.line(STEAM_LINE)
    assert from_dict == twsuite.line(path) == twsuite.line(file=str(path))
    assert same(from_dict, twcalc("line", path, "--json").json())
    segments = from_dict["segments"]
    assert len(segments) == 2
    assert segments[1]["fittings"][0]["automatic"] is True
    assert from_dict["total"]["dP"] == pytest.approx(sum(s["dP"] for s in segments), rel=1e-6)
    assert from_dict["units"]["upr"] == "bar g"


def test_a_refused_line_raises_input_refused_naming_the_segment():
    fast = dict(STEAM_LINE, mass_flow=50)
    with pytest.raises(twsuite.InputRefused) as refused:
        twsuite.line(fast)
    assert refused.value.messages[-1]["segment"] == 1
    assert "sonic velocity" in refused.value.messages[-1]["text"]


def test_a_damaged_document_is_a_value_error_with_its_field():
    with pytest.raises(ValueError, match=r"segments\[0\]\.length: should be a number"):
        twsuite.line(dict(STEAM_LINE, segments=[{"nps": "4", "schedule": "40",
                                                 "length": "far"}]))


def test_sizes_list_the_schedule_table():
    sizes = twsuite.line(sizes=True)["sizes"]
    four = [s for s in sizes if s["nps"] == "4" and s["schedule"] == "40"]
    assert four and four[0]["inside_diameter_mm"] == pytest.approx(102.26)
