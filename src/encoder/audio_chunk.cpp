#include "encoder/audio_chunk.h"

#include <array>

#include "encoder/bit_writer.h"
#include "encoder/huffman.h"

namespace tavik::enc {

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// Each sample frame after the first as the bytes the decoder adds: per channel the difference to
// the channel's previous sample (modulo 2^8 or 2^16), laid out like the samples themselves, so
// byte i of a delta frame is read with byte tree i.
std::vector<uint8_t> DeltaFrames(const std::vector<uint8_t>& pcm, const AudioTrackFormat& format) {
    const uint32_t frameBytes = SampleFrameBytes(format);
    std::vector<uint8_t> deltas(pcm.size() - frameBytes);
    for (size_t at = frameBytes; at < pcm.size(); at += frameBytes) {
        uint8_t* out = deltas.data() + (at - frameBytes);
        const uint8_t* current = pcm.data() + at;
        const uint8_t* previous = current - frameBytes;
        if (!format.is16Bit) {
            for (uint32_t c = 0; c < frameBytes; ++c)
                out[c] = static_cast<uint8_t>(current[c] - previous[c]);
            continue;
        }
        for (uint32_t c = 0; c < frameBytes; c += 2) {
            const uint16_t now = static_cast<uint16_t>(current[c] | current[c + 1] << 8);
            const uint16_t before = static_cast<uint16_t>(previous[c] | previous[c + 1] << 8);
            const uint16_t delta = static_cast<uint16_t>(now - before);
            out[c] = static_cast<uint8_t>(delta);
            out[c + 1] = static_cast<uint8_t>(delta >> 8);
        }
    }
    return deltas;
}

std::vector<uint8_t> CompressedStream(const std::vector<uint8_t>& pcm,
                                      const AudioTrackFormat& format) {
    BitWriter out;
    out.Bit(!pcm.empty());  // data bit
    if (pcm.empty()) return out.Finish(4);
    out.Bit(format.stereo);
    out.Bit(format.is16Bit);
    const uint32_t frameBytes = SampleFrameBytes(format);
    const std::vector<uint8_t> deltas = DeltaFrames(pcm, format);
    std::array<HuffmanCode, 4> trees;
    std::array<std::array<uint8_t, 256>, 4> lengths{};
    std::array<std::array<uint32_t, 256>, 4> bits{};
    for (uint32_t t = 0; t < frameBytes; ++t) {
        std::array<uint64_t, 256> counts{};
        for (size_t i = t; i < deltas.size(); i += frameBytes) ++counts[deltas[i]];
        std::vector<SymbolCount> used;
        for (uint32_t b = 0; b < 256; ++b)
            if (counts[b] > 0) used.push_back({b, counts[b]});
        if (used.empty()) used.push_back({0, 1});  // a single sample frame: a tree is still due
        trees[t] = BuildHuffmanCode(used);
        for (size_t i = 0; i < trees[t].symbols.size(); ++i) {
            lengths[t][trees[t].symbols[i]] = trees[t].lengths[i];
            bits[t][trees[t].symbols[i]] = trees[t].bits[i];
        }
        out.Bit(true);  // read and ignored by the decoder
        WriteByteTree(out, trees[t]);
    }
    for (uint32_t b = frameBytes; b-- > 0;) out.Put(pcm[b], 8);
    for (size_t i = 0; i < deltas.size(); ++i) {
        const uint32_t t = static_cast<uint32_t>(i % frameBytes);
        out.Put(bits[t][deltas[i]], lengths[t][deltas[i]]);
    }
    return out.Finish(4);
}

}  // namespace

std::vector<uint8_t> EncodeAudioChunk(const std::vector<uint8_t>& pcm,
                                      const AudioTrackFormat& format) {
    std::vector<uint8_t> chunk;
    if (!format.compressed) {
        PutU32(chunk, static_cast<uint32_t>(4 + pcm.size()));
        chunk.insert(chunk.end(), pcm.begin(), pcm.end());
        return chunk;
    }
    const std::vector<uint8_t> stream = CompressedStream(pcm, format);
    PutU32(chunk, static_cast<uint32_t>(8 + stream.size()));
    PutU32(chunk, static_cast<uint32_t>(pcm.size()));
    chunk.insert(chunk.end(), stream.begin(), stream.end());
    return chunk;
}

}  // namespace tavik::enc
