// tavik-selfplay: makes a self-playing program from the player and a movie.
//
//   tavik-selfplay PLAYER MOVIE OUTPUT [SWITCHES...]
//
// Copies PLAYER to OUTPUT, appends MOVIE, and writes ":<offset>" (the player's length, where
// the movie begins) and the switches into the player's self-play field, found by its markers.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::puts(
            "usage: tavik-selfplay PLAYER MOVIE OUTPUT [SWITCHES...]\n"
            "Writes OUTPUT: a copy of the player program PLAYER that plays MOVIE by itself,\n"
            "with the player's SWITCHES, when it is started without arguments.");
        return 0;
    }
    if (argc < 4) {
        std::fprintf(stderr, "usage: tavik-selfplay PLAYER MOVIE OUTPUT [SWITCHES...]\n");
        return 2;
    }
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

    std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
    out.write(program.data(), static_cast<std::streamsize>(program.size()));
    out.write(movie.data(), static_cast<std::streamsize>(movie.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "tavik-selfplay: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
