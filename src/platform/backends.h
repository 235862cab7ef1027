// The backends a program can run on, in the order it prefers them, and how it picks one.
//
// Each backend names itself once; the program picks its display (and, where the backend has
// one, its sound output) from the list by that name, or takes the first that starts. The list
// itself is made in backend_list.cpp, which the programs compile with the backends they link.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tavik {

// What every backend is started with.
struct BackendStart {
    bool messageBoxes = true;  // show message boxes (the program prints them in any case)
};

struct PlatformBackend {
    const char* name;   // as --video= and --audio= name it
    const char* title;  // as messages name it ("no SDL display")
    // Whether it is built in and the system offers it at all (cheap; nothing is started).
    bool (*available)();
    // Starts its display and gives its table; null, with the reason, when it cannot.
    const PlatformOps* (*create)(const BackendStart& start, std::string* error);
    // Makes its sound output the one the player uses when a device is there; null when the
    // backend has no sound output.
    void (*startSound)();
    // Ends whatever create or startSound began; null when nothing needs ending.
    void (*stop)();
};

// The list for this build (backend_list.cpp).
std::span<const PlatformBackend> PlatformBackends();

struct DisplayChoice {
    // The backend chosen, or the one asked for by name when it did not start.
    const PlatformBackend* backend = nullptr;
    const PlatformOps* ops = nullptr;  // null: no display
    bool unknown = false;              // no backend of the name asked for in this build
    std::string error;                 // why the backend asked for did not start
    // Backends tried before the chosen one that did not start: their reasons, in order.
    std::vector<std::string> passedOver;
};

// The display named `wanted`, or with "" the first available one that starts.
DisplayChoice PickDisplay(std::span<const PlatformBackend> list, const std::string& wanted,
                          const BackendStart& start);

// The sound output named `wanted`, or with "" that of the first available backend that has
// one; null when none fits.
const PlatformBackend* PickSound(std::span<const PlatformBackend> list, const std::string& wanted);

}  // namespace tavik
