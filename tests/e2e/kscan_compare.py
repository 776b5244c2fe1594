#!/usr/bin/env python3
"""Compares kscan's JSON report with the expected document.

usage: kscan_compare.py EXPECTED ACTUAL VALUES_FILE...

Each values file holds NAME=value lines. In the expected document "${NAME}" inside a string
stands for that value; a string that is a sum of numbers and placeholders
("3 + ${PROCESSES}") stands for the number. The parsed documents must be equal; otherwise a
diff of the two is printed and the exit code is 1.
"""
import difflib
import json
import re
import sys

PLACEHOLDER = re.compile(r"\$\{([A-Z_]+)\}")
SUM = re.compile(r"^\s*(?:\d+|\$\{[A-Z_]+\})(?:\s*\+\s*(?:\d+|\$\{[A-Z_]+\}))+\s*$")


def read_values(paths):
    values = {}
    for path in paths:
        with open(path, encoding="utf-8") as lines:
            for line in lines.read().splitlines():
                if line:
                    name, value = line.split("=", 1)
                    values[name] = value
    return values


def substitute(node, values):
    if isinstance(node, dict):
        return {key: substitute(value, values) for key, value in node.items()}
    if isinstance(node, list):
        return [substitute(item, values) for item in node]
    if not isinstance(node, str):
        return node

    def value_of(match):
        name = match.group(1)
        if name not in values:
            sys.exit(f"kscan json run: no value for ${{{name}}} in the expected document")
        return values[name]

    if SUM.match(node):
        text = PLACEHOLDER.sub(value_of, node)
        return sum(int(term) for term in text.split("+"))
    return PLACEHOLDER.sub(value_of, node)


def main():
    expected_path, actual_path, *value_paths = sys.argv[1:]
    with open(expected_path, encoding="utf-8") as expected_file:
        expected = substitute(json.load(expected_file), read_values(value_paths))
    with open(actual_path, encoding="utf-8") as actual_file:
        text = actual_file.read()
    try:
        actual = json.loads(text)
    except ValueError as error:
        print(f"kscan json run: the report is not JSON ({error}):\n{text}")
        return 1
    if actual == expected:
        return 0
    print("kscan json run: the report differs from the expected document (- expected, + kscan):")
    diff = difflib.unified_diff(
        json.dumps(expected, indent=2).splitlines(),
        json.dumps(actual, indent=2).splitlines(),
        "expected", "kscan", lineterm="", n=3)
    print("\n".join(diff))
    return 1


if __name__ == "__main__":
    sys.exit(main())
