#include "edit/movie_edit.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "edit/input_movie.h"
#include "edit/output_movie.h"
#include "edit/picture_editor.h"
#include "edit/reserved_colours.h"
#include "encoder/bit_writer.h"
#include "encoder/rate_control.h"
#include "encoder/value_trees.h"

namespace tavik::edit {

namespace {

constexpr int kTracks = TAVIK_MAX_TRACKS;
// The default limit: the reader a game uses was sized for the movie's own peak.
constexpr uint64_t kRatePercent = 110;
// Palette entries that --reserve-colours gives the text at most.
constexpr uint32_t kMostReserved = 16;
constexpr TextCoarseness kCoarsest = TextCoarseness::kHardEdges;

uint32_t ReadU32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

std::optional<enc::AudioTrackFormat> StoredFormat(uint32_t word) {
    if (!(word & TAVIK_AUDIO_PRESENT) || (word & TAVIK_AUDIO_RATE_MASK) == 0) return std::nullopt;
    return enc::AudioTrackFormat{word & TAVIK_AUDIO_RATE_MASK, (word & TAVIK_AUDIO_STEREO) != 0,
                                 (word & TAVIK_AUDIO_16BIT) != 0,
                                 (word & TAVIK_AUDIO_COMPRESSED) != 0};
}

uint32_t FormatWord(const enc::AudioTrackFormat& f) {
    return f.rate | (f.stereo ? TAVIK_AUDIO_STEREO : 0) | (f.is16Bit ? TAVIK_AUDIO_16BIT : 0) |
           TAVIK_AUDIO_PRESENT | (f.compressed ? TAVIK_AUDIO_COMPRESSED : 0);
}

std::string Clock(int64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d:%02d.%03d", static_cast<int>(ms / 3600000),
                  static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60),
                  static_cast<int>(ms % 1000));
    return text;
}

// What becomes of the sound: per track, kept as stored, replaced, or dropped.
struct SoundEdit {
    std::array<std::unique_ptr<TrackSound>, kTracks> replaced;
    std::array<bool, kTracks> dropped{};
};

// A frame whose chunks do not lie within it is refused: the decoder loses its video.
bool FrameIsSound(uint8_t type, const FrameChunks& chunks) {
    if ((type & 1) && !chunks.paletteFits) return false;
    for (int t = 0; t < kTracks; ++t)
        if ((type & (2u << t)) && !chunks.audio[t]) return false;
    return true;
}

std::string Damaged(const InputMovie& movie, uint32_t frame) {
    return movie.Path() + ": frame " + std::to_string(frame) + " is damaged: its chunks overrun it";
}

std::string Unreadable(const InputMovie& movie, uint32_t frame) {
    return movie.Path() + ": frame " + std::to_string(frame) + " cannot be read";
}

bool PlanSound(InputMovie& movie, const EditOptions& options, SoundEdit& edit, TavikHeader& header,
               std::vector<std::string>& messages, std::string& error) {
    const TavikHeader& stored = movie.Header();
    std::array<bool, kTracks> named{};
    for (int t = 0; t < kTracks; ++t) {
        if (!options.drop[t]) continue;
        named[t] = true;
        edit.dropped[t] = true;
        header.AudioFormat[t] = 0;
        header.AudioMaxSize[t] = 0;
        if (!StoredFormat(stored.AudioFormat[t]))
            messages.push_back("track " + std::to_string(t) + " has no sound to drop");
    }
    if (options.sounds.empty()) return true;
    // The bytes each frame's chunk brings, for the tracks whose sound is replaced.
    const uint32_t total = movie.FrameTotal();
    std::array<std::vector<int64_t>, kTracks> brought;
    std::vector<uint8_t> bytes;
    for (uint32_t i = 0; i < total; ++i) {
        if (!movie.ReadFrame(i, bytes)) {
            error = Unreadable(movie, i);
            return false;
        }
        const uint8_t type = movie.FrameTypes()[i];
        const FrameChunks chunks =
            LocateFrameChunks(bytes.data(), movie.FrameSizes()[i], type, stored.AudioFormat);
        for (const NewSound& sound : options.sounds) {
            const int t = sound.track;
            if (!StoredFormat(stored.AudioFormat[t])) continue;
            std::vector<int64_t>& track = brought[t];
            track.resize(total, -1);
            if (!chunks.audio[t]) continue;
            const uint32_t length = ReadU32(chunks.audio[t]);
            track[i] = (stored.AudioFormat[t] & TAVIK_AUDIO_COMPRESSED)
                           ? ReadU32(chunks.audio[t] + 4)
                           : length - 4;
        }
    }
    for (const NewSound& sound : options.sounds) {
        const int t = sound.track;
        if (named[t]) {
            error = "track " + std::to_string(t) + " is given twice";
            return false;
        }
        named[t] = true;
        const std::optional<enc::AudioTrackFormat> was = StoredFormat(stored.AudioFormat[t]);
        if (!was && movie.FrameTime() == 0) {
            error = movie.Path() + ": the movie has no frame rate, so a new track " +
                    std::to_string(t) + " cannot be timed";
            return false;
        }
        enc::AudioTrackFormat format = sound.format ? *sound.format : was ? *was : sound.source;
        if (!sound.format && !was) format.compressed = true;
        edit.replaced[t] = std::make_unique<TrackSound>(
            sound, format, was, brought[t], stored.FrameCount, total, movie.FrameTime(), messages);
        header.AudioFormat[t] = FormatWord(format);
        header.AudioMaxSize[t] = edit.replaced[t]->MaxChunk();
    }
    return true;
}

// The frame's chunks in their order: palette (`palette`, or none), sound, then `video`.
std::vector<uint8_t> AssembleFrame(uint32_t index, uint8_t storedType, const FrameChunks& chunks,
                                   const SoundEdit& sound, const uint8_t* palette,
                                   size_t paletteSize, const uint8_t* video, size_t videoSize,
                                   bool pad, uint8_t& type) {
    std::vector<uint8_t> frame;
    type = 0;
    if (palette) {
        type |= 1;
        frame.insert(frame.end(), palette, palette + paletteSize);
    }
    for (int t = 0; t < kTracks; ++t) {
        const uint8_t bit = static_cast<uint8_t>(2u << t);
        if (sound.dropped[t]) continue;
        if (sound.replaced[t]) {
            if (!sound.replaced[t]->HasChunk(index)) continue;
            const std::vector<uint8_t> chunk = sound.replaced[t]->Chunk(index);
            frame.insert(frame.end(), chunk.begin(), chunk.end());
            type |= bit;
        } else if ((storedType & bit) && chunks.audio[t]) {
            frame.insert(frame.end(), chunks.audio[t], chunks.audio[t] + ReadU32(chunks.audio[t]));
            type |= bit;
        }
    }
    frame.insert(frame.end(), video, video + videoSize);
    while (pad && frame.size() % 4 != 0) frame.push_back(0);
    return frame;
}

uint64_t RateLimit(const InputMovie& movie, const EditOptions& options, EditReport& report) {
    const uint32_t fps = enc::FramesPerSecond(movie.Header().FrameRate);
    report.highestRateBefore = enc::HighestRate(movie.FrameSizes(), fps);
    return report.rateLimit =
               options.maxRate ? options.maxRate : report.highestRateBefore * kRatePercent / 100;
}

void CheckRate(const InputMovie& movie, const std::vector<uint32_t>& sizes, EditReport& report) {
    const uint32_t fps = enc::FramesPerSecond(movie.Header().FrameRate);
    report.highestRateAfter = enc::HighestRate(sizes, fps);
    const std::vector<enc::RateWindow> over = enc::WindowsOverCap(sizes, fps, report.rateLimit);
    if (!over.empty())  // the first such window tells the user enough
        report.messages.push_back(
            "the limit of " + std::to_string(report.rateLimit) +
            " bytes a second cannot be kept: frames " + std::to_string(over[0].first) + "-" +
            std::to_string(over[0].last) + " carry " + std::to_string(over[0].bytes));
}

// Sound edits only: the tree block and every picture as stored.
bool CopyPictures(InputMovie& movie, const EditOptions& options, const SoundEdit& sound,
                  const TavikHeader& header, const std::string& out, EditReport& report,
                  std::string& error) {
    std::vector<uint8_t> treeBlock, bytes;
    if (!movie.TreeBlock(treeBlock)) {
        error = movie.Path() + ": the tree block cannot be read";
        return false;
    }
    OutputMovie output;
    if (!output.Begin(out, header, movie.FrameTotal(), treeBlock, error)) return false;
    for (uint32_t i = 0; i < movie.FrameTotal(); ++i) {
        const uint32_t size = movie.FrameSizes()[i];
        const uint8_t storedType = movie.FrameTypes()[i];
        if (!movie.ReadFrame(i, bytes)) {
            error = Unreadable(movie, i);
            return false;
        }
        const FrameChunks chunks =
            LocateFrameChunks(bytes.data(), size, storedType, movie.Header().AudioFormat);
        if (!FrameIsSound(storedType, chunks)) {
            error = Damaged(movie, i);
            return false;
        }
        uint8_t type = 0;
        const std::vector<uint8_t> frame =
            AssembleFrame(i, storedType, chunks, sound, (storedType & 1) ? bytes.data() : nullptr,
                          (storedType & 1) ? size_t{bytes[0]} * 4 : 0, chunks.video,
                          chunks.videoSize, false, type);
        if (!output.AddFrame(type, frame, error)) return false;
        if (options.progress) options.progress("copying", i + 1, movie.FrameTotal());
    }
    CheckRate(movie, output.FrameSizes(), report);
    return output.Finish(error);
}

// Cues must begin within the movie.
bool CheckCues(const InputMovie& movie, TextSource& text, std::string& error) {
    const int64_t length = int64_t{movie.Header().FrameCount} * movie.FrameTime() / 100;
    for (const Cue& cue : text.Cues()) {
        if (cue.startMs >= length) {
            error = text.Name() + ": a cue starts at " + Clock(cue.startMs) +
                    ", after the movie's end at " + Clock(length);
            return false;
        }
    }
    return true;
}

class TextPasses {
  public:
    TextPasses(InputMovie& movie, const EditOptions& options, const SoundEdit& sound,
               ReservedColours reserved)
        : movie_(movie),
          options_(options),
          sound_(sound),
          editor_(movie, *options.text, std::move(reserved)),
          coarseness_(movie.FrameTotal(), TextCoarseness::kExact),
          hasText_(movie.FrameTotal(), 0) {}

    // The values of every edited frame, counted for the trees.
    bool Count(enc::ValueCounts& counts, std::string& error) {
        return Walk("planning", error, [&](const InputFrame&, EditedPicture& picture) {
            counts.AddFrame(picture.values);
            return true;
        });
    }

    // Every edited frame coded with the trees, into `output`.
    bool Write(const enc::VideoTrees& trees, OutputMovie& output, EditReport& report,
               std::string& error) {
        report.framesWithText = 0;
        report.recodedBlocks = 0;
        return Walk("writing", error, [&](const InputFrame& frame, EditedPicture& picture) {
            enc::BitWriter video;
            enc::WriteFrameValues(trees, picture.values, video);
            const std::vector<uint8_t> chunk = video.Finish();
            const bool copied = picture.copyPalette;
            const uint8_t* palette = copied                         ? frame.bytes
                                     : picture.paletteChunk.empty() ? nullptr
                                                                    : picture.paletteChunk.data();
            const size_t paletteSize =
                copied ? size_t{frame.bytes[0]} * 4 : picture.paletteChunk.size();
            uint8_t type = 0;
            const std::vector<uint8_t> bytes =
                AssembleFrame(frame.number, frame.type, frame.chunks, sound_, palette, paletteSize,
                              chunk.data(), chunk.size(), true, type);
            hasText_[frame.number] = picture.hasText;
            report.framesWithText += picture.hasText ? 1 : 0;
            report.recodedBlocks += picture.recodedBlocks;
            return output.AddFrame(type, bytes, error);
        });
    }

    // Draws the text of the frames in windows over the limit more coarsely. False when none of
    // them can be.
    bool Coarsen(const std::vector<enc::RateWindow>& over) {
        bool changed = false;
        for (const enc::RateWindow& window : over) {
            for (size_t i = window.first; i <= window.last; ++i) {
                // The ring frame shows frame 0's picture and text.
                const size_t shown = i == movie_.Header().FrameCount ? 0 : i;
                if (!hasText_[i] || coarseness_[shown] == kCoarsest) continue;
                coarseness_[shown] =
                    static_cast<TextCoarseness>(static_cast<uint8_t>(coarseness_[shown]) + 1);
                changed = true;
            }
        }
        return changed;
    }

    uint32_t CoarsenedFrames() const {
        return static_cast<uint32_t>(
            std::count_if(coarseness_.begin(), coarseness_.end(),
                          [](TextCoarseness c) { return c != TextCoarseness::kExact; }));
    }

  private:
    template <class Step>
    bool Walk(const char* stage, std::string& error, Step&& step) {
        if (!movie_.Rewind(error)) return false;
        editor_.Start();
        InputFrame frame;
        EditedPicture picture;
        const uint32_t total = movie_.FrameTotal();
        while (movie_.Next(frame, error)) {
            const bool ring = frame.number == movie_.Header().FrameCount;
            if (!FrameIsSound(frame.type, frame.chunks)) {
                error = Damaged(movie_, frame.number);
                return false;
            }
            if (!editor_.Edit(frame, coarseness_[ring ? 0 : frame.number], picture, error) ||
                !step(frame, picture))
                return false;
            if (options_.progress) options_.progress(stage, frame.number + 1, total);
        }
        return error.empty();
    }

    InputMovie& movie_;
    const EditOptions& options_;
    const SoundEdit& sound_;
    PictureEditor editor_;
    std::vector<TextCoarseness> coarseness_;
    std::vector<uint8_t> hasText_;
};

bool DrawText(InputMovie& movie, const EditOptions& options, const SoundEdit& sound,
              TavikHeader header, const std::string& out, EditReport& report, std::string& error) {
    if (movie.FrameTime() == 0) {
        error = movie.Path() +
                ": the movie has no frame rate, so its frames have no times for "
                "subtitles";
        return false;
    }
    if (!CheckCues(movie, *options.text, error)) return false;
    ReservedColours reserved;
    if (options.reserveColours) {
        if (!ReserveColours(movie, *options.text, kMostReserved, reserved, error)) return false;
        if (reserved.empty())
            report.messages.push_back(
                "every palette entry is in use: the text takes the nearest colours");
    }
    TextPasses passes(movie, options, sound, std::move(reserved));
    const uint32_t fps = enc::FramesPerSecond(movie.Header().FrameRate);
    for (;;) {
        enc::ValueCounts counts;
        if (!passes.Count(counts, error)) return false;
        enc::VideoTrees trees;
        if (!enc::BuildVideoTrees(counts, true, trees, error)) {
            error = out + ": " + error;
            return false;
        }
        std::vector<uint8_t> treeBlock = std::move(trees.block);
        // Frames start on a multiple of 4 bytes, as the encoder lays them out.
        while ((TAVIK_HEADER_SIZE + 5ull * movie.FrameTotal() + treeBlock.size()) % 4 != 0)
            treeBlock.push_back(0);
        header.TreeBlockSize = static_cast<uint32_t>(treeBlock.size());
        std::copy(trees.sizes.begin(), trees.sizes.end(), header.TreeSizes);

        OutputMovie output;
        if (!output.Begin(out, header, movie.FrameTotal(), treeBlock, error) ||
            !passes.Write(trees, output, report, error))
            return false;
        const std::vector<enc::RateWindow> over =
            enc::WindowsOverCap(output.FrameSizes(), fps, report.rateLimit);
        if (over.empty() || !passes.Coarsen(over)) {
            if (const uint32_t coarse = passes.CoarsenedFrames())
                report.messages.push_back(
                    "the text of " + std::to_string(coarse) +
                    " frames is drawn more coarsely to keep every second within " +
                    std::to_string(report.rateLimit) + " bytes");
            CheckRate(movie, output.FrameSizes(), report);
            return output.Finish(error);
        }
    }
}

}  // namespace

bool EditMovie(const std::string& in, const std::string& out, const EditOptions& options,
               EditReport& report, std::string& error) {
    report = EditReport{};
    InputMovie movie;
    if (!movie.Open(in, error)) return false;
    for (const NewSound& sound : options.sounds) {
        if (sound.track < 0 || sound.track >= kTracks) {
            error = "track " + std::to_string(sound.track) + ": tracks are numbered 0 to 6";
            return false;
        }
    }
    TavikHeader header = movie.Header();
    SoundEdit sound;
    if (!PlanSound(movie, options, sound, header, report.messages, error)) return false;
    RateLimit(movie, options, report);
    return options.text ? DrawText(movie, options, sound, header, out, report, error)
                        : CopyPictures(movie, options, sound, header, out, report, error);
}

}  // namespace tavik::edit
