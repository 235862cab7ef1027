// The default system table: the platform's clock, files and debug output.
#include "tavik/system.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#undef Yield  // an old no-op macro of windows.h that would rename the function below
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#endif

namespace {

#ifdef _WIN32
uint32_t Milliseconds(void*) {
    return timeGetTime();
}
void Yield(void*) {
    Sleep(0);
}
TavikFile OpenFile(void*, const char* name) {
    HANDLE h = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    return h == INVALID_HANDLE_VALUE ? TAVIK_INVALID_FILE : reinterpret_cast<TavikFile>(h);
}
void CloseFile(void*, TavikFile file) {
    CloseHandle(reinterpret_cast<HANDLE>(file));
}
uint32_t ReadFileBytes(void*, TavikFile file, void* destination, uint32_t count) {
    DWORD got = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(file), destination, count, &got, nullptr)) return 0;
    return got;
}
int SeekFile(void*, TavikFile file, uint32_t offset) {
    LARGE_INTEGER to;
    to.QuadPart = offset;
    return SetFilePointerEx(reinterpret_cast<HANDLE>(file), to, nullptr, FILE_BEGIN) ? 1 : 0;
}
uint32_t TellFile(void*, TavikFile file) {
    LARGE_INTEGER zero{}, at{};
    if (!SetFilePointerEx(reinterpret_cast<HANDLE>(file), zero, &at, FILE_CURRENT)) return ~0u;
    return static_cast<uint32_t>(at.QuadPart);
}
uint32_t FileSize(void*, TavikFile file) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(reinterpret_cast<HANDLE>(file), &size) || size.QuadPart > 0xFFFFFFFELL)
        return ~0u;
    return static_cast<uint32_t>(size.QuadPart);
}
int32_t DebugSetting(void*) {
    return static_cast<int32_t>(GetProfileIntA("Tavik", "Debug", 0));
}
void DebugWrite(void*, const char* text) {
    OutputDebugStringA(text);
}
#else
uint32_t Milliseconds(void*) {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
void Yield(void*) {
    std::this_thread::yield();
}
TavikFile OpenFile(void*, const char* name) {
    const int fd = open(name, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return TAVIK_INVALID_FILE;
#ifdef POSIX_FADV_SEQUENTIAL
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    return fd;
}
void CloseFile(void*, TavikFile file) {
    close(static_cast<int>(file));
}
uint32_t ReadFileBytes(void*, TavikFile file, void* destination, uint32_t count) {
    uint32_t done = 0;
    while (done < count) {
        const ssize_t got =
            read(static_cast<int>(file), static_cast<char*>(destination) + done, count - done);
        if (got <= 0) break;
        done += static_cast<uint32_t>(got);
    }
    return done;
}
int SeekFile(void*, TavikFile file, uint32_t offset) {
    return lseek(static_cast<int>(file), static_cast<off_t>(offset), SEEK_SET) >= 0 ? 1 : 0;
}
uint32_t TellFile(void*, TavikFile file) {
    const off_t at = lseek(static_cast<int>(file), 0, SEEK_CUR);
    return at < 0 ? ~0u : static_cast<uint32_t>(at);
}
uint32_t FileSize(void*, TavikFile file) {
    struct stat info {};
    if (fstat(static_cast<int>(file), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size > 0xFFFFFFFELL)
        return ~0u;
    return static_cast<uint32_t>(info.st_size);
}
// Elsewhere the setting comes from the environment variable TAVIK_DEBUG.
int32_t DebugSetting(void*) {
    const char* value = std::getenv("TAVIK_DEBUG");
    return value ? static_cast<int32_t>(std::strtol(value, nullptr, 0)) : 0;
}
void DebugWrite(void*, const char* text) {
    std::fputs(text, stderr);
}
#endif

const TavikSystem kDefault = {nullptr,   Milliseconds,  Yield,     OpenFile,
                              CloseFile, ReadFileBytes, SeekFile,  TellFile,
                              FileSize,  DebugSetting,  DebugWrite};
TavikSystem g_system = kDefault;

}  // namespace

extern "C" {

void TavikSetSystem(const TavikSystem* system) {
    g_system = system ? *system : kDefault;
}
const TavikSystem* TavikGetSystem(void) {
    return &g_system;
}
const TavikSystem* TavikDefaultSystem(void) {
    return &kDefault;
}
}
