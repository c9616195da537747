/* A 32-bit caller that loads xq_utils.dll at run time: every listed export is
 * found by name and by ordinal (the same address) and called through both
 * pointers with zero and null arguments, each call measured by checked_call;
 * then some are called many times through __stdcall pointers typed from the
 * header, with their results checked. Exit status 0 when all pass. */
#include <string.h>
#include <windows.h>

#include "checked_call.h"
#include "xq_utils.h"

typedef struct Export {
    unsigned ordinal;
    const char *name;
    int32_t args;
} Export;

static const Export exports[] = {
#define XQ_EXPORT(ordinal, name, args) {ordinal, #name, args},
#include "exports.inc"
#undef XQ_EXPORT
};

/* The address of the export `name` of `module` as a typed pointer. */
#define LOOKUP(module, name) ((__typeof__(&name))(void (*)(void))GetProcAddress(module, #name))

static HMODULE module;

/* Calls every export by name and by ordinal with zero arguments: each must
 * fail cleanly and pop exactly its listed argument bytes. */
static void call_every_export(void) {
    static const uint32_t zeros[16];
    size_t i;
    for (i = 0; i < sizeof exports / sizeof exports[0]; ++i) {
        const Export *e = &exports[i];
        void (*by_name)(void) = (void (*)(void))GetProcAddress(module, e->name);
        void (*by_ordinal)(void) = (void (*)(void))GetProcAddress(module, MAKEINTRESOURCEA(e->ordinal));
        CallEffect effect;
        check(by_name != NULL && by_name == by_ordinal, e->name, "not found by name and ordinal at one address");
        if (by_name == NULL || by_ordinal == NULL) continue;
        checked_call(by_name, zeros, e->args, &effect);
        check_effect(&effect, e->name);
        checked_call(by_ordinal, zeros, e->args, &effect);
        check_effect(&effect, e->name);
    }
}

/* Typed calls with real arguments, checking results; run many times so a
 * stack imbalance would also wreck this frame. */
static void typed_calls(void) {
    static const int32_t x[] = {0, 100, 200}, y[] = {0, 1000, 4000};
    __typeof__(&ScaleInt) scale = LOOKUP(module, ScaleInt);
    __typeof__(&LinIpolInt) ipol = LOOKUP(module, LinIpolInt);
    __typeof__(&BinToAsc) bin_to_asc = LOOKUP(module, BinToAsc);
    __typeof__(&TestNoneString) test_none = LOOKUP(module, TestNoneString);
    __typeof__(&CreateStrTokEx) create = LOOKUP(module, CreateStrTokEx);
    __typeof__(&GetStrTokEx) next = LOOKUP(module, GetStrTokEx);
    __typeof__(&CloseStrTokEx) close = LOOKUP(module, CloseStrTokEx);
    char text[64];
    int i;
    if (!scale || !ipol || !bin_to_asc || !test_none || !create || !next || !close) {
        check(0, "typed calls", "a function is missing");
        return;
    }
    for (i = 0; i < 2000; ++i) {
        TokenStream *stream = create("12 34", " ");
        check(scale(7, 1, 2) == 4 && scale(-7, 3, 2) == -11, "ScaleInt", "wrong result");
        check(ipol(3, x, y, 150, 0) == 2500, "LinIpolInt", "wrong result");
        check(bin_to_asc(text, sizeof text, 1, 1000, -12345, "mm", 2) == text && strcmp(text, "-12.35 mm") == 0,
              "BinToAsc", "wrong text");
        check(test_none("None") == 1 && test_none("X") == 0, "TestNoneString", "wrong result");
        check(stream != NULL && strcmp(next(stream, NULL), "12") == 0 && strcmp(next(stream, NULL), "34") == 0 &&
                  close(stream) == 1,
              "token stream", "wrong tokens");
        if (check_failures) return;
    }
}

int main(void) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    CallEffect effect;
    while (length > 0 && path[length - 1] != '\\') --length;
    strcpy(path + length, "xq_utils.dll");
    module = LoadLibraryA(path);
    if (module == NULL) {
        fprintf(stderr, "cannot load %s\n", path);
        return 1;
    }
    call_every_export();
    checked_call(typed_calls, NULL, 0, &effect);
    check(effect.stack_delta == 0 && effect.registers_ok, "typed calls", "the caller's frame was disturbed");
    FreeLibrary(module);
    if (check_failures == 0) printf("stdcall_pointers: %u exports, all checks passed\n",
                                    (unsigned)(sizeof exports / sizeof exports[0]));
    return check_failures == 0 ? 0 : 1;
}
