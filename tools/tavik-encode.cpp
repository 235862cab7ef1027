// tavik-encode: makes a movie from PNG frames or a YUV4MPEG2 stream and WAVE sound, or writes
// the built-in demo.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

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
              const tools::MovieFacts* keep, enc::MovieSpec& plan, std::string& error) {
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
        tools::SpreadSound(plan, source.track, sound, options.leadMs);
    }
    return true;
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

bool BuildMovie(const EncodeOptions& options, std::vector<uint8_t>& movie, std::string& error) {
    if (options.demo) return enc::EncodeMovie(enc::MakeDemoMovie(), {}, movie, error);
    tools::MovieFacts like, keep;
    const bool haveLike = !options.like.empty(), haveKeep = !options.keepSound.empty();
    if (haveLike && !tools::ReadMovieFacts(options.like, false, like, error)) return false;
    if (haveKeep && !tools::ReadMovieFacts(options.keepSound, true, keep, error)) return false;

    tools::FrameInput input;
    if (!(options.y4m.empty() ? tools::ReadPngFrames(options.frames, input, error)
                              : tools::ReadY4mFrames(options.y4m, input, error)))
        return false;
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
                                       : 66;
    plan.ringFrame = options.ring || (haveLike && like.ring);
    plan.interlaced = options.interlaced || (haveLike && like.interlaced);
    plan.doubled = options.doubled || (haveLike && like.doubled);
    if (haveLike) plan.tracks = like.tracks;
    plan.frames.resize(input.frames.size());
    if (!AddSound(options, haveLike ? &like : nullptr, haveKeep ? &keep : nullptr, plan, error))
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
    tools::ProgressLine progress(!options.quiet);
    author.progress = [&](size_t done, size_t total) { progress.Update("coding", done, total); };
    enc::AuthorReport report;
    const bool made = enc::AuthorMovie(plan, input.frames, author, movie, report, error);
    progress.Finish();
    if (made && !report.squeezed.empty()) {
        std::fprintf(stderr, "tavik-encode: --max-rate %llu squeezed %zu run(s) of frames:\n",
                     static_cast<unsigned long long>(options.maxRate), report.squeezed.size());
        for (const std::string& line : report.squeezed)
            std::fprintf(stderr, "  %s\n", line.c_str());
    }
    return made;
}

// Writes to a temporary name beside the output and renames it at the end, so that a failure
// leaves no movie behind (and an existing one untouched).
bool WriteMovie(const std::string& path, const std::vector<uint8_t>& movie, std::string& error) {
    const std::string temporary = path + ".partial";
    std::error_code ignored;
    if (!enc::WriteFile(temporary, movie)) {
        std::filesystem::remove(temporary, ignored);
        error = path + ": cannot write";
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
    if (!tools::ParseEncodeArguments(argc, argv, options, error)) {
        if (!error.empty()) std::fprintf(stderr, "tavik-encode: %s\n", error.c_str());
        std::fputs(tools::kEncodeUsage, stderr);
        return 2;
    }
    if (options.help) {
        std::fputs(tools::kEncodeUsage, stdout);
        return 0;
    }
    std::vector<uint8_t> movie;
    if (BuildMovie(options, movie, error) && WriteMovie(options.output, movie, error)) return 0;
    std::fprintf(stderr, "tavik-encode: %s\n", error.c_str());
    return 1;
}
