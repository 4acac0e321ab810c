"""Many analyses at once: a thread pool on which the engine runs without the interpreter lock."""

import os
from concurrent.futures import FIRST_COMPLETED, ThreadPoolExecutor, wait

from . import _vorta


def _run_one(item, keep_text):
    """One run whose failure is kept in its result: a run that stops on its input has status 1
    (values out of range too); a value that cannot be stated, a file that cannot be read, anything
    the run raises, is status 2; the messages say why."""
    try:
        if isinstance(item, (str, bytes, os.PathLike)):
            return _vorta.run(os.fsdecode(item))
        return item.run(keep_text=keep_text)
    except Exception as error:  # noqa: BLE001 - every failure becomes the result of its run
        name = type(error).__name__
        text = str(error) if isinstance(error, ValueError) else f"{name}: {error}"
        return _vorta._failed_result(_vorta.FILE_ERROR, text.splitlines() or [name])


def run_many(analyses, jobs=None, progress=None, keep_text=False):
    """Runs a sequence of analyses on a pool of `jobs` threads (None: one per core) and returns
    their results in the order given.

    An element is a vorta.Analysis (run in memory, as Analysis.run(keep_text=keep_text)) or the
    path of a project file or an input data file (run as vorta.run(path), without a sounding for
    an input data file). No run is lost: one that stops has status 1, one that cannot be stated or
    read, or raises, has status 2 and its message in result.messages. `progress`, when given, is
    called as progress(done, total) in the calling thread after each run finishes.
    """
    items = list(analyses)
    total = len(items)
    results = [None] * total
    if total == 0:
        return results
    workers = jobs if jobs is not None else (os.cpu_count() or 1)
    if workers < 1:
        raise ValueError(f"jobs: expected a number of threads of 1 or more, found {jobs!r}")
    # At most a few runs per thread are waiting at a time: a study of millions does not hold
    # millions of pending runs.
    window = 4 * workers
    done = 0
    with ThreadPoolExecutor(max_workers=workers, thread_name_prefix="vorta") as pool:
        pending = {}
        next_index = 0
        while pending or next_index < total:
            while next_index < total and len(pending) < window:
                pending[pool.submit(_run_one, items[next_index], keep_text)] = next_index
                next_index += 1
            finished, _ = wait(pending, return_when=FIRST_COMPLETED)
            for future in finished:
                results[pending.pop(future)] = future.result()
                done += 1
                if progress is not None:
                    progress(done, total)
    return results
