// Every message the compiler shows, said once with its Japanese text (as on the device) and its
// English one; the detail (if any) follows after a blank. quillo.exe and the tools both link this table.
#pragma once

enum MessageLanguage { LANG_JA, LANG_EN };

//      id, Japanese, English
#define QUILLO_COMPILE_MESSAGES(X)                                                                          \
    /* the file cannot be opened; a second box, CM_FILE_PATH, names it */                               \
    X(CM_NO_FILE, u"ファイルがありません", u"there is no file")                                             \
    X(CM_READ_ERROR, u"読込エラー", u"read error")                                                          \
    /* detail: the part of the name that found no room */                                                   \
    X(CM_POOL_FULL, u"Symbol領域が溢れました", u"the symbol area has overflowed")                           \
    X(CM_TOO_MANY_SYMBOLS, u"symbol定義数が多すぎます", u"too many symbol definitions")                     \
    /* detail: the token */                                                                                 \
    X(CM_SYMBOL_NOT_FOUND, u"symbolが見つかりません", u"symbol not found")                                  \
    X(CM_CODE_FULL, u"コマンドバッファサイズをオーバーしました", u"the command buffer is full")             \
    X(CM_STRING_OUTSIDE_FUNC, u"func無しにstring命令が使われています", u"a string statement without func")  \
    X(CM_FUNC_NOT_CLOSED, u"func が endfunc で閉じていません", u"func is not closed by endfunc")            \
    X(CM_ENDFUNC_WITHOUT_FUNC, u"func 無しに endfunc が使われています", u"endfunc without func")            \
    /* detail: the line */                                                                                  \
    X(CM_UNKNOWN_COMMAND, u"判定できないコマンドです", u"a command that cannot be identified")              \
    /* detail: the line */                                                                                  \
    X(CM_ENDIF_MISMATCH, u"endifのミスマッチ", u"endif mismatch")                                           \
    /* detail: the last line read */                                                                        \
    X(CM_IF_NOT_CLOSED, u"if**～endifが閉じていません", u"if...endif is not closed")                        \
    X(CM_FUNC_UNMATCHED, u"func と endfunc が一致していません", u"func and endfunc do not match")           \
    X(CM_NO_MEMORY, u"メモリが確保できませんでした", u"memory could not be obtained")                       \
    /* detail: the line; a cut program path would launch the wrong thing */                                 \
    X(CM_STRING_TOO_LONG, u"stringが長すぎます", u"string too long")                                        \
    /* detail: the line that would open one block too many */                                               \
    X(CM_IF_TOO_DEEP, u"if**～endifの入れ子が深すぎます", u"if...endif nested too deep")

enum CompileMessage {
#define QUILLO_COMPILE_MESSAGE_ID(id, ja, en) id,
    QUILLO_COMPILE_MESSAGES(QUILLO_COMPILE_MESSAGE_ID)
#undef QUILLO_COMPILE_MESSAGE_ID
    COMPILE_MESSAGE_COUNT,
    // The box that follows CM_NO_FILE: its text is the file's path, in no table.
    CM_FILE_PATH = COMPILE_MESSAGE_COUNT,
};

// The text of a message in a language; none for CM_FILE_PATH.
const char16_t* CompileMessageText(CompileMessage id, MessageLanguage language);
