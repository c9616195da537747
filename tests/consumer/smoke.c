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
/* A path, not a bare name: Windows looks for bare names in its own directory. */
#define INI_FILE "./xq_" SMOKE ".ini"

static int failures = 0;

static void check(int ok, const char *what) {
    if (!ok) fprintf(stderr, SMOKE ": FAILED: %s\n", what);
    failures += !ok;
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

/* Settings, a configuration lookup under a root without configuration files,
 * the status record and named entries read and rewritten. */
static void settings_status_and_files(void) {
    char text[260];
    int32_t flag = 0;
    StatusRecord status;
    check(VOKSDKChangeRoot("xq_no_root") == 1 && GetVortaRootDir(text, sizeof text) == 1 &&
              strcmp(text, "xq_no_root") == 0,
          "GetVortaRootDir");
    check(GetPsiServer("Stage", text, sizeof text) == 1 && strcmp(text, "None") == 0, "GetPsiServer");
    SetError(&flag, 7, 3, 18, INI_FILE, NULL, NULL, &status);
    check(flag == 1 && status.Origin == 7 && status.ErrorClass == 3 && status.ErrorCode == 18 &&
              strstr(status.Text, "xq_" SMOKE ".ini") != NULL,
          "SetError");
    check(GetNamedString("Stage", "Axes", text, sizeof text, INI_FILE) == text && strcmp(text, "X Y") == 0,
          "GetNamedString");
    check(RplNamedInt("Stage", "Speed", 2500, INI_FILE) == 1 && GetNamedInt("Stage", "Speed", INI_FILE) == 2500,
          "RplNamedInt");
}

/* A three-row table in a block of the reported size: the name area follows
 * the header as this compiler lays it out, nothing is written beyond the
 * block, the fields read back as filled and values convert both ways; then
 * scaling, interpolation, number texts and a token stream. */
static void conversions_and_tokens(void) {
    union {
        LcvDataHandle handle;
        char bytes[200];
    } block;
    LcvDataHandle *h = &block.handle;
    const uint32_t size = LcvGetDataHandleSize("Table", INI_FILE);
    static const int32_t x[] = {0, 100, 200}, y[] = {0, 1000, 4000};
    int32_t cell = 0, error = 1;
    char text[32];
    TokenStream *stream = CreateStrTokEx("a;b", ";");
    memset(block.bytes, 'Z', sizeof block.bytes);
    check(size > sizeof *h && size < sizeof block.bytes && LcvInitDataHandle("Table", INI_FILE, "Focus", h) == 1,
          "LcvInitDataHandle");
    check(h->DataName == block.bytes + sizeof *h && block.bytes[size] == 'Z', "conversion block layout");
    memcpy(&cell, h->DataPos + 2, sizeof cell);
    check(strcmp(h->DataName, "Focus") == 0 && strcmp(h->DataUnit, "um") == 0 && h->TableLength == 3 &&
              h->MaxLogData == 20000 && cell == 20000,
          "conversion block fields");
    check(LcvLogToPhy(12500, h) == 1500 && h->LogData == 12500 && h->PhyData == 1500 && LcvPhyToLog(1500, h) == 12500,
          "LcvLogToPhy");
    check(ScaleInt(5, 1, 2) == 3 && ScaleInt(-5, 1, 2) == -3 && LcvScaleInt(10, 3, 4) == 8, "ScaleInt");
    check(LinIpolInt(3, x, y, 150, &error) == 2500 && error == 0, "LinIpolInt");
    check(BinToAsc(text, sizeof text, 1, 1000, 12345, "mm", 2) == text && strcmp(text, "12.35 mm") == 0, "BinToAsc");
    check(stream != NULL && strcmp(GetStrTokEx(stream, NULL), "a") == 0 && strcmp(GetStrTokEx(stream, NULL), "b") == 0 &&
              CloseStrTokEx(stream) == 1,
          "token stream");
}

int main(void) {
    FILE *file = fopen(INI_FILE, "wb");
    check(file != NULL && fputs("[Stage]\r\nAxes=X Y\r\nSpeed=   100\r\n[Table]\r\nTableLength=3\r\nMaxNameLen=10\r\n"
                                "MaxUnitLen=5\r\nControlName=Steps\r\nColumnName=Steps Focus\r\nColumnUnit=steps um\r\n"
                                "ColumnFactor=1 10\r\nColumnDivider=1 1\r\nMinPhyData=0\r\nMaxPhyData=2000\r\n"
                                "Pos1=0 0\r\nPos2=1000 5000\r\nPos3=2000 20000\r\n", file) >= 0,
          "cannot write the test file");
    if (file != NULL) fclose(file);
    run(settings_status_and_files);
    run(conversions_and_tokens);
    remove(INI_FILE);
    return failures != 0;
}
