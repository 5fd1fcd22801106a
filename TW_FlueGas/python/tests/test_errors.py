"""What a call raises, and that the library's messages come back as values, never printed."""

import pytest

import twsuite


@pytest.mark.parametrize("call,kind,text", [
    # The shape of the call: an option the command does not have, one missing, one too many.
    (lambda: twsuite.units(bogus=1), TypeError, "The following argument was not expected"),
    (lambda: twsuite.convert("TP", "oC"), TypeError, "TO_UNIT is required"),
    (lambda: twsuite.steam_sat(), TypeError, "give one of --pr, --tp or --code"),
    (lambda: twsuite.pipe("fT", PipeID=100, AbsRoughness=0, MFlow=3), TypeError,
     "pipe fT takes no --MFlow"),
    (lambda: twsuite.dpcalc(pipe=True, fittings=True), TypeError, "exactly one of"),
    (lambda: twsuite.convert("TP", 0, 1, 2, 3), TypeError, "positional arguments"),
    (lambda: twsuite.convert("TP", 0, 1, 2, value=3), TypeError, "multiple values"),
    # A value: not a number, not finite, not a unit, not in the list.
    (lambda: twsuite.convert("TP", "oC", "oF", float("nan")), ValueError,
     "VALUE 'nan' is not a decimal number"),
    (lambda: twsuite.steam_visco(pr=1, tp=100, x=float("inf")), ValueError,
     "--x 'inf' is not a decimal number"),
    (lambda: twsuite.fluegas(upr="bar"), ValueError, "upr 'bar' is not a PR unit"),
    (lambda: twsuite.units(lang="fr"), ValueError, "--lang"),
    (lambda: twsuite.convert("TP", "oC", "oF", [1]), TypeError, "give a string or a number"),
])
def test_a_call_twcalc_would_refuse_raises_with_its_words(call, kind, text):
    with pytest.raises(kind) as raised:
        call()
    assert text in str(raised.value)


def test_files_that_cannot_be_read_or_written_raise_os_error(tmp_path):
    with pytest.raises(OSError, match="No such file or directory"):
        twsuite.fluegas(csv=tmp_path / "missing.csv")
    cases = tmp_path / "cases.csv"
    cases.write_text("n2,t,tref\n76,300,25\n")
    with pytest.raises(OSError, match="not a regular file"):
        twsuite.fluegas(csv=str(cases), out=str(tmp_path))
    result = twsuite.fluegas(csv=str(cases), out=str(tmp_path / "out.csv"))
    out = str(tmp_path / "out.csv")
    assert result == {"cases": 1, "refused": 0, "out": out,
                      "summary": f"1 cases written to {out}, 0 refused"}
    assert (tmp_path / "out.csv").read_text().startswith("n2,t,tref,total")


def test_messages_come_back_as_values_and_nothing_is_printed(capfd):
    result = twsuite.pipe("VelPipe", MFlow=1, PipeID=0, SVOL=1, lang="ko")
    assert result["messages"] == [{"caption": "TWCommon", "text": "배관 내경이 0 보다 커야 합니다.",
                                   "icon": "critical"}]
    empty = twsuite.fluegas()
    assert empty["messages"][0]["text"] == (
        "Component total be greater than 0%, preferably be 100%.")
    with pytest.raises(twsuite.AutomationError) as raised:
        twsuite.convert("Mass", 0, 2, 3e38)
    assert raised.value.messages == []
    assert capfd.readouterr() == ("", "")


def test_a_refused_single_case_raises_input_refused_with_its_messages():
    with pytest.raises(twsuite.InputRefused) as raised:
        twsuite.combustion(fuel_gas="CH4=90,N2=9", excess_air=10)
    assert isinstance(raised.value, ValueError)
    assert [m["caption"] for m in raised.value.messages] == ["Function FlueGasFromFuel"]
    assert "adds up to 99 %" in str(raised.value)


def test_a_refused_efficiency_raises_input_refused_with_its_messages():
    with pytest.raises(twsuite.InputRefused) as raised:
        twsuite.efficiency(fuel_gas="CH4=100", o2_dry=3, stack_temperature=150,
                           sweep=["o2-dry", "1:5:0"])
    assert [m["caption"] for m in raised.value.messages] == ["Function BoilerEfficiency"]
    assert "STEP greater than 0" in str(raised.value)
