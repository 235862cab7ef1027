// The WebAssembly decoder's speed under node: frames per second on a movie (the site's demo by
// default), decoded and converted to RGBA as the page does, against the movie's own frame rate.
// Usage: node bench.js [SITE_DIR [MOVIE]]
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const site = path.resolve(process.argv[2] ?? path.join(here, '../../build-web/site'));
const moviePath = process.argv[3] ?? path.join(site, 'demo.tvk');
const kGoal = 50; // times real time
const kRoundSeconds = 0.5;
const kRounds = 5;

const createTavikModule = createRequire(import.meta.url)(path.join(site, 'tavik_web.js'));
// The module's own loader fetches its .wasm by URL, which node's fetch cannot do for files.
const engine = await createTavikModule({
    wasmBinary: fs.readFileSync(path.join(site, 'tavik_web.wasm')),
});
const { Movie } = await import(pathToFileURL(path.join(site, 'movie.mjs')).href);

const movie = new Movie(engine);
const failure = movie.open(fs.readFileSync(moviePath));
if (failure) {
    console.error(`bench: ${moviePath}: ${failure}`);
    process.exit(1);
}
const { frameCount, frameSeconds, width, height } = movie.info;
if (!frameSeconds) {
    console.error(`bench: ${moviePath} has no frame rate to compare with`);
    process.exit(1);
}

// Whole passes over the movie, from a seek to frame 0 as a restart does; the best round counts.
function round() {
    let frames = 0;
    const start = process.hrtime.bigint();
    let elapsed = 0;
    while (elapsed < kRoundSeconds) {
        movie.seek(0);
        for (let n = 0; n < frameCount; ++n) {
            const failed = movie.next(true);
            if (failed) throw new Error(`frame ${n}: ${failed}`);
            ++frames;
        }
        elapsed = Number(process.hrtime.bigint() - start) / 1e9;
    }
    return frames / elapsed;
}

round(); // warm-up: compilation tiers and the first pass's seek snapshots
let best = 0;
for (let i = 0; i < kRounds; ++i) best = Math.max(best, round());
const ratio = best * frameSeconds;
console.log(`WebAssembly decoder: ${path.basename(moviePath)} ${width}x${height}, ` +
    `${best.toFixed(0)} frames per second against the movie's ${(1 / frameSeconds).toFixed(2)}: ` +
    `${ratio.toFixed(1)}x real time (goal: ${kGoal}x)${ratio >= kGoal ? '' : ' BELOW THE GOAL'}`);
movie.close();
