// The built library as callers see it: loaded at run time, the header
// declaring each listed function with the listed argument count, the
// component entry points answering as documented and, on Windows, the
// version resource. Names and ordinals are check_exports.cmake's, which reads
// the export table itself (and the 32-bit stdcall_pointers finds each by
// name and by ordinal at one address).
#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <string>

#include "xq_utils.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

// Argument count of a function pointer type.
template <class F>
struct Arity;
template <class R, class... A>
struct Arity<R (*)(A...)> {
    static constexpr std::size_t value = sizeof...(A);
};
#if defined(_WIN32) && !defined(_WIN64)
template <class R, class... A>
struct Arity<R(__stdcall*)(A...)> {  // a distinct type on 32-bit Windows
    static constexpr std::size_t value = sizeof...(A);
};
#endif

struct Export {
    unsigned ordinal;
    const char* name;
    std::size_t listed_args;
    std::size_t declared_args;
};

// Naming each function here fails the build when the header lacks it.
#define XQ_EXPORT(ordinal, name, args) Export{ordinal, #name, args, Arity<decltype(&name)>::value},
constexpr std::array kExports = {
#include "exports.inc"
};
#undef XQ_EXPORT

constexpr bool header_matches_list() {
    for (const Export& e : kExports) {
        if (e.listed_args != e.declared_args) return false;
    }
    return true;
}
static_assert(header_matches_list(), "the header and exports.list disagree on an argument count");

// The surface is complete: ordinals 1 to 80, each once, in order.
constexpr bool ordinals_are_one_to_eighty() {
    if (kExports.size() != 80) return false;
    for (std::size_t i = 0; i < kExports.size(); ++i) {
        if (kExports[i].ordinal != i + 1) return false;
    }
    return true;
}
static_assert(ordinals_are_one_to_eighty(), "exports.list must hold ordinals 1 to 80 in order");

// A function pointer of type F at the address `p`.
template <class F, class P>
F as_function(P p) {
    static_assert(sizeof(F) == sizeof(P));
    F f;
    std::memcpy(&f, &p, sizeof f);
    return f;
}

#ifdef _WIN32
using Module = HMODULE;
// The DLL beside the test program (both in bin/).
std::string library_path() {
    char self[MAX_PATH] = {};
    const std::string path(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
    return path.substr(0, path.find_last_of('\\') + 1) + "xq_utils.dll";
}
Module load(const std::string& path) { return LoadLibraryA(path.c_str()); }
void unload(Module m) { FreeLibrary(m); }
void* symbol(Module m, const char* name) { return as_function<void*>(GetProcAddress(m, name)); }
#else
using Module = void*;
std::string library_path() { return XQ_LIBRARY_FILE; }
Module load(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }
void unload(Module m) { dlclose(m); }
void* symbol(Module m, const char* name) { return dlsym(m, name); }
#endif

// The library, loaded for one test as callers load it.
class LoadedLibrary : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(module, nullptr) << "cannot load " << path; }
    void TearDown() override {
        if (module != nullptr) unload(module);
    }
    template <class F>
    F function(const char* name) const {
        return as_function<F>(symbol(module, name));
    }
    const std::string path = library_path();
    Module module = load(path);
};

TEST_F(LoadedLibrary, ComponentEntryPointsRegisterNothing) {
    const auto register_server = function<decltype(&DllRegisterServer)>("DllRegisterServer");
    const auto can_unload = function<decltype(&DllCanUnloadNow)>("DllCanUnloadNow");
    const auto get_class = function<decltype(&DllGetClassObject)>("DllGetClassObject");
    ASSERT_NE(register_server, nullptr);
    ASSERT_NE(can_unload, nullptr);
    ASSERT_NE(get_class, nullptr);
    EXPECT_EQ(register_server(), 0);
    EXPECT_EQ(register_server(), 0);
    EXPECT_EQ(can_unload(), 0);

    const GUID classes[] = {
        {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}},
        {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}},  // the class factory interface
        {0x8d3a6b1e, 0x52c4, 0x4f0b, {0x9a, 0x1e, 0x33, 0x70, 0x0d, 0x5c, 0x21, 0x7f}},
    };
    constexpr auto kClassNotAvailable = static_cast<HRESULT>(0x80040111u);
    for (const GUID& id : classes) {
        int dummy = 0;
        void* object = &dummy;
#ifdef _WIN32
        const HRESULT result = get_class(id, classes[1], &object);  // identifiers by reference
#else
        const HRESULT result = get_class(&id, &classes[1], &object);
#endif
        EXPECT_EQ(result, kClassNotAvailable);
        EXPECT_EQ(object, nullptr);
    }
}

#ifdef _WIN32
// The string `name` of the version resource's English block.
std::string version_string(const std::string& data, const char* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\040904e4\\") + name;
    if (!VerQueryValueA(data.data(), path.c_str(), &value, &length) || value == nullptr) return "<missing>";
    return std::string(static_cast<const char*>(value));
}

TEST_F(LoadedLibrary, VersionResourceDescribesTheModule) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::string data(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));

    void* fixed_ptr = nullptr;
    UINT fixed_size = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", &fixed_ptr, &fixed_size));
    ASSERT_GE(fixed_size, sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO fixed{};
    std::memcpy(&fixed, fixed_ptr, sizeof fixed);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, (4u << 16) | 1u);
    EXPECT_EQ(fixed.dwFileVersionLS, (3u << 16) | 0u);
    EXPECT_EQ(fixed.dwProductVersionMS, (4u << 16) | 1u);
    EXPECT_EQ(fixed.dwProductVersionLS, (3u << 16) | 0u);
    EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_DLL));

    void* translation = nullptr;
    UINT translation_size = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", &translation, &translation_size));
    ASSERT_GE(translation_size, 4u);
    WORD language_codepage[2] = {};
    std::memcpy(language_codepage, translation, sizeof language_codepage);
    EXPECT_EQ(language_codepage[0], 0x0409);
    EXPECT_EQ(language_codepage[1], 0x04e4);

    EXPECT_EQ(version_string(data, "FileDescription"), "xq_utils");
    EXPECT_EQ(version_string(data, "InternalName"), "xq_utils");
    EXPECT_EQ(version_string(data, "OriginalFilename"), "xq_utils.dll");
}
#endif

}  // namespace
