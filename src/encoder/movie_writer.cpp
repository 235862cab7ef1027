// Assembles a movie: header, frame size and type tables, tree block, then the frames with their
// palette, audio and video chunks.
#include <algorithm>
#include <cstring>
#include <fstream>

#include "encoder/audio_chunk.h"
#include "encoder/block_plan.h"
#include "encoder/encoder.h"
#include "encoder/free_value.h"
#include "encoder/palette_chunk.h"
#include "encoder/value_trees.h"
#include "format/frame_table.h"
#include "format/header.h"

namespace tavik::enc {

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// The movie's header; the tree block and the largest chunks come once the frames are coded.
TavikHeader MovieHeader(const MovieSpec& plan) {
    TavikHeader h{};
    std::memcpy(h.Magic, "TVK2", 4);
    h.Width = plan.width;
    h.Height = plan.height;
    h.FrameCount = static_cast<uint32_t>(std::min<size_t>(plan.frames.size(), UINT32_MAX));
    h.FrameRate = plan.frameRate;
    h.Flags = (plan.ringFrame ? 1u : 0u) | (plan.interlaced ? 2u : 0u) | (plan.doubled ? 4u : 0u);
    for (uint32_t& size : h.TreeSizes) size = 12;  // the least a tree takes
    for (size_t t = 0; t < kTrackCount; ++t) {
        const std::optional<AudioTrackFormat>& track = plan.tracks[t];
        if (track)
            h.AudioFormat[t] =
                TrackFormatWord(track->rate, track->stereo, track->is16Bit, track->compressed);
    }
    return h;
}

uint32_t RawChunkLength(const std::vector<uint8_t>& chunk) {
    uint32_t length = 0;
    for (int i = 0; i < 4 && i < static_cast<int>(chunk.size()); ++i)
        length |= uint32_t{chunk[i]} << (8 * i);
    return length;
}

// Bytes a copied chunk decodes to: the unpacked size of a compressed one, else its PCM.
uint32_t RawChunkSound(const std::vector<uint8_t>& chunk, const AudioTrackFormat& format) {
    if (!format.compressed) return static_cast<uint32_t>(chunk.size() - 4);
    uint32_t unpacked = 0;
    for (int i = 0; i < 4; ++i) unpacked |= uint32_t{chunk[4 + i]} << (8 * i);
    return unpacked;
}

bool Check(const MovieSpec& plan, std::string& error) {
    // What the engine and the decoder would refuse is refused first, in the same words.
    if (plan.frames.size() > FormatLimits::kMaxFrameTotal) {
        error = "the movie has " + std::to_string(plan.frames.size()) +
                " frames; movies have 1 to " + std::to_string(FormatLimits::kMaxFrameTotal) +
                " frames, the ring frame included";
        return false;
    }
    error = PictureSizeProblem(plan.width, plan.height);
    if (error.empty()) error = HeaderProblem(MovieHeader(plan));
    if (!error.empty()) return false;
    if (plan.width % 4 != 0 || plan.height % 4 != 0) {
        error = "width and height must be multiples of 4";
        return false;
    }
    const uint64_t pixels = uint64_t{plan.width} * plan.height;
    if (!plan.frames[0].palette) {
        error = "frame 0 must carry a palette";
        return false;
    }
    for (size_t t = 0; t < kTrackCount; ++t) {
        if (plan.tracks[t] &&
            (plan.tracks[t]->rate == 0 || plan.tracks[t]->rate > FormatLimits::kMaxSampleRate)) {
            error = "track " + std::to_string(t) + ": the sample rate must be 1 to " +
                    std::to_string(FormatLimits::kMaxSampleRate);
            return false;
        }
    }
    using TrackSound = std::array<std::optional<std::vector<uint8_t>>, kTrackCount>;
    auto checkChunks = [&](const TrackSound& chunks, const std::string& where) {
        for (size_t t = 0; t < kTrackCount; ++t) {
            if (!chunks[t]) continue;
            const std::vector<uint8_t>& chunk = *chunks[t];
            if (!plan.tracks[t] || chunk.size() < (plan.tracks[t]->compressed ? 8u : 4u) ||
                chunk.size() != RawChunkLength(chunk)) {
                error = where + ": the copied sound chunk of track " + std::to_string(t) +
                        " does not fit the track";
                return false;
            }
        }
        return true;
    };
    auto checkSound = [&](const TrackSound& audio, const std::string& where) {
        for (size_t t = 0; t < kTrackCount; ++t) {
            if (!audio[t]) continue;
            if (!plan.tracks[t]) {
                error =
                    where + " has sound for track " + std::to_string(t) + ", which has no format";
                return false;
            }
            if (audio[t]->size() % SampleFrameBytes(*plan.tracks[t]) != 0) {
                error = where + ": the sound of track " + std::to_string(t) +
                        " is not a whole number of sample frames";
                return false;
            }
        }
        return true;
    };
    for (size_t i = 0; i < plan.frames.size(); ++i) {
        const std::string where = "frame " + std::to_string(i);
        if (plan.frames[i].pixels.size() != pixels) {
            error = where + " does not have width * height pixels";
            return false;
        }
        if (!checkSound(plan.frames[i].audio, where)) return false;
        if (!checkChunks(plan.frames[i].audioChunks, where)) return false;
    }
    return !plan.ringFrame || (checkSound(plan.ringFrameAudio, "the ring frame") &&
                               checkChunks(plan.ringFrameAudioChunks, "the ring frame"));
}

ColourSet Recoloured(const Palette& before, const Palette& after) {
    ColourSet changed{};
    for (size_t i = 0; i < changed.size(); ++i)
        changed[i] = before[3 * i] != after[3 * i] || before[3 * i + 1] != after[3 * i + 1] ||
                     before[3 * i + 2] != after[3 * i + 2];
    return changed;
}

// One coded frame before assembly.
struct FrameParts {
    ColourSet recoloured{};
    std::vector<uint8_t> paletteChunk;
    const std::array<std::optional<std::vector<uint8_t>>, kTrackCount>* audio = nullptr;
    const std::array<std::optional<std::vector<uint8_t>>, kTrackCount>* audioChunks = nullptr;
};

}  // namespace

std::string PictureSizeProblem(uint64_t width, uint64_t height) {
    const uint32_t side = FormatLimits::kMaxSide;
    if (width == 0 || width > side || height == 0 || height > side)
        return "the picture is " + std::to_string(width) + "x" + std::to_string(height) +
               "; movies are 1 to " + std::to_string(side) + " pixels wide and high";
    if (width * height > EncoderLimits::kMaxPixels)
        return "the picture has " + std::to_string(width * height) +
               " pixels; the encoder takes at most " + std::to_string(EncoderLimits::kMaxPixels);
    return {};
}

bool EncodeMovie(const MovieSpec& plan, const EncodeOptions& options, std::vector<uint8_t>& movie,
                 std::string& error) {
    movie.clear();
    if (!Check(plan, error)) return false;
    const size_t frameCount = plan.frames.size();
    const size_t frameTotal = frameCount + (plan.ringFrame ? 1 : 0);

    // Palettes as the decoder will hold them. Frame 0 is coded against black: the decoder starts
    // from black, and clears to black again whenever it returns to frame 0.
    std::vector<Palette> palettes(frameCount);
    std::vector<FrameParts> parts(frameTotal);
    Palette current{};
    for (size_t i = 0; i < frameCount; ++i) {
        const Frame& frame = plan.frames[i];
        palettes[i] = frame.palette ? QuantizePalette(*frame.palette) : current;
        if (i == 0 || palettes[i] != current)
            parts[i].paletteChunk = EncodePaletteChunk(i == 0 ? Palette{} : current, palettes[i]);
        parts[i].recoloured = Recoloured(current, palettes[i]);
        current = palettes[i];
        parts[i].audio = &frame.audio;
        parts[i].audioChunks = &frame.audioChunks;
    }
    if (plan.ringFrame) {
        if (palettes[0] != current)
            parts[frameCount].paletteChunk = EncodePaletteChunk(current, palettes[0]);
        parts[frameCount].recoloured = Recoloured(current, palettes[0]);
        parts[frameCount].audio = &plan.ringFrameAudio;
        parts[frameCount].audioChunks = &plan.ringFrameAudioChunks;
    }

    // Frame 0 gets no skip blocks: after a wrap without ring frame it is decoded over the last
    // frame's picture. The ring frame is decoded over the last frame and makes frame 0's picture.
    std::vector<FramePlan> plans(frameTotal);
    for (size_t i = 0; i < frameTotal; ++i) {
        const bool ring = i == frameCount;
        plans[i].pixels = plan.frames[ring ? 0 : i].pixels.data();
        const uint8_t* previous = i == 0 ? nullptr : plan.frames[i - 1].pixels.data();
        plans[i].blocks = ChooseBlocks(plans[i].pixels, previous, parts[i].recoloured, plan.width,
                                       plan.height, options);
        plans[i].values = FrameValues(plans[i].blocks, plans[i].pixels, plan.width);
    }
    if (!EnsureFreeValue(plans, plan.width)) {
        error = "the full blocks use every possible pixel pair; no free tree value is left";
        return false;
    }
    VideoTrees trees;
    if (!BuildVideoTrees(plans, options.useMarkers, trees, error)) return false;

    std::array<uint32_t, kTrackCount> audioMaxSize = plan.audioMaxSizeAtLeast;
    std::vector<uint8_t> types(frameTotal, 0);
    std::vector<uint32_t> sizes(frameTotal, 0);
    std::vector<uint8_t> frameData;
    for (size_t i = 0; i < frameTotal; ++i) {
        const size_t start = frameData.size();
        if (!parts[i].paletteChunk.empty()) {
            types[i] |= 1;
            frameData.insert(frameData.end(), parts[i].paletteChunk.begin(),
                             parts[i].paletteChunk.end());
        }
        for (size_t t = 0; t < kTrackCount; ++t) {
            const std::optional<std::vector<uint8_t>>& pcm = (*parts[i].audio)[t];
            const std::optional<std::vector<uint8_t>>& copied = (*parts[i].audioChunks)[t];
            if (!pcm && copied) {
                types[i] |= static_cast<uint8_t>(2u << t);
                frameData.insert(frameData.end(), copied->begin(), copied->end());
                audioMaxSize[t] =
                    std::max(audioMaxSize[t], RawChunkSound(*copied, *plan.tracks[t]));
                continue;
            }
            if (!pcm) continue;
            types[i] |= static_cast<uint8_t>(2u << t);
            const std::vector<uint8_t> chunk = EncodeAudioChunk(*pcm, *plan.tracks[t]);
            frameData.insert(frameData.end(), chunk.begin(), chunk.end());
            if (pcm->size() > audioMaxSize[t]) audioMaxSize[t] = static_cast<uint32_t>(pcm->size());
        }
        BitWriter video;
        WriteFrameValues(trees, plans[i].values, video);
        const std::vector<uint8_t> chunk = video.Finish();
        frameData.insert(frameData.end(), chunk.begin(), chunk.end());
        while ((frameData.size() - start) % 4 != 0) frameData.push_back(0);
        if (frameData.size() > FormatLimits::kMaxFrameBytes) {
            error = FrameTableProblem({frameData.size(), 0}, 0, UINT64_MAX);
            return false;
        }
        sizes[i] = static_cast<uint32_t>(frameData.size() - start);
    }

    // The tree block is padded so that the frames start on a multiple of 4 bytes.
    std::vector<uint8_t> treeBlock = std::move(trees.block);
    while ((TAVIK_HEADER_SIZE + 5 * frameTotal + treeBlock.size()) % 4 != 0) treeBlock.push_back(0);
    TavikHeader h = MovieHeader(plan);
    h.TreeBlockSize = static_cast<uint32_t>(std::min<size_t>(treeBlock.size(), UINT32_MAX));
    std::copy(trees.sizes.begin(), trees.sizes.end(), h.TreeSizes);
    std::copy(audioMaxSize.begin(), audioMaxSize.end(), h.AudioMaxSize);
    error = HeaderProblem(h);
    if (error.empty())
        error =
            FrameTableProblem(MeasureFrameTable(sizes.data(), static_cast<uint32_t>(frameTotal)),
                              FrameDataOffset(h), UINT64_MAX);
    if (!error.empty()) return false;

    movie.reserve(FrameDataOffset(h) + frameData.size());
    movie.resize(TAVIK_HEADER_SIZE);
    std::memcpy(movie.data(), &h, TAVIK_HEADER_SIZE);  // little-endian, as the engine reads it
    for (uint32_t size : sizes) PutU32(movie, size);
    movie.insert(movie.end(), types.begin(), types.end());
    movie.insert(movie.end(), treeBlock.begin(), treeBlock.end());
    movie.insert(movie.end(), frameData.begin(), frameData.end());
    return true;
}

std::vector<uint8_t> EncodeMovie(const MovieSpec& plan, const EncodeOptions& options) {
    std::vector<uint8_t> movie;
    std::string error;
    EncodeMovie(plan, options, movie, error);
    return movie;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    return static_cast<bool>(file);
}

}  // namespace tavik::enc
