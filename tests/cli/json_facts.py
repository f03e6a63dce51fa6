#!/usr/bin/env python3
"""Checks that a --json output is one valid JSON document and that every text and number it
carries also stands in the text output of the same call.  Usage: json_facts.py JSON TEXT"""
import json
import sys


# The yes/no facts, which the text states in words.
FLAGS = {"serverRunning", "settingsProtected"}


def leaves(value, key=None):
    if isinstance(value, dict):
        for name, item in value.items():
            yield from leaves(item, name)
    elif isinstance(value, list):
        for item in value:
            yield from leaves(item, key)
    elif isinstance(value, bool):
        if key not in FLAGS:
            raise ValueError("%s is a truth value, not a text or number" % key)
    elif value is not None:
        yield value


def main():
    with open(sys.argv[1], "rb") as f:
        document = json.loads(f.read().decode("utf-8"))  # strict: the writer must emit valid UTF-8
    with open(sys.argv[2], "rb") as f:
        raw = f.read()
    text = raw.decode("utf-8", errors="surrogateescape")
    latin1 = raw.decode("latin-1")  # bytes that were not UTF-8 are written as Latin-1 characters
    checked = 0
    try:
        facts = list(leaves(document))
    except ValueError as error:
        print(error)
        return 1
    for fact in facts:
        fact = str(fact)
        if fact and fact not in text and fact not in latin1:
            print("missing in the text: %r" % fact)
            return 1
        checked += fact != ""
    if checked == 0:
        print("no facts in the JSON document")
        return 1
    print("%d facts found in the text" % checked)
    return 0


sys.exit(main())
