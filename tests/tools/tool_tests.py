#!/usr/bin/env python3
"""Drives the built quillo-check and quillo-sim through their command lines.

usage: tool_tests.py --bin DIR --examples DIR [--wine] [unittest arguments, e.g. CheckJsonTests]
With --wine, DIR holds the .exe of the MinGW build, run under Wine in a prefix of their own.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

BIN = None
EXAMPLES = None
WINE = False
HERE = os.path.dirname(os.path.abspath(__file__))

# The 19-line worked example of the compiler's documentation.
WORKED = [
    "# start-up function and one key function", "define EXIT 1", "define PRESS 9", "define LDI 38",
    "define NOTICE 41", "func 1 0", 'string 0 "UP"', "LDI 5", "NOTICE 0", "endfunc", "func 6 0x74",
    "ifpc", "PRESS 'X'", "endif", "ifce", "PRESS 'A'", "endif", "EXIT 1", "endfunc",
]
WORKED_IMAGE = "28 00 27 02 55 50 00 00 26 05 29 00 01 00 09 41 01 01 01 00 01 00"

# Opcode names a test script needs, from the instruction set.
OPCODES = {
    "EXIT": 1, "RET": 2, "JMP": 3, "LABEL": 5, "CALLEV": 6, "SETMODS": 8, "PRESS": 9, "KEYDOWN": 11,
    "KEYUP": 12, "EXEC": 13, "WINACT": 14, "ROTATE": 15, "MARK": 17, "LDR0": 32, "LDA": 36, "STA": 37,
    "LDI": 38, "NOTICE": 41, "MODE": 42, "JKEYDOWN": 48, "JKEYUP": 49, "ADDI": 69, "STATUS": 84,
}
PRELUDE = ["define %s %d" % item for item in OPCODES.items()]

# The simulator's test script: start-up counts its runs in r5; event 9 posts two notices; keys
# in mode 1: C gives control-C, I and D are the input-method actions, R posts three commands,
# S leaves shift down and a modifier pending.
SIM_SCRIPT = PRELUDE + [
    "func 1 0", "LDA 5", "ADDI 1", "STA 5", 'string 0 "start %d"', "STA 0", "STATUS 0", "EXIT 7", "endfunc",
    "func 1 9", 'string 1 "first"', "LDI 1", "NOTICE 1", 'string 1 "second"', "LDI 2", "NOTICE 1", "EXIT 3",
    "endfunc",
    "func 2 'C'", "JKEYDOWN 1", "EXIT 1", "LABEL 1", "SETMODS 1", "PRESS 'C'", "EXIT 1", "endfunc",
    "func 2 'I'", "JKEYUP 1", "WINACT 'C'", "LABEL 1", "EXIT 1", "endfunc",
    "func 2 'D'", "JKEYUP 1", "WINACT 'D'", "LABEL 1", "EXIT 1", "endfunc",
    "func 2 'R'", "JKEYUP 1", "ROTATE 2", 'string 3 "prog.exe" "-x"', "EXEC 3", "WINACT 'A'", "LABEL 1",
    "EXIT 1", "endfunc",
    "func 2 'S'", "JKEYUP 1", "KEYDOWN 0x10", "SETMODS 2", "LABEL 1", "EXIT 1", "endfunc",
    "func 2 'M'", "JKEYUP 1", "MODE 2", "LABEL 1", "EXIT 1", "endfunc",
]


def tool(name):
    if WINE:
        return ["wine", os.path.join(BIN, name + ".exe")]
    return [os.path.join(BIN, name)]


def run(name, args, stdin=None, cwd=None):
    result = subprocess.run(tool(name) + args, input=(stdin or "").encode("utf-8"), capture_output=True,
                            cwd=cwd, timeout=60)
    return result.returncode, result.stdout.decode("utf-8"), result.stderr.decode("utf-8")


class TempDirCase(unittest.TestCase):
    def setUp(self):
        self._dir = tempfile.TemporaryDirectory()
        self.dir = self._dir.name

    def tearDown(self):
        self._dir.cleanup()

    def write(self, name, lines, encoding="cp932", end="\r\n"):
        path = os.path.join(self.dir, name)
        data = lines if isinstance(lines, bytes) else (end.join(lines) + (end if lines else "")).encode(encoding)
        with open(path, "wb") as f:
            f.write(data)
        return path


class CheckJsonTests(TempDirCase):
    def check_json(self, lines, args=(), encoding="cp932"):
        path = self.write("s.txt", lines, encoding)
        rc, out, err = run("quillo-check", ["--json"] + list(args) + [path])
        self.assertEqual(out.count("\n"), 1, "one JSON object on one line")
        return rc, json.loads(out), err, path

    def test_worked_example(self):
        rc, result, err, _ = self.check_json(WORKED)
        self.assertEqual(result, {"messages": [], "image": WORKED_IMAGE,
                                  "tables": [{"0": 0}, {"116": 7}, {"116": 7}]})
        self.assertEqual((rc, err), (0, ""))

    def test_compiles(self):
        undefined = list(WORKED)
        undefined[15] = "PRESS NOSUCH"
        rows = [
            # an empty file: the final EXIT 0 only, no table entry
            ([], [], "01 00", [{}, {}, {}], 0),
            # an undefined name on line 16: three messages with its line number, the code so far installed
            (undefined, ["16行:symbolが見つかりません NOSUCH", "16行:if**～endifが閉じていません PRESS NOSUCH",
                         "16行:func と endfunc が一致していません "],
             "28 00 27 02 55 50 00 00 26 05 29 00 01 00 09 00 01 00", [{"0": 0}, {"116": 7}, {"116": 7}], 1),
            # two strings in one block, and an entry that points at offset 0
            (["func 2 0x41", 'string 1 "a" "b"', "endfunc"], [], "28 01 27 02 61 00 62 00 01 00 01 00",
             [{}, {"65": 0}, {}], 0),
            # an instruction outside a function: the whole line as detail, compiling stops there
            (["define LDI 38", "LDI 5", "LDI 6"], ["2行:判定できないコマンドです LDI 5"], "01 00", [{}, {}, {}], 1),
            # a detail in the script's code page arrives as UTF-8
            (["define 記号 1", "func 1 3", "未定義 1", "endfunc"],
             ["3行:symbolが見つかりません 未定義", "3行:func と endfunc が一致していません "], "00 01 01 00",
             [{"3": 0}, {}, {}], 1),
            # registered entries are 2-byte units; several functions, later func wins its key
            (["func 2 0x20", "1 1", "endfunc", "func 2 0x20", "1 2", "endfunc", "func 1 1", "endfunc"], [],
             "01 01 01 00 01 02 01 00 01 00 01 00", [{"1": 4}, {"32": 2}, {}], 0),
        ]
        for lines, messages, image, tables, code in rows:
            with self.subTest(lines=lines):
                rc, result, err, _ = self.check_json(lines)
                self.assertEqual(result, {"messages": messages, "image": image, "tables": tables})
                self.assertEqual(rc, code)
                self.assertEqual(err, "", "--json keeps stderr quiet")

    def test_missing_file_has_no_line_number_and_no_image(self):
        path = os.path.join(self.dir, "absent.txt")
        rc, out, _ = run("quillo-check", ["--json", path])
        self.assertEqual(json.loads(out), {"messages": ["ファイルがありません ", path + " "], "image": None,
                                           "tables": [{}, {}, {}]})
        self.assertEqual(rc, 1)

    def test_code_pages(self):
        rows = [
            # Windows-1252: 0xE9 is e with an acute accent
            (["func 1 0", "caf\u00e9 1", "endfunc"], "cp1252", ["--codepage", "1252"], "café"),
            # UTF-8 scripts with --codepage 65001
            (["func 1 0", "日本 1", "endfunc"], "utf-8", ["--codepage=65001"], "日本"),
            # the default is 932
            (["func 1 0", "日本 1", "endfunc"], "cp932", [], "日本"),
        ]
        for lines, encoding, args, name in rows:
            with self.subTest(encoding=encoding):
                _, result, _, _ = self.check_json(lines, args, encoding)
                self.assertEqual(result["messages"][0], "2行:symbolが見つかりません " + name)


class CheckMessageTests(TempDirCase):
    def test_default_and_raw_formats(self):
        bad = self.write("bad.txt", ["define LDI 38", "func 1 0", "LDI NOSUCH", "endfunc"])
        rows = [
            ([], ["%s:3: symbolが見つかりません NOSUCH" % bad, "%s:3: func と endfunc が一致していません" % bad]),
            (["--raw"], ["3行:symbolが見つかりません NOSUCH", "3行:func と endfunc が一致していません "]),
        ]
        for args, lines in rows:
            with self.subTest(args=args):
                rc, out, err = run("quillo-check", args + [bad])
                self.assertEqual(err, "".join(line + "\n" for line in lines))
                self.assertEqual((rc, out), (1, ""))

    def test_line_zero_messages(self):
        missing = os.path.join(self.dir, "absent.txt")
        rows = [
            ([], ["%s: ファイルがありません" % missing, "%s: %s" % (missing, missing)]),
            (["--raw"], ["ファイルがありません ", missing + " "]),
        ]
        for args, lines in rows:
            with self.subTest(args=args):
                rc, _, err = run("quillo-check", args + [missing])
                self.assertEqual(err, "".join(line + "\n" for line in lines))
                self.assertEqual(rc, 1)

    def test_clean_script_is_silent(self):
        path = self.write("ok.txt", WORKED)
        self.assertEqual(run("quillo-check", [path]), (0, "", ""))

    def test_usage_errors(self):
        path = self.write("ok.txt", WORKED)
        rows = [
            [],                          # no script
            ["--bogus", path],           # unknown option
            [path, path],                # two scripts
            ["--codepage"],              # option value missing
            ["--codepage", "x", path],   # not a number
            ["--codepage", "12345", path],  # no such code page here
            ["--json", "--listing", path],  # both on stdout
        ]
        for args in rows:
            with self.subTest(args=args):
                rc, out, err = run("quillo-check", args)
                self.assertEqual(rc, 2)
                self.assertTrue(err.startswith("quillo-check: "), err)
                self.assertEqual(out, "")

    def test_help(self):
        rc, out, _ = run("quillo-check", ["--help"])
        self.assertEqual(rc, 0)
        self.assertIn("usage: quillo-check", out)


class CheckListingTests(TempDirCase):
    def test_names_come_from_the_script(self):
        path = self.write("l.txt", [
            "define QUIT 1", "define TAP 9", "define GO 3", "define HERE 5", "define K_ENTER 0x0D",
            "define L_END 7", "define WHO 36", "define R_MODE 40", "define EV_BEGIN 0",
            "func 2 K_ENTER", "TAP K_ENTER", "GO L_END", "HERE L_END", "WHO R_MODE", "QUIT 1", "endfunc",
            "func 1 EV_BEGIN", 'string 2 "hi" "there"', "31 4", "38 5", "9 'Z'", "endfunc",
        ])
        rc, out, err = run("quillo-check", ["--listing", path])
        self.assertEqual((rc, err), (0, ""))
        self.assertEqual(out.splitlines(), [
            "; func table 1, K_ENTER (0x0D)",
            "0000  09 0d  TAP K_ENTER (0x0D)",
            "0002  03 07  GO L_END (7)",
            "0004  05 07  HERE L_END (7)",
            "0006  24 28  WHO R_MODE (r40)",
            "0008  01 01  QUIT 1",
            "000a  01 00  QUIT 0",
            "; func table 0, EV_BEGIN (0): start-up function",
            "000c  28 02  STR 2",
            '000e  27 05  SKIP 5  "hi" "there"',
            "0010  68 69 00 74 68 65 72 65",
            "0018  00 00",
            "001a  1f 04  op 31 4",
            "001c  26 05  LDI 5",
            "001e  09 5a  TAP 'Z'",
            "0020  01 00  QUIT 0",
            "0022  01 00  QUIT 0",
        ])

    def test_japanese_string_block_is_decoded(self):
        path = self.write("j.txt", ["func 1 0", 'string 0 "モード%d"', "endfunc"])
        _, out, _ = run("quillo-check", ["--listing", path])
        self.assertIn('SKIP 5  "モード%d" ""', out)


class SimTests(TempDirCase):
    def setUp(self):
        super().setUp()
        self.script = self.write("sim.txt", SIM_SCRIPT)

    def sim(self, events, args=()):
        rc, out, err = run("quillo-sim", ["--json"] + list(args) + [self.script], stdin="\n".join(events) + "\n")
        return rc, [json.loads(line) for line in out.splitlines()], err

    def test_start_record(self):
        rc, records, err = self.sim([])
        self.assertEqual(records, [{"input": "start", "injected": [], "result": 7, "messages": [],
                                    "commands": [{"cmd": "status", "line": 0, "text": "start 1"}]}])
        self.assertEqual((rc, err), (0, ""))

    def test_key_records(self):
        ctrl_c = [{"vk": 17, "up": False}, {"vk": 67, "up": False}, {"vk": 67, "up": True}, {"vk": 17, "up": True}]
        rows = [
            # key down runs the function's down branch: control-C injected, the key swallowed
            (["down C"], [("down C", ctrl_c, "swallowed")]),
            # key up: same function, nothing injected, swallowed too
            (["up C"], [("up C", [], "swallowed")]),
            # system key messages count as down and up
            (["sysdown C", "sysup C"], [("sysdown C", ctrl_c, "swallowed"), ("sysup C", [], "swallowed")]),
            # tap: two records with the same input
            (["  tap c  "], [("tap c", ctrl_c, "swallowed"), ("tap c", [], "swallowed")]),
            # no function for the key: it passes
            (["down Q"], [("down Q", [], "passed")]),
            # the engine's own injections (scan 0xFD) pass without running anything
            (["down C scan=0xFD"], [("down C scan=0xFD", [], "passed")]),
        ]
        for events, expected in rows:
            with self.subTest(events=events):
                rc, records, _ = self.sim(events)
                got = [(r["input"], r["injected"], r["result"]) for r in records[1:]]
                self.assertEqual(got, expected)
                for r in records[1:]:
                    self.assertEqual(sorted(r), ["commands", "injected", "input", "result"])
                self.assertEqual(rc, 0)

    def test_commands_are_read_when_handled(self):
        _, records, _ = self.sim(["event 9", "down R", "event 200"])
        # both notices show the text of the second, the notice buffer being single
        self.assertEqual(records[1], {"input": "event 9", "injected": [], "result": 3, "commands": [
            {"cmd": "notice", "text": "second 2"}, {"cmd": "notice", "text": "second 2"}]})
        self.assertEqual(records[2]["commands"], [{"cmd": "rotate", "value": 2},
                                                  {"cmd": "run", "file": "prog.exe", "params": "-x"},
                                                  {"cmd": "window", "value": 65}])
        # an entry without a function
        self.assertEqual(records[3]["result"], -1)

    def test_defaults_for_scan_and_time(self):
        rows = [
            # scan from the built-in table, time 0 at the start
            (["down A"], 0x41, 0x10, 0),
            # a key without a table entry gets scan 0
            (["down 0x70 time=1234"], 0x70, 0, 1234),
            # time defaults to the previous key event's
            (["down A time=1234", "up 66"], 66, 0x11, 1234),
            (["down A time=99", "tap B", "down b scan=0x99"], 0x42, 0x99, 99),
            # one digit is the digit key, more digits a decimal number
            (["down 7"], 0x37, 0x07, 0),
            (["down 07"], 7, 0, 0),
        ]
        for events, vk, scan, time in rows:
            with self.subTest(events=events):
                _, records, _ = self.sim(events + ["dump"])
                regs = records[-1]["state"]["regs"]
                self.assertEqual((regs[37], regs[39], regs[38]), (vk, scan, time))

    def test_dump(self):
        _, records, _ = self.sim(["dump", "down M", "dump"])
        first, last = records[1], records[3]
        self.assertEqual(sorted(first), ["commands", "injected", "input", "result", "state"])
        self.assertIsNone(first["result"])
        self.assertEqual(sorted(first["state"]), ["acc", "keyTable", "mode", "regs", "sysflags"])
        self.assertEqual(len(first["state"]["regs"]), 128)
        self.assertEqual((first["state"]["mode"], first["state"]["keyTable"]), (0, 1))
        self.assertEqual(first["state"]["regs"][34], 1000)
        self.assertEqual(first["state"]["regs"][5], 1)
        self.assertEqual((last["state"]["mode"], last["state"]["keyTable"]), (2, 2))

    def test_input_method(self):
        ime = 0x10000
        rows = [
            # closed: C opens it and sets bit 16
            (["ime closed", "down I"], ime),
            # open, not composing: C closes it
            (["ime closed", "down I", "down I"], 0),
            # composing: C does nothing (the flag stays as it was)
            (["ime open 3", "down I"], 0),
            # D reads the state
            (["ime open", "down D"], ime),
            (["ime open", "down D", "ime closed", "down D"], 0),
        ]
        for events, flag in rows:
            with self.subTest(events=events):
                _, records, _ = self.sim(events + ["dump"])
                self.assertEqual(records[-1]["state"]["sysflags"] & ime, flag)
                for record in records[1:-1]:
                    if record["input"].startswith("ime"):
                        self.assertEqual((record["result"], record["injected"], record["commands"]), (None, [], []))

    def test_reload(self):
        process = subprocess.Popen(tool("quillo-sim") + ["--json", self.script], stdin=subprocess.PIPE,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)

        def send(line):
            process.stdin.write((line + "\n").encode())
            process.stdin.flush()
            return json.loads(process.stdout.readline().decode("utf-8"))

        start = json.loads(process.stdout.readline().decode("utf-8"))
        self.assertEqual(start["commands"][0]["text"], "start 1")
        reload = send("reload")
        # registers survive a reload; start-up runs again
        self.assertEqual(reload, {"input": "reload", "injected": [], "result": 7, "messages": [],
                                  "commands": [{"cmd": "status", "line": 0, "text": "start 2"}]})
        os.remove(self.script)
        gone = send("reload")
        # the file is gone: two messages, the old script stays in force
        self.assertEqual(gone["messages"], ["ファイルがありません ", self.script + " "])
        self.assertEqual((gone["result"], gone["commands"][0]["text"]), (7, "start 3"))
        self.assertEqual(send("down C")["result"], "swallowed")
        process.stdin.close()
        self.assertEqual(process.wait(timeout=30), 0)
        process.stdout.close()
        process.stderr.close()

    def test_stuck_keys(self):
        rows = [
            (["tap S"], ["key 0x10 was injected down and never up", "R_MODS still holds 0x02, shift"]),
            (["tap C"], []),
        ]
        for events, warnings in rows:
            with self.subTest(events=events):
                rc, _, err = self.sim(events)
                self.assertEqual(rc, 0)
                lines = err.splitlines()
                self.assertEqual(len(lines), len(warnings), err)
                for line, warning in zip(lines, warnings):
                    self.assertIn(warning, line)

    def test_bad_input(self):
        rows = [
            "down", "down 300", "down AB", "press A", "event 256", "event", "ime half", "ime open x",
            "down A scan=xyz", "down A time=-1", "down A later", "dump now", "=> passed", 'down "A',
        ]
        for line in rows:
            with self.subTest(line=line):
                rc, records, err = self.sim(["# first line is a comment", line, "dump"])
                self.assertEqual(rc, 2)
                self.assertTrue(err.startswith("<stdin>:2: "), err)
                self.assertEqual(len(records), 1, "inputs after the bad line are not run")

    def test_usage_and_unreadable_files(self):
        events = self.write("events.txt", ["down A"], "ascii")
        rows = [
            [],
            ["--bogus", self.script],
            [os.path.join(self.dir, "absent.txt")],
            [self.script, os.path.join(self.dir, "absent-events.txt")],
            [self.script, events, events],
            ["--test"],
            ["--test", "--json", events],
        ]
        for args in rows:
            with self.subTest(args=args):
                rc, out, err = run("quillo-sim", args)
                self.assertEqual(rc, 2)
                self.assertTrue(err.startswith("quillo-sim: "), err)

    def test_events_from_a_file(self):
        events = self.write("events.txt", ["", "# comment", "tap C"], "ascii", end="\n")
        rc, out, _ = run("quillo-sim", ["--json", self.script, events])
        self.assertEqual([json.loads(line)["input"] for line in out.splitlines()], ["start", "tap C", "tap C"])
        self.assertEqual(rc, 0)

    def test_trace(self):
        path = self.write("t.txt", ["define BYE 1", "define WHEN_DOWN 48", "define HERE 5", "define SPOT 3",
                                    "func 2 'A'", "WHEN_DOWN SPOT", "BYE 2", "HERE SPOT", "BYE 1", "endfunc"])
        rc, _, err = run("quillo-sim", ["--trace", path], stdin="down A\nup A\n")
        self.assertEqual(rc, 0)
        trace = [line.split() for line in err.splitlines() if line.startswith("trace ")]
        self.assertEqual(trace, [
            ["trace", "0000", "WHEN_DOWN", "SPOT", "(3)", "acc=0", "->", "0006"],
            ["trace", "0006", "BYE", "1", "acc=0"],
            ["trace", "0000", "WHEN_DOWN", "SPOT", "(3)", "acc=0"],
            ["trace", "0002", "BYE", "2", "acc=0"],
        ])

    def test_text_output_is_a_passing_test_file(self):
        rc, out, _ = run("quillo-sim", [self.script], stdin="tap C\nevent 9\nime closed\ndown I\ndump\n")
        self.assertEqual(rc, 0)
        self.assertIn("tap C\n=> inject down 0x11\n", out)
        test = self.write("roundtrip.test", ["script sim.txt"] + out.splitlines(), "utf-8", end="\n")
        rc, out, err = run("quillo-sim", ["--test", test])
        self.assertEqual((rc, err), (0, ""))
        self.assertRegex(out, r"roundtrip.test: ok, \d+ expectations")


class ScriptTestTests(TempDirCase):
    def setUp(self):
        super().setUp()
        self.write("sim.txt", SIM_SCRIPT)

    def sim_test(self, lines):
        path = self.write("t.test", lines, "utf-8", end="\n")
        rc, out, err = run("quillo-sim", ["--test", path])
        return rc, out, err.replace(path, "T")

    def test_expectations(self):
        rows = [
            # in order within a category, other lines between them allowed
            (["down C", "=> inject down 0x11", "=> inject up C", "=> swallowed"], 0, ""),
            # a tap's two records are taken together
            (["tap C", "=> inject down 0x11", "=> inject up 0x11", "=> swallowed"], 0, ""),
            (["down C", "=> inject up 0x11", "=> inject down 0x11"], 1,
             "T:4: expected inject down 0x11, got nothing after the lines already matched: inject down 0x11, "
             "inject down 0x43, inject up 0x43, inject up 0x11\n"),
            (["down C", "=> passed"], 1, "T:3: expected passed, got swallowed\n"),
            (["down Q", "=> no inject", "=> no command", "=> passed"], 0, ""),
            (["down C", "=> no inject"], 1,
             "T:3: expected no inject, got inject down 0x11, inject down 0x43, inject up 0x43, inject up 0x11\n"),
            (["event 9", '=> notice "second 2"', "=> result 3"], 0, ""),
            (["event 9", '=> notice "first 1"'], 1, 'T:3: expected notice "first 1", got notice "second 2", notice "second 2"\n'),
            (["down R", "=> rotate 2", '=> run "prog.exe" "-x"', "=> window 'A'", "=> window 0x41"], 1,
             "T:6: expected window 0x41, got nothing after the lines already matched: rotate 2, "
             'run "prog.exe" "-x", window 0x41\n'),
            (["dump", "=> reg r5 1", "=> reg R_TIMEOUT 1000", "=> mode 0", "=> keyTable 1", "=> acc 1",
              "=> sysflags 0"], 0, ""),
            (["dump", "=> reg 5 2"], 1, "T:3: expected reg r5 2, got reg r5 1\n"),
            (["down C", "=> acc 0"], 1, "T:3: expected acc 0, got no state (state expectations follow a dump)\n"),
            # expectations of the start-up record come right after the script line
            (['=> status 0 "start 1"', "=> result 7"], 0, ""),
            (["start", '=> status 0 "start 2"'], 1, 'T:3: expected status 0 "start 2", got status 0 "start 1"\n'),
            (["reload", '=> status 0 "start 2"', "=> result 7"], 0, ""),
        ]
        for lines, code, err in rows:
            with self.subTest(lines=lines):
                rc, out, got_err = self.sim_test(["script sim.txt"] + lines)
                self.assertEqual((rc, got_err), (code, err))
                self.assertIn("ok" if code == 0 else "FAILED", out)

    def test_malformed_files(self):
        rows = [
            (["down C"], "T:1: a test file starts with 'script PATH'"),
            (["script absent.txt"], "T:1: cannot read the script"),
            (["script sim.txt", "press C"], "T:2: unknown input 'press'"),
            (["script sim.txt", "down C", "=> swallowed please"], "T:3: 'swallowed' takes nothing after it"),
            (["script sim.txt", "=> bogus"], "T:2: unknown expectation 'bogus'"),
            (["script sim.txt", '=> notice "open'], "T:2: a quoted text has no closing quote"),
            (["# nothing but a comment"], "T:1: no 'script PATH' line"),
        ]
        for lines, message in rows:
            with self.subTest(lines=lines):
                rc, _, err = self.sim_test(lines)
                self.assertEqual(rc, 2)
                self.assertTrue(err.startswith(message), err)

    def test_several_files_worst_status_wins(self):
        good = self.write("good.test", ["script sim.txt", "down C", "=> swallowed"], "utf-8", end="\n")
        bad = self.write("bad.test", ["script sim.txt", "down C", "=> passed"], "utf-8", end="\n")
        rc, out, _ = run("quillo-sim", ["--test", good, bad])
        self.assertEqual(rc, 1)
        self.assertIn("good.test: ok, 1 expectations", out)
        self.assertIn("bad.test: FAILED 1 of 1 expectations", out)

    def test_stuck_keys_are_reported_per_file(self):
        rc, _, err = self.sim_test(["script sim.txt", "tap S"])
        self.assertEqual(rc, 0)
        self.assertIn("T: warning: key 0x10 was injected down and never up", err)


class SampleScriptTests(unittest.TestCase):
    def test_sample_compiles_without_messages(self):
        self.assertEqual(run("quillo-check", [os.path.join(EXAMPLES, "scriptcommand.txt")]), (0, "", ""))

    def test_sample_test_files_pass(self):
        files = [os.path.join(EXAMPLES, "scriptcommand.test")]
        files += sorted(os.path.join(HERE, "scripts", f) for f in os.listdir(os.path.join(HERE, "scripts"))
                        if f.endswith(".test"))
        rc, out, err = run("quillo-sim", ["--test"] + files)
        self.assertEqual((rc, err), (0, ""), out)
        self.assertEqual(out.count(": ok,"), len(files))

    def test_sample_names_every_opcode(self):
        with open(os.path.join(HERE, "..", "..", "engine", "opcodes.h"), encoding="utf-8") as f:
            opcodes = re.findall(r"X\((\d+), (\w+), \w+\)", f.read())
        with open(os.path.join(EXAMPLES, "scriptcommand.txt"), "rb") as f:
            text = f.read().decode("cp932")
        defines = dict(re.findall(r"^define (\w+) +(\S+)", text, re.M))
        for number, name in opcodes:
            self.assertEqual(defines.get(name), number, name)


def main():
    global BIN, EXAMPLES, WINE
    args = sys.argv[1:]
    BIN = args[args.index("--bin") + 1]
    EXAMPLES = args[args.index("--examples") + 1]
    WINE = "--wine" in args
    rest = [a for i, a in enumerate(args) if a not in ("--bin", "--examples", "--wine") and
            (i == 0 or args[i - 1] not in ("--bin", "--examples"))]
    if not WINE:
        unittest.main(argv=[sys.argv[0]] + rest, verbosity=1)
        return
    if not os.path.exists(os.path.join(BIN, "quillo-check.exe")) or not shutil.which("wine"):
        print("skipped: no MinGW build of the tools in %s, or no wine" % BIN)
        sys.exit(77)
    with tempfile.TemporaryDirectory() as prefix:
        os.environ.update(WINEPREFIX=prefix, WINEDEBUG="-all")
        try:
            # a prepared prefix, so that Wine's own first-start work stays out of the tools' output
            subprocess.run(["wine", "wineboot", "-i"], capture_output=True, timeout=120)
            subprocess.run(["wine", "reg", "add", "HKCU\\Software\\Wine\\WineDbg", "/v", "ShowCrashDialog",
                            "/t", "REG_DWORD", "/d", "0", "/f"], capture_output=True, timeout=60)
            program = unittest.main(argv=[sys.argv[0]] + rest, verbosity=1, exit=False)
        finally:
            subprocess.run(["wineserver", "-k"], capture_output=True)
        sys.exit(0 if program.result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
