// A replaceable system for tests: a manual millisecond clock, in-memory files and captured debug
// lines. Installing it (constructor) replaces the engine's system table; the destructor restores
// the default.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tavik/system.h"

namespace tavik::test {

class FakeSystem {
  public:
    struct Read {
        uint32_t offset;
        uint32_t count;
        uint32_t got;
    };

    FakeSystem();
    ~FakeSystem();
    FakeSystem(const FakeSystem&) = delete;
    FakeSystem& operator=(const FakeSystem&) = delete;

    // The clock: advanced by hand, and by `msPerYield` on every yield of a busy wait.
    uint32_t now = 1000;
    uint32_t msPerYield = 1;
    int32_t debugSetting = 0;
    std::string debugOutput;

    // Files by name. Opening gives a handle; reads are recorded.
    void AddFile(const std::string& name, std::vector<uint8_t> bytes);
    // Opens a handle directly, positioned at `offset` (for opening by file handle).
    TavikFile OpenHandle(const std::string& name, uint32_t offset = 0);
    bool IsOpen(TavikFile file) const { return open_.count(file) != 0; }
    size_t OpenCount() const { return open_.size(); }
    // File reads made so far, in order.
    std::vector<Read> reads;
    // Cuts a file short: reads see only the first `length` bytes.
    void Truncate(const std::string& name, uint32_t length);

  private:
    struct Open {
        std::string name;
        uint32_t position;
    };
    static uint32_t Milliseconds(void* self);
    static void Yield(void* self);
    static TavikFile OpenFile(void* self, const char* name);
    static void CloseFile(void* self, TavikFile file);
    static uint32_t ReadFile(void* self, TavikFile file, void* destination, uint32_t count);
    static int SeekFile(void* self, TavikFile file, uint32_t offset);
    static uint32_t TellFile(void* self, TavikFile file);
    static uint32_t FileSize(void* self, TavikFile file);
    static int32_t DebugSetting(void* self);
    static void DebugWrite(void* self, const char* text);

    std::map<std::string, std::vector<uint8_t>> files_;
    std::map<TavikFile, Open> open_;
    TavikFile nextHandle_ = 100;
};

}  // namespace tavik::test
