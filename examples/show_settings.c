/* Prints the installation settings and where the two configuration files
 * are, the way a kit module finds them. */
#include <stdio.h>
#include <string.h>

#include "xq_utils.h"

static void show(const char *label, int32_t (XQ_CALL *getter)(char *, uint32_t)) {
    char text[260];
    int32_t result = getter(text, sizeof text);
    printf("%-22s %s%s\n", label, text, result ? "" : "  (not available)");
}

/* The configuration file's full path: root, one backslash, file name. */
static void show_path(const char *label, int32_t (XQ_CALL *file_getter)(char *, uint32_t)) {
    char root[260], name[260];
    GetVortaRootDir(root, sizeof root);
    file_getter(name, sizeof name);
    if (strcmp(root, "0") == 0)
        printf("%-22s (no root directory configured)\n", label);
    else
        printf("%-22s %s\\%s\n", label, root, name);
}

int main(void) {
    char version[260] = "";
    show("Root directory:", GetVortaRootDir);
    show("Language:", GetVortaLang);
    show("First setup:", GetVortaFirstSetup);
    show("Logical config file:", GetVortaLogConfFile);
    show("Physical config file:", GetVortaPhyConfFile);
    if (GetVortaSDKVersion(version, sizeof version))
        printf("%-22s %s\n", "Kit version:", version);
    else
        printf("%-22s (not installed)\n", "Kit version:");
    show_path("Logical config path:", GetVortaLogConfFile);
    show_path("Physical config path:", GetVortaPhyConfFile);
    return 0;
}
