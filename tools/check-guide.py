#!/usr/bin/env python3
"""Runs the command-line examples of the user's guide on the simulated bench and compares what
the program prints with what the guide shows.

    tools/check-guide.py BUILT_PROGRAM [GUIDE]

The program and the chip files beside it (INCLUDE) are copied into a scratch program folder;
every example runs there. Which blocks are examples:

- A fenced block whose first line starts with "$ " is a session: each "$ " line is a command
  (run by bash in the program folder; "./build/bin/" names the copy's folder, "/tmp/" a scratch
  folder) and the lines up to the next "$ " are what it prints, standard output and standard
  error together, compared line by line. A line "…" stands for any number of lines; when the
  block ends with "…" the command is stopped once every line before it has come. The folder
  path the program prints shows as "/path/to", and times of day (12:34:56.789) are not compared.
  A command must exit with status 2 when its lines hold the usage hint "Try 'qn740xtest --help'.",
  with status 1 when they hold a message "qn740xtest: …", else with 0 (a stopped command is not
  judged); one with no lines that does not run the program is only run.
- A fenced block whose lines all start with "qn740xtest --" is a synopsis: every option it names
  must be in the "--help" of its form.

An HTML comment "<!-- guide-check: setup NAME -->" before a session prepares the program folder
(see SETUPS). Each session starts from a fresh copy. The figures of the simulated bench are
seeded, so they repeat exactly. On a mismatch the whole output is printed, ready to paste.
Exit status: 0 when every example matched, 1 otherwise.
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile

PROGRAM = "qn740xtest"
ELLIPSIS = "…"
TIMEOUT_S = 120
TIME_OF_DAY = re.compile(r"\b\d\d:\d\d:\d\d\.\d\d\d\b")
SHORT_PLAN = """[run]
TempCount=2
Start=25
Increment=0
SoakMinutes=0
StepRows=2
SupplyDelay=100
[registers]
Address,02,04,Delay,ACM
1,14,01,0,2.4
2,14,02,0,2.4
[calibrator]
1,1,"OUT 100 mV ,0 Hz "
[supply]
1,1,VOLT 3.3
"""


def setup_plan(folder):
    """plan.txt: two rows at 25 °C of two steps each, no delay, no soak; each step switches the
    ADC and its interrupt on (02H = 14H) as a capture needs."""
    with open(os.path.join(folder, "plan.txt"), "w") as file:
        file.write(SHORT_PLAN)


def setup_rebuild_conflict(folder):
    """A run of one row of two steps, then a result in QnTEMPA.CSV that its journal lacks: the
    average of row 1 step 2 (the file's fourth line) changed."""
    with open(os.path.join(folder, "plan.txt"), "w") as file:
        file.write(SHORT_PLAN.replace("TempCount=2", "TempCount=1"))
    done = subprocess.run([os.path.join(folder, PROGRAM), "--temperature-run", "plan.txt",
                           "--simulate"], cwd=folder, capture_output=True, text=True,
                          timeout=TIMEOUT_S, env=environment())
    if done.returncode != 0:
        raise RuntimeError("the run failed: " + done.stdout + done.stderr)
    path = os.path.join(folder, "QnTEMPA.CSV")
    with open(path, "rb") as file:
        lines = file.read().split(b"\r\n")
    cells = lines[3].split(b",")
    cells[3] = b" 9.99"
    lines[3] = b",".join(cells)
    with open(path, "wb") as file:
        file.write(b"\r\n".join(lines))


def setup_figures_vary(folder):
    """Nothing to prepare: the session's figures (numbers with decimals) are compared by place
    only. A capture above what the simulated bridge carries, or on a busy machine, loses records
    as a real board does, so its figures differ a little from run to run."""
    del folder


SETUPS = {"plan": setup_plan, "rebuild-conflict": setup_rebuild_conflict,
          "figures-vary": setup_figures_vary}
DECIMAL = re.compile(r"-?\d+\.\d+")


def environment():
    """The examples run offscreen, in the C locale, untraced and on the simulated clock (the
    program's QN_SIMULATED_CLOCK), so a temperature run's waits take no real time."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", LC_ALL="C.UTF-8",
               QN_SIMULATED_CLOCK="1")
    env.pop("QN_BUS_TRACE", None)
    return env


def blocks(guide_text):
    """(line number, setup name or None, lines) of every fenced block."""
    lines = guide_text.split("\n")
    found, setup, i = [], None, 0
    while i < len(lines):
        marker = re.match(r"<!-- guide-check: setup (\S+) -->", lines[i].strip())
        if marker:
            setup = marker.group(1)
        elif lines[i].startswith("```"):
            end = i + 1
            while end < len(lines) and not lines[end].startswith("```"):
                end += 1
            found.append((i + 1, setup, lines[i + 1:end]))
            setup, i = None, end
        elif lines[i].strip():
            setup = None
        i += 1
    return found


def sessions(block):
    """(command, expected lines) of each "$ " line of a session block."""
    result = []
    for line in block:
        if line.startswith("$ "):
            result.append((line[2:], []))
        elif result:
            result[-1][1].append(line)
    return result


def same_line(expected, actual, loose):
    """Equal, but for the times of day (bus trace lines), which differ at every run, and with
    `loose` for the figures."""
    expected, actual = TIME_OF_DAY.sub("T", expected), TIME_OF_DAY.sub("T", actual)
    if loose:
        expected, actual = DECIMAL.sub("N", expected), DECIMAL.sub("N", actual)
    return expected == actual


def matches(expected, actual, complete, loose=False):
    """Whether `actual` is what `expected` shows; "…" takes any lines. With `complete` false
    the output may still be going on: true once every line has come."""
    def at(e, a):
        if e == len(expected):
            return a == len(actual) or not complete
        if expected[e] == ELLIPSIS:
            return any(at(e + 1, k) for k in range(a, len(actual) + 1))
        return (a < len(actual) and same_line(expected[e], actual[a], loose) and
                at(e + 1, a + 1))
    return at(0, 0)


def run_command(command, expected, folder, scratch):
    """Runs one command; returns (output lines, exit status or None when stopped)."""
    command = command.replace("/tmp/", scratch + "/").replace("./build/bin/", folder + "/")
    stop_early = bool(expected) and expected[-1] == ELLIPSIS
    process = subprocess.Popen(["bash", "-c", command], cwd=folder, stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, text=True, env=environment(),
                               start_new_session=True)
    lines = []
    for line in process.stdout:
        lines.append(line.rstrip("\n").replace(folder, "/path/to"))
        if stop_early and matches(expected[:-1], lines, complete=False):
            os.killpg(process.pid, signal.SIGTERM)
            process.wait()
            return lines, None
    return lines, process.wait(timeout=TIMEOUT_S)


def fresh_folder(scratch, program):
    folder = tempfile.mkdtemp(dir=scratch, prefix="program-")
    shutil.copy(program, os.path.join(folder, PROGRAM))
    shutil.copytree(os.path.join(os.path.dirname(program), "INCLUDE"),
                    os.path.join(folder, "INCLUDE"))
    return folder


def check_session(number, setup, block, program, scratch):
    folder = fresh_folder(scratch, program)
    try:
        if setup:
            SETUPS[setup](folder)
    except (KeyError, RuntimeError, subprocess.TimeoutExpired) as problem:
        print(f"FAIL line {number}: setup {setup}: {problem!r}")
        return False
    ok = True
    for command, expected in sessions(block):
        lines, status = run_command(command, expected, folder, scratch)
        if PROGRAM not in command and not expected:
            continue
        wanted = 1 if any(e.startswith(PROGRAM + ": ") for e in expected) else 0
        if f"Try '{PROGRAM} --help'." in expected:
            wanted = 2
        good = matches(expected, lines, complete=status is not None,
                       loose=setup == "figures-vary")
        if status is not None and status != wanted:
            good = False
        print(f"{'ok  ' if good else 'FAIL'} line {number}: $ {command}")
        if not good:
            ok = False
            print(f"  exit status {status} (wanted {wanted}); it printed:")
            print("\n".join("    " + line for line in lines))
    return ok


def check_synopsis(number, block, program, scratch):
    folder = fresh_folder(scratch, program)
    ok = True
    for line in block:
        form = line.split()[1]
        args = ["--help"] if form == "--capture" else [form, "--help"]
        help_text = subprocess.run([os.path.join(folder, PROGRAM)] + args, capture_output=True,
                                   text=True, timeout=TIMEOUT_S, env=environment()).stdout
        missing = [o for o in re.findall(r"--[a-z-]+", line) if o not in help_text]
        print(f"{'FAIL' if missing else 'ok  '} line {number}: {line}")
        if missing:
            ok = False
            print("  not in its --help: " + ", ".join(missing))
    return ok


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    program = os.path.abspath(sys.argv[1])
    guide = sys.argv[2] if len(sys.argv) == 3 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "docs", "guide.md")
    with open(guide, encoding="utf-8") as file:
        found = blocks(file.read())
    ok, checked = True, 0
    with tempfile.TemporaryDirectory(prefix="qn-guide-") as scratch:
        for number, setup, block in found:
            if block and block[0].startswith("$ "):
                ok = check_session(number, setup, block, program, scratch) and ok
            elif block and all(line.startswith(PROGRAM + " --") for line in block):
                ok = check_synopsis(number, block, program, scratch) and ok
            else:
                continue
            checked += 1
    print(f"{checked} examples checked" + ("" if ok else "; some differ from the guide"))
    return 0 if ok and checked > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
