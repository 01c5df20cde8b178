#include "compile_messages.h"

namespace {

struct MessageTexts {
    const char16_t* ja;
    const char16_t* en;
};

const MessageTexts COMPILE_MESSAGE_TEXTS[COMPILE_MESSAGE_COUNT] = {
#define QUILLO_COMPILE_MESSAGE_TEXTS(id, ja, en) {ja, en},
    QUILLO_COMPILE_MESSAGES(QUILLO_COMPILE_MESSAGE_TEXTS)
#undef QUILLO_COMPILE_MESSAGE_TEXTS
};

}  // namespace

const char16_t* CompileMessageText(CompileMessage id, MessageLanguage language) {
    if (id < 0 || id >= COMPILE_MESSAGE_COUNT) return nullptr;
    return language == LANG_EN ? COMPILE_MESSAGE_TEXTS[id].en : COMPILE_MESSAGE_TEXTS[id].ja;
}
