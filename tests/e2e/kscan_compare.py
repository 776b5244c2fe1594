#!/usr/bin/env python3
"""Compares kscan's JSON report with the expected document.

usage: kscan_compare.py EXPECTED ACTUAL VALUES_FILE...

Each values file holds NAME=value lines. In the expected document "${NAME}" inside a string
stands for that value; a string that is a sum of numbers and placeholders
("3 + ${PROCESSES}") stands for the number. The parsed documents must be equal; otherwise a
diff of the two is printed and the exit code is 1.
"""
import json
import os
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_documents  # noqa: E402


def main():
    expected_path, actual_path, *value_paths = sys.argv[1:]
    try:
        expected = e2e_documents.load_expected_json(
            expected_path, e2e_documents.read_values(value_paths))
    except e2e_documents.MissingValue as missing:
        sys.exit(f"kscan json run: no value for ${{{missing.name}}} in the expected document")
    actual, not_json = e2e_documents.read_report(actual_path)
    if not_json:
        print(f"kscan json run: {not_json}")
        return 1
    if actual == expected:
        return 0
    print("kscan json run: the report differs from the expected document (- expected, + kscan):")
    print(e2e_documents.diff(json.dumps(expected, indent=2).splitlines(),
                             json.dumps(actual, indent=2).splitlines(), 3))
    return 1


if __name__ == "__main__":
    sys.exit(main())
