// Test movies for the browser tests: streams written here and made into movies by our encoder,
// the conformance movies, and tavik-dump's frames of each as the truth.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';

function runTool(tools, name, args) {
    try {
        execFileSync(path.join(tools, name), args, { stdio: 'pipe' });
    } catch (error) {
        throw new Error(`${name} ${args.join(' ')}: ${error.stderr ?? error.message}`);
    }
}

// A moving pattern of 64 colours that change a little every frame, made from a 4:4:4
// YUV4MPEG2 stream with a palette of its own for every frame. With `header`, the movie's header
// then claims that size ([width, height]), which the encoder cannot make.
function encodeMovie(tools, dir, name, { width, height, frames, flags = [], header = null }) {
    const area = width * height;
    const parts = [Buffer.from(`YUV4MPEG2 W${width} H${height} F10:1 C444\n`)];
    for (let f = 0; f < frames; ++f) {
        const planes = Buffer.alloc(3 * area);
        for (let y = 0; y < height; ++y) {
            for (let x = 0; x < width; ++x) {
                const i = ((x >> 2) * 3 + (y >> 1) + f * 5) & 63;
                planes[y * width + x] = 16 + i * 3;
                planes[area + y * width + x] = (i * 37 + f * 24) & 255;
                planes[2 * area + y * width + x] = 255 - ((i * 4 + f * 9) & 255);
            }
        }
        parts.push(Buffer.from('FRAME\n'), planes);
    }
    const stream = path.join(dir, `${name}.y4m`);
    fs.writeFileSync(stream, Buffer.concat(parts));
    const movie = path.join(dir, `${name}.tvk`);
    runTool(tools, 'tavik-encode', ['--palette', 'frames', ...flags, '--y4m', stream, movie]);
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
