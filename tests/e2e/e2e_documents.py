"""What the end-to-end checks share: NAME=value files, ${NAME} placeholders in the expected
documents, the JSON report and diffs.

In an expected document "${NAME}" inside a string stands for that value; in a JSON document
a string that is a sum of numbers and placeholders ("3 + ${PROCESSES}") stands for the number.
"""
import difflib
import json
import re

PLACEHOLDER = re.compile(r"\$\{([A-Z_]+)\}")
SUM = re.compile(r"^\s*(?:\d+|\$\{[A-Z_]+\})(?:\s*\+\s*(?:\d+|\$\{[A-Z_]+\}))+\s*$")


class MissingValue(Exception):
    """A placeholder that no values file names."""

    def __init__(self, name):
        super().__init__(name)
        self.name = name


def read_values(paths, values=None):
    """The NAME=value lines of the files, added to `values`."""
    values = dict(values or {})
    for path in paths:
        with open(path, encoding="utf-8") as lines:
            for line in lines.read().splitlines():
                if line:
                    name, value = line.split("=", 1)
                    values[name] = value
    return values


def substitute(text, values, kept=()):
    """Puts in each placeholder's value; the names in `kept` stay as they are."""
    def value_of(match):
        name = match.group(1)
        if name in kept:
            return match.group(0)
        if name not in values:
            raise MissingValue(name)
        return values[name]

    return PLACEHOLDER.sub(value_of, text)


def substitute_json(node, values, kept=()):
    if isinstance(node, dict):
        return {key: substitute_json(value, values, kept) for key, value in node.items()}
    if isinstance(node, list):
        return [substitute_json(item, values, kept) for item in node]
    if not isinstance(node, str):
        return node
    text = substitute(node, values, kept)
    if SUM.match(node):
        return sum(int(term) for term in text.split("+"))
    return text


def load_expected_json(path, values, kept=()):
    with open(path, encoding="utf-8") as file:
        return substitute_json(json.load(file), values, kept)


def read_report(path):
    """The parsed JSON report and None, or None and why it is not JSON."""
    with open(path, encoding="utf-8") as file:
        text = file.read()
    try:
        return json.loads(text), None
    except ValueError as error:
        return None, f"the report is not JSON ({error}):\n{text}"


def diff(expected_lines, actual_lines, context):
    """A unified diff, expected against kscan, as one text."""
    return "\n".join(difflib.unified_diff(
        expected_lines, actual_lines, "expected", "kscan", lineterm="", n=context))
