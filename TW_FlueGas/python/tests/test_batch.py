"""fluegas_batch: many cases at once, the same numbers as one fluegas() call per case."""

import math
import threading
import time

import numpy as np
import pytest

import twsuite

# The table rows behind the batch columns: the total, then rows 11 to 16.
RESULT_ROWS = dict(zip(twsuite.RESULT_COLUMNS, [8, 11, 12, 13, 14, 15, 16]))
CELLS = ("n2", "ar", "o2", "co2", "co", "so2", "h2o", "t", "tref")


def table_number(text):
    try:
        return float(text)
    except ValueError:
        return math.nan  # "N/A" or nothing


def single_calls(columns, settings):
    """The batch's columns, one fluegas() call per case."""
    cases = len(next(iter(columns.values())))
    expected = {name: [] for name in twsuite.RESULT_COLUMNS}
    expected["messages"] = []
    for case in range(cases):
        options = {name: float(values[case]) for name, values in columns.items()}
        try:
            result = twsuite.fluegas(**options, **settings)
        except ValueError as refused:
            for name in twsuite.RESULT_COLUMNS:
                expected[name].append(math.nan)
            expected["messages"].append(
                [{"caption": "ValueError", "text": str(refused), "icon": "critical"}])
            continue
        for name, row in RESULT_ROWS.items():
            expected[name].append(table_number(result["table"][row][2]))
        expected["messages"].append(result["messages"])
    return expected


def assert_same(batch, expected):
    for name in twsuite.RESULT_COLUMNS:
        assert batch[name].dtype == np.float64
        np.testing.assert_array_equal(batch[name], np.array(expected[name]), err_msg=name)
    assert batch["messages"] == expected["messages"]


def random_cases(rng, count):
    columns = {name: rng.uniform(0, 20, count).round(3) for name in CELLS[:7]}
    columns["n2"] = rng.uniform(60, 80, count).round(2)
    columns["t"] = rng.uniform(-50, 1500, count).round(1)
    columns["tref"] = rng.uniform(0, 40, count).round(1)
    return columns


@pytest.mark.parametrize("settings", [
    {},
    {"formula": 1, "utp": "oF", "uenth": 1, "lang": "ko"},
    {"formula": 2, "basis": "wt", "so3": 2.5, "upr": "psi a"},
    {"so3": "user"},
])
def test_a_batch_gives_the_numbers_and_messages_of_single_calls(settings):
    columns = random_cases(np.random.default_rng(7), 25)
    batch = twsuite.fluegas_batch(**columns, **settings)
    assert_same(batch, single_calls(columns, settings))


def test_the_number_of_threads_changes_nothing_but_the_time():
    columns = random_cases(np.random.default_rng(9), 1000)
    columns["n2"][::7] = np.nan  # refused cases among the others
    one = twsuite.fluegas_batch(**columns, jobs=1)
    for jobs in (2, 3, 16):
        many = twsuite.fluegas_batch(**columns, jobs=jobs)
        for name in twsuite.RESULT_COLUMNS:
            np.testing.assert_array_equal(many[name], one[name])
        assert many["messages"] == one["messages"]


def test_hostile_values_give_messages_per_case_and_never_crash():
    values = np.array([np.nan, np.inf, -np.inf, -5, 0, 1e30, 1e300, -1e-300, 5e-324,
                       3.4028235e38, 76])
    columns = {name: np.full(values.size, 10.0) for name in CELLS}
    columns["t"][:] = 300
    for name in ("n2", "t", "tref"):
        hostile = dict(columns)
        hostile[name] = values
        batch = twsuite.fluegas_batch(**hostile)
        assert_same(batch, single_calls(hostile, {}))
        assert all(batch["messages"][:3]), name  # NaN and the infinities are refused
    # Thousands of random bit patterns as compositions and temperatures.
    rng = np.random.default_rng(11)
    noise = {name: rng.integers(0, 2**64, 2000, dtype=np.uint64).view(np.float64)
             for name in CELLS}
    batch = twsuite.fluegas_batch(**noise)
    assert len(batch["messages"]) == 2000
    # A batch reads its numbers as a single call reads their texts, to the last bit: plant
    # values with every cell in turn a random bit pattern.
    plain = random_cases(np.random.default_rng(13), 300)
    for k, name in enumerate(CELLS):
        plain[name][k::len(CELLS)] = noise[name][:300][k::len(CELLS)]
    assert_same(twsuite.fluegas_batch(**plain), single_calls(plain, {}))


def test_arrays_sequences_and_single_values_mix():
    batch = twsuite.fluegas_batch(n2=[76, 70], ar=0.9, o2=(4, 10), co2=np.array([12, 12.0]),
                                  co=0, so2=np.float32(0.1), h2o=[7, 7.1], t=300, tref=25)
    assert batch["total"].shape == (2,)
    assert batch["okkes_dew_point"][0] == 139.9
    one = twsuite.fluegas_batch(n2=76, t=300)  # single values only: one case
    assert one["total"].shape == (1,)
    none = twsuite.fluegas_batch(n2=np.array([]), t=300)
    assert none["total"].shape == (0,) and none["messages"] == []
    empty_cells = twsuite.fluegas_batch(t=[300, 400])  # the composition left out
    assert all(m[0]["text"].startswith("Component total") for m in empty_cells["messages"])


@pytest.mark.parametrize("call,kind", [
    (lambda: twsuite.fluegas_batch(n2=[1, 2], o2=[1, 2, 3]), ValueError),
    (lambda: twsuite.fluegas_batch(n2=[[1, 2]]), ValueError),
    (lambda: twsuite.fluegas_batch(n2=["a"]), ValueError),
    (lambda: twsuite.fluegas_batch(n2=[1], formula=3), ValueError),
    (lambda: twsuite.fluegas_batch(n2=[1], utp="degC"), ValueError),
    (lambda: twsuite.fluegas_batch(n2=[1], lang="fr"), ValueError),
    (lambda: twsuite.fluegas_batch(n2=[1], nitrogen=[1]), TypeError),
    (lambda: twsuite.fluegas_batch(n2=[1], jobs=0), ValueError),
    (lambda: twsuite.fluegas_batch(n2=[1], jobs=1000), ValueError),
    (lambda: twsuite.fluegas_batch(n2=[1], jobs="2"), TypeError),
])
def test_a_batch_that_cannot_run_raises(call, kind):
    with pytest.raises(kind):
        call()


def test_a_batch_runs_without_the_interpreter_lock():
    # Enough cases for about half a second, whatever a case costs on this machine. The cost
    # is taken from a batch long enough (20 ms or more) that the call's own start-up and the
    # first loading of the tables do not count as cases.
    rng = np.random.default_rng(3)
    count = 200
    while True:
        sample = random_cases(rng, count)
        started = time.perf_counter()
        twsuite.fluegas_batch(**sample)
        spent = time.perf_counter() - started
        if spent >= 0.02 or count >= 500000:
            break
        count *= 4
    columns = random_cases(rng, min(int(0.5 * count / spent) + 1, 2000000))
    finished = []
    worker = threading.Thread(target=lambda: finished.append(twsuite.fluegas_batch(**columns)))
    worker.start()
    started = last = time.perf_counter()
    longest_wait = 0.0
    while worker.is_alive():  # Python code runs on this thread meanwhile
        now = time.perf_counter()
        longest_wait = max(longest_wait, now - last)
        last = now
    elapsed = time.perf_counter() - started
    worker.join()
    assert finished
    assert longest_wait < elapsed / 4, (longest_wait, elapsed)


def test_batches_from_several_threads_take_turns():
    columns = random_cases(np.random.default_rng(5), 200)
    alone = twsuite.fluegas_batch(**columns, formula=1)
    results = [None] * 4

    def run(index):
        results[index] = twsuite.fluegas_batch(**columns, formula=1)

    threads = [threading.Thread(target=run, args=(i,)) for i in range(4)]
    for thread in threads:
        thread.start()
    for _ in range(20):
        twsuite.fluegas(n2=76, t=300, tref=25, formula=2)  # single calls meanwhile
    for thread in threads:
        thread.join()
    for result in results:
        for name in twsuite.RESULT_COLUMNS:
            np.testing.assert_array_equal(result[name], alone[name])
        assert result["messages"] == alone["messages"]
