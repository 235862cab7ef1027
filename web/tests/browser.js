// The web player in headless Chromium: paused frames against tavik-dump's, playback, seeks by
// keys and by the time bar with their sound, and bad files. Every test fails on an uncaught exception in the page.
// Usage: node browser.js SITE_DIR BUILD_DIR [CONFORMANCE_DIR]
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';
import { dumpFrames, makeMovies } from './movies.js';

if (process.argv.length < 4) {
    console.error('usage: node browser.js SITE_DIR BUILD_DIR [CONFORMANCE_DIR]');
    process.exit(2);
}
const here = path.dirname(fileURLToPath(import.meta.url));
const [site, build, conformance = path.join(here, '../../tests/conformance')] =
    process.argv.slice(2).map((p) => path.resolve(p));
const kDemoFrameSeconds = 0.06666;
const kWaitMs = 15000;

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'tavik-web-'));
process.on('exit', () => fs.rmSync(work, { recursive: true, force: true }));
const movies = makeMovies(build, conformance, work);
const demoFile = path.join(site, 'demo.tvk');
const demo = { name: 'demo', frames: dumpFrames(path.join(build, 'tools'), demoFile, work) };
// The demo's sound as tavik-dump writes it beside the frames: 22050 Hz mono 8-bit, after the
// WAV's 44-byte header.
const demoSound = fs.readFileSync(path.join(work, 'demo.tvk.dump', 'track_0.wav')).subarray(44);
// Cut in the header, in frame 0 and later; bytes that are no movie.
const demoBytes = fs.readFileSync(demoFile);
const bad = new Map([
    ['/movies/header.tvk', demoBytes.subarray(0, 60)],
    ['/movies/frames.tvk', demoBytes.subarray(0, 6000)],
    ['/movies/late.tvk', demoBytes.subarray(0, 60000)],
    ['/movies/random.tvk', Buffer.from(Array.from({ length: 5000 }, (_, i) => (i * 7919) % 251))],
]);
const served = new Map([...bad,
    ...movies.map((m) => [`/movies/${m.name}.tvk`, fs.readFileSync(m.file)])]);
const types = { '.html': 'text/html', '.mjs': 'text/javascript', '.js': 'text/javascript',
    '.css': 'text/css', '.wasm': 'application/wasm' };

// The site and the test movies over HTTP on a free port.
const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    let body = served.get(name);
    if (!body) {
        const file = path.join(site, path.normalize(name === '/' ? '/index.html' : name));
        const found = file.startsWith(site) && fs.statSync(file, { throwIfNoEntry: false })?.isFile();
        body = found ? fs.readFileSync(file) : null;
    }
    response.writeHead(body ? 200 : 404,
        { 'Content-Type': types[path.extname(name)] ?? 'application/octet-stream' });
    response.end(body ?? 'not found');
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const origin = `http://127.0.0.1:${server.address().port}`;

const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    // Small containers have little shared memory; sound plays without a click, silently.
    args: ['--no-sandbox', '--disable-dev-shm-usage', '--autoplay-policy=no-user-gesture-required',
        '--mute-audio'],
});

// Opens the page with `query`; the uncaught exceptions of the page land in `errors`.
async function open(query, errors) {
    const page = await browser.newPage();
    page.on('pageerror', (error) => errors.push(error.message));
    await page.goto(`${origin}/index.html${query}`);
    return page;
}

async function shownFrame(page) {
    return Number(await page.$eval('#screen', (c) => c.dataset.frame ?? -1));
}

// Waits until the page shows frame `frame`, paused.
async function waitPaused(page, frame) {
    await page.waitForFunction((n) => document.body.dataset.state === 'paused' &&
        document.getElementById('screen').dataset.frame === String(n), { timeout: kWaitMs }, frame);
}

// The canvas's RGB pixels against a dumped frame: null when equal, else where they differ.
async function differences(page, expected) {
    const { width, height, data } = await page.$eval('#screen', (c) => ({
        width: c.width,
        height: c.height,
        data: Array.from(c.getContext('2d').getImageData(0, 0, c.width, c.height).data),
    }));
    if (width !== expected.width || height !== expected.height) {
        return `canvas ${width}x${height}, dumped ${expected.width}x${expected.height}`;
    }
    for (let i = 0; i < width * height; ++i) {
        const got = data.slice(4 * i, 4 * i + 3);
        const want = Array.from(expected.rgb.subarray(3 * i, 3 * i + 3));
        if (got.join() !== want.join() || data[4 * i + 3] !== 255) {
            const where = `(${i % width}, ${Math.floor(i / width)})`;
            return `pixel ${where}: ${data.slice(4 * i, 4 * i + 4)}, dumped ${want}`;
        }
    }
    return null;
}

async function expectFrame(page, movie, frame) {
    await waitPaused(page, frame);
    const failure = await differences(page, movie.frames[frame]);
    if (failure) throw new Error(`${movie.name} frame ${frame}: ${failure}`);
}

async function waitFrom(page, frame) {
    await page.waitForFunction((n) => Number(document.getElementById('screen').dataset.frame) >= n,
        { timeout: kWaitMs }, frame);
}

const tests = [
    // Every frame of every movie, each by its own ?frame=N, then one step on from the first.
    ...movies.map((movie) => [`?frame=N equals tavik-dump: ${movie.name}`, async (errors) => {
        const page = await open('', errors);
        for (let frame = 0; frame < movie.frames.length; ++frame) {
            await page.goto(`${origin}/index.html?movie=/movies/${movie.name}.tvk&frame=${frame}`);
            await expectFrame(page, movie, frame);
            if (frame === 0) {
                await page.keyboard.press('Enter');
                await expectFrame(page, movie, 1);
            }
        }
    }]),
    ['the demo plays on by itself, and Space pauses it', async (errors) => {
        const page = await open('', errors);
        await waitFrom(page, 10);
        await page.keyboard.press('Space');
        const paused = await shownFrame(page);
        await expectFrame(page, demo, paused);
        await new Promise((resolve) => setTimeout(resolve, 300));
        const now = await shownFrame(page);
        if (now !== paused) throw new Error(`frame ${now} while paused at ${paused}`);
    }],
    ['seeks by keys and by the time bar land on their frames', async (errors) => {
        const page = await open('?frame=4', errors);
        const five = Math.round(5 / kDemoFrameSeconds);
        const steps = [
            ['ArrowRight', 4 + five], ['ArrowRight', 4 + 2 * five], ['ArrowRight', 159],
            ['ArrowLeft', 159 - five], ['Home', 0], ['Enter', 1], ['ArrowLeft', 0],
        ];
        await waitPaused(page, 4);
        for (const [key, frame] of steps) {
            await page.keyboard.press(key);
            await expectFrame(page, demo, frame).catch(async (error) => {
                throw new Error(`${key}: frame ${await shownFrame(page)}: ${error.message}`);
            });
        }
        await page.$eval('#position', (bar) => {
            bar.value = '123';
            bar.dispatchEvent(new Event('input'));
        });
        await expectFrame(page, demo, 123);
        const time = await page.$eval('#time', (t) => t.textContent);
        if (!time.startsWith('0:08.2')) throw new Error(`frame 123 shows the time ${time}`);
    }],
    ['a seek while playing jumps 5 seconds and plays on to the end', async (errors) => {
        const page = await open('', errors);
        await waitFrom(page, 2);
        // Every frame drawn from now on, in order.
        await page.$eval('#screen', (canvas) => {
            window.drawn = [Number(canvas.dataset.frame)];
            new MutationObserver((records) => {
                for (const r of records) window.drawn.push(Number(r.target.dataset.frame));
            }).observe(canvas, { attributeFilter: ['data-frame'] });
        });
        await page.keyboard.press('ArrowRight');
        await page.waitForFunction(() => document.body.dataset.state === 'ended',
            { timeout: kWaitMs });
        const drawn = await page.evaluate(() => window.drawn);
        const five = Math.round(5 / kDemoFrameSeconds);
        if (!drawn.slice(1).some((f, i) => f === drawn[i] + five) || drawn.at(-1) !== 159) {
            throw new Error(`frames drawn: ${drawn.join(' ')}`);
        }
    }],
    ['a seek while playing queues the sound that plays with its frame', async (errors) => {
        const page = await open('', errors);
        await waitFrom(page, 2);
        // The samples of the first sound buffer made while the time bar seeks to frame 50.
        const samples = await page.$eval('#position', (bar) => {
            const made = [];
            const create = AudioContext.prototype.createBuffer;
            AudioContext.prototype.createBuffer = function (...args) {
                made.push(create.apply(this, args));
                return made.at(-1);
            };
            bar.value = '50';
            bar.dispatchEvent(new Event('input'));
            AudioContext.prototype.createBuffer = create;
            return made.length ? Array.from(made[0].getChannelData(0)) : [];
        });
        // Frame 50 plays 50 frame times of 6666 ticks of 10 microseconds in.
        const from = Math.floor(50 * 6666 * 22050 / 100000);
        const want = Array.from(demoSound.subarray(from, from + samples.length),
            (b) => (b - 128) / 128);
        if (!samples.length || samples.join() !== want.join()) {
            throw new Error(`${samples.length} samples queued: ${samples.slice(0, 8).join(' ')}, ` +
                `dumped from byte ${from}: ${want.slice(0, 8).join(' ')}`);
        }
    }],
    // Bad files by ?movie= and by the file button: a message, the error state, nothing thrown.
    ['bad files show a message', async (errors) => {
        const page = await open('', errors);
        for (const [name, how, pattern] of [
            ['header.tvk', 'url', /^\/movies\/header\.tvk cannot be played: \w/],
            ['frames.tvk', 'url', /^Frame 0 could not be decoded: \w/],
            ['late.tvk', 'url', /^Frame [1-9]\d* could not be decoded: \w/],
            ['random.tvk', 'file', /^random\.tvk cannot be played: \w/],
            ['missing.tvk', 'url', /^\/movies\/missing\.tvk could not be loaded: .+ 404/],
        ]) {
            if (how === 'url') {
                await page.goto(`${origin}/index.html?movie=/movies/${name}`);
            } else {
                await page.goto(`${origin}/index.html?frame=0`);
                await waitPaused(page, 0);
                fs.writeFileSync(path.join(work, name), bad.get(`/movies/${name}`));
                await (await page.$('#file')).uploadFile(path.join(work, name));
            }
            await page.waitForSelector('#message:not([hidden])', { timeout: kWaitMs });
            const [text, state] = await page.$eval('#message', (m) => [m.textContent,
                document.body.dataset.state]);
            if (!pattern.test(text) || state !== 'error') {
                throw new Error(`${name}: "${text}" in state ${state}`);
            }
        }
    }],
];

let failures = 0;
try {
    for (const [name, run] of tests) {
        const errors = [];
        try {
            await run(errors);
            if (errors.length) throw new Error(`uncaught in the page: ${errors.join('; ')}`);
            console.log(`ok   ${name}`);
        } catch (error) {
            console.log(`FAIL ${name}: ${error.message}`);
            ++failures;
        }
        for (const page of await browser.pages()) await page.close();
    }
} finally {
    await browser.close();
    server.close();
}
console.log(failures ? `${failures} of ${tests.length} browser tests failed`
    : `all ${tests.length} browser tests passed`);
process.exit(failures ? 1 : 0);
