#!/usr/bin/env python3
"""The tools' cases: quillo-check and quillo-sim run on scripts.

usage: run_cases.py --bin DIR CASEFILE...                  (cases/*.case)
       run_cases.py --bin DIR --wine SESSION CASEFILE...   (the .exe of DIR under Wine, in the prefix of the
                                                            end-to-end tests' session SESSION)
"""
# The case files are in the one case format of tests/cases/case_reader.h. This layer's steps, all run in
# one scratch folder per case file:
#   file NAME [utf-8|python]   a file, its lines the "|" lines below: code page 932 unless utf-8; with
#                              python they are one Python expression giving its text or bytes (a script
#                              as strings side by side, one function to a line)
#   $ [tty] TOOL ARGS...       runs quillo-check or quillo-sim (tty: stdin and stdout on a terminal) with
#                              "<" lines as its input; ">" and "2>" lines are its output and error output,
#                              "!" its exit status (0 unless given); "=> LINE" after the words is its one
#                              line of output.
# In expected output a line "…" stands for lines left out, a "…" in a line for the part of it left out.
import os
import pty
import re
import shlex
import subprocess
import sys
import tempfile
import termios


def parse(path):
    steps = []
    for number, line in enumerate(open(path, encoding="utf-8").read().split("\n"), 1):
        step = steps[-1] if steps else None
        mark, _, text = line.partition(" ")
        if not line or line.startswith("#") or mark == "==":
            continue
        if mark in ("|", "<", ">", "2>"):
            step[mark].append(text)
        elif mark == "!":
            step["status"] = int(text)
        elif mark == "$":
            words, _, output = text.partition(" => ")
            steps.append({"kind": "run", "words": shlex.split(words), "<": [], ">": [output] if output else [],
                          "2>": [], "status": 0, "line": number})
        else:
            words = line.split()
            steps.append({"kind": words[0], "name": words[1], "args": words[2:], "|": [], "line": number})
    return steps


def matches(shown, printed):
    """The shown lines against the printed ones: a line '…' stands for lines left out, a '…' in a
    line for the part of it left out."""
    if not shown:
        return not printed
    if shown[0] == "…":
        return any(matches(shown[1:], printed[i:]) for i in range(len(printed) + 1))
    pattern = ".*".join(re.escape(part) for part in shown[0].split("…"))
    return bool(printed) and re.fullmatch(pattern, printed[0]) is not None and matches(shown[1:], printed[1:])


def lines(text):
    return text.split("\n")[:-1] if text.endswith("\n") else text.split("\n") if text else []


def file_bytes(step):
    if "python" in step["args"]:
        text = eval("(%s)" % "\n".join(step["|"]))  # test data as an expression: repeats, zero bytes, CR
    else:
        text = "".join(line + "\n" for line in step["|"])
    if isinstance(text, bytes):
        return text
    return text.encode("utf-8" if "utf-8" in step["args"] else "cp932")


def command(bin_dir, wine, words):
    program = os.path.join(bin_dir, words[0] + (".exe" if wine else ""))
    return (["wine", program] if wine else [program]) + words[1:]


def run_on_terminal(words, stdin, cwd):
    """stdin and stdout on a pseudo-terminal that neither echoes nor adds CR; stderr captured."""
    master, slave = pty.openpty()
    attributes = termios.tcgetattr(slave)
    attributes[1] &= ~termios.ONLCR
    attributes[3] &= ~termios.ECHO
    termios.tcsetattr(slave, termios.TCSANOW, attributes)
    os.write(master, stdin + b"\x04")
    result = subprocess.run(words, stdin=slave, stdout=slave, stderr=subprocess.PIPE, cwd=cwd, timeout=120)
    os.close(slave)
    try:
        result.stdout = os.read(master, 65536)  # a few lines: the terminal holds them all
    except OSError:  # EIO: the program printed nothing
        result.stdout = b""
    os.close(master)
    return result


def run_case_file(path, bin_dir, wine):
    failures = []
    with tempfile.TemporaryDirectory() as scratch:
        for step in parse(path):
            if step["kind"] == "file":
                os.makedirs(os.path.dirname(os.path.join(scratch, step["name"])), exist_ok=True)
                with open(os.path.join(scratch, step["name"]), "wb") as f:
                    f.write(file_bytes(step))
                continue
            stdin = "".join(line + "\n" for line in step["<"]).encode("utf-8")
            words = step["words"]
            if words[0] == "tty":
                result = run_on_terminal(command(bin_dir, wine, words[1:]), stdin, scratch)
            else:
                result = subprocess.run(command(bin_dir, wine, words), input=stdin, capture_output=True, cwd=scratch,
                                        timeout=120)
            out, err = (lines(data.decode("utf-8", "replace")) for data in (result.stdout, result.stderr))
            if not matches(step[">"], out) or not matches(step["2>"], err) or result.returncode != step["status"]:
                failures.append("%s:%d: %s\n  expected: %r %r exit %d\n  got:      %r %r exit %d" % (
                    os.path.basename(path), step["line"], " ".join(words), step[">"], step["2>"], step["status"],
                    out, err, result.returncode))
    return failures


def main():
    args = sys.argv[1:]
    bin_dir = os.path.abspath(args[args.index("--bin") + 1])
    wine = "--wine" in args
    if wine:
        # The end-to-end tests' session: a file naming its folder, which holds the prefix.
        pointer = args[args.index("--wine") + 1]
        state = open(pointer).read().strip() if os.path.isfile(pointer) else ""
        if not os.path.isdir(os.path.join(state, "prefix")) or not os.path.exists(os.path.join(bin_dir, "quillo-check.exe")):
            print("skipped: no Wine session in %s or no quillo-check.exe in %s" % (pointer, bin_dir))
            sys.exit(77)
        os.environ.update(WINEPREFIX=os.path.join(state, "prefix"), WINEDEBUG="-all")
    names = [a for a in args if a.endswith(".case")]
    failures = [f for name in names for f in run_case_file(name, bin_dir, wine)]
    for failure in failures:
        print(failure)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
