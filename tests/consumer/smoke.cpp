// Smoke test of the installed library from C++: the header compiles as C++
// and every family answers. Exit status 0 when all pass.
#include <array>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

#include "xq_utils.h"

namespace {

#ifdef _WIN32
constexpr const char *kFile = ".\\xq_smoke_cpp.ini";
#else
constexpr const char *kFile = "./xq_smoke_cpp.ini";
#endif

int failures = 0;

void check(bool ok, std::string_view what) {
    if (!ok) {
        std::cerr << "smoke_cpp: FAILED: " << what << '\n';
        ++failures;
    }
}

} // namespace

int main() {
    {
        std::ofstream out(kFile, std::ios::binary);
        out << "[Lamp]\r\nIntensity=  40\r\nMode=Auto,Manual\r\n";
        if (!out) {
            std::cerr << "smoke_cpp: cannot write " << kFile << '\n';
            return 1;
        }
    }
    std::array<char, 260> text{};

    check(GetVortaRootDir(text.data(), text.size()) == 1, "GetVortaRootDir");
    int32_t flag = 0;
    StatusRecord status{};
    SetError(&flag, 1, 3, 13, nullptr, nullptr, nullptr, &status);
    check(flag == 1 && status.ErrorClass == 3 && status.ErrorCode == 13, "SetError");

    check(GetNamedInt("Lamp", "Intensity", kFile) == 40, "GetNamedInt");
    check(GetNamedData("Lamp", "Mode", 2, text.data(), text.size(), kFile, 1, &flag, &status) == 1 &&
              std::string_view(text.data()) == "Manual",
          "GetNamedData");
    check(RplNamedString("Lamp", "Intensity", "75", kFile) == 1 &&
              GetNamedInt("Lamp", "Intensity", kFile) == 75,
          "RplNamedString");

    TokenStream *stream = CreateStrTokEx("x,y", ",");
    check(stream != nullptr && std::string_view(GetStrTokEx(stream, nullptr)) == "x" && CloseStrTokEx(stream) == 1,
          "token stream");

    check(LcvScaleInt(-7, 1, 2) == -4, "LcvScaleInt");
    const int32_t xs[] = {0, 100};
    const int32_t ys[] = {0, 1000};
    check(LcvLinIpolInt(2, xs, ys, 50) == 500, "LcvLinIpolInt");

    check(VOKSDKChangeRoot("xq_smoke_no_root") == 1 && GetQelStandComp("Focus") == 0 &&
              GetPsiNextLayer("Stage", text.data(), text.size()) == 1 && std::string_view(text.data()) == "None",
          "configuration lookups");

    check(DllRegisterServer() == 0, "DllRegisterServer");

    std::remove(kFile);
    if (failures == 0)
        std::cout << "smoke_cpp: all checks passed\n";
    return failures == 0 ? 0 : 1;
}
