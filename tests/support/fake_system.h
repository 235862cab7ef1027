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
        uint32_t offset, count, got;
    };

    FakeSystem();
    ~FakeSystem() { TavikSetSystem(nullptr); }
    FakeSystem(const FakeSystem&) = delete;
    FakeSystem& operator=(const FakeSystem&) = delete;

    // The clock: advanced by hand, and by a millisecond on every yield of a busy wait.
    uint32_t now = 1000;
    int32_t debugSetting = 0;
    std::string debugOutput;

    // Files by name. Opening gives a handle; reads are recorded.
    void AddFile(const std::string& name, std::vector<uint8_t> bytes) {
        files_[name] = std::move(bytes);
    }
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
    std::map<std::string, std::vector<uint8_t>> files_;
    std::map<TavikFile, Open> open_;
    TavikFile nextHandle_ = 100;
};

}  // namespace tavik::test
