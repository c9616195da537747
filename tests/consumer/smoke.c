/* Smoke test of the installed library: includes only the public header and
 * calls one export of every family. Built as C, and through smoke.cpp as C++.
 * Exit status 0 when all pass. */
#include <stdio.h>
#include <string.h>

#include "xq_utils.h"

#ifdef __cplusplus
#  define SMOKE "smoke_cpp"
#else
#  define SMOKE "smoke_c"
#endif
#ifdef _WIN32
#  define SMOKE_FILE ".\\xq_" SMOKE ".ini"
#else
#  define SMOKE_FILE "./xq_" SMOKE ".ini"
#endif

static int failures = 0;

static void check(int ok, const char *what) {
    if (!ok) {
        fprintf(stderr, SMOKE ": FAILED: %s\n", what);
        ++failures;
    }
}

int main(void) {
    char text[260];
    int32_t flag = 0;
    StatusRecord status;
    TokenStream *stream;
    FILE *file = fopen(SMOKE_FILE, "wb");
    if (file == NULL) {
        perror(SMOKE ": " SMOKE_FILE);
        return 1;
    }
    fputs("[Stage]\r\nAxes=X Y\r\nSpeed=   100\r\n", file);
    fclose(file);

    /* Installation settings and status record. */
    check(GetVortaLang(text, sizeof text) == 1, "GetVortaLang");
    SetError(&flag, 7, 3, 18, SMOKE_FILE, NULL, NULL, &status);
    check(flag == 1 && status.ErrorCode == 18 && strstr(status.Text, "xq_" SMOKE ".ini") != NULL, "SetError");

    /* Named-entry files: lookup and in-place rewrite. */
    check(GetNamedString("Stage", "Axes", text, sizeof text, SMOKE_FILE) == text && strcmp(text, "X Y") == 0,
          "GetNamedString");
    check(GetNamedSubstringString("Stage", "Axes", 2, text, sizeof text, SMOKE_FILE) != NULL && strcmp(text, "Y") == 0,
          "GetNamedSubstringString");
    check(RplNamedInt("Stage", "Speed", 2500, SMOKE_FILE) == 1 && GetNamedInt("Stage", "Speed", SMOKE_FILE) == 2500,
          "RplNamedInt");

    /* Token streams. */
    stream = CreateStrTokEx("a;b", ";");
    check(stream != NULL && strcmp(GetStrTokEx(stream, NULL), "a") == 0 && CloseStrTokEx(stream) == 1,
          "token stream");

    /* Value conversion. */
    check(ScaleInt(7, 1, 2) == 4, "ScaleInt");
    check(BinToAsc(text, sizeof text, 1, 1000, 12345, "mm", 2) == text && strcmp(text, "12.35 mm") == 0,
          "BinToAsc");

    /* Configuration lookups: nothing configured reads "None". */
    check(VOKSDKChangeRoot("xq_smoke_no_root") == 1 && GetPsiServer("Stage", text, sizeof text) == 1 &&
              strcmp(text, "None") == 0,
          "GetPsiServer");
    check(GetQelServerEnabled("Stage") == 0, "GetQelServerEnabled");

    /* Component entry points. */
    check(DllRegisterServer() == 0, "DllRegisterServer");

    remove(SMOKE_FILE);
    if (failures == 0)
        puts(SMOKE ": all checks passed");
    return failures == 0 ? 0 : 1;
}
