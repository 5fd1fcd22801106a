"""Values the C++ side could not take faithfully are refused in Python's own terms, and Ctrl+C
stops a long call soon, without committing its output file."""

import os
import signal
import threading
import time

import numpy as np
import pytest

import twsuite


@pytest.mark.parametrize("call,kind", [
    (lambda: twsuite.convert("TP", "oC", "oF", "100\x00abc"), ValueError),
    (lambda: twsuite.convert("TP\x00", "oC", "oF", 100), ValueError),
    (lambda: twsuite.fluegas(csv="in\x00.csv"), ValueError),
    (lambda: twsuite.fluegas_batch(n2=[76], utp="oC\x00"), ValueError),
    (lambda: twsuite.combustion(fuel_gas="CH4\x00=100", excess_air=10), ValueError),
    (lambda: twsuite.combustion(fuel_gas="CH4=100", excess_air=10, calculate="no"), TypeError),
    (lambda: twsuite.combustion(fuel_gas="CH4=100", excess_air=10, calculate=1.5), TypeError),
    (lambda: twsuite.fluegas_batch(n2=np.array([76 + 1j]), t=300), TypeError),
    (lambda: twsuite.fluegas_batch(n2=[76 + 0j, 70], t=300), TypeError),
    (lambda: twsuite.fluegas_batch(n2=np.array([True, False]), t=300), TypeError),
    (lambda: twsuite.fluegas_batch(n2=True, t=300), TypeError),
    (lambda: twsuite.fluegas_batch(n2=[76], jobs=2**70), ValueError),
    (lambda: twsuite.fluegas_batch(n2=[76], jobs=True), TypeError),
])
def test_values_that_would_be_cut_or_misread_are_refused(call, kind):
    with pytest.raises(kind) as raised:
        call()
    assert "pybind11" not in str(raised.value) and "incompatible" not in str(raised.value)


def test_a_flag_takes_true_false_and_numpy_truth_values():
    on = twsuite.combustion(fuel_gas="CH4=100", excess_air=10, calculate=np.bool_(True),
                            t=300, tref=25)
    off = twsuite.combustion(fuel_gas="CH4=100", excess_air=10, calculate=False)
    assert "fluegas" in on and "fluegas" not in off


def interrupt_after(seconds):
    """Sends Ctrl+C after `seconds`; the list it returns gets the moment it was sent."""
    sent = []

    def send():
        sent.append(time.perf_counter())
        os.kill(os.getpid(), signal.SIGINT)

    timer = threading.Timer(seconds, send)
    timer.start()
    return sent


def test_ctrl_c_stops_a_batch_within_a_tenth_of_a_second():
    n = 2_000_000  # several seconds of cases on two cores
    sent = interrupt_after(0.3)
    with pytest.raises(KeyboardInterrupt):
        twsuite.fluegas_batch(n2=np.full(n, 76.0), ar=0.9, o2=4, co2=12, co=0, so2=0.1, h2o=7,
                              t=np.linspace(100, 900, n), tref=25)
    # From the signal on: making the 2,000,000 cases ready before it does not count.
    assert sent and time.perf_counter() - sent[0] < 0.1


def test_ctrl_c_during_a_csv_batch_commits_no_file(tmp_path):
    source = tmp_path / "in.csv"
    with open(source, "w", encoding="ascii") as f:
        f.write("n2,ar,o2,co2,co,so2,h2o,t,tref\n")
        f.write("76,0.9,4,12,0,0.1,7,300,25\n" * 1_500_000)  # well past the interrupt
    out = tmp_path / "out.csv"
    out.write_text("the results of before")
    sent = interrupt_after(0.3)
    with pytest.raises(KeyboardInterrupt):
        twsuite.fluegas(csv=source, out=out, jobs=2)
    assert sent and time.perf_counter() - sent[0] < 0.1
    assert out.read_text() == "the results of before"
    assert sorted(p.name for p in tmp_path.iterdir()) == ["in.csv", "out.csv"]


def test_the_messages_of_a_batch_share_one_string_per_text():
    batch = twsuite.fluegas_batch(t=np.linspace(300, 400, 1000))  # composition left out
    texts = {id(m["text"]) for case in batch["messages"] for m in case}
    captions = {id(m["caption"]) for case in batch["messages"] for m in case}
    assert len(texts) == 1 and len(captions) == 1
