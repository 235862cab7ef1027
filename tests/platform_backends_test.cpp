// Picking the display and the sound output from the list of backends.
#include <gtest/gtest.h>

#include <tuple>

#include "platform/backends.h"
#include "platform/headless/headless_platform.h"

namespace tavik {
namespace {

bool Yes() {
    return true;
}
bool No() {
    return false;
}
const PlatformOps* Fails(const BackendStart&, std::string* error) {
    *error = "no screen";
    return nullptr;
}
const PlatformOps* Starts(const BackendStart&, std::string*) {
    return &HeadlessPlatform();
}
void Sound() {}

const PlatformBackend kList[] = {
    {"absent", "Absent", No, Starts, Sound, nullptr},
    {"broken", "Broken", Yes, Fails, Sound, nullptr},
    {"quiet", "Quiet", Yes, Starts, nullptr, nullptr},
    {"last", "Last", Yes, Starts, Sound, nullptr},
};

TEST(PlatformBackends, PickDisplay) {
    // The first available one that starts, saying why those before it did not.
    DisplayChoice c = PickDisplay(kList, "", {});
    EXPECT_EQ(c.backend, &kList[2]);
    EXPECT_EQ(c.passedOver, std::vector<std::string>{"no screen"});
    // One asked for by name is the only one tried.
    c = PickDisplay(kList, "broken", {});
    EXPECT_EQ(std::tuple(c.backend, c.ops, c.error, c.unknown),
              std::tuple(&kList[1], nullptr, "no screen", false));
    EXPECT_EQ(PickDisplay(kList, "absent", {}).ops, nullptr);
    EXPECT_EQ(PickDisplay(kList, "last", {}).backend, &kList[3]);
    EXPECT_TRUE(PickDisplay(kList, "other", {}).unknown);
}

TEST(PlatformBackends, PickSound) {
    EXPECT_EQ(PickSound(kList, ""), &kList[1]);  // available, with a sound output
    EXPECT_EQ(PickSound(kList, "quiet"), nullptr);
    EXPECT_EQ(PickSound(kList, "absent"), nullptr);
    EXPECT_EQ(PickSound(kList, "last"), &kList[3]);
}

}  // namespace
}  // namespace tavik
