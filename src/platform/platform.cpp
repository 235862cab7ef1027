// The backend in use.
#include "platform/platform.h"

#include "platform/headless/headless_platform.h"

namespace tavik {

namespace {
const PlatformOps* g_platform = nullptr;
}

const PlatformOps& Platform() {
    return g_platform != nullptr ? *g_platform : HeadlessPlatform();
}

void SetPlatform(const PlatformOps* ops) {
    g_platform = ops;
}

}  // namespace tavik
