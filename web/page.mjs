// The player page: loads the movie named by ?movie= (the demo by default) or a file the user
// opens or drops, and wires the controls, keys and scaling to the player.
// Other parameters: ?frame=N shows frame N paused; ?scale=N draws each pixel N times N.
import { Movie } from './movie.mjs';
import { Player } from './player.mjs';
import { SoundOut } from './sound.mjs';

const $ = (id) => document.getElementById(id);
const canvas = $('screen');
const params = new URLSearchParams(location.search);
const fixedScale = Math.floor(Number(params.get('scale')));

let engine = null;
let movie = null;
const sound = new SoundOut();
const player = new Player(canvas, sound, { onChange: showState, onError: showMessage });

function showMessage(text) {
    const message = $('message');
    message.textContent = text;
    message.hidden = !text;
    if (text) document.body.dataset.state = 'error';
}

function clockText(seconds) {
    const minutes = Math.floor(seconds / 60);
    return `${minutes}:${(seconds - 60 * minutes).toFixed(1).padStart(4, '0')}`;
}

function showState() {
    if (player.state === 'error') {
        document.body.dataset.state = 'error';
    } else if (player.state !== 'stopped') {
        document.body.dataset.state = player.state;
    }
    const playing = player.playing;
    $('play').textContent = playing ? 'Pause' : 'Play';
    $('step').disabled = playing || player.shown >= player.last;
    const position = $('position');
    position.max = String(Math.max(0, player.last));
    position.value = String(Math.max(0, player.shown));
    const text = `${clockText(player.time)} / ${clockText(player.length)}`;
    position.setAttribute('aria-valuetext', text.replace(' / ', ' of '));
    $('time').textContent = text;
    showStartButton();
}

// Browsers hold sound back until the user does something on the page: a button then starts it.
function showStartButton() {
    $('start').hidden = !(player.playing && player.bySound && !sound.running);
}

function fitCanvas() {
    if (!movie?.info) return;
    const { width, height } = movie.info;
    let scale = fixedScale >= 1 ? fixedScale : 1;
    if (!(fixedScale >= 1)) {
        const stage = $('stage');
        const full = document.fullscreenElement === stage;
        // Outside full screen the controls and texts below keep their room.
        const others = document.querySelector('main').offsetHeight - stage.offsetHeight;
        const room = full ? window.innerHeight : window.innerHeight - others - 8;
        const across = full ? window.innerWidth : stage.clientWidth;
        scale = Math.max(1, Math.floor(Math.min(across / width, room / height)));
    }
    canvas.style.width = `${width * scale}px`;
    canvas.style.height = `${height * scale}px`;
    canvas.dataset.scale = String(scale);
}

function chooseTracks(tracks) {
    const select = $('track');
    select.replaceChildren(...tracks.map((t) => {
        const option = document.createElement('option');
        option.value = String(t.index);
        option.textContent = `Track ${t.index} (${t.rate} Hz, ${t.channels === 2 ? 'stereo' : 'mono'})`;
        return option;
    }));
    $('track-chooser').hidden = tracks.length < 2;
}

// Opens `bytes` (named `name` in messages) and plays it, or shows frame `frame` paused.
function play(bytes, name, frame = null) {
    player.stop();
    movie?.close();
    movie = new Movie(engine);
    const failure = movie.open(bytes);
    if (failure) {
        movie.close();
        movie = null;
        canvas.removeAttribute('data-frame');
        showMessage(`${name} cannot be played: ${failure}`);
        return;
    }
    showMessage('');
    chooseTracks(movie.info.tracks);
    fitCanvas();
    if (frame !== null) player.load(movie, { first: frame, paused: true });
    else player.load(movie);
    setTimeout(showStartButton, 300);
}

async function playUrl(url, frame) {
    document.body.dataset.state = 'loading';
    let bytes;
    try {
        const response = await fetch(new URL(url, location.href));
        if (!response.ok) throw new Error(`the server answered ${response.status}`);
        bytes = await response.arrayBuffer();
    } catch (error) {
        showMessage(`${url} could not be loaded: ${error.message}`);
        return;
    }
    play(bytes, url, frame);
}

async function playFile(file) {
    try {
        play(await file.arrayBuffer(), file.name);
    } catch (error) {
        showMessage(`${file.name} could not be read: ${error.message}`);
    }
}

function toggleFullScreen() {
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    else $('stage').requestFullscreen().catch(() => {});
}

function toggleMute() {
    sound.setMuted(!sound.muted);
    $('mute').setAttribute('aria-pressed', String(sound.muted));
    $('mute').textContent = sound.muted ? 'Unmute' : 'Mute';
}

function wireControls() {
    $('play').addEventListener('click', () => player.toggle());
    $('step').addEventListener('click', () => player.step());
    $('back').addEventListener('click', () => player.seekBy(-5));
    $('forward').addEventListener('click', () => player.seekBy(5));
    $('restart').addEventListener('click', () => player.seekTo(0));
    $('position').addEventListener('input', (e) => player.seekTo(Number(e.target.value)));
    $('mute').addEventListener('click', toggleMute);
    $('fullscreen').addEventListener('click', toggleFullScreen);
    $('start').addEventListener('click', () => sound.resume().then(showStartButton));
    $('track').addEventListener('change', (e) => {
        const index = Number(e.target.value);
        player.setTrack(movie.info.tracks.find((t) => t.index === index));
    });
    $('open').addEventListener('click', () => $('file').click());
    $('file').addEventListener('change', (e) => {
        if (e.target.files[0]) playFile(e.target.files[0]);
        e.target.value = '';
    });
    sound.context?.addEventListener('statechange', showStartButton);
    window.addEventListener('resize', fitCanvas);
    document.addEventListener('fullscreenchange', fitCanvas);
    document.addEventListener('keydown', onKey);
    document.addEventListener('dragover', (e) => {
        e.preventDefault();
        document.body.classList.add('dragging');
    });
    document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
    document.addEventListener('drop', (e) => {
        e.preventDefault();
        document.body.classList.remove('dragging');
        const file = e.dataTransfer?.files[0];
        if (file) playFile(file);
    });
}

function onKey(e) {
    if (e.altKey || e.ctrlKey || e.metaKey) return;
    // Space and Enter on a focused button or list press that; the other keys work everywhere.
    const onControl = e.target.closest?.('button, select, input[type=file]');
    const actions = {
        ' ': onControl ? null : () => player.toggle(),
        Enter: onControl ? null : () => player.step(),
        ArrowLeft: e.target.tagName === 'SELECT' ? null : () => player.seekBy(-5),
        ArrowRight: e.target.tagName === 'SELECT' ? null : () => player.seekBy(5),
        Home: () => player.seekTo(0),
        f: toggleFullScreen,
        F: toggleFullScreen,
        m: toggleMute,
        M: toggleMute,
    };
    const action = actions[e.key];
    if (!action) return;
    e.preventDefault();
    action();
}

async function start() {
    wireControls();
    try {
        engine = await globalThis.createTavikModule();
    } catch (error) {
        showMessage(`The movie engine could not be loaded: ${error.message ?? error}`);
        return;
    }
    const frame = params.has('frame') ? Math.floor(Number(params.get('frame'))) || 0 : null;
    await playUrl(params.get('movie') ?? 'demo.tvk', frame);
}

start();
