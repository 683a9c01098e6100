"""Other Python threads run while the module computes, Ctrl-C stops it, and
its functions and results travel to worker processes, as a cluster's
scheduler sends them."""

import multiprocessing
import pickle
import signal
import subprocess
import sys
import threading
import time
from concurrent.futures import ProcessPoolExecutor

import numpy as np
import pytest

import fclimits


def test_python_threads_run_during_a_long_call():
    ticks = []  # one per millisecond the main thread gets to run
    during = {}

    def long_call():
        during["start"] = len(ticks)
        # About a second on one thread: backgrounds near 700 stay slow.
        fclimits.limits(0, np.linspace(600.0, 700.0, 21), 0.9, threads=1)
        during["end"] = len(ticks)

    worker = threading.Thread(target=long_call)
    worker.start()
    while worker.is_alive():
        time.sleep(0.001)
        ticks.append(None)
    worker.join()
    # With the GIL held the main thread would wake from at most one sleep.
    assert during["end"] - during["start"] >= 20


def test_functions_and_results_pickle_and_run_in_worker_processes():
    counts = np.arange(12)
    chunks = np.array_split(counts, 3)
    # Spawned workers import the module afresh, as a cluster's workers do.
    context = multiprocessing.get_context("spawn")
    with ProcessPoolExecutor(max_workers=2, mp_context=context) as pool:
        found = list(pool.map(fclimits.limits, chunks, [3.0] * 3, [0.9] * 3))
        region = pool.submit(fclimits.acceptance_region, 2.0, 3.0).result()
    np.testing.assert_array_equal(np.concatenate(found, axis=1), fclimits.limits(counts, 3.0))
    assert region == fclimits.acceptance_region(2.0, 3.0)
    assert pickle.loads(pickle.dumps(fclimits.coverage)) is fclimits.coverage


@pytest.mark.parametrize("call", [
    "fclimits.limits(np.zeros(2000, int), 700.0, 0.9, threads=1)",  # many requests
    "fclimits.limits(20, 200.0, 0.95, method='console', tolerance=1e-7)",  # a minute
    "fclimits.coverage(np.linspace(5e4, 1e5, 30), 3.0, 0.9)",  # one library call, a minute
    # Uncertain, both parameters: limits one by one, and coverage's own threads.
    "fclimits.limits(np.arange(40), 2.0, 0.9, b_sigma=0.5, eff_sigma=0.3)",
    "fclimits.coverage(np.linspace(0.0, 40.0, 9), 2.0, 0.9, b_sigma=0.5, eff_sigma=0.3)",
])
def test_ctrl_c_stops_a_long_call(call):
    script = f"import numpy as np, fclimits; print('started', flush=True); {call}"
    process = subprocess.Popen([sys.executable, "-c", script], stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, text=True)
    try:
        assert process.stdout.readline() == "started\n"
        time.sleep(0.3)
        process.send_signal(signal.SIGINT)
        _, errors = process.communicate(timeout=20)
    finally:
        process.kill()
    assert "KeyboardInterrupt" in errors
