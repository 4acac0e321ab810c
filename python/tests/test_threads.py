"""Analyses in threads: the engine runs with the interpreter lock released, and runs side by side
give the results they give one at a time."""

import faulthandler
import os
import tempfile
import threading
import unittest
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

import vorta

from support import STOPPING_EXAMPLE, completed_example_names, example_files, result_key


def run_example(name, folder, tag):
    """One run of an example with its own output files; the result and the plot-data text."""
    inp, cpt = example_files(name)
    plot = Path(folder) / f"{name}-{tag}.plt"
    r = vorta.run(inp, cpt, report=Path(folder) / f"{name}-{tag}.out", plot=plot)
    return r, plot.read_text()


class Threads(unittest.TestCase):
    def test_thread_pool_gives_the_single_threaded_results(self):
        names = completed_example_names() + [STOPPING_EXAMPLE]
        with tempfile.TemporaryDirectory(prefix="vorta-test-") as folder:
            alone = {n: run_example(n, folder, "alone") for n in names}
            jobs = [(n, repeat) for repeat in range(3) for n in names]
            with ThreadPoolExecutor(max_workers=4) as pool:
                futures = [(n, pool.submit(run_example, n, folder, f"thread{repeat}")) for n, repeat in jobs]
                together = [(n, f.result()) for n, f in futures]
        self.assertEqual(len(together), 3 * len(names))
        for name, (r, plot) in together:
            with self.subTest(example=name):
                expected, expected_plot = alone[name]
                self.assertEqual(result_key(r), result_key(expected))
                self.assertEqual(plot, expected_plot)
        self.assertEqual(alone[STOPPING_EXAMPLE][0].status, vorta.STOPPED_ON_INPUT)

    def test_other_threads_run_python_while_the_engine_runs(self):
        # The engine reads its input from a named pipe that only this thread writes, after the run
        # has started in another thread: with the lock held by the waiting engine, this thread could
        # never write and the run would never end. Should that happen, faulthandler ends the test
        # process after a minute with every thread's stack instead of letting it hang.
        inp, _ = example_files("closed-pipe-si")
        with tempfile.TemporaryDirectory(prefix="vorta-test-") as folder:
            pipe = os.path.join(folder, "input.dat")
            os.mkfifo(pipe)
            expected = vorta.run(inp)
            finished = {}
            worker = threading.Thread(target=lambda: finished.update(result=vorta.run(pipe)), daemon=True)
            faulthandler.dump_traceback_later(60, exit=True)
            try:
                worker.start()
                with open(pipe, "w") as writer:  # waits for the engine to open the pipe
                    writer.write(inp.read_text())
                worker.join(60)
            finally:
                faulthandler.cancel_dump_traceback_later()
        self.assertFalse(worker.is_alive())
        self.assertEqual(result_key(finished["result"]), result_key(expected))


if __name__ == "__main__":
    unittest.main()
