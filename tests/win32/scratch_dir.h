// A fresh directory under the system's temporary directory, removed with
// everything in it when the test ends.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace xq::test {

class ScratchDir {
public:
    ScratchDir() {
        char base[MAX_PATH + 1] = {};
        GetTempPathA(sizeof base, base);
        for (unsigned n = 0;; ++n) {
            path_ = std::string(base) + "xq_test_" + std::to_string(GetCurrentProcessId()) + "_" +
                    std::to_string(GetTickCount()) + "_" + std::to_string(n);
            if (CreateDirectoryA(path_.c_str(), nullptr)) break;
        }
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    ~ScratchDir() { remove_tree(path_); }

    const std::string& path() const { return path_; }
    // The full path of `name` inside the directory.
    std::string file(std::string_view name) const { return path_ + "\\" + std::string(name); }

    // Creates `name` with exactly `bytes`; returns its full path.
    std::string write(std::string_view name, std::string_view bytes) const {
        const std::string full = file(name);
        HANDLE h = CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
            CloseHandle(h);
        }
        return full;
    }

    // The names in the directory, sorted, "." and ".." left out.
    std::string listing() const {
        std::string names;
        WIN32_FIND_DATAA found{};
        HANDLE h = FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            const std::string_view name = found.cFileName;
            if (name != "." && name != "..") names += std::string(name) + ";";
        } while (FindNextFileA(h, &found));
        FindClose(h);
        return names;
    }

private:
    static void remove_tree(const std::string& dir) {
        WIN32_FIND_DATAA found{};
        HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &found);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (name == "." || name == "..") continue;
                const std::string full = dir + "\\" + name;
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                    remove_tree(full);
                } else {
                    DeleteFileA(full.c_str());
                }
            } while (FindNextFileA(h, &found));
            FindClose(h);
        }
        RemoveDirectoryA(dir.c_str());
    }

    std::string path_;
};

// The whole contents of `path`, or "<missing>".
inline std::string read_file(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string out;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got > 0) out.append(chunk, got);
    CloseHandle(h);
    return out;
}

}  // namespace xq::test
