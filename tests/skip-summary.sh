#!/usr/bin/env bash
# Lists every test that did not run, and why, from the JUnit reports CTest writes
# (ctest --output-junit FILE), and the checks the conformance suites skipped under Wine:
#   tests/skip-summary.sh [--checks CTEST_LOG] LABEL=JUNIT_FILE...
# One line a test: "  LABEL: TEST: REASON". The reason is the test's own "SKIPPED: ..." line
# (tests/skip.sh, tests/display.sh, the install checks), GoogleTest's message for GTEST_SKIP,
# or what CTest says (a fixture that failed, a program that is missing, a disabled test).
# Prints the number of tests not run last; exits 0 (it only reports).
set -u
checks=""
if [ "${1:-}" = "--checks" ]; then
  checks="$2"
  shift 2
fi
python3 - "$checks" "$@" <<'PY'
import re
import sys
import xml.etree.ElementTree as ET

checks_log, reports = sys.argv[1], sys.argv[2:]
count = 0


def reason_of(case):
    out = case.findtext("system-out") or ""
    lines = [l.strip() for l in out.splitlines()]
    for l in lines:
        m = re.match(r"SKIPPED:\s*(.*)", l)
        if m:
            return m.group(1)
    # GoogleTest: "file:line: Skipped" and the message on the lines after it.
    for i, l in enumerate(lines):
        if re.search(r": Skipped$", l):
            message = []
            for m in lines[i + 1:]:
                if not m or m.startswith("["):
                    break
                message.append(m)
            if message:
                return " ".join(message)
    skipped = case.find("skipped")
    said = skipped.get("message") if skipped is not None else ""
    if case.get("status") == "disabled":
        return "disabled"
    first = next((l for l in lines if l), "")
    return ", ".join(x for x in (said, first) if x) or "no reason given"


for report in reports:
    label, _, path = report.partition("=")
    try:
        suite = ET.parse(path).getroot()
    except (OSError, ET.ParseError) as e:
        print("  %s: no test report (%s)" % (label, e))
        count += 1
        continue
    for case in suite.iter("testcase"):
        if case.get("status") in ("notrun", "disabled"):
            print("  %s: %s: %s" % (label, case.get("name"), reason_of(case)))
            count += 1

if checks_log:
    try:
        with open(checks_log, encoding="utf-8", errors="replace") as f:
            for line in f:
                # The conformance framework: "skip CASE (file:line) under Wine: REASON".
                m = re.match(r"^(?:\d+: )?skip (\S+) \(([^)]*)\) under Wine: (.*)$", line.rstrip())
                if m:
                    print("  Windows: check %s (%s) under Wine: %s" % m.groups())
                    count += 1
    except OSError:
        pass

print("%d test%s or check%s did not run" % (count, "" if count == 1 else "s", "" if count == 1 else "s"))
PY
