// The small services of the seam on Win32: the date, memory blocks and the
// 8-bit character set (the ANSI code page).
#include <windows.h>

#include <limits>

#include "platform/fault.h"
#include "platform/platform.h"

// Today's date in Coordinated Universal Time.
namespace xq::os {

Date utc_date() {
    SYSTEMTIME now{};
    GetSystemTime(&now);
    return Date{now.wDay, now.wMonth, now.wYear};
}

// Memory blocks in movable global memory, locked for the time they are used.

void* memory_alloc(std::size_t size) {
    if (fault_point(Op::alloc)) return nullptr;
    // A zero-byte movable block cannot be locked; give it one byte.
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size > 0 ? size : 1);
    if (block == nullptr) return nullptr;
    void* data = GlobalLock(block);
    if (data == nullptr) GlobalFree(block);
    return data;
}

void memory_free(void* data) {
    if (data == nullptr) return;
    HGLOBAL block = GlobalHandle(data);
    if (block == nullptr) return;
    GlobalUnlock(block);
    GlobalFree(block);
}

// Conversions between UTF-16 and the ANSI code page of the A functions.
namespace {

constexpr std::size_t kMaxChars = static_cast<std::size_t>(std::numeric_limits<int>::max());

}  // namespace

std::string wide_to_narrow(std::u16string_view text) {
    if (text.empty() || text.size() > kMaxChars) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    // A UTF-8 ANSI code page maps everything and refuses a default character.
    const char* fallback = GetACP() == CP_UTF8 ? nullptr : "?";
    const int needed = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, fallback, nullptr);
    if (needed <= 0) return {};
    std::string out(static_cast<std::size_t>(needed), '\0');
    const int made = WideCharToMultiByte(CP_ACP, 0, wide, length, out.data(), needed, fallback, nullptr);
    out.resize(made > 0 ? static_cast<std::size_t>(made) : 0);
    return out;
}

std::u16string narrow_to_wide(std::string_view text) {
    if (text.empty() || text.size() > kMaxChars) return {};
    const int length = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (needed <= 0) return {};
    std::u16string out(static_cast<std::size_t>(needed), u'\0');
    auto* wide = reinterpret_cast<wchar_t*>(out.data());
    const int made = MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide, needed);
    out.resize(made > 0 ? static_cast<std::size_t>(made) : 0);
    return out;
}

}  // namespace xq::os
