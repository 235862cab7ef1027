#include "support/fake_system.h"

#include <algorithm>
#include <cstring>

namespace tavik::test {

FakeSystem::FakeSystem() {
    TavikSystem table{};
    table.Context = this;
    table.Milliseconds = Milliseconds;
    table.Yield = Yield;
    table.OpenFile = OpenFile;
    table.CloseFile = CloseFile;
    table.ReadFile = ReadFile;
    table.SeekFile = SeekFile;
    table.TellFile = TellFile;
    table.FileSize = FileSize;
    table.DebugSetting = DebugSetting;
    table.DebugWrite = DebugWrite;
    TavikSetSystem(&table);
}

FakeSystem::~FakeSystem() { TavikSetSystem(nullptr); }

void FakeSystem::AddFile(const std::string& name, std::vector<uint8_t> bytes) {
    files_[name] = std::move(bytes);
}

void FakeSystem::Truncate(const std::string& name, uint32_t length) {
    auto& bytes = files_.at(name);
    if (bytes.size() > length) bytes.resize(length);
}

TavikFile FakeSystem::OpenHandle(const std::string& name, uint32_t offset) {
    if (!files_.count(name)) return TAVIK_INVALID_FILE;
    const TavikFile handle = nextHandle_++;
    open_[handle] = Open{name, offset};
    return handle;
}

uint32_t FakeSystem::Milliseconds(void* self) { return static_cast<FakeSystem*>(self)->now; }

void FakeSystem::Yield(void* self) {
    auto* s = static_cast<FakeSystem*>(self);
    s->now += s->msPerYield;
}

TavikFile FakeSystem::OpenFile(void* self, const char* name) {
    return static_cast<FakeSystem*>(self)->OpenHandle(name);
}

void FakeSystem::CloseFile(void* self, TavikFile file) {
    static_cast<FakeSystem*>(self)->open_.erase(file);
}

uint32_t FakeSystem::ReadFile(void* self, TavikFile file, void* destination, uint32_t count) {
    auto* s = static_cast<FakeSystem*>(self);
    auto it = s->open_.find(file);
    if (it == s->open_.end()) return 0;
    const auto& bytes = s->files_[it->second.name];
    const uint32_t at = it->second.position;
    const uint32_t size = static_cast<uint32_t>(bytes.size());
    const uint32_t got = at >= size ? 0 : std::min(count, size - at);
    if (got) std::memcpy(destination, bytes.data() + at, got);
    it->second.position += got;
    s->reads.push_back(Read{at, count, got});
    return got;
}

int FakeSystem::SeekFile(void* self, TavikFile file, uint32_t offset) {
    auto* s = static_cast<FakeSystem*>(self);
    auto it = s->open_.find(file);
    if (it == s->open_.end()) return 0;
    it->second.position = offset;
    return 1;
}

uint32_t FakeSystem::TellFile(void* self, TavikFile file) {
    auto* s = static_cast<FakeSystem*>(self);
    auto it = s->open_.find(file);
    return it == s->open_.end() ? ~0u : it->second.position;
}

uint32_t FakeSystem::FileSize(void* self, TavikFile file) {
    auto* s = static_cast<FakeSystem*>(self);
    auto it = s->open_.find(file);
    return it == s->open_.end() ? ~0u : static_cast<uint32_t>(s->files_[it->second.name].size());
}

int32_t FakeSystem::DebugSetting(void* self) { return static_cast<FakeSystem*>(self)->debugSetting; }

void FakeSystem::DebugWrite(void* self, const char* text) {
    static_cast<FakeSystem*>(self)->debugOutput += text;
}

}  // namespace tavik::test
