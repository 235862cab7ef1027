// tavik-edit: a movie with subtitles drawn in and sound tracks replaced, everything else kept.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "edit/edit_options.h"
#include "edit/input_movie.h"
#include "edit/movie_edit.h"
#include "edit/subtitles.h"
#include "encode/progress.h"
#include "encode/sound_input.h"

namespace {

using namespace tavik;

int Fail(const std::string& error) {
    std::fprintf(stderr, "tavik-edit: %s\n", error.c_str());
    return 1;
}

bool ReadSounds(const tools::EditArguments& arguments, edit::EditOptions& options,
                std::string& error) {
    for (const tools::SoundFile& file : arguments.sounds) {
        tools::Sound sound;
        if (!tools::ReadSound(tools::AudioSource{file.track, file.path, false}, sound, error))
            return false;
        edit::NewSound added;
        added.track = file.track;
        added.name = file.path;
        added.source = sound.format;
        added.pcm = std::move(sound.pcm);
        added.format = arguments.soundFormats[file.track];
        options.sounds.push_back(std::move(added));
    }
    return true;
}

int ListFonts() {
    std::vector<std::string> families;
    std::string error;
    if (!edit::ListFontFamilies(families, error)) return Fail(error);
    for (const std::string& family : families) std::printf("%s\n", family.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    tools::EditArguments arguments;
    std::string error;
    if (!tools::ParseEditArguments(argc, argv, arguments, error)) {
        if (!error.empty()) std::fprintf(stderr, "tavik-edit: %s\n", error.c_str());
        std::fputs(tools::kEditUsage, stderr);
        return 2;
    }
    if (arguments.help) {
        std::fputs(tools::kEditUsage, stdout);
        return 0;
    }
    if (arguments.listFonts) return ListFonts();

    edit::EditOptions options;
    options.reserveColours = arguments.reserveColours;
    options.drop = arguments.drop;
    options.maxRate = arguments.maxRate;
    if (!ReadSounds(arguments, options, error)) return Fail(error);
    std::unique_ptr<edit::TextSource> text;
    if (!arguments.subtitles.empty()) {
        // The subtitles are laid out on the movie's pictures.
        edit::InputMovie movie;
        if (!movie.Open(arguments.input, error)) return Fail(error);
        edit::SubtitleOptions subtitles{arguments.subtitles, arguments.fontFile,
                                        arguments.fontSize};
        text = edit::OpenSubtitles(subtitles, movie.Header().Width, movie.StoredHeight(),
                                   movie.HeightScale(), error);
        if (!text) return Fail(error);
        options.text = text.get();
    }
    tools::ProgressLine progress(!arguments.quiet);
    // Every walk over the movie (counting, drawing, coding again more coarsely) is a pass of the
    // one job; the line never runs backwards.
    int pass = 0;
    options.progress = [&](const char*, size_t done, size_t total) {
        if (done == 1) {
            if (pass == 0) progress.Plan(total, true);
            ++pass;
        }
        progress.Update(tools::JobStep::kCoding, done, total, pass);
    };
    edit::EditReport report;
    const bool done = edit::EditMovie(arguments.input, arguments.output, options, report, error);
    progress.Finish();
    for (const std::string& message : report.messages)
        std::fprintf(stderr, "tavik-edit: %s\n", message.c_str());
    return done ? 0 : Fail(error);
}
