// Test movies for the browser tests: indexed PNG frames written here and made into movies by
// our encoder, the conformance movies, and tavik-dump's frames of each as the truth.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';

function runTool(tools, name, args) {
    try {
        execFileSync(path.join(tools, name), args, { stdio: 'pipe' });
    } catch (error) {
        throw new Error(`${name} ${args.join(' ')}: ${error.stderr ?? error.message}`);
    }
}

const crcTable = Array.from({ length: 256 }, (_, n) => {
    let c = n;
    for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    return c >>> 0;
});

function crc32(bytes) {
    let c = 0xffffffff;
    for (const b of bytes) c = crcTable[(c ^ b) & 0xff] ^ (c >>> 8);
    return (c ^ 0xffffffff) >>> 0;
}

function chunk(type, data) {
    const body = Buffer.concat([Buffer.from(type, 'latin1'), data]);
    const out = Buffer.alloc(body.length + 8);
    out.writeUInt32BE(data.length, 0);
    body.copy(out, 4);
    out.writeUInt32BE(crc32(body), body.length + 4);
    return out;
}

// An 8-bit indexed PNG of `indices` (width x height, top-down) with `palette` (r, g, b, ...).
function indexedPng(width, height, indices, palette) {
    const header = Buffer.alloc(13);
    header.writeUInt32BE(width, 0);
    header.writeUInt32BE(height, 4);
    header.set([8, 3, 0, 0, 0], 8);
    const rows = Buffer.alloc((width + 1) * height);
    for (let y = 0; y < height; ++y) {
        rows.set(indices.subarray(y * width, (y + 1) * width), y * (width + 1) + 1); // filter 0
    }
    return Buffer.concat([Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]), chunk('IHDR', header),
        chunk('PLTE', Buffer.from(palette)), chunk('IDAT', zlib.deflateSync(rows)),
        chunk('IEND', Buffer.alloc(0))]);
}

// A moving pattern of 64 colours whose palette turns a little every frame. With `header`, the
// movie's header then claims that size ([width, height]), which the encoder cannot make.
function encodeMovie(tools, dir, name, { width, height, frames, flags = [], header = null }) {
    const files = [];
    for (let f = 0; f < frames; ++f) {
        const indices = new Uint8Array(width * height);
        for (let y = 0; y < height; ++y) {
            for (let x = 0; x < width; ++x) {
                indices[y * width + x] = ((x >> 2) * 3 + (y >> 1) + f * 5) & 63;
            }
        }
        const palette = [];
        for (let i = 0; i < 64; ++i) {
            palette.push((i * 4 + f * 24) & 255, (i * 37) & 255, 255 - ((i * 4 + f * 9) & 255));
        }
        const file = path.join(dir, `${name}_${f}.png`);
        fs.writeFileSync(file, indexedPng(width, height, indices, palette));
        files.push(file);
    }
    const movie = path.join(dir, `${name}.tvk`);
    runTool(tools, 'tavik-encode', ['--fps', '10', ...flags, movie, ...files]);
    if (header) {
        const bytes = fs.readFileSync(movie);
        bytes.writeUInt32LE(header[0], 4);
        bytes.writeUInt32LE(header[1], 8);
        fs.writeFileSync(movie, bytes);
    }
    return movie;
}

// The movies of the frame tests, each { name, file, frames } (frames as dumpFrames gives them).
export function makeMovies(buildDir, conformanceDir, workDir) {
    const tools = path.join(buildDir, 'tools');
    const movies = [
        ['doubled_36x20', encodeMovie(tools, workDir, 'doubled_36x20',
            { width: 36, height: 20, frames: 6, flags: ['--doubled'] })],
        ['interlaced_44x12', encodeMovie(tools, workDir, 'interlaced_44x12',
            { width: 44, height: 12, frames: 5, flags: ['--interlaced'] })],
        ['odd_37x17', encodeMovie(tools, workDir, 'odd_37x17',
            { width: 40, height: 20, frames: 4, header: [37, 17] })],
        ...['palette_160x120', 'interlaced_160x60', 'ring_100x64'].map((name) =>
            [name, path.join(conformanceDir, `${name}.tvk`)]),
    ];
    return movies.map(([name, file]) => ({ name, file, frames: dumpFrames(tools, file, workDir) }));
}

// tavik-dump's frames of `file` in play order, each { width, height, rgb }.
export function dumpFrames(tools, file, workDir) {
    const out = path.join(workDir, `${path.basename(file)}.dump`);
    runTool(tools, 'tavik-dump', [file, '--out', out]);
    return fs.readdirSync(out).filter((f) => f.endsWith('.ppm')).sort()
        .map((f) => readPpm(fs.readFileSync(path.join(out, f))));
}

// A binary PPM (P6, maxval 255) as { width, height, rgb }.
export function readPpm(bytes) {
    const text = bytes.subarray(0, 64).toString('latin1');
    const match = /^P6\s+(\d+)\s+(\d+)\s+255\s/.exec(text);
    if (!match) throw new Error('not a binary PPM of maxval 255');
    const [whole, width, height] = match;
    return { width: Number(width), height: Number(height), rgb: bytes.subarray(whole.length) };
}
