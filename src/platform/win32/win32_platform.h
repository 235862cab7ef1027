// The win32 backend: the platform table over the real Windows calls.
#pragma once

#include "platform/platform.h"

namespace tavik {

const PlatformOps& Win32Platform();

}  // namespace tavik
