#!/usr/bin/env python3
"""Counts test cases over the GoogleTest reports and CTest's JUnit reports of one run.

A GoogleTest binary counts its cases; any other CTest test (an end-to-end run) counts as one.
A build or run step that failed outside any test counts as one failure each.
A binary that failed without reporting a failed case (a crash, a sanitizer report at exit)
counts one failure more. Prints "N passed, N failed" and exits 1 when anything failed."""
import glob
import os
import sys
import xml.etree.ElementTree as ET


def gtest_counts(path):
    root = ET.parse(path).getroot()
    tests = int(root.get("tests", 0)) - int(root.get("disabled", 0))
    failed = int(root.get("failures", 0)) + int(root.get("errors", 0))
    return tests - failed, failed


def main(results, broken_steps):
    passed, failed = 0, broken_steps
    for junit in sorted(glob.glob(os.path.join(results, "*-ctest.xml"))):
        kind = os.path.basename(junit)[: -len("-ctest.xml")]
        for case in ET.parse(junit).getroot().iter("testcase"):
            name = case.get("name")
            ctest_failed = case.find("failure") is not None or case.get("status") == "fail"
            report = os.path.join(results, kind, name + ".xml")
            if os.path.exists(report):
                ok, bad = gtest_counts(report)
                if ctest_failed and bad == 0:
                    bad = 1
                passed, failed = passed + ok, failed + bad
            elif ctest_failed:
                failed += 1
            else:
                passed += 1
    print(f"{passed} passed, {failed} failed")
    return 1 if failed or passed == 0 else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 0))
