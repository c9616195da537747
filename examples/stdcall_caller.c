/* A 32-bit C caller of the library's __stdcall exports, linked through the
 * stdcall import library: it links only if that library binds the decorated
 * names the compiler emits (GetVortaRootDir@8, ...) to the DLL's plain names. */
#include <stdio.h>

#include "xq_utils.h"

int main(void) {
    char root[260];
    char version[260];
    void *factory = NULL;
    const GUID no_class = {0x8d3a6b1e, 0x52c4, 0x4f0b, {0x9a, 0x1e, 0x33, 0x70, 0x0d, 0x5c, 0x21, 0x7f}};
    int32_t changed = VOKSDKChangeLang("ENG");
    GetVortaRootDir(root, sizeof root);
    if (!GetVortaSDKVersion(version, sizeof version)) version[0] = '\0';
    printf("root %s, kit %s, language override %d\n", root, version, (int)changed);
    printf("register %ld, unload %ld, class %#lx\n", (long)DllRegisterServer(), (long)DllCanUnloadNow(),
           (unsigned long)DllGetClassObject(&no_class, &no_class, &factory));
    return 0;
}
