// tavik-encode: makes a movie from PNG frames or a YUV4MPEG2 stream and WAVE sound, or writes
// the built-in demo.
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "common/file_problem.h"
#include "common/usage_error.h"
#include "encode/encode_options.h"
#include "encode/frame_input.h"
#include "encode/movie_source.h"
#include "encode/picture_input.h"
#include "encode/progress.h"
#include "encode/sound_input.h"
#include "encoder/authoring.h"
#include "encoder/encoder.h"

namespace {

using namespace tavik;
using tools::EncodeOptions;

std::string FormatText(const enc::AudioTrackFormat& f) {
    return std::to_string(f.rate) + " Hz " + (f.stereo ? "stereo " : "mono ") +
           (f.is16Bit ? "16-bit" : "8-bit");
}

bool AddSound(const EncodeOptions& options, const tools::MovieFacts* like,
              const tools::MovieFacts* keep, enc::MovieSpec& plan, std::vector<std::string>& notes,
              std::string& error) {
    if (!options.audio.empty() && plan.frameRate == 0) {
        error = "--audio needs a frame rate (with --rate 0 the frames have no timing)";
        return false;
    }
    if (keep) {
        const size_t frames = plan.frames.size();
        if (keep->frameCount != frames) {
            error = options.keepSound + ": has " + std::to_string(keep->frameCount) +
                    " frames, the new movie " + std::to_string(frames);
            return false;
        }
        plan.tracks = keep->tracks;
        plan.audioMaxSizeAtLeast = keep->audioMaxSize;
        for (size_t i = 0; i < frames; ++i) plan.frames[i].audioChunks = keep->sound[i];
        if (plan.ringFrame && keep->ring) plan.ringFrameAudioChunks = keep->sound[frames];
    } else if (like) {
        plan.tracks = {};
    }
    for (const tools::AudioSource& source : options.audio) {
        const bool kept = keep && keep->tracks[source.track];
        if (kept || (plan.tracks[source.track] && !like)) {
            error = "track " + std::to_string(source.track) + " is given twice";
            return false;
        }
        tools::Sound sound;
        if (!tools::ReadSound(source, sound, error)) return false;
        if (like && like->tracks[source.track]) {
            const enc::AudioTrackFormat& wanted = *like->tracks[source.track];
            if (wanted.rate != sound.format.rate || wanted.stereo != sound.format.stereo ||
                wanted.is16Bit != sound.format.is16Bit) {
                error = source.path + ": the sound is " + FormatText(sound.format) + ", track " +
                        std::to_string(source.track) + " of " + options.like + " is " +
                        FormatText(wanted);
                return false;
            }
            sound.format.compressed = wanted.compressed;
        }
        const uint64_t leftOut = tools::SpreadSound(plan, source.track, sound, options.leadMs);
        if (leftOut > 0) {
            char seconds[32];
            std::snprintf(seconds, sizeof seconds, "%.1f",
                          static_cast<double>(leftOut) / sound.format.rate);
            notes.push_back("warning: " + source.path + ": the last " + seconds +
                            " s of sound go on past the last picture and are left out");
        }
    }
    return true;
}

std::string RateText(int32_t field) {
    char text[80];
    if (field > 0)
        std::snprintf(text, sizeof text, "%d ms a frame (%.2f frames per second)", field,
                      1000.0 / field);
    else if (field < 0)
        std::snprintf(text, sizeof text, "%.2f ms a frame (%.3f frames per second)", -field / 100.0,
                      100000.0 / -field);
    else
        std::snprintf(text, sizeof text, "no timing (as fast as possible)");
    return text;
}

bool GivenPalette(const std::string& path, enc::Palette& palette, std::string& error) {
    if (tools::LooksLikeMovie(path)) {
        tools::MovieFacts facts;
        if (!tools::ReadMovieFacts(path, false, facts, error)) return false;
        palette = facts.firstPalette;
        return true;
    }
    uint32_t w = 0, h = 0;
    enc::SourceFrame picture;
    if (!tools::ReadPngPicture(path, w, h, picture, error)) return false;
    if (!picture.palette) {
        error = path + ": --palette-from needs a movie or an indexed (palette) PNG";
        return false;
    }
    palette = *picture.palette;
    return true;
}

// `notes` gathers what is said on standard error once the movie is written.
bool BuildMovie(const EncodeOptions& options, std::vector<uint8_t>& movie,
                std::vector<std::string>& notes, std::string& error) {
    if (options.demo) return enc::EncodeMovie(enc::MakeDemoMovie(), {}, movie, error);
    tools::MovieFacts like, keep;
    const bool haveLike = !options.like.empty(), haveKeep = !options.keepSound.empty();
    if (haveLike && !tools::ReadMovieFacts(options.like, false, like, error)) return false;
    if (haveKeep && !tools::ReadMovieFacts(options.keepSound, true, keep, error)) return false;

    tools::ProgressLine progress(!options.quiet);
    progress.Plan(options.frames.size(), options.maxRate != 0);
    const auto reading = [&](size_t done, size_t total) {
        progress.Update(tools::JobStep::kReading, done, total);
    };
    tools::FrameInput input;
    if (!(options.y4m.empty() ? tools::ReadPngFrames(options.frames, input, error, reading)
                              : tools::ReadY4mFrames(options.y4m, input, error, reading)))
        return false;
    progress.Plan(input.frames.size(), options.maxRate != 0);
    if (input.width % 4 != 0 || input.height % 4 != 0) {
        error = (options.y4m.empty() ? options.frames[0] : options.y4m) + ": " +
                std::to_string(input.width) + "x" + std::to_string(input.height) +
                ": a movie's width and height must be multiples of 4";
        return false;
    }
    enc::MovieSpec plan;
    plan.width = input.width;
    plan.height = input.height;
    plan.frameRate = options.frameRate ? *options.frameRate
                     : haveLike        ? like.frameRate
                     : input.frameRate ? *input.frameRate
                                       : tools::kDefaultFrameRate;
    if (!options.frameRate && !haveLike && !input.frameRate)
        notes.push_back("no --fps given: " + RateText(plan.frameRate));
    plan.ringFrame = options.ring || (haveLike && like.ring);
    plan.interlaced = options.interlaced || (haveLike && like.interlaced);
    plan.doubled = options.doubled || (haveLike && like.doubled);
    if (haveLike) plan.tracks = like.tracks;
    plan.frames.resize(input.frames.size());
    if (!AddSound(options, haveLike ? &like : nullptr, haveKeep ? &keep : nullptr, plan, notes,
                  error))
        return false;

    // Indexed PNGs alone, with no picture switch: every index and palette as it is.
    bool allIndexed = options.y4m.empty();
    for (const enc::SourceFrame& frame : input.frames) allIndexed = allIndexed && frame.palette;
    if (allIndexed && !options.AuthoringSwitches()) {
        for (size_t i = 0; i < plan.frames.size(); ++i) {
            plan.frames[i].pixels = std::move(input.frames[i].indices);
            plan.frames[i].palette = input.frames[i].palette;
        }
        return enc::EncodeMovie(plan, {}, movie, error);
    }

    enc::AuthorOptions author;
    author.quality = options.quality.value_or(enc::kDefaultQuality);
    author.paletteMode = options.palette;
    author.dither = options.dither.value_or(enc::Dither::kNone);
    author.maxRate = options.maxRate;
    if (!options.paletteFrom.empty()) {
        enc::Palette palette;
        if (!GivenPalette(options.paletteFrom, palette, error)) return false;
        author.givenPalette = palette;
        if (options.fixedEntries) author.fixedEntries = *options.fixedEntries;
    }
    author.progress = [&](enc::AuthorStep step, size_t done, size_t total, int pass) {
        const tools::JobStep job = step == enc::AuthorStep::kPalettes  ? tools::JobStep::kPalettes
                                   : step == enc::AuthorStep::kMapping ? tools::JobStep::kMapping
                                                                       : tools::JobStep::kCoding;
        progress.Update(job, done, total, pass);
    };
    enc::AuthorReport report;
    const bool made = enc::AuthorMovie(plan, input.frames, author, movie, report, error);
    progress.Finish();
    if (made && !report.squeezed.empty()) {
        notes.push_back("--max-rate " + std::to_string(options.maxRate) + " squeezed " +
                        std::to_string(report.squeezed.size()) + " run(s) of frames:");
        for (const std::string& line : report.squeezed) notes.back() += "\n  " + line;
    }
    return made;
}

// Writes to a temporary name beside the output and renames it at the end, so that a failure
// leaves no movie behind (and an existing one untouched).
bool WriteMovie(const std::string& path, const std::vector<uint8_t>& movie, std::string& error) {
    const std::string temporary = path + ".partial";
    std::error_code ignored;
    errno = 0;
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    int why = errno;
    bool written = false;
    if (file) {
        written = std::fwrite(movie.data(), 1, movie.size(), file) == movie.size();
        why = errno;
        written = std::fclose(file) == 0 && written;
        if (why == 0) why = errno;
    }
    if (!written) {
        error = path + ": cannot write: " + tools::WhyNotWritten(path, why);
        std::filesystem::remove(temporary, ignored);
        return false;
    }
    std::error_code renameError;
    std::filesystem::rename(temporary, path, renameError);
    if (renameError) {
        std::filesystem::remove(temporary, ignored);
        error = path + ": cannot write (" + renameError.message() + ")";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    EncodeOptions options;
    std::string error;
    if (argc < 2) {
        std::fputs(tools::kEncodeUsage, stderr);
        return tools::kUsageStatus;
    }
    if (!tools::ParseEncodeArguments(argc, argv, options, error))
        return tools::UsageError("tavik-encode", error);
    if (options.help) {
        std::fputs(tools::kEncodeUsage, stdout);
        return 0;
    }
    // A folder that is not there is found before the work, not after it.
    const std::filesystem::path folder = std::filesystem::path(options.output).parent_path();
    std::error_code ignored;
    if (!folder.empty() && !std::filesystem::is_directory(folder, ignored)) {
        std::fprintf(stderr, "tavik-encode: %s: cannot write: %s\n", options.output.c_str(),
                     tools::WhyNotWritten(options.output, 0).c_str());
        return 1;
    }
    std::vector<uint8_t> movie;
    std::vector<std::string> notes;
    if (BuildMovie(options, movie, notes, error) && WriteMovie(options.output, movie, error)) {
        for (const std::string& note : notes)
            std::fprintf(stderr, "tavik-encode: %s\n", note.c_str());
        return 0;
    }
    std::fprintf(stderr, "tavik-encode: %s\n", error.c_str());
    return 1;
}
