/* The built library as a C caller links it. Its export table holds exactly
 * the functions of exports.list: each listed one is bound below (the build
 * fails without it) and every name in the table must be listed, on Windows at
 * its listed ordinal in a directory named XQ_UTILS.dll; every function the
 * header declares is listed. The component entry points register nothing and,
 * on Windows, the version resource carries this build's version. On 32-bit
 * Windows every export is also called with null arguments through the stdcall
 * import library and through GetProcAddress by ordinal, each call's effect on
 * the caller measured by checked_call. Exit status 0 when all pass. */
#include <stdio.h>
#include <string.h>

#include "xq_utils.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <link.h>
#endif
#if defined(_WIN32) && !defined(_WIN64)
#include "checked_call.h"
#endif

typedef struct Export {
    unsigned ordinal;
    const char *name;
    int32_t args;
    void (*bound)(void); /* through the import library or the shared object */
} Export;

static const Export exports[] = {
#define XQ_EXPORT(ordinal, name, args) {ordinal, #name, args, (void (*)(void))name},
#include "exports.inc"
#undef XQ_EXPORT
};
#define EXPORT_COUNT (sizeof exports / sizeof exports[0])

static int failures = 0;

static void check(int ok, const char *name, const char *what) {
    if (!ok) fprintf(stderr, "FAILED: %s: %s\n", name, what);
    failures += !ok;
}

/* The listed export called `name`, or NULL. */
static const Export *listed(const char *name) {
    size_t i = 0;
    while (i < EXPORT_COUNT && strcmp(exports[i].name, name) != 0) ++i;
    return i < EXPORT_COUNT ? &exports[i] : NULL;
}

/* The component entry points: nothing to register, no class to hand out. */
static void check_entry_points(void) {
    const GUID no_class = {0x8d3a6b1e, 0x52c4, 0x4f0b, {0x9a, 0x1e, 0x33, 0x70, 0x0d, 0x5c, 0x21, 0x7f}};
    void *object = &object;
    check(DllRegisterServer() == 0 && DllCanUnloadNow() == 0, "DllRegisterServer", "did not answer S_OK");
    check(DllGetClassObject(&no_class, &no_class, &object) == (HRESULT)0x80040111u && object == NULL &&
              DllGetClassObject(&no_class, &no_class, NULL) == (HRESULT)0x80040111u,
          "DllGetClassObject", "handed out a class");
}

#ifdef _WIN32
static void check_export_table(HMODULE module) {
    const char *base = (const char *)module;
    const IMAGE_NT_HEADERS *nt = (const IMAGE_NT_HEADERS *)(base + ((const IMAGE_DOS_HEADER *)base)->e_lfanew);
    const IMAGE_EXPORT_DIRECTORY *directory = (const IMAGE_EXPORT_DIRECTORY *)(
        base + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress);
    const DWORD *names = (const DWORD *)(base + directory->AddressOfNames);
    const WORD *ordinals = (const WORD *)(base + directory->AddressOfNameOrdinals);
    check(strcmp(base + directory->Name, "XQ_UTILS.dll") == 0, base + directory->Name, "names the export directory");
    check(directory->NumberOfFunctions == EXPORT_COUNT && directory->NumberOfNames == EXPORT_COUNT, "export table",
          "not one named entry per listed function");
    for (DWORD i = 0; i < directory->NumberOfNames; ++i) {
        const Export *e = listed(base + names[i]);
        check(e != NULL && e->ordinal == directory->Base + ordinals[i], base + names[i], "not listed at this ordinal");
    }
}

/* The version resource: this build's version, in numbers and in the strings
 * of the block its translation names, for a DLL of this name. */
static void check_version_resource(HMODULE module) {
    static const char *const strings[][2] = {{"FileVersion", XQ_VERSION}, {"ProductVersion", XQ_VERSION},
                                             {"OriginalFilename", "xq_utils.dll"}, {"InternalName", "xq_utils"},
                                             {"FileDescription", "xq_utils"}};
    static char data[16384];
    char path[MAX_PATH], numbers[64] = "", query[96], *text = NULL;
    const VS_FIXEDFILEINFO *fixed = NULL;
    const WORD *translation = NULL;
    UINT length = 0, size = 0;
    const int found = GetModuleFileNameA(module, path, MAX_PATH) && GetFileVersionInfoA(path, 0, sizeof data, data) &&
                      VerQueryValueA(data, "\\", (void **)&fixed, &size) && size >= sizeof *fixed &&
                      VerQueryValueA(data, "\\VarFileInfo\\Translation", (void **)&translation, &length) && length >= 4;
    if (found) {
        sprintf(numbers, "%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
    }
    check(found && strcmp(numbers, XQ_VERSION) == 0 && fixed->dwProductVersionMS == fixed->dwFileVersionMS &&
              fixed->dwProductVersionLS == fixed->dwFileVersionLS && fixed->dwFileType == VFT_DLL,
          "version resource", "missing, without its translation, not this build's version " XQ_VERSION " or not a DLL");
    for (size_t i = 0; found && i < sizeof strings / sizeof strings[0]; ++i) {
        sprintf(query, "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], strings[i][0]);
        check(VerQueryValueA(data, query, (void **)&text, &length) && strcmp(text, strings[i][1]) == 0, strings[i][0],
              "not this build's");
    }
}
#else
/* Reads the file at `path` whole into `buffer`, a zero byte after it; 0 when
 * it cannot be read or does not fit. */
static int read_file(const char *path, char *buffer, size_t size) {
    FILE *file = fopen(path, "rb");
    const size_t n = file != NULL ? fread(buffer, 1, size, file) : 0;
    if (file != NULL) fclose(file);
    buffer[n < size ? n : size - 1] = '\0';
    return n > 0 && n < size;
}

/* Every function the header declares (the name after XQ_CALL) is listed: a
 * function left out of exports.list would be exported nowhere. */
static void check_header(void) {
    static char text[1 << 20], name[64];
    const char *at = text;
    check(read_file(XQ_HEADER_FILE, text, sizeof text), XQ_HEADER_FILE, "cannot be read");
    while ((at = strstr(at, "XQ_CALL ")) != NULL) {
        at += strlen("XQ_CALL ");
        check(sscanf(at, "%63[A-Za-z0-9_]", name) != 1 || at[strlen(name)] != '(' || listed(name) != NULL, name,
              "declared in the header, not in exports.list");
    }
}

/* Every symbol the shared object defines in its dynamic symbol table. */
static void check_export_table(void) {
    static char image[64 << 20];
    const ElfW(Ehdr) *header = (const ElfW(Ehdr) *)image;
    const int whole = read_file(XQ_LIBRARY_FILE, image, sizeof image);
    check(whole, XQ_LIBRARY_FILE, "cannot be read");
    for (size_t i = 0; whole && i < header->e_shnum; ++i) {
        const ElfW(Shdr) *sections = (const ElfW(Shdr) *)(image + header->e_shoff);
        const ElfW(Sym) *symbols = (const ElfW(Sym) *)(image + sections[i].sh_offset);
        const char *names = image + sections[sections[i].sh_link].sh_offset;
        for (size_t k = 1; sections[i].sh_type == SHT_DYNSYM && k < sections[i].sh_size / sizeof *symbols; ++k) {
            const char *name = names + symbols[k].st_name;
            check(symbols[k].st_shndx == SHN_UNDEF || listed(name) != NULL, name, "exported but not listed");
        }
    }
}
#endif

int main(void) {
#ifdef _WIN32
    HMODULE module = GetModuleHandleA("xq_utils.dll");
    check(module != NULL, "xq_utils.dll", "not loaded under this name");
    if (module != NULL) {
        check_export_table(module);
        check_version_resource(module);
    }
#else
    check_header();
    check_export_table();
#endif
#if defined(_WIN32) && !defined(_WIN64)
    /* Every export through the import library, then by ordinal; only while
     * all is well, as a wrong table or a call that broke the caller's state
     * would make the next calls crash. */
    for (size_t i = 0; failures == 0 && i < EXPORT_COUNT; ++i) {
        static const uint32_t zeros[16];
        const Export *e = &exports[i];
        void (*by_ordinal)(void) = (void (*)(void))GetProcAddress(module, MAKEINTRESOURCEA(e->ordinal));
        const char *fault = call_fault(e->bound, zeros, e->args);
        if (fault == NULL) fault = by_ordinal != NULL ? call_fault(by_ordinal, zeros, e->args) : "not found by ordinal";
        check(fault == NULL, e->name, fault);
    }
#endif
    check_entry_points();
    return failures != 0;
}
