/* A 32-bit caller that loads xq_utils.dll at run time: every listed export is
 * found by name and by ordinal (the same address) and called through both
 * pointers with zero and null arguments, each call measured by checked_call
 * (calls with real arguments and results are import_caller's). Exit status 0
 * when all pass. */
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

int main(void) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    while (length > 0 && path[length - 1] != '\\') --length;
    strcpy(path + length, "xq_utils.dll");
    module = LoadLibraryA(path);
    if (module == NULL) {
        fprintf(stderr, "cannot load %s\n", path);
        return 1;
    }
    call_every_export();
    FreeLibrary(module);
    if (check_failures == 0) printf("stdcall_pointers: %u exports, all checks passed\n",
                                    (unsigned)(sizeof exports / sizeof exports[0]));
    return check_failures == 0 ? 0 : 1;
}
