// Every text the compiler shows, in one table; the detail (if any) follows after a blank.
#pragma once

enum CompileMessage {
    MSG_NO_FILE,            // the file cannot be opened; a second box names the path
    MSG_READ_ERROR,
    MSG_POOL_FULL,          // detail: the part of the name that found no room
    MSG_TOO_MANY_SYMBOLS,
    MSG_SYMBOL_NOT_FOUND,   // detail: the token
    MSG_CODE_FULL,
    MSG_STRING_OUTSIDE_FUNC,
    MSG_FUNC_NOT_CLOSED,
    MSG_ENDFUNC_WITHOUT_FUNC,
    MSG_UNKNOWN_COMMAND,    // detail: the line
    MSG_ENDIF_MISMATCH,     // detail: the line
    MSG_IF_NOT_CLOSED,      // detail: the last line read
    MSG_FUNC_UNMATCHED,
    MSG_NO_MEMORY,
    MSG_STRING_TOO_LONG,    // detail: the line; a cut program path would launch the wrong thing
    MSG_IF_TOO_DEEP,        // detail: the line that would open one block too many
    COMPILE_MESSAGE_COUNT
};

inline constexpr const char16_t* COMPILE_MESSAGES[COMPILE_MESSAGE_COUNT] = {
    u"ファイルがありません",
    u"読込エラー",
    u"Symbol領域が溢れました",
    u"symbol定義数が多すぎます",
    u"symbolが見つかりません",
    u"コマンドバッファサイズをオーバーしました",
    u"func無しにstring命令が使われています",
    u"func が endfunc で閉じていません",
    u"func 無しに endfunc が使われています",
    u"判定できないコマンドです",
    u"endifのミスマッチ",
    u"if**～endifが閉じていません",
    u"func と endfunc が一致していません",
    u"メモリが確保できませんでした",
    u"stringが長すぎます",
    u"if**～endifの入れ子が深すぎます",
};

inline const char16_t* CompileMessageText(CompileMessage message) { return COMPILE_MESSAGES[message]; }
