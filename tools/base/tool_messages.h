// The tools' own messages, said once: id, Japanese, English. tool_text.h turns the list into the
// ToolMessage ids and the lookup; the manual lists the warnings with their causes and fixes.
#pragma once

#define QUILLO_CHECK_OPTIONS_JA                                                              \
    "  --json       メッセージ、コード、関数テーブルを 1 つの JSON として標準出力に\n"       \
    "  --raw        メッセージを本体のメッセージボックスと同じ文面で\n"                      \
    "  --listing    インストールされるコードの逆アセンブルを標準出力に\n"
#define QUILLO_CHECK_OPTIONS_EN                                                              \
    "  --json       one JSON object on stdout: messages, code image, function tables\n"      \
    "  --raw        messages exactly as the program's message boxes show them\n"             \
    "  --listing    disassembly of the installed code image on stdout\n"
#define QUILLO_COMMON_OPTIONS_JA                                                             \
    "  --codepage N スクリプトのコードページ（既定は 932）\n"                                \
    "  --lang L     メッセージの言語: ja（既定）または en\n"                                 \
    "  --no-warnings         警告を表示しない\n"                                             \
    "  --warnings-as-errors  警告をエラーとして終了コードに数える\n"
#define QUILLO_COMMON_OPTIONS_EN                                                             \
    "  --codepage N the script's code page (default 932)\n"                                  \
    "  --lang L     language of the messages: ja (default) or en\n"                          \
    "  --no-warnings         show no warnings\n"                                             \
    "  --warnings-as-errors  warnings count as errors in the exit status\n"

#define QUILLO_TOOL_MESSAGES(X)                                                                                     \
    X(T_CHECK_USAGE,                                                                                                \
      "使い方: quillo-check [--json] [--raw] [--listing] [--codepage N] [--lang L] [--no-warnings]\n"               \
      "                     [--warnings-as-errors] SCRIPT\n"                                                        \
      "  SCRIPT を quillo が scriptcommand.txt をコンパイルするのと同じようにコンパイルし、メッセージと警告を表示します\n" \
      QUILLO_CHECK_OPTIONS_JA QUILLO_COMMON_OPTIONS_JA                                                              \
      "  終了コード: 0 メッセージなし、1 メッセージあり、2 使い方の誤り\n",                                         \
      "usage: quillo-check [--json] [--raw] [--listing] [--codepage N] [--lang L] [--no-warnings]\n"                \
      "                    [--warnings-as-errors] SCRIPT\n"                                                         \
      "  compiles SCRIPT as quillo compiles scriptcommand.txt and reports every message and warning\n"             \
      QUILLO_CHECK_OPTIONS_EN QUILLO_COMMON_OPTIONS_EN                                                              \
      "  exit status: 0 no message, 1 at least one message, 2 usage error\n")                                       \
    X(T_SIM_USAGE,                                                                                                  \
      "使い方: quillo-sim [--json] [--trace] [オプション] SCRIPT [EVENTS]\n"                                        \
      "        quillo-sim --test [--trace] [オプション] TESTFILE...\n"                                              \
      "  SCRIPT を quillo のエンジンで EVENTS（省略時は標準入力）の入力どおりに動かします:\n"                        \
      "    down|up|sysdown|sysup|tap VK [scan=S] [time=T]   reload   event N\n"                                     \
      "    ime open [COMPOSITION_LENGTH]   ime closed   dump\n"                                                       \
      "  --json       記録を 1 つずつ JSON で標準出力に\n"                                                          \
      "  --trace      実行した命令を 1 つずつ標準エラーに\n"                                                        \
      "  --test       テストファイル（入力と '=> ...' の期待結果）を実行\n" QUILLO_COMMON_OPTIONS_JA                 \
      "  終了コード: 0 終了（--test ではすべて期待どおり）、1 期待と違う結果、\n"                                   \
      "              2 使い方の誤り、読めないファイル、書式の誤った入力行\n",                                       \
      "usage: quillo-sim [--json] [--trace] [options] SCRIPT [EVENTS]\n"                                            \
      "       quillo-sim --test [--trace] [options] TESTFILE...\n"                                                   \
      "  runs SCRIPT on quillo's engine with the inputs in EVENTS (standard input when absent):\n"                   \
      "    down|up|sysdown|sysup|tap VK [scan=S] [time=T]   reload   event N\n"                                     \
      "    ime open [COMPOSITION_LENGTH]   ime closed   dump\n"                                                       \
      "  --json       one JSON object per record on stdout\n"                                                       \
      "  --trace      every executed instruction on stderr\n"                                                       \
      "  --test       run script test files: inputs followed by '=> ...' expectations\n" QUILLO_COMMON_OPTIONS_EN   \
      "  exit status: 0 done (with --test: all expectations met), 1 an expectation failed,\n"                       \
      "               2 usage error, unreadable file or malformed input line\n")                                    \
    /* command lines */                                                                                             \
    X(T_UNKNOWN_OPTION, "%s というオプションはありません", "unknown option %s")                                     \
    X(T_OPTION_NEEDS_VALUE, "%s の後に値が必要です", "%s needs a value")                                            \
    X(T_BAD_CODE_PAGE, "--codepage にはコードページの番号を指定します（'%s' は使えません）",                        \
      "--codepage needs a code page number, not '%s'")                                                              \
    X(T_BAD_LANGUAGE, "--lang には ja か en を指定します（'%s' は使えません）", "--lang takes ja or en, not '%s'")  \
    X(T_JSON_AND_LISTING, "--json と --listing はどちらも標準出力に書くので、どちらか一方にしてください",           \
      "--json and --listing both write to stdout; choose one")                                                      \
    X(T_NO_SCRIPT, "SCRIPT が指定されていません", "no SCRIPT given")                                                \
    X(T_ONE_SCRIPT, "SCRIPT は 1 つだけ指定できます", "only one SCRIPT may be given")                               \
    X(T_TOO_MANY_FILES, "ファイルが多すぎます: SCRIPT [EVENTS]", "too many files: SCRIPT [EVENTS]")                 \
    X(T_TEST_NO_JSON, "--test は独自の形式で報告するので、--json は使えません",                                     \
      "--test reports in its own format; --json does not apply")                                                    \
    X(T_TEST_NEEDS_FILE, "--test には TESTFILE を 1 つ以上指定します", "--test needs at least one TESTFILE")        \
    X(T_CODE_PAGE_UNAVAILABLE, "コードページ %d はこの環境では使えません", "code page %d is not available here")    \
    /* files */                                                                                                     \
    X(T_FILE_MISSING, "%s: ファイルがありません", "%s: no such file")                                               \
    X(T_FILE_IS_FOLDER, "%s: フォルダーです。ファイルを指定してください", "%s: this is a folder, not a file")       \
    X(T_FILE_UNREADABLE, "%s: ファイルを開けません（読み取りの権限がないか、ほかのプログラムが開いています）",      \
      "%s: cannot be opened (no permission to read it, or another program holds it open)")                          \
    X(T_FOLLOWS_FROM_ABOVE, "（上のエラーによるもの）", " (follows from the error above)")                          \
    X(T_UNCLOSED_FUNC_NOTE, "%s:%d: 注: %d 行目の「func が endfunc で閉じていません」は、この行で始まる関数のことです", \
      "%s:%d: note: the \"func is not closed by endfunc\" of line %d means the function that starts here")          \
    X(T_CHECK_FINE, "%s: 問題ありません（メッセージも警告もありません）", "%s: fine, no messages and no warnings")  \
    /* warnings: mistakes that compile silently */                                                                  \
    X(W_NUMBER_FORM,                                                                                                \
      "%s は数値の正しい書き方ではなく、%d と読まれます。16 進数は 0x に続けて 0～9、A～F で、10 進数は数字だけで書きます", \
      "%s is not a well-formed number and reads as %d: write hexadecimal as 0x followed by 0-9 and A-F, "          \
      "decimal as digits only")                                                                                     \
    X(W_OPCODE_RANGE, "命令の番号 %d は 1 バイト（0～255）に収まらず、%d として書き込まれます",                     \
      "the opcode %d does not fit in a byte (0 to 255) and is written as %d")                                       \
    X(W_OPERAND_RANGE, "オペランド %d は 1 バイト（-128～255）に収まらず、%d（0x%02X）として書き込まれます",        \
      "the operand %d does not fit in a byte (-128 to 255) and is written as %d (0x%02X)")                          \
    X(W_FUNC_NUMBER_RANGE, "関数番号／キー %d は 0～255 に収まらず、func は %d（0x%02X）に登録します",              \
      "the function number or key %d does not fit in 0 to 255: func registers %d (0x%02X)")                        \
    X(W_FUNC_FLAGS, "func のフラグ %d のうち意味があるのは 1、2、4（関数テーブル 0、1、2）だけで、残りは無視されます", \
      "func flags %d: only 1, 2 and 4 (function tables 0, 1 and 2) count; the rest is ignored")                     \
    X(W_FUNC_NO_TABLE, "func のフラグ %d ではどの関数テーブルにも登録されず、この関数は実行されません",             \
      "func flags %d register the function in no table: nothing runs it")                                          \
    X(W_LOWERCASE_KEY, "'%c' はキーコード 0x%02X（%s）で、%c のキーではありません。文字のキーは大文字で書きます（'%c'）", \
      "'%c' is the key code 0x%02X (%s), not the key %c: write letter keys in upper case ('%c')")                  \
    X(W_LABEL_ELSEWHERE, "このジャンプのラベル %d は同じ関数の中になく、探索は別の関数の %d 行目まで進みます",      \
      "label %d of this jump is not in its function: the search runs on to line %d, in another function")          \
    X(W_LABEL_MISSING,                                                                                              \
      "このジャンプが探す範囲（ジャンプより下。JMPS は関数の先頭から）にラベル %d がなく、実行は「Label notfound %d」で終わります", \
      "label %d is nowhere this jump searches (below it; for JMPS, from its function's start): the run ends "       \
      "with \"Label notfound %d\"")                                                                                 \
    X(W_UTF8_BOM,                                                                                                   \
      "ファイルの先頭に UTF-8 の BOM があり、quillo はこれを 1 行目の一部として読みます。"                          \
      "Shift_JIS（コードページ 932、メモ帳では文字コード「ANSI」）で保存してください",                              \
      "the file starts with a UTF-8 byte-order mark, which quillo reads as part of line 1: save the file as "       \
      "Shift_JIS (code page 932; in Notepad, the encoding ANSI)")                                                   \
    X(W_UTF16,                                                                                                      \
      "ファイルは UTF-16（Unicode）のようです。quillo は最初のゼロのバイトで読むのをやめます。"                     \
      "Shift_JIS（コードページ 932、メモ帳では文字コード「ANSI」）で保存してください",                              \
      "the file seems to be UTF-16 (Unicode), and quillo stops reading at its first zero byte: save the file as "   \
      "Shift_JIS (code page 932; in Notepad, the encoding ANSI)")                                                   \
    X(W_ZERO_BYTE, "この行のゼロのバイトでスクリプトが終わり、残りの %u バイトは読まれません。テキストファイルか確かめてください", \
      "a zero byte on this line ends the script and the remaining %u bytes are never read: is this a text file?")  \
    X(W_UTF8_TEXT,                                                                                                  \
      "ファイルは UTF-8 のようですが、quillo はコードページ %d として読むので、文字列が化けます。"                  \
      "Shift_JIS（コードページ 932、メモ帳では文字コード「ANSI」）で保存してください",                              \
      "the file seems to be UTF-8, but quillo reads it as code page %d, so its texts come out garbled: save the "   \
      "file as Shift_JIS (code page 932; in Notepad, the encoding ANSI)")                                           \
    X(W_NOT_CP932,                                                                                                  \
      "この行のバイト 0x%02X はコードページ 932 の文字ではありません。quillo.exe、quillo-sim、プレイグラウンドで"   \
      "別の文字に見えることがあります",                                                                             \
      "the byte 0x%02X on this line is no character of code page 932: quillo.exe, quillo-sim and the playground "   \
      "may each show something else for it")                                                                        \
    X(W_KEY_UP_ONLY, "キー %s（モード %d）: 押下は捨てられるのに解放はそのまま通るので、アプリケーションには解放だけが届きます", \
      "key %s in mode %d: its key-down is swallowed but its key-up passes, so the application gets a key-up "       \
      "without a key-down")                                                                                         \
    X(W_KEY_DOWN_ONLY, "キー %s（モード %d）: 押下は通るのに解放は捨てられるので、アプリケーションではキーが押されたままになります", \
      "key %s in mode %d: its key-down passes but its key-up is swallowed, so the application sees the key held "   \
      "down")                                                                                                       \
    X(W_EMPTY_FILE, "ファイルが空です。スクリプトは何もせず、キーはすべてそのまま通ります",                         \
      "the file is empty: quillo runs no script and every key passes")                                              \
    X(W_NO_FUNCTION, "スクリプトに関数（func 行）がありません。キーはすべてそのまま通ります",                       \
      "the script defines no function (no func line): every key passes")                                            \
    X(W_STUCK_KEY, "キー 0x%02X が押下されたまま解放されていません。押されたままになります",                        \
      "key 0x%02X was injected down and never up: it stays held down")                                              \
    X(W_MODS_LEFT, "R_MODS に 0x%02X（キー 0x%02X）が残っています。次の PRESS でこのキーも押されます",              \
      "R_MODS still holds 0x%02X (key 0x%02X): the next PRESS will press that key too")                             \
    X(W_RECORDER_FULL, "'%s' が送ったキーと依頼が記録の上限を超えたので、残りは表示されません",                     \
      "'%s' injected or posted more than the recorder holds; the rest are not shown")                               \
    /* quillo-sim input lines */                                                                                    \
    X(T_INPUT_START, "入力行は down、up、sysdown、sysup、tap、reload、event、ime、dump のどれかで始めます",         \
      "an input line starts with down, up, sysdown, sysup, tap, reload, event, ime or dump")                        \
    X(T_UNKNOWN_INPUT, "'%s' という入力はありません（down、up、sysdown、sysup、tap、reload、event、ime、dump）",    \
      "unknown input '%s' (down, up, sysdown, sysup, tap, reload, event, ime or dump)")                             \
    X(T_NEEDS_KEY, "'%s' の後にはキーを書きます: 0x71、113、A、VK_F2、F2、またはスクリプトで定義した名前",         \
      "'%s' needs a key: 0x71, 113, A, VK_F2, F2 or a name the script defines")                                     \
    X(T_NOT_A_KEY,                                                                                                  \
      "'%s' というキーはありません。キーはコード（0x00～0xFF、0～255）、英数字 1 文字、VK_F2 や F2 のようなキーの名前" \
      "（マニュアルのキーコード表）、またはスクリプトで定義した名前で書きます",                                     \
      "unknown key '%s': write a code (0x00-0xFF or 0-255), one letter or digit, a key name such as VK_F2 or F2 "    \
      "(the manual's key-code table), or a name the script defines")                                                \
    X(T_TYPE_INPUTS_CTRL_D, "quillo-sim: 入力行を 1 行ずつ入力してください（例: tap A）。終えるには Ctrl+D を押します", \
      "quillo-sim: type input lines, one per line (for example: tap A); press Ctrl+D to end")                       \
    X(T_TYPE_INPUTS_CTRL_Z,                                                                                         \
      "quillo-sim: 入力行を 1 行ずつ入力してください（例: tap A）。終えるには Ctrl+Z を押してから Enter を押します", \
      "quillo-sim: type input lines, one per line (for example: tap A); press Ctrl+Z, then Enter, to end")          \
    X(T_KEY_OPTION, "'%s' は書けません（キーの後に書けるのは scan=S と time=T だけです）",                          \
      "unexpected '%s' (only scan=S and time=T may follow the key)")                                                \
    X(T_KEY_OPTION_NUMBER, "'%s' には 0～0xFFFFFFFF の数を書きます", "'%s' needs a number from 0 to 0xFFFFFFFF")    \
    X(T_EVENT_NUMBER, "'event' の後には関数テーブル 0 の番号（0～255）を 1 つ書きます",                             \
      "'event' needs one function-table-0 entry number from 0 to 255")                                              \
    X(T_IME_LENGTH, "'ime open' の後の変換中の文字数は数で書きます",                                                \
      "the composition length after 'ime open' must be a number")                                                   \
    X(T_IME_FORM, "'ime' の後には 'open [変換中の文字数]' か 'closed' を書きます",                                  \
      "'ime' takes 'open [COMPOSITION_LENGTH]' or 'closed'")                                                        \
    X(T_TAKES_NOTHING, "'%s' の後には何も書けません", "'%s' takes nothing after it")                                \
    X(T_HEX_ESCAPE, "\\x の後には 16 進数 2 桁が必要です", "\\x needs two hexadecimal digits")                      \
    X(T_UNKNOWN_ESCAPE, "\\%s というエスケープはありません", "unknown escape \\%s")                                 \
    X(T_NO_CLOSING_QUOTE, "二重引用符で囲んだ文字列が閉じていません", "a quoted text has no closing quote")          \
    /* quillo-sim expectations and test files */                                                                    \
    X(T_EXPECTATION_START, "'=>' の後には期待する結果を書きます", "an expectation follows '=>'")                    \
    X(T_UNKNOWN_EXPECTATION,                                                                                        \
      "'%s' は期待結果の書き方にありません（swallowed、passed、result、inject、run、rotate、window、notice、status、"   \
      "message、acc、mode、keyTable、sysflags、reg、no inject、no command）",                                       \
      "unknown expectation '%s' (swallowed, passed, result, inject, run, rotate, window, notice, status, message, " \
      "acc, mode, keyTable, sysflags, reg, no inject, no command)")                                                 \
    X(T_MESSAGE_FORM, "'message' の後には文面を二重引用符で囲んで書きます", "'message' takes its text in double quotes") \
    X(T_INJECT_FORM, "'inject' の後には down か up とキーを書きます", "'inject' takes down or up and a key")        \
    X(T_RESULT_FORM, "'result' の後には数を書きます", "'result' takes a number")                                    \
    X(T_RUN_FORM, "'run' の後にはプログラムと引数を二重引用符で囲んで書きます",                                     \
      "'run' takes the program and its arguments in double quotes")                                                 \
    X(T_ROTATE_FORM, "'rotate' の後には 0～255 の数を書きます", "'rotate' takes a number from 0 to 255")            \
    X(T_WINDOW_FORM, "'window' の後には文字を書きます（C、'C'、0x43）", "'window' takes a letter (C, 'C' or 0x43)") \
    X(T_NOTICE_FORM, "'notice' の後には文面を二重引用符で囲んで書きます", "'notice' takes its text in double quotes") \
    X(T_STATUS_FORM, "'status' の後には行番号と、二重引用符で囲んだ文面を書きます",                                 \
      "'status' takes a line number and its text in double quotes")                                                 \
    X(T_REG_FORM, "'reg' の後にはレジスタ（r41、R_MODS、35）と数を書きます",                                       \
      "'reg' takes a register (r41, R_MODS, 35) and a number")                                                      \
    X(T_ONE_NUMBER, "'%s' の後には数を 1 つ書きます", "'%s' takes one number")                                      \
    X(T_EXPECTED_GOT, "%s:%d: 期待は %s、実際は %s", "%s:%d: expected %s, got %s")                                  \
    X(T_NOTHING, "なし", "nothing")                                                                                 \
    X(T_NOTHING_AFTER, "一致した行の後には何もありません: %s", "nothing after the lines already matched: %s")       \
    X(T_NO_STATE, "状態なし（状態の期待結果は dump の後に書きます）", "no state (state expectations follow a dump)")  \
    X(T_NO_COMPILE_MESSAGE, "コンパイルメッセージなし（=> message で期待できます）",                                \
      "no compile message (a test expects one with => message)")                                                    \
    X(T_NO_OTHER_KEY, "ほかのキーなし（キーを期待した入力では、送ったキーをすべて順に => inject で書きます）",      \
      "no other key (an input whose keys are expected lists every key it sends, in order, with => inject)")        \
    X(T_TEST_OK, "%s: ok（期待結果 %d 件）", "%s: ok, %d expectations")                                                \
    X(T_TEST_FAILED, "%s: FAILED（不一致 %d 件／期待結果 %d 件）", "%s: FAILED %d of %d expectations")        \
    X(T_TEST_STARTS_WITH_SCRIPT, "テストファイルは 'script パス'（テストファイルからの相対パス）の行で始めます",     \
      "a test file starts with 'script PATH' (the script, relative to the test file)")                              \
    X(T_TEST_NO_SCRIPT_LINE, "'script パス' の行がありません", "no 'script PATH' line")                             \
    X(T_WARNINGS_FAIL, "%s: 警告 %d 件を失敗として数えます（--warnings-as-errors）",                                \
      "%s: %d warnings count as failures (--warnings-as-errors)")
