/* A 32-bit C caller linked through the stdcall import library, calling every
 * family of the interface as the header declares it. Each family runs many
 * times through checked_call, so a convention or argument size that disagrees
 * with the DLL shows as a moved stack pointer (the families are built without
 * frame pointers, so nothing hides an imbalance). It also checks the
 * conversion block as 32-bit callers lay it out (the header's own offsets are
 * asserted when the library is built): the 110-byte block of a three-row
 * table. Exit status 0 when all pass. */
#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include "checked_call.h"
#include "xq_utils.h"

#define TABLE_FILE ".\\xq_import_caller_table.ini"
#define NAMED_FILE ".\\xq_import_caller_named.ini"

/* Writes `text` to `path`; 1 when done. */
static int write_file(const char *path, const char *text) {
    FILE *file = fopen(path, "wb");
    if (file == NULL) return 0;
    fputs(text, file);
    return fclose(file) == 0;
}

/* Conversion tables: the three-row block filled by the DLL, then converted
 * through both ways. */
static void conversion_table(void) {
    union {
        LcvDataHandle handle;
        unsigned char bytes[160];
    } block;
    LcvDataHandle *h = &block.handle;
    char text[32];
    int32_t cell;
    memset(block.bytes, 0xA5, sizeof block.bytes);
    check(LcvGetDataHandleSize("Table", TABLE_FILE) == 110, "LcvGetDataHandleSize", "not the padded 110 bytes");
    check(LcvInitDataHandle("Table", TABLE_FILE, "Focus", h) == 1, "LcvInitDataHandle", "failed");
    check((unsigned char *)h->DataName - block.bytes == 68, "DataName", "not right after the header");
    check((unsigned char *)h->DataUnit - block.bytes == 79, "DataUnit", "not after the name area");
    check((unsigned char *)h->ControlPos - block.bytes == 86, "ControlPos", "not at the even offset 86");
    check((unsigned char *)h->DataPos - block.bytes == 98, "DataPos", "not at offset 98");
    check(block.bytes[110] == 0xA5, "LcvInitDataHandle", "wrote beyond the block");
    check(strcmp(h->DataName, "Focus") == 0 && strcmp(h->DataUnit, "um") == 0 && h->TableLength == 3,
          "LcvInitDataHandle", "wrong name, unit or length");
    memcpy(&cell, (const unsigned char *)h->DataPos + 8, sizeof cell);
    check(cell == 20000, "DataPos", "wrong third cell");
    check(h->MinLogData == 0 && h->MaxLogData == 20000, "LcvInitDataHandle", "wrong logical limits");
    check(LcvLogToPhy(12500, h) == 1500 && h->LogData == 12500 && h->PhyData == 1500, "LcvLogToPhy", "wrong value");
    check(LcvPhyToLog(1500, h) == 12500, "LcvPhyToLog", "wrong value");
    check(LcvToAsc(text, sizeof text, 12500, 1, NULL, h) == text && strcmp(text, "1250.0 um") == 0, "LcvToAsc",
          "wrong text");
}

static void status_and_settings(void) {
    char text[260];
    int32_t flag = 0;
    StatusRecord status;
    check(VOKSDKChangeRoot("C:\\xq_import_caller") == 1 && GetVortaRootDir(text, sizeof text) == 1 &&
              strcmp(text, "C:\\xq_import_caller") == 0,
          "GetVortaRootDir", "not the override");
    check(VOKSDKChangeLang("ENG") == 1 && GetVortaLang(text, sizeof text) == 1 && strcmp(text, "ENG") == 0,
          "GetVortaLang", "not the override");
    SetError(&flag, 7, 3, 18, "x.ini", NULL, NULL, &status);
    check(flag == 1 && status.Origin == 7 && status.ErrorCode == 18 && strstr(status.Text, "x.ini") != NULL,
          "SetError", "wrong record");
}

static void named_files(void) {
    char text[64];
    check(GetNamedString("Stage", "Axes", text, sizeof text, NAMED_FILE) == text && strcmp(text, "X Y") == 0,
          "GetNamedString", "wrong value");
    check(GetNamedSubstringString("Stage", "Axes", 2, text, sizeof text, NAMED_FILE) == text && strcmp(text, "Y") == 0,
          "GetNamedSubstringString", "wrong word");
    check(GetNamedArrayElement("Stage", "%Pos", 2, 2, NAMED_FILE) == -40, "GetNamedArrayElement", "wrong cell");
    check(RplNamedInt("Stage", "Speed", 2500, NAMED_FILE) == 1 && GetNamedInt("Stage", "Speed", NAMED_FILE) == 2500,
          "RplNamedInt", "not rewritten");
}

static void values_and_tokens(void) {
    static const int32_t x[] = {0, 100, 200}, y[] = {0, 1000, 4000};
    char text[32];
    int32_t error = 1;
    TokenStream *stream = CreateStrTokEx("a;b", ";");
    check(ScaleInt(5, 1, 2) == 3 && ScaleInt(-5, 1, 2) == -3 && LcvScaleInt(10, 3, 4) == 8, "ScaleInt",
          "halves not away from zero");
    check(LinIpolInt(3, x, y, 150, &error) == 2500 && error == 0, "LinIpolInt", "wrong value");
    check(BinToAsc(text, sizeof text, 1, 1000, 12345, "mm", 2) == text && strcmp(text, "12.35 mm") == 0, "BinToAsc",
          "wrong text");
    check(stream != NULL && strcmp(GetStrTokEx(stream, NULL), "a") == 0 && strcmp(GetStrTokEx(stream, NULL), "b") == 0 &&
              CloseStrTokEx(stream) == 1,
          "token stream", "wrong tokens");
}

static void configuration_and_components(void) {
    char text[260];
    uint16_t day = 0, month = 0, year = 0;
    check(GetPsiServer("Stage", text, sizeof text) == 1 && strcmp(text, "None") == 0, "GetPsiServer",
          "configured without configuration files");
    check(GetQelServerEnabled("Stage") == 0 && GetQelMode("Stage") == -1, "GetQelServerEnabled", "enabled");
    GetDate(&day, &month, &year);
    check(day >= 1 && day <= 31 && month >= 1 && month <= 12 && year >= 2024, "GetDate", "not a date");
    check(DllRegisterServer() == 0 && DllCanUnloadNow() == 0, "DllRegisterServer", "registered something");
}

int main(void) {
    static void (*const families[])(void) = {conversion_table, status_and_settings, named_files, values_and_tokens,
                                             configuration_and_components};
    size_t f;
    int round;
    check(write_file(TABLE_FILE, "[Table]\r\nTableLength=3\r\nMaxNameLen=10\r\nMaxUnitLen=5\r\n"
                                 "ControlName=Steps\r\nColumnName=Steps Focus\r\nColumnUnit=steps um\r\n"
                                 "ColumnFactor=1 10\r\nColumnDivider=1 1\r\nMinPhyData=0\r\nMaxPhyData=2000\r\n"
                                 "Pos1=0 0\r\nPos2=1000 5000\r\nPos3=2000 20000\r\n") &&
              write_file(NAMED_FILE, "[Stage]\r\nAxes=X Y\r\nSpeed=   100\r\nPos1=1 -20\r\nPos2=2 -40\r\n"),
          "setup", "cannot write the test files");
    for (round = 0; round < 200 && check_failures == 0; ++round) {
        for (f = 0; f < sizeof families / sizeof families[0]; ++f) {
            CallEffect effect;
            checked_call(families[f], NULL, 0, &effect);
            check_effect(&effect, "a family of calls");
        }
    }
    remove(TABLE_FILE);
    remove(NAMED_FILE);
    if (check_failures == 0) puts("import_caller: all checks passed");
    return check_failures == 0 ? 0 : 1;
}
