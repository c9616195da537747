/* A caller of the library that includes only the public header: it calls
 * every family with real arguments and reads back the records the library
 * fills, laid out by this compiler. Built as C and, through smoke.cpp, as C++,
 * in the build tree and against the installed package. The 32-bit in-tree
 * build runs each family through checked_call without frame pointers, so a
 * call that disagrees with the DLL on convention or argument size cannot pass
 * unseen: it moves the stack pointer or derails the family's return. Exit
 * status 0 when all pass. */
#include <stdio.h>
#include <string.h>

#include "xq_utils.h"

#ifdef __cplusplus
#  define SMOKE "smoke_cpp"
#else
#  define SMOKE "smoke_c"
#endif
#ifdef _WIN32
#  define SMOKE_DIR ".\\"
#else
#  define SMOKE_DIR "./"
#endif
#define NAMED_FILE SMOKE_DIR "xq_" SMOKE ".ini"
#define TABLE_FILE SMOKE_DIR "xq_" SMOKE "_table.ini"

static int failures = 0;

static void check(int ok, const char *what) {
    if (!ok) {
        fprintf(stderr, SMOKE ": FAILED: %s\n", what);
        ++failures;
    }
}

#ifdef XQ_CHECKED_CALL
#  include "checked_call.h"
static void run(void (*family)(void)) {
    const char *fault = call_fault(family, NULL, 0);
    check(fault == NULL, fault);
}
#else
static void run(void (*family)(void)) { family(); }
#endif

/* Writes `text` to `path`; 1 when done. */
static int write_file(const char *path, const char *text) {
    FILE *file = fopen(path, "wb");
    if (file == NULL) return 0;
    fputs(text, file);
    return fclose(file) == 0;
}

/* Settings, a configuration lookup under a root without configuration files
 * and the status record. */
static void settings_and_status(void) {
    char text[260];
    int32_t flag = 0;
    StatusRecord status;
    check(VOKSDKChangeRoot("xq_no_root") == 1 && GetVortaRootDir(text, sizeof text) == 1 &&
              strcmp(text, "xq_no_root") == 0,
          "GetVortaRootDir");
    check(GetPsiServer("Stage", text, sizeof text) == 1 && strcmp(text, "None") == 0, "GetPsiServer");
    SetError(&flag, 7, 3, 18, NAMED_FILE, NULL, NULL, &status);
    check(flag == 1 && status.Origin == 7 && status.ErrorClass == 3 && status.ErrorCode == 18 &&
              strstr(status.Text, "xq_" SMOKE ".ini") != NULL,
          "SetError");
}

static void named_files(void) {
    char text[64];
    check(GetNamedString("Stage", "Axes", text, sizeof text, NAMED_FILE) == text && strcmp(text, "X Y") == 0,
          "GetNamedString");
    check(RplNamedInt("Stage", "Speed", 2500, NAMED_FILE) == 1 && GetNamedInt("Stage", "Speed", NAMED_FILE) == 2500,
          "RplNamedInt");
}

/* A three-row table in a block of the reported size: the name area follows
 * the header as this compiler lays it out, nothing is written beyond the
 * block, the fields read back as filled and values convert both ways. */
static void conversion_table(void) {
    union {
        LcvDataHandle handle;
        char bytes[200];
    } block;
    LcvDataHandle *h = &block.handle;
    const uint32_t size = LcvGetDataHandleSize("Table", TABLE_FILE);
    int32_t cell = 0;
    memset(block.bytes, 'Z', sizeof block.bytes);
    check(size > sizeof *h && size < sizeof block.bytes && LcvInitDataHandle("Table", TABLE_FILE, "Focus", h) == 1,
          "LcvInitDataHandle");
    check(h->DataName == block.bytes + sizeof *h && block.bytes[size] == 'Z', "conversion block layout");
    memcpy(&cell, h->DataPos + 2, sizeof cell);
    check(strcmp(h->DataName, "Focus") == 0 && strcmp(h->DataUnit, "um") == 0 && h->TableLength == 3 &&
              h->MaxLogData == 20000 && cell == 20000,
          "conversion block fields");
    check(LcvLogToPhy(12500, h) == 1500 && h->LogData == 12500 && h->PhyData == 1500 && LcvPhyToLog(1500, h) == 12500,
          "LcvLogToPhy");
}

static void values_and_tokens(void) {
    static const int32_t x[] = {0, 100, 200}, y[] = {0, 1000, 4000};
    char text[32];
    int32_t error = 1;
    TokenStream *stream = CreateStrTokEx("a;b", ";");
    check(ScaleInt(5, 1, 2) == 3 && ScaleInt(-5, 1, 2) == -3 && LcvScaleInt(10, 3, 4) == 8, "ScaleInt");
    check(LinIpolInt(3, x, y, 150, &error) == 2500 && error == 0, "LinIpolInt");
    check(BinToAsc(text, sizeof text, 1, 1000, 12345, "mm", 2) == text && strcmp(text, "12.35 mm") == 0, "BinToAsc");
    check(stream != NULL && strcmp(GetStrTokEx(stream, NULL), "a") == 0 && strcmp(GetStrTokEx(stream, NULL), "b") == 0 &&
              CloseStrTokEx(stream) == 1,
          "token stream");
}

int main(void) {
    static void (*const families[])(void) = {settings_and_status, named_files, conversion_table, values_and_tokens};
    size_t f;
    check(write_file(NAMED_FILE, "[Stage]\r\nAxes=X Y\r\nSpeed=   100\r\n") &&
              write_file(TABLE_FILE, "[Table]\r\nTableLength=3\r\nMaxNameLen=10\r\nMaxUnitLen=5\r\n"
                                     "ControlName=Steps\r\nColumnName=Steps Focus\r\nColumnUnit=steps um\r\n"
                                     "ColumnFactor=1 10\r\nColumnDivider=1 1\r\nMinPhyData=0\r\nMaxPhyData=2000\r\n"
                                     "Pos1=0 0\r\nPos2=1000 5000\r\nPos3=2000 20000\r\n"),
          "cannot write the test files");
    for (f = 0; f < sizeof families / sizeof families[0]; ++f) run(families[f]);
    remove(NAMED_FILE);
    remove(TABLE_FILE);
    if (failures == 0) puts(SMOKE ": all checks passed");
    return failures == 0 ? 0 : 1;
}
