#include "support/fake_system.h"

#include <algorithm>
#include <cstring>

namespace tavik::test {
namespace {
FakeSystem& Self(void* context) {
    return *static_cast<FakeSystem*>(context);
}
}  // namespace

FakeSystem::FakeSystem() {
    // The file calls on a handle that is not open fail: 0 bytes, no seek, ~0 for positions.
    TavikSystem table{};
    table.Context = this;
    table.Milliseconds = [](void* s) { return Self(s).now; };
    table.Yield = [](void* s) { ++Self(s).now; };
    table.OpenFile = [](void* s, const char* name) { return Self(s).OpenHandle(name); };
    table.CloseFile = [](void* s, TavikFile file) { Self(s).open_.erase(file); };
    table.ReadFile = [](void* s, TavikFile file, void* destination, uint32_t count) {
        auto it = Self(s).open_.find(file);
        if (it == Self(s).open_.end()) return 0u;
        const auto& bytes = Self(s).files_[it->second.name];
        const uint32_t at = it->second.position, size = static_cast<uint32_t>(bytes.size());
        const uint32_t got = at >= size ? 0 : std::min(count, size - at);
        if (got) std::memcpy(destination, bytes.data() + at, got);
        it->second.position += got;
        Self(s).reads.push_back(Read{at, count, got});
        return got;
    };
    table.SeekFile = [](void* s, TavikFile file, uint32_t offset) {
        auto it = Self(s).open_.find(file);
        return it == Self(s).open_.end() ? 0 : (it->second.position = offset, 1);
    };
    table.TellFile = [](void* s, TavikFile file) {
        auto it = Self(s).open_.find(file);
        return it == Self(s).open_.end() ? ~0u : it->second.position;
    };
    table.FileSize = [](void* s, TavikFile file) {
        auto it = Self(s).open_.find(file);
        return it == Self(s).open_.end()
                   ? ~0u
                   : static_cast<uint32_t>(Self(s).files_[it->second.name].size());
    };
    table.DebugSetting = [](void* s) { return Self(s).debugSetting; };
    table.DebugWrite = [](void* s, const char* text) { Self(s).debugOutput += text; };
    TavikSetSystem(&table);
}

void FakeSystem::Truncate(const std::string& name, uint32_t length) {
    if (files_.at(name).size() > length) files_.at(name).resize(length);
}

TavikFile FakeSystem::OpenHandle(const std::string& name, uint32_t offset) {
    if (!files_.count(name)) return TAVIK_INVALID_FILE;
    open_[nextHandle_] = Open{name, offset};
    return nextHandle_++;
}

}  // namespace tavik::test
