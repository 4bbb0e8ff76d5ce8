"""Runs the Win32 tests and the end-to-end scenarios under Wine, on a private
display and prefix, and ends every process it started.
Usage: run_tests.py [name-filter ...]  (runs what any filter names; "platform" is the Win32 tests)"""
import os
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import ROOT, WIN64, WineSession  # noqa: E402
import scenarios  # noqa: E402
import paste_scenarios  # noqa: E402
import settings_scenarios  # noqa: E402
import skin_scenarios  # noqa: E402
import http_scenarios  # noqa: E402


def main():
    only = sys.argv[1:]
    passed = failed = 0
    session = WineSession(os.path.join(ROOT, "build", "wine-tests"))
    try:
        if not only or "platform" in only:
            code, out = session.run(os.path.join(WIN64, "platform_tests.exe"), timeout=300)
            print(out, end="")
            ok = code == 0
            passed, failed = passed + ok, failed + (not ok)
            print("%s Win32 platform tests" % ("ok  " if ok else "FAIL"))
        for fn in scenarios.SCENARIOS + paste_scenarios.SCENARIOS + settings_scenarios.SCENARIOS + skin_scenarios.SCENARIOS + http_scenarios.SCENARIOS:
            if only and not any(name in fn.__name__ for name in only):
                continue
            t0 = time.monotonic()
            try:
                fn(session)
                passed += 1
                print("ok   %s (%.1f s)" % (fn.__name__, time.monotonic() - t0), flush=True)
            except Exception as e:  # a scenario's failure must not stop the others
                failed += 1
                print("FAIL %s: %s" % (fn.__name__, e), flush=True)
                if not isinstance(e, scenarios.Failure):
                    traceback.print_exc()
                session.screenshot(os.path.join(ROOT, "build", "fail-%s.png" % fn.__name__))
    finally:
        session.close()
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main())
