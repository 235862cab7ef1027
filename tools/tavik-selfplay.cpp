// tavik-selfplay: makes a self-playing program from the player and a movie.
//
//   tavik-selfplay PLAYER MOVIE OUTPUT [SWITCHES...]
//
// Copies PLAYER to OUTPUT, appends MOVIE, and writes ":<offset>" (the player's length, where
// the movie begins) and the switches into the player's self-play field, found by its markers.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/file_problem.h"
#include "common/usage_error.h"

namespace {

constexpr size_t kFieldSize = 208;

bool ReadAll(const char* name, std::vector<char>* bytes) {
    std::ifstream in(name, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// The field's offset: "SELFPLAY", 208 bytes, "TAVIKPL!". Exactly one such block must exist.
long FindField(const std::vector<char>& program) {
    static const char kHead[] = "SELFPLAY";
    static const char kTail[] = "TAVIKPL!";
    long found = -1;
    const size_t span = 8 + kFieldSize + 8;
    for (size_t i = 0; i + span <= program.size(); ++i) {
        if (std::memcmp(&program[i], kHead, 8) != 0) continue;
        if (std::memcmp(&program[i + 8 + kFieldSize], kTail, 8) != 0) continue;
        if (found >= 0) return -2;
        found = static_cast<long>(i + 8);
    }
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    const char* const usage = "usage: tavik-selfplay PLAYER MOVIE OUTPUT [SWITCHES...]\n";
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::printf(
            "%sWrites OUTPUT: a copy of the player program PLAYER that plays MOVIE by itself,\n"
            "with the player's SWITCHES, when it is started without arguments.\n",
            usage);
        return 0;
    }
    if (argc < 2) {
        std::fputs(usage, stderr);
        return tavik::tools::kUsageStatus;
    }
    for (int i = 1; i < argc && i < 4; ++i)
        if (argv[i][0] == '-' && argv[i][1] != '\0')
            return tavik::tools::UsageError("tavik-selfplay",
                                            std::string(argv[i]) + ": unknown option");
    if (argc < 4)
        return tavik::tools::UsageError(
            "tavik-selfplay",
            "takes PLAYER MOVIE OUTPUT, given " + std::to_string(argc - 1) + " argument(s)");
    std::vector<char> program, movie;
    if (!ReadAll(argv[1], &program)) {
        std::fprintf(stderr, "tavik-selfplay: cannot read %s\n", argv[1]);
        return 1;
    }
    if (!ReadAll(argv[2], &movie)) {
        std::fprintf(stderr, "tavik-selfplay: cannot read %s\n", argv[2]);
        return 1;
    }
    const long field = FindField(program);
    if (field < 0) {
        std::fprintf(stderr, "tavik-selfplay: %s has %s self-play field\n", argv[1],
                     field == -1 ? "no" : "more than one");
        return 1;
    }
    if (program.size() > 0xFFFFFFFFu) {
        std::fprintf(stderr, "tavik-selfplay: %s is too large\n", argv[1]);
        return 1;
    }
    std::string text(1, ':');
    text += std::to_string(program.size());
    for (int i = 4; i < argc; ++i) {
        text += ' ';
        text += argv[i];
    }
    // The player joins its command line to the field, so leave it room.
    if (text.size() >= kFieldSize / 2) {
        std::fprintf(stderr, "tavik-selfplay: the switches do not fit the field\n");
        return 1;
    }
    std::memset(&program[static_cast<size_t>(field)], 0, kFieldSize);
    std::memcpy(&program[static_cast<size_t>(field)], text.data(), text.size());

    // Written under another name and renamed, so that a failure leaves no half-made program.
    const std::string output = argv[3], partial = output + ".partial";
    errno = 0;
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    int why = errno;
    out.write(program.data(), static_cast<std::streamsize>(program.size()));
    out.write(movie.data(), static_cast<std::streamsize>(movie.size()));
    out.close();
    // A program like the player: runnable where the player is.
    std::error_code ignored;
    std::filesystem::permissions(partial, std::filesystem::status(argv[1], ignored).permissions(),
                                 ignored);
    // std::filesystem::rename replaces an existing program on Windows too, where std::rename
    // refuses.
    std::error_code renameFailure;
    if (out) std::filesystem::rename(partial, output, renameFailure);
    if (!out || renameFailure) {
        if (why == 0) why = errno;
        std::remove(partial.c_str());
        const std::string reason =
            renameFailure ? renameFailure.message() : tavik::tools::WhyNotWritten(output, why);
        std::fprintf(stderr, "tavik-selfplay: %s: cannot write: %s\n", output.c_str(),
                     reason.c_str());
        return 1;
    }
    return 0;
}
