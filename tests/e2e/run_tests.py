"""Runs the Win32 tests and the end-to-end scenarios under Wine, on a private
display and prefix, and ends every process it started, also when a test
fails or the run is interrupted.
Usage: run_tests.py [--busy] [--release] [name-filter ...]
  name-filter  runs what any filter names ("platform" is the Win32 tests)
  --busy       keeps every processor busy for the whole run, as other
               programs on a user's machine do (the waits must hold then too)
  --release    runs only the checks of the release in dist/, in a session of
               their own (release_scenarios.py)"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import contextlib  # noqa: E402

from harness import ROOT, WIN64, BusyProcessors, WineSession, end_on_signals  # noqa: E402
import scenarios  # noqa: E402
import paste_scenarios  # noqa: E402
import settings_scenarios  # noqa: E402
import skin_scenarios  # noqa: E402
import http_scenarios  # noqa: E402
import display_scenarios  # noqa: E402
import load_scenarios  # noqa: E402
import hostile_file_scenarios  # noqa: E402
import hostile_server_scenarios  # noqa: E402

ALL = (scenarios.SCENARIOS + paste_scenarios.SCENARIOS + settings_scenarios.SCENARIOS + skin_scenarios.SCENARIOS
       + http_scenarios.SCENARIOS + display_scenarios.SCENARIOS
       + load_scenarios.SCENARIOS + hostile_file_scenarios.SCENARIOS + hostile_server_scenarios.SCENARIOS)


def platform_tests(session):
    code, out = session.run(os.path.join(WIN64, "platform_tests.exe"), timeout=300)
    print(out, end="")
    if code != 0:
        raise scenarios.Failure("the Win32 platform tests failed")


def main():
    end_on_signals()
    if "--release" in sys.argv[1:]:
        import release_scenarios
        return release_scenarios.main([a for a in sys.argv[1:] if a != "--release"])
    only = [a for a in sys.argv[1:] if a != "--busy"]
    load = BusyProcessors() if "--busy" in sys.argv[1:] else contextlib.nullcontext()
    chosen = [fn for fn in [platform_tests] + ALL if not only or any(name in fn.__name__ for name in only)]
    results = []
    session = None
    started = time.monotonic()
    try:
        load.__enter__()
        session = WineSession(os.path.join(ROOT, "build", "wine-tests"))
        print("session ready after %.1f s" % (time.monotonic() - started), flush=True)
        results = scenarios.run_each(session, chosen)
    finally:
        if session:
            session.close()
        load.__exit__(None, None, None)
    passed = sum(1 for _, ok, _ in results if ok)
    slowest = sorted(results, key=lambda r: -r[2])[:5]
    print("%d passed, %d failed in %.0f s; longest: %s" % (
        passed, len(results) - passed, time.monotonic() - started,
        ", ".join("%s %.1f s" % (name, t) for name, _, t in slowest)))
    return 1 if passed < len(results) or not results else 0


if __name__ == "__main__":
    sys.exit(main())
