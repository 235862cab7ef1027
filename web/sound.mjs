// Sound through WebAudio: pieces of a track's PCM scheduled at given times of the audio clock,
// which also paces the pictures while sound plays.

export class SoundOut {
    constructor() {
        this.sources = new Set();
        this.muted = false;
        try {
            this.context = new AudioContext();
            this.gain = this.context.createGain();
            this.gain.connect(this.context.destination);
        } catch {
            this.context = null; // no WebAudio: pictures go by the clock, in silence
        }
    }

    get available() {
        return this.context !== null;
    }

    // False while the browser holds sound back until the user does something on the page.
    get running() {
        return this.context?.state === 'running';
    }

    // The audio clock in seconds; it stands still while suspended.
    now() {
        return this.context.currentTime;
    }

    resume() {
        return this.context ? this.context.resume().catch(() => {}) : Promise.resolve();
    }

    suspend() {
        return this.context ? this.context.suspend().catch(() => {}) : Promise.resolve();
    }

    setMuted(muted) {
        this.muted = muted;
        if (this.gain) this.gain.gain.value = muted ? 0 : 1;
    }

    stopAll() {
        for (const source of this.sources) {
            source.onended = null;
            try {
                source.stop();
            } catch {
                // never started
            }
            source.disconnect();
        }
        this.sources.clear();
    }

    // Plays `pcm` (bytes as `track` stores them: 8-bit unsigned or 16-bit signed little-endian,
    // channels interleaved) from audio time `when`, leaving out what falls before `earliest`.
    // Returns the piece's length in seconds.
    play(pcm, track, when, earliest) {
        const length = Math.floor(pcm.length / track.frameBytes);
        const seconds = length / track.rate;
        if (!this.context || length === 0) return seconds;
        const skip = Math.max(0, earliest - when);
        if (skip >= seconds) return seconds;
        let buffer;
        try {
            buffer = this.context.createBuffer(track.channels, length, track.rate);
        } catch {
            return seconds; // a rate WebAudio does not take: this track stays silent
        }
        for (let c = 0; c < track.channels; ++c)
            fillChannel(buffer.getChannelData(c), pcm, track, c, length);
        const source = this.context.createBufferSource();
        source.buffer = buffer;
        source.connect(this.gain);
        source.onended = () => {
            source.disconnect();
            this.sources.delete(source);
        };
        this.sources.add(source);
        source.start(when + skip, skip);
        return seconds;
    }
}

function fillChannel(out, pcm, track, channel, length) {
    const step = track.channels;
    if (track.bits === 8) {
        for (let i = 0, at = channel; i < length; ++i, at += step) out[i] = (pcm[at] - 128) / 128;
        return;
    }
    for (let i = 0, at = 2 * channel; i < length; ++i, at += 2 * step) {
        const word = pcm[at] | (pcm[at + 1] << 8);
        out[i] = (word >= 0x8000 ? word - 0x10000 : word) / 32768;
    }
}
