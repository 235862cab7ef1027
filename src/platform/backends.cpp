// Picking a backend from the list.
#include "platform/backends.h"

namespace tavik {

DisplayChoice PickDisplay(std::span<const PlatformBackend> list, const std::string& wanted,
                          const BackendStart& start) {
    const bool named = !wanted.empty();
    DisplayChoice choice;
    choice.unknown = named;
    for (const PlatformBackend& backend : list) {
        if (named && wanted != backend.name) continue;
        choice.unknown = false;
        const bool present = backend.available() && backend.create != nullptr;
        if (!present && !named) continue;  // not built for this system: not worth a word
        std::string error = "not available on this system";
        const PlatformOps* ops = present ? backend.create(start, &error) : nullptr;
        if (ops != nullptr || named) {
            choice.backend = &backend;
            choice.ops = ops;
            if (ops == nullptr) choice.error = error;
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
