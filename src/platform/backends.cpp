// Picking a backend from the list.
#include "platform/backends.h"

namespace tavik {

DisplayChoice PickDisplay(std::span<const PlatformBackend> list, const std::string& wanted,
                          const BackendStart& start) {
    DisplayChoice choice;
    choice.unknown = !wanted.empty();
    for (const PlatformBackend& backend : list) {
        if (!wanted.empty() && wanted != backend.name) continue;
        choice.unknown = false;
        if (!backend.available() || backend.create == nullptr) {
            if (!wanted.empty()) choice.error = "not available on this system";
            continue;
        }
        std::string error;
        if (const PlatformOps* ops = backend.create(start, &error)) {
            choice.backend = &backend;
            choice.ops = ops;
            return choice;
        }
        if (!wanted.empty()) {
            choice.error = error;
            return choice;
        }
        choice.passedOver.push_back(error);
    }
    return choice;
}

const PlatformBackend* PickSound(std::span<const PlatformBackend> list, const std::string& wanted) {
    for (const PlatformBackend& backend : list) {
        if ((wanted.empty() || wanted == backend.name) && backend.startSound != nullptr &&
            backend.available()) {
            return &backend;
        }
    }
    return nullptr;
}

}  // namespace tavik
