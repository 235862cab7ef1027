// Playback of one open movie on a canvas: pictures paced by the sound that has played (by the
// clock without sound), a few frames decoded ahead, the track's sound queued a little ahead of
// the clock in pieces read in playing order; pausing, stepping and seeking. Frames play once,
// from 0 to the last.

const kAheadSeconds = 0.25; // pictures decoded, and sound queued, this far ahead
const kPieceSeconds = 0.05; // sound is read and queued in pieces of this length
const kStartDelay = 0.1; // seconds from a (re)start to its first sound
const kUntimedFrameSeconds = 1 / 60; // a movie without a frame time: one frame a refresh

export class Player {
    // `onChange()` runs after every change of the shown frame or of the state; `onError(text)`
    // when a frame cannot be decoded.
    constructor(canvas, sound, { onChange, onError }) {
        this.canvas = canvas;
        this.context2d = canvas.getContext('2d');
        this.sound = sound;
        this.onChange = onChange;
        this.onError = onError;
        this.movie = null;
        this.ticking = false;
    }

    // Shows frame `first` of `movie` and plays on from it unless `paused`.
    load(movie, { first = 0, paused = false, track = null } = {}) {
        this.stop();
        this.movie = movie;
        const { width, height, frameCount, frameSeconds, tracks } = movie.info;
        this.canvas.width = width;
        this.canvas.height = height;
        this.last = frameCount - 1;
        this.frameSeconds = frameSeconds || kUntimedFrameSeconds;
        this.aheadFrames = Math.max(1, Math.ceil(kAheadSeconds / this.frameSeconds));
        this.pool = Array.from({ length: this.aheadFrames + 2 },
            () => new ImageData(width, height));
        this.track = track ?? tracks[0] ?? null;
        this.shown = -1;
        this.startAt(Math.min(Math.max(0, first), this.last), !paused);
    }

    get playing() {
        return this.state === 'playing';
    }

    get paused() {
        return this.state === 'paused' || this.state === 'ended';
    }

    // The shown frame's time and the movie's length, in seconds.
    get time() {
        return Math.max(0, this.shown) * this.frameSeconds;
    }
    get length() {
        return (this.last + 1) * this.frameSeconds;
    }

    // Whether the audio clock paces the pictures: while a track plays and WebAudio is there.
    get bySound() {
        return this.track !== null && this.sound.available;
    }

    toggle() {
        if (this.playing) this.pause();
        else this.resume();
    }

    pause() {
        if (!this.playing) return;
        if (this.bySound) this.sound.suspend();
        else this.frozenAt = this.clockTime();
        this.setState('paused');
    }

    resume() {
        if (!this.movie || this.state === 'error') return;
        if (this.state === 'ended') {
            this.startAt(0, true);
            return;
        }
        if (this.state !== 'paused') return;
        if (this.outOfStep) {
            this.startAt(this.shown, true); // no sound queued, or none that matches the picture
            return;
        }
        if (this.bySound) this.sound.resume();
        else this.clockStart = performance.now() / 1000 - (this.frozenAt - this.base);
        this.setState('playing');
        this.tickSoon();
    }

    // One more frame while paused.
    step() {
        if (!this.paused || this.shown >= this.last) return;
        const image = this.queue.length ? this.queue.shift() : this.decodeInto(null);
        if (!image) return;
        this.draw(image);
        this.outOfStep = true;
        this.setState(this.shown >= this.last ? 'ended' : 'paused');
    }

    seekTo(frame) {
        if (!this.movie || this.state === 'error') return;
        const target = Math.min(Math.max(0, Math.round(frame)), this.last);
        this.startAt(target, this.playing);
    }

    seekBy(seconds) {
        this.seekTo(this.shown + Math.round(seconds / this.frameSeconds));
    }

    setTrack(track) {
        this.track = track;
        if (!this.movie || this.state === 'error') return;
        if (this.playing) this.startAt(this.shown, true);
        else this.outOfStep = true;
    }

    stop() {
        this.sound.stopAll();
        this.movie = null;
        this.state = 'stopped';
    }

    // Shows frame `n` and, when `playing`, plays on from it: the clock starts at n's time and
    // the track's sound from the sound that plays with n (where the seek left it) is queued.
    // Paused, no sound is queued: playing on starts here again.
    startAt(n, playing) {
        this.sound.stopAll();
        this.queue = [];
        this.outOfStep = !playing;
        this.base = n * this.frameSeconds;
        const withSound = playing && this.bySound;
        if (withSound) {
            this.clockStart = this.sound.now() + kStartDelay;
            this.soundAt = this.base; // movie time of the next sound to queue
            this.soundLeft = true;
        } else {
            this.clockStart = performance.now() / 1000;
            this.frozenAt = this.base;
        }
        if (!this.check(this.movie.seek(n), n)) return;
        this.decoded = n - 1;
        const image = this.decodeInto(null);
        if (!image) return;
        if (withSound) this.queueSound(this.base + kAheadSeconds);
        this.draw(image);
        this.setState(!playing ? 'paused' : n >= this.last ? 'ended' : 'playing');
        if (withSound && !this.sound.running) this.sound.resume();
        this.tickSoon();
    }

    // Decodes the next frame without its picture (one that will not be shown).
    skipFrame() {
        if (!this.check(this.movie.next(false), this.decoded + 1)) return false;
        this.decoded = this.movie.frameNumber;
        return true;
    }

    // Decodes the next frame into a free image of the pool (neither on the screen, nor queued,
    // nor `keep`); null when it fails.
    decodeInto(keep) {
        if (!this.check(this.movie.next(true), this.decoded + 1)) return null;
        const image = this.pool.find((i) => i !== this.onScreen && i !== keep &&
            !this.queue.includes(i));
        image.data.set(this.movie.pixels());
        image.frame = this.movie.frameNumber;
        this.decoded = image.frame;
        return image;
    }

    // Queues the track's sound, piece by piece, until it reaches movie time `until` or ends;
    // what is due before now (after the page was held back) is left out. Sound that cannot be
    // read leaves the rest of the run silent; pictures go on.
    queueSound(until) {
        const { index, rate, frameBytes } = this.track;
        const pieceBytes = Math.ceil(rate * kPieceSeconds) * frameBytes;
        const earliest = Math.max(this.clockStart, this.sound.now());
        while (this.soundLeft && this.soundAt < until) {
            const pcm = this.movie.readSound(index, pieceBytes);
            if (typeof pcm === 'string') {
                this.soundLeft = false;
                return;
            }
            this.soundLeft = pcm.length === pieceBytes;
            const when = this.clockStart + (this.soundAt - this.base);
            this.soundAt += this.sound.play(pcm, this.track, when, earliest);
        }
    }

    check(failure, frame) {
        if (!failure) return true;
        this.sound.stopAll();
        this.setState('error');
        this.onError(failure === 'end' ? `The movie ends before frame ${frame}.`
            : `Frame ${frame} could not be decoded: ${failure}`);
        return false;
    }

    draw(image) {
        this.context2d.putImageData(image, 0, 0);
        this.onScreen = image;
        this.shown = image.frame;
        this.canvas.dataset.frame = String(image.frame);
        this.onChange();
    }

    setState(state) {
        this.state = state;
        this.onChange();
    }

    // The movie's time by the pacing clock; before the start it stays at the start.
    clockTime() {
        const now = this.bySound ? this.sound.now() : performance.now() / 1000;
        return this.base + Math.max(0, now - this.clockStart);
    }

    tickSoon() {
        if (this.ticking || !this.playing) return;
        this.ticking = true;
        requestAnimationFrame(() => this.tick());
    }

    tick() {
        this.ticking = false;
        if (!this.playing) return;
        const now = this.clockTime();
        const due = Math.min(this.last, Math.floor(now / this.frameSeconds + 1e-6));
        // The latest frame that is due goes on the screen; frames before it that were never
        // queued are decoded without pictures.
        let next = null;
        while (this.queue.length && this.queue[0].frame <= due) next = this.queue.shift();
        while (this.decoded < due - 1) {
            if (!this.skipFrame()) return;
        }
        while (this.decoded < Math.min(this.last, due + this.aheadFrames)) {
            const image = this.decodeInto(next);
            if (!image) return;
            if (image.frame <= due) next = image;
            else this.queue.push(image);
        }
        if (this.bySound) this.queueSound(now + kAheadSeconds);
        if (next) this.draw(next);
        if (this.shown >= this.last && now >= this.length) {
            this.setState('ended');
            return;
        }
        this.tickSoon();
    }
}
