// vorta_host: calls the engine DLL the way the desktop front end does, for checking a Windows
// build without the front end.
//
//   vorta_host [--dll PATH] [FOLDER]
//
// It writes no file itself: FOLDER (default: the current folder) must already hold a names.dat
// and the files it names. The host makes FOLDER the working directory, loads vorta.dll (from
// beside the host unless --dll names another), looks up the export IVORTA, calls it with two
// integers and prints the status it returns. The exit code is that status (0 completed,
// 1 stopped on its input, 2 a file could not be used), or 10 and above when the host itself
// could not get as far as the call.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>

#include "vorta/ivorta.h"

namespace {

// The signature of the export, with the engine's calling convention (__stdcall on 32-bit).
using EntryPoint = std::int32_t(VORTA_CALL*)(std::int32_t, std::int32_t);

constexpr int kUsage = 10;
constexpr int kNoFolder = 11;
constexpr int kNoLibrary = 12;
constexpr int kNoEntry = 13;

std::wstring hostFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        if (path.size() >= 32768) return std::wstring();
        path.resize(path.size() * 2);
    }
    const std::wstring::size_type slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

void printUsage() {
    std::fputs("usage: vorta_host [--dll PATH] [FOLDER]\n"
               "  runs one analysis through vorta.dll on the names.dat of FOLDER (default: the\n"
               "  current folder) and prints the status that IVORTA returns\n",
               stderr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring dll;
    std::wstring folder;
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        if (a == L"--dll") {
            if (i + 1 >= argc) {
                printUsage();
                return kUsage;
            }
            dll = argv[++i];
        } else if (a == L"--help" || a == L"-h") {
            printUsage();
            return 0;
        } else if (!a.empty() && a[0] == L'-') {
            std::fwprintf(stderr, L"vorta_host: unknown option %ls\n", a.c_str());
            printUsage();
            return kUsage;
        } else if (folder.empty()) {
            folder = a;
        } else {
            std::fputs("vorta_host: only one folder may be given\n", stderr);
            return kUsage;
        }
    }
    // Resolve the DLL before changing folder, so that a relative --dll means what it says.
    if (dll.empty()) {
        dll = hostFolder() + L"vorta.dll";
    } else {
        const DWORD n = GetFullPathNameW(dll.c_str(), 0, nullptr, nullptr);
        if (n > 0) {
            std::wstring full(n, L'\0');
            const DWORD m = GetFullPathNameW(dll.c_str(), n, full.data(), nullptr);
            if (m > 0 && m < n) {
                full.resize(m);
                dll = full;
            }
        }
    }
    if (!folder.empty() && !SetCurrentDirectoryW(folder.c_str())) {
        std::fwprintf(stderr, L"vorta_host: cannot change to folder %ls (error %lu)\n", folder.c_str(),
                      static_cast<unsigned long>(GetLastError()));
        return kNoFolder;
    }

    HMODULE library = LoadLibraryW(dll.c_str());
    if (library == nullptr) {
        std::fwprintf(stderr, L"vorta_host: cannot load %ls (error %lu)\n", dll.c_str(),
                      static_cast<unsigned long>(GetLastError()));
        return kNoLibrary;
    }
    const FARPROC address = GetProcAddress(library, "IVORTA");
    if (address == nullptr) {
        std::fwprintf(stderr, L"vorta_host: %ls has no export IVORTA (error %lu)\n", dll.c_str(),
                      static_cast<unsigned long>(GetLastError()));
        FreeLibrary(library);
        return kNoEntry;
    }
    EntryPoint entry = reinterpret_cast<EntryPoint>(reinterpret_cast<void*>(address));

    // The engine's own console lines and the host's line must come out in order.
    std::fflush(stdout);
    const std::int32_t status = entry(0, 0);
    std::fflush(stdout);
    std::printf("IVORTA returned status %d\n", static_cast<int>(status));
    std::fflush(stdout);
    FreeLibrary(library);
    return static_cast<int>(status);
}
