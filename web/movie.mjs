// One movie in the engine's WebAssembly module: opening it from bytes, its facts, frames in play
// order with their RGBA pictures, each track's sound in playing order, and seeking. Used by the page and by the benchmark.

const kStatusOk = 0;
const kStatusEnd = 1;

export class Movie {
    // `engine`: the module that createTavikModule() resolves to.
    constructor(engine) {
        this.engine = engine;
        this.handle = engine._TavikWebCreate();
        if (!this.handle) throw new Error('The movie engine has no memory left.');
        this.info = null;
    }

    // Opens `bytes` (an ArrayBuffer or typed array); null when it went well, else the reason.
    open(bytes) {
        const e = this.engine;
        const data = new Uint8Array(bytes);
        const at = e._malloc(Math.max(1, data.length));
        if (!at) return 'There is not enough memory for this movie.';
        e.HEAPU8.set(data, at);
        const status = e._TavikWebOpen(this.handle, at, data.length);
        if (status !== kStatusOk) {
            this.info = null;
            return this.statusText(status);
        }
        this.info = this.readInfo();
        return null;
    }

    readInfo() {
        const e = this.engine;
        // TavikInfo: Width, Height, FrameCount, FrameTime, HasRingFrame, then seven tracks of
        // Present, Rate, Channels, Bits; all 32-bit.
        const words = new Uint32Array(e.HEAPU8.buffer, e._TavikWebInfo(this.handle), 5 + 7 * 4);
        const tracks = [];
        for (let t = 0; t < 7; ++t) {
            const [present, rate, channels, bits] = words.subarray(5 + 4 * t, 9 + 4 * t);
            if (!present) continue;
            tracks.push({ index: t, rate, channels, bits, frameBytes: channels * (bits / 8) });
        }
        return {
            width: words[0],
            height: words[1],
            frameCount: words[2],
            frameSeconds: words[3] / 100000, // 0: no timing of its own
            hasRingFrame: words[4] !== 0,
            tracks,
        };
    }

    // Decodes the next frame; with `convert`, also its RGBA picture. Null when it went well,
    // 'end' after the last frame, else the reason it failed.
    next(convert) {
        return this.outcome(this.engine._TavikWebNext(this.handle, convert ? 1 : 0));
    }

    // The next call of next() gives frame `frame`, as play from the start shows it, and every
    // track's sound goes on from the sound that plays with it.
    seek(frame) {
        return this.outcome(this.engine._TavikWebSeek(this.handle, frame));
    }

    outcome(status) {
        if (status === kStatusOk) return null;
        return status === kStatusEnd ? 'end' : this.statusText(status);
    }

    // The number of the frame that next() last gave.
    get frameNumber() {
        return this.engine._TavikWebFrameNumber(this.handle);
    }

    // The last converted picture, Width x Height x 4 bytes; valid until the next call.
    pixels() {
        const e = this.engine;
        const { width, height } = this.info;
        return new Uint8ClampedArray(e.HEAPU8.buffer, e._TavikWebPixels(this.handle),
            width * height * 4);
    }

    // Up to `bytes` bytes of track `t`'s sound in its PCM format, on from where the last read
    // or seek left it; valid until the next call. Empty at the end of the track's sound; a
    // string with the reason when it cannot be read.
    readSound(t, bytes) {
        const e = this.engine;
        const got = e._TavikWebReadSound(this.handle, t, bytes);
        if (got < 0) return this.statusText(got);
        return new Uint8Array(e.HEAPU8.buffer, e._TavikWebSound(this.handle), got);
    }

    statusText(status) {
        return this.engine.UTF8ToString(this.engine._TavikWebStatusText(status));
    }

    close() {
        if (this.handle) this.engine._TavikWebClose(this.handle);
        this.handle = 0;
        this.info = null;
    }
}
