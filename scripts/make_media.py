#!/usr/bin/env python3
"""Builds ZAM's music (.mid) and sound effects (.wav) from readable text sources.

    python3 scripts/make_media.py           build everything, then print the check table
    python3 scripts/make_media.py --check   only check the files already in assets/media

Sources live in assets/media/src/, results go to assets/media/. Only the Python
standard library is used. The output is the same, byte for byte, on every run:
the only randomness (noise, where the sparkles fall) comes from generators
seeded from each effect's file name.

After building, every file is read back from disk and checked: MIDI files are
parsed and timed from their tempo and ticks, WAV files are measured (length,
peak, RMS, DC). Anything outside what the game expects is reported as FAIL
and the script exits with status 1.


TUNES  (assets/media/src/<name>.txt  ->  assets/media/<name>.mid)
-----
A '#' at the start of a word begins a comment (F#4 is a note, not a comment).

Header lines, before the first track:
    title  <text>          name stored in the file
    tempo  <bpm>           quarter notes per minute
    meter  <n>/<d>         time signature, default 4/4 (bar lines are checked against it)
    key    <G | Em | Bb>   key signature, stored as a meta event

    pattern <name> {       a reusable piece of music (may span several lines),
        ...                played with @name anywhere in a track or another pattern
    }

A track starts with 'track <name>' and takes these settings (on their own lines):
    channel <1-16>         MIDI channel as musicians count it; 10 is the drum channel
    program <1-128>        General MIDI instrument, numbered 1-128 as in the GM list
                           (on channel 10 it picks the drum kit; 1 = standard kit)
    volume  <0-127>        controller 7          (default 100)
    pan     <0-127>        controller 10, 64 is the centre (default 64)
    reverb  <0-127>        controller 91         (default 40)

Music, separated by spaces (any number per line):
    C4 1/4                 a note and its length; C4 is middle C (MIDI 60),
                           sharps/flats: F#3, Bb2, octaves -1..9
    rest 1/8               silence
    [C4 E4 G4] 1/2         a chord: the notes start and stop together
    kick 1/8               drum names (for channel 10), see DRUMS below
    E5:104 1/8             a single note with its own velocity (also inside chords)
    lengths                fractions of a whole note: 1, 1/2, 1/4, 1/8, 1/16;
                           a trailing '.' makes it dotted (1/4. = 3/8),
                           1/12 is a triplet eighth, '+' ties: 1/2+1/8
    v90                    velocity for the following notes (default 90)
    gate 0.85              how much of its length each note sounds (default 0.9);
                           notes that end where the tune ends are always held to
                           the end, so the last note-off is the last thing in the file
    repeat 3 { ... }       play the enclosed music 3 times
    @name                  play a pattern
    |                      bar line: checked to fall exactly on a bar boundary

All tracks of a tune must come out the same length; the tune ends with the
last note-off, right where every track's end-of-track event is placed.


EFFECTS  (assets/media/src/effects.txt)
-------
    rate 22050                             sample rate for all effects (22050 or 44100)
    effect <file> key=value ...            starts an effect
    layer key=value ...                    adds a layer (a sound) to the current effect
    key=value ...                          a line starting with key=value continues the
                                           previous effect or layer line

Effect keys:  length (s, required)  peak (dBFS, default -4)
              fade_in (s, default 0.002)  fade_out (s, default 0.010)
The layers are mixed, a 15 Hz high-pass removes any DC, short raised-cosine
fades make the first and last samples zero, and the whole is scaled so its
loudest sample sits exactly at 'peak'. Output: 16-bit signed mono PCM.

Layer keys (times in seconds, frequencies in Hz or as note names like C6):
    wave=sine|triangle|square|pulse|saw|noise   (default sine; band-limited, no aliasing)
    freq=A or freq=A..B      pitch, or a sweep from A to B        (default 440)
    sweep=exp|lin            shape of the sweep                    (default exp)
    glide=S                  time the sweep takes                  (default: whole layer)
    steps=N                  move through the sweep in N even jumps (robotic)
    duty=D                   pulse width for wave=pulse, 0.05-0.95 (default 0.5)
    partials=r:a,r:a,...     for wave=sine: extra sines at frequency ratio r, level a
                             (2.76:0.3 and such give bell and chime colours)
    vibrato=rate:semitones   pitch wobble
    tremolo=rate:depth       level wobble, depth 0-1
    ring=Hz                  ring modulation (metallic)
    at=S  len=S              start time and length of the layer
    attack=S                 linear rise at the start                (default 0.002)
    decay=S                  after the attack the level falls as exp(-t/decay); 0 = steady
    release=S                linear fade at the end of the layer     (default 0.005)
    gain=G                   level of this layer                     (default 1)
    filter=lp|hp|bp  cutoff=A or A..B  q=Q    a resonant filter, cutoff may sweep
    notes=C6,E6,G6 step=S    play the layer once per note, each 'step' later
    scatter=N span=S         with notes: N copies at random times within 'span'
                             after 'at', each on a random note from 'notes'
For wave=noise, 'freq' (if given) is the rate at which new random values are
drawn, which gives a grainy, pitched crackle instead of a hiss.
"""

import argparse
import hashlib
import math
import random
import re
import struct
import sys
import wave
import zlib
from fractions import Fraction
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SRC = ROOT / "assets" / "media" / "src"
OUT = ROOT / "assets" / "media"

PPQ = 480  # ticks per quarter note

# What the game expects of each file: (shortest, longest) in seconds.
TUNE_LENGTHS = {
    "zam": (20.0, 40.0),     # title window
    "zaming": (30.0, 90.0),  # in-game, looped
    "endzam": (3.0, 8.0),    # end of game
}
EFFECT_LENGTHS = {
    "zam1.wav": (0.15, 0.35),   # player's move
    "zam3.wav": (0.15, 0.35),   # computer's move
    "zam4.wav": (0.20, 0.50),   # capture
    "zam2.wav": (0.50, 1.20),   # piece reaches the far row
    "TXDEMO.WAV": (1.0, 2.0),   # opening logo
    "Dummy.wav": (0.0, 0.10),   # silences whatever is playing
}
QUIET_EFFECTS = {"Dummy.wav"}
AUDIBLE_PEAK = (-6.0, -3.0)     # dBFS, every effect except the quiet ones
QUIET_PEAK = (-70.0, -30.0)     # dBFS, present but practically inaudible
VELOCITIES = (60, 110)

DRUMS = {
    "kick2": 35, "kick": 36, "stick": 37, "snare": 38, "clap": 39, "snare2": 40,
    "tom6": 41, "hat": 42, "tom5": 43, "pedal": 44, "tom4": 45, "ohat": 46,
    "tom3": 47, "tom2": 48, "crash": 49, "tom1": 50, "ride": 51, "china": 52,
    "bell": 53, "tamb": 54, "splash": 55, "cowbell": 56, "crash2": 57, "ride2": 59,
    "bongo": 60, "bongo2": 61, "conga": 63, "conga2": 64, "cabasa": 69,
    "shaker": 70, "claves": 75, "block": 76, "block2": 77, "triangle": 81,
}

GM_NAMES = """Acoustic Grand Piano|Bright Acoustic Piano|Electric Grand Piano|Honky-tonk Piano|
Electric Piano 1|Electric Piano 2|Harpsichord|Clavinet|Celesta|Glockenspiel|Music Box|Vibraphone|
Marimba|Xylophone|Tubular Bells|Dulcimer|Drawbar Organ|Percussive Organ|Rock Organ|Church Organ|
Reed Organ|Accordion|Harmonica|Tango Accordion|Nylon Guitar|Steel Guitar|Jazz Guitar|Clean Guitar|
Muted Guitar|Overdriven Guitar|Distortion Guitar|Guitar Harmonics|Acoustic Bass|Finger Bass|
Pick Bass|Fretless Bass|Slap Bass 1|Slap Bass 2|Synth Bass 1|Synth Bass 2|Violin|Viola|Cello|
Contrabass|Tremolo Strings|Pizzicato Strings|Orchestral Harp|Timpani|String Ensemble 1|
String Ensemble 2|Synth Strings 1|Synth Strings 2|Choir Aahs|Voice Oohs|Synth Voice|Orchestra Hit|
Trumpet|Trombone|Tuba|Muted Trumpet|French Horn|Brass Section|Synth Brass 1|Synth Brass 2|
Soprano Sax|Alto Sax|Tenor Sax|Baritone Sax|Oboe|English Horn|Bassoon|Clarinet|Piccolo|Flute|
Recorder|Pan Flute|Blown Bottle|Shakuhachi|Whistle|Ocarina|Square Lead|Saw Lead|Calliope Lead|
Chiff Lead|Charang Lead|Voice Lead|Fifths Lead|Bass+Lead|New Age Pad|Warm Pad|Polysynth Pad|
Choir Pad|Bowed Pad|Metallic Pad|Halo Pad|Sweep Pad|Rain|Soundtrack|Crystal|Atmosphere|Brightness|
Goblins|Echoes|Sci-fi|Sitar|Banjo|Shamisen|Koto|Kalimba|Bagpipe|Fiddle|Shanai|Tinkle Bell|Agogo|
Steel Drums|Woodblock|Taiko Drum|Melodic Tom|Synth Drum|Reverse Cymbal|Guitar Fret Noise|
Breath Noise|Seashore|Bird Tweet|Telephone Ring|Helicopter|Applause|Gunshot"""
GM_NAMES = [n.strip() for n in GM_NAMES.replace("\n", "").split("|")]
assert len(GM_NAMES) == 128

KEYS = {  # key name -> sharps (+) or flats (-), minor flag
    **{k: (i - 7, 0) for i, k in enumerate("Cb Gb Db Ab Eb Bb F C G D A E B F# C#".split())},
    **{k: (i - 7, 1) for i, k in enumerate(
        "Abm Ebm Bbm Fm Cm Gm Dm Am Em Bm F#m C#m G#m D#m A#m".split())},
}

NOTE_RE = re.compile(r"([A-Ga-g])([#b]?)(-?\d)$")
STEPS = {"c": 0, "d": 2, "e": 4, "f": 5, "g": 7, "a": 9, "b": 11}


class SourceError(Exception):
    pass


def strip_comment(line):
    m = re.search(r"(^|\s)#", line)
    return line[:m.start()] if m else line


def note_number(text):
    """'C4' -> 60, 'F#3' -> 54, 'Bb2' -> 46; None if it is not a note name."""
    m = NOTE_RE.match(text)
    if not m:
        return None
    n = 12 * (int(m.group(3)) + 1) + STEPS[m.group(1).lower()]
    n += {"#": 1, "b": -1, "": 0}[m.group(2)]
    return n if 0 <= n <= 127 else None


def note_freq(n):
    return 440.0 * 2.0 ** ((n - 69) / 12.0)


def note_label(n):
    return "C C# D D# E F F# G G# A A# B".split()[n % 12] + str(n // 12 - 1)


# ---------------------------------------------------------------- tunes

class Track:
    def __init__(self, name, where):
        self.name, self.where = name, where
        self.channel = None
        self.program = 1
        self.volume, self.pan, self.reverb = 100, 64, 40
        self.music = []  # (token, where)


class Tune:
    def __init__(self, path):
        self.path = path
        self.title = path.stem
        self.tempo = None
        self.meter = (4, 4)
        self.key = None
        self.patterns = {}
        self.tracks = []


TOKEN_RE = re.compile(r"[{}\[\]|]|[^\s{}\[\]|]+")
TRACK_SETTINGS = {"channel": (1, 16), "program": (1, 128), "volume": (0, 127),
                  "pan": (0, 127), "reverb": (0, 127)}


def parse_tune(path):
    tune = Tune(path)
    track = None
    collecting = None  # [name, tokens, depth] while reading a pattern
    text = path.read_text(encoding="utf-8")
    for lineno, raw in enumerate(text.splitlines(), 1):
        where = f"{path.name}:{lineno}"
        line = strip_comment(raw).strip()
        if not line:
            continue
        toks = TOKEN_RE.findall(line)
        if collecting is None:
            word = toks[0]
            rest = line[len(word):].strip()
            if word == "title":
                tune.title = rest
                continue
            if word == "tempo":
                try:
                    tune.tempo = float(rest)
                except ValueError:
                    raise SourceError(f"{where}: tempo needs a number")
                if not 20 <= tune.tempo <= 300:
                    raise SourceError(f"{where}: tempo {rest} is out of range")
                continue
            if word == "meter":
                m = re.fullmatch(r"(\d+)/(1|2|4|8|16)", rest)
                if not m:
                    raise SourceError(f"{where}: meter looks like 4/4")
                tune.meter = (int(m.group(1)), int(m.group(2)))
                continue
            if word == "key":
                if rest not in KEYS:
                    raise SourceError(f"{where}: unknown key '{rest}'")
                tune.key = rest
                continue
            if word == "track":
                if not rest:
                    raise SourceError(f"{where}: a track needs a name")
                track = Track(rest, where)
                tune.tracks.append(track)
                continue
            if word in TRACK_SETTINGS:
                if track is None:
                    raise SourceError(f"{where}: '{word}' outside a track")
                lo, hi = TRACK_SETTINGS[word]
                if not (rest.isdigit() and lo <= int(rest) <= hi):
                    raise SourceError(f"{where}: {word} must be {lo}..{hi}")
                setattr(track, word, int(rest))
                continue
            if word == "pattern":
                if len(toks) < 3 or toks[2] != "{":
                    raise SourceError(f"{where}: write 'pattern <name> {{'")
                if toks[1] in tune.patterns:
                    raise SourceError(f"{where}: pattern '{toks[1]}' defined twice")
                collecting = [toks[1], [], 1]
                toks = toks[3:]
            else:
                if track is None:
                    raise SourceError(f"{where}: music before the first track")
                track.music.extend((t, where) for t in toks)
                continue
        # inside a pattern
        for i, t in enumerate(toks):
            if t == "{":
                collecting[2] += 1
            elif t == "}":
                collecting[2] -= 1
                if collecting[2] == 0:
                    if i != len(toks) - 1:
                        raise SourceError(f"{where}: nothing may follow a pattern's closing brace")
                    tune.patterns[collecting[0]] = collecting[1]
                    collecting = None
                    break
            collecting[1].append((t, where))
    if collecting is not None:
        raise SourceError(f"{path.name}: pattern '{collecting[0]}' is never closed")
    if tune.tempo is None:
        raise SourceError(f"{path.name}: no tempo")
    if not tune.tracks:
        raise SourceError(f"{path.name}: no tracks")
    for t in tune.tracks:
        if t.channel is None:
            raise SourceError(f"{t.where}: track '{t.name}' has no channel")
    return tune


def expand(tokens, patterns, depth=0):
    """Unrolls repeats and pattern calls into a flat list of (token, where)."""
    if depth > 16:
        raise SourceError(f"{tokens[0][1] if tokens else '?'}: patterns nest too deeply")
    out = []
    i = 0
    while i < len(tokens):
        tok, where = tokens[i]
        if tok == "repeat":
            if i + 2 >= len(tokens) or not tokens[i + 1][0].isdigit() or tokens[i + 2][0] != "{":
                raise SourceError(f"{where}: write 'repeat <count> {{ ... }}'")
            count = int(tokens[i + 1][0])
            level, j = 1, i + 3
            while j < len(tokens) and level:
                level += {"{": 1, "}": -1}.get(tokens[j][0], 0)
                j += 1
            if level:
                raise SourceError(f"{where}: repeat is never closed")
            body = expand(tokens[i + 3:j - 1], patterns, depth + 1)
            out.extend(body * count)
            i = j
        elif tok.startswith("@"):
            if tok[1:] not in patterns:
                raise SourceError(f"{where}: no pattern called '{tok[1:]}'")
            out.extend(expand(patterns[tok[1:]], patterns, depth + 1))
            i += 1
        elif tok in ("{", "}"):
            raise SourceError(f"{where}: unexpected '{tok}'")
        else:
            out.append((tok, where))
            i += 1
    return out


def parse_length(tok, where):
    total = Fraction(0)
    for piece in tok.split("+"):
        m = re.fullmatch(r"(\d+)(?:/(\d+))?(\.?)", piece)
        if not m:
            raise SourceError(f"{where}: '{tok}' is not a length (like 1/4, 1/8., 1/2+1/8)")
        value = Fraction(int(m.group(1)), int(m.group(2) or 1))
        if m.group(3):
            value *= Fraction(3, 2)
        total += value
    if total <= 0:
        raise SourceError(f"{where}: zero length")
    return total


def parse_pitch(tok, drums, where):
    """'C5', 'C5:100', 'kick', 'hat:64' -> (note, velocity or None)."""
    name, _, vel = tok.partition(":")
    n = DRUMS.get(name) if drums else None
    if n is None:
        n = note_number(name)
    if n is None:
        raise SourceError(f"{where}: '{tok}' is not a note" + (" or drum" if drums else ""))
    if vel:
        if not vel.isdigit() or not 1 <= int(vel) <= 127:
            raise SourceError(f"{where}: bad velocity in '{tok}'")
        return n, int(vel)
    return n, None


def render_track(track, tune):
    """Returns ([(start, length, note, velocity, gate)], total length) in whole notes."""
    flat = expand(track.music, tune.patterns)
    bar = Fraction(tune.meter[0], tune.meter[1])
    drums = track.channel == 10
    pos, vel, gate = Fraction(0), 90, 0.9
    notes = []
    i = 0
    while i < len(flat):
        tok, where = flat[i]
        i += 1
        if tok == "|":
            if pos % bar:
                raise SourceError(f"{where}: bar line in track '{track.name}' falls "
                                  f"{float((pos % bar) * 4):g} beats into bar {pos // bar + 1}")
            continue
        if re.fullmatch(r"v\d+", tok):
            vel = int(tok[1:])
            if not 1 <= vel <= 127:
                raise SourceError(f"{where}: velocity {vel} out of range")
            continue
        if tok == "gate":
            try:
                gate = float(flat[i][0])
            except (IndexError, ValueError):
                raise SourceError(f"{where}: gate needs a number")
            if not 0.05 <= gate <= 1.0:
                raise SourceError(f"{where}: gate must be 0.05..1")
            i += 1
            continue
        if tok == "[":
            pitches = []
            while i < len(flat) and flat[i][0] != "]":
                pitches.append(parse_pitch(flat[i][0], drums, flat[i][1]))
                i += 1
            if i >= len(flat):
                raise SourceError(f"{where}: chord is never closed")
            i += 1
            if not pitches:
                raise SourceError(f"{where}: empty chord")
            if len({p for p, _ in pitches}) != len(pitches):
                raise SourceError(f"{where}: the same note twice in a chord")
        elif tok == "rest":
            pitches = []
        else:
            pitches = [parse_pitch(tok, drums, where)]
        if i >= len(flat):
            raise SourceError(f"{where}: '{tok}' needs a length")
        length = parse_length(flat[i][0], flat[i][1])
        i += 1
        for n, v in pitches:
            notes.append((pos, length, n, v or vel, gate))
        pos += length
    return notes, pos


def vlq(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.append(0x80 | (n & 0x7F))
        n >>= 7
    return bytes(reversed(out))


def meta(kind, data):
    return bytes([0xFF, kind]) + vlq(len(data)) + data


def track_chunk(events):
    """events: (tick, order, message bytes); same-tick events sorted by order."""
    data = bytearray()
    last = 0
    for tick, _, msg in sorted(events, key=lambda e: (e[0], e[1])):
        data += vlq(tick - last) + msg
        last = tick
    return b"MTrk" + struct.pack(">I", len(data)) + bytes(data)


def to_ticks(length, where):
    t = length * 4 * PPQ
    if t.denominator != 1:
        raise SourceError(f"{where}: a length does not fit the {PPQ}-tick grid")
    return int(t)


def build_midi(tune):
    rendered = [(t, *render_track(t, tune)) for t in tune.tracks]
    longest = max(length for _, _, length in rendered)
    for t, notes, length in rendered:
        if length != longest:
            raise SourceError(f"{t.where}: track '{t.name}' lasts {float(length * 4):g} beats, "
                              f"the longest lasts {float(longest * 4):g}")
        if not notes:
            raise SourceError(f"{t.where}: track '{t.name}' has no notes")
    end = to_ticks(longest, tune.path.name)

    num, den = tune.meter
    conductor = [
        (0, 0, meta(0x03, tune.title.encode("utf-8"))),
        (0, 1, meta(0x58, bytes([num, den.bit_length() - 1, 24, 8]))),
        (0, 3, meta(0x51, struct.pack(">I", round(60_000_000 / tune.tempo))[1:])),
        (end, 99, meta(0x2F, b"")),
    ]
    if tune.key:
        sf, minor = KEYS[tune.key]
        conductor.append((0, 2, meta(0x59, bytes([sf & 0xFF, minor]))))
    chunks = [track_chunk(conductor)]

    for t, notes, _ in rendered:
        ch = t.channel - 1
        events = [
            (0, 0, meta(0x03, t.name.encode("utf-8"))),
            (0, 1, bytes([0xC0 | ch, t.program - 1])),
            (0, 2, bytes([0xB0 | ch, 7, t.volume])),
            (0, 3, bytes([0xB0 | ch, 10, t.pan])),
            (0, 4, bytes([0xB0 | ch, 91, t.reverb])),
            (end, 99, meta(0x2F, b"")),
        ]
        for start, length, n, v, gate in notes:
            on = to_ticks(start, t.where)
            dur = to_ticks(length, t.where)
            off = end if on + dur == end else on + max(1, round(dur * gate))
            # note-offs before note-ons on the same tick, so repeated notes restrike
            events.append((on, 20, bytes([0x90 | ch, n, v])))
            events.append((off, 10, bytes([0x80 | ch, n, 64])))
        chunks.append(track_chunk(events))

    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(chunks), PPQ)
    return header + b"".join(chunks)


# ---------------------------------------------------------------- effects

EFFECT_KEYS = {"length", "peak", "fade_in", "fade_out"}
LAYER_KEYS = {"wave", "freq", "sweep", "glide", "steps", "duty", "partials", "vibrato",
              "tremolo", "ring", "at", "len", "attack", "decay", "release", "gain",
              "filter", "cutoff", "q", "notes", "step", "scatter", "span"}
WAVES = {"sine", "triangle", "square", "pulse", "saw", "noise"}


def parse_effects(path):
    rate = 22050
    effects = []
    target, allowed = None, None
    for lineno, raw in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        where = f"{path.name}:{lineno}"
        line = strip_comment(raw).strip()
        if not line:
            continue
        words = line.split()
        if words[0] == "rate":
            if len(words) != 2 or words[1] not in ("22050", "44100"):
                raise SourceError(f"{where}: rate is 22050 or 44100")
            rate = int(words[1])
            continue
        if words[0] == "effect":
            if len(words) < 2 or "=" in words[1]:
                raise SourceError(f"{where}: write 'effect <file name> key=value ...'")
            if any(e["file"] == words[1] for e in effects):
                raise SourceError(f"{where}: {words[1]} defined twice")
            effect = {"file": words[1], "where": where, "layers": [], "keys": {}}
            effects.append(effect)
            target, allowed, words = effect["keys"], EFFECT_KEYS, words[2:]
        elif words[0] == "layer":
            if not effects:
                raise SourceError(f"{where}: layer before any effect")
            layer = {"where": where}
            effects[-1]["layers"].append(layer)
            target, allowed, words = layer, LAYER_KEYS, words[1:]
        elif "=" not in words[0] or target is None:
            raise SourceError(f"{where}: expected effect, layer or key=value")
        for w in words:
            key, eq, value = w.partition("=")
            if not eq or not value:
                raise SourceError(f"{where}: '{w}' is not key=value")
            if key not in allowed:
                raise SourceError(f"{where}: unknown key '{key}'")
            if key in target:
                raise SourceError(f"{where}: '{key}' given twice")
            target[key] = value
    return rate, effects


def num(text, where, key):
    try:
        return float(text)
    except ValueError:
        raise SourceError(f"{where}: {key}={text} is not a number")


def freq_value(text, where):
    n = note_number(text)
    if n is not None:
        return note_freq(n)
    f = num(text, where, "freq")
    if f <= 0:
        raise SourceError(f"{where}: frequency must be positive")
    return f


def freq_range(text, where):
    a, _, b = text.partition("..")
    fa = freq_value(a, where)
    return fa, freq_value(b, where) if b else fa


def pair(text, where, key):
    a, sep, b = text.partition(":")
    if not sep:
        raise SourceError(f"{where}: {key} is written rate:amount")
    return num(a, where, key), num(b, where, key)


class Layer:
    def __init__(self, d, rate):
        w = d["where"]
        self.where = w
        self.wave = d.get("wave", "sine")
        if self.wave not in WAVES:
            raise SourceError(f"{w}: wave must be one of {', '.join(sorted(WAVES))}")
        self.noise_rate = freq_value(d["freq"], w) if self.wave == "noise" and "freq" in d else None
        self.f1, self.f2 = freq_range(d.get("freq", "440"), w)
        self.sweep = d.get("sweep", "exp")
        if self.sweep not in ("exp", "lin"):
            raise SourceError(f"{w}: sweep is exp or lin")
        if "len" not in d:
            raise SourceError(f"{w}: layer needs len=")
        self.len = num(d["len"], w, "len")
        self.at = num(d.get("at", "0"), w, "at")
        self.glide = num(d.get("glide", d["len"]), w, "glide")
        self.steps = int(num(d.get("steps", "0"), w, "steps"))
        self.duty = num(d.get("duty", "0.5"), w, "duty")
        if not 0.05 <= self.duty <= 0.95:
            raise SourceError(f"{w}: duty must be 0.05..0.95")
        self.partials = [(1.0, 1.0)]
        if "partials" in d:
            if self.wave != "sine":
                raise SourceError(f"{w}: partials go with wave=sine")
            self.partials += [pair(p, w, "partials") for p in d["partials"].split(",")]
        self.vibrato = pair(d["vibrato"], w, "vibrato") if "vibrato" in d else None
        self.tremolo = pair(d["tremolo"], w, "tremolo") if "tremolo" in d else None
        self.ring = num(d["ring"], w, "ring") if "ring" in d else None
        self.attack = num(d.get("attack", "0.002"), w, "attack")
        self.decay = num(d.get("decay", "0"), w, "decay")
        self.release = num(d.get("release", "0.005"), w, "release")
        self.gain = num(d.get("gain", "1"), w, "gain")
        self.filter = d.get("filter")
        if self.filter not in (None, "lp", "hp", "bp"):
            raise SourceError(f"{w}: filter is lp, hp or bp")
        if self.filter and "cutoff" not in d:
            raise SourceError(f"{w}: a filter needs cutoff=")
        self.c1, self.c2 = freq_range(d.get("cutoff", "1000"), w)
        self.q = num(d.get("q", "0.707"), w, "q")
        self.notes = [freq_value(n, w) for n in d["notes"].split(",")] if "notes" in d else []
        self.step = num(d.get("step", "0"), w, "step")
        self.scatter = int(num(d.get("scatter", "0"), w, "scatter"))
        self.span = num(d.get("span", "0"), w, "span")
        if self.scatter and not self.notes:
            raise SourceError(f"{w}: scatter needs notes=")
        if min(self.len, self.glide) <= 0 or min(self.at, self.attack, self.decay,
                                                  self.release, self.span, self.step) < 0:
            raise SourceError(f"{w}: times must not be negative")
        if self.attack + self.release > self.len:
            raise SourceError(f"{w}: attack and release are longer than the layer")

    def harmonics(self):
        """(ratio, amplitude, phase offset) of the waveform's sine components."""
        top = 400  # enough for 28 Hz at 22050 Hz; the band limit trims the rest
        if self.wave == "sine":
            return [(r, a, 0.0) for r, a in self.partials]
        if self.wave == "square":
            return [(k, 4 / (math.pi * k), 0.0) for k in range(1, top, 2)]
        if self.wave == "triangle":
            return [(k, 8 / (math.pi * k) ** 2 * (-1) ** ((k - 1) // 2), 0.0)
                    for k in range(1, top, 2)]
        if self.wave == "saw":
            return [(k, 2 / (math.pi * k) * (-1) ** (k + 1), 0.0) for k in range(1, top)]
        if self.wave == "pulse":  # pulse of width d, DC left out
            return [(k, 4 / (math.pi * k) * math.sin(math.pi * k * self.duty),
                     math.pi / 2 - math.pi * k * self.duty) for k in range(1, top)]
        return []

    def render(self, rate, rng, freq=None):
        n = int(round(self.len * rate))
        f1, f2 = (freq, freq) if freq else (self.f1, self.f2)
        components = self.harmonics()
        full, cut = 0.40 * rate, 0.48 * rate  # band-limit: fade harmonics out towards Nyquist
        out = [0.0] * n
        phase = 0.0
        held, hold_phase = 0.0, 1.0
        # resonant state-variable filter state
        ic1 = ic2 = 0.0
        k_damp = 1.0 / max(self.q, 0.1)
        attack_n = self.attack * rate
        release_n = self.release * rate
        for i in range(n):
            t = i / rate
            u = min(t / self.glide, 1.0)
            if self.steps >= 2:
                u = min(int(u * self.steps), self.steps - 1) / (self.steps - 1)
            f = f1 * (f2 / f1) ** u if self.sweep == "exp" else f1 + (f2 - f1) * u
            if self.vibrato:
                f *= 2.0 ** (self.vibrato[1] / 12 * math.sin(2 * math.pi * self.vibrato[0] * t))
            if self.wave == "noise":
                if self.noise_rate is None:
                    s = rng.uniform(-1.0, 1.0)
                else:
                    hold_phase += self.noise_rate / rate
                    if hold_phase >= 1.0:
                        hold_phase -= int(hold_phase)
                        held = rng.uniform(-1.0, 1.0)
                    s = held
            else:
                s = 0.0
                for ratio, amp, offset in components:
                    fk = ratio * f
                    if fk >= cut:
                        if ratio > 1 and self.wave != "sine":
                            break
                        continue
                    w = 1.0 if fk <= full else (cut - fk) / (cut - full)
                    s += amp * w * math.sin(ratio * phase + offset)
                phase += 2 * math.pi * f / rate
            if self.filter:
                v = i / max(n - 1, 1)
                fc = min(self.c1 * (self.c2 / self.c1) ** v, 0.45 * rate)
                g = math.tan(math.pi * fc / rate)
                a1 = 1.0 / (1.0 + g * (g + k_damp))
                a2 = g * a1
                a3 = g * a2
                v3 = s - ic2
                v1 = a1 * ic1 + a2 * v3
                v2 = ic2 + a2 * ic1 + a3 * v3
                ic1, ic2 = 2 * v1 - ic1, 2 * v2 - ic2
                s = {"lp": v2, "bp": v1, "hp": s - k_damp * v1 - v2}[self.filter]
            if self.ring:
                s *= math.sin(2 * math.pi * self.ring * t)
            if self.tremolo:
                s *= 1.0 - self.tremolo[1] * (0.5 - 0.5 * math.cos(2 * math.pi * self.tremolo[0] * t))
            env = i / attack_n if i < attack_n else (
                math.exp(-(t - self.attack) / self.decay) if self.decay > 0 else 1.0)
            left = n - 1 - i
            if left < release_n:
                env *= left / release_n
            out[i] = s * env * self.gain
        return out


def build_wav(effect, rate):
    keys, where, name = effect["keys"], effect["where"], effect["file"]
    if "length" not in keys:
        raise SourceError(f"{where}: effect needs length=")
    length = num(keys["length"], where, "length")
    peak_db = num(keys.get("peak", "-4"), where, "peak")
    if peak_db >= -0.5:
        raise SourceError(f"{where}: peak must stay below -0.5 dBFS")
    fade_in = num(keys.get("fade_in", "0.002"), where, "fade_in")
    fade_out = num(keys.get("fade_out", "0.010"), where, "fade_out")
    n = int(round(length * rate))
    mix = [0.0] * n
    rng = random.Random(zlib.crc32(name.encode("utf-8")))

    def add(samples, start, gain, layer):
        first = int(round(start * rate))
        # a sample or two over is only rounding; the layer has faded out by then
        if first + len(samples) > n + 2:
            raise SourceError(f"{layer.where}: layer runs past the effect's length "
                              f"({(first + len(samples)) / rate:.4f} s > {length} s)")
        samples = samples[:n - first]
        for j, s in enumerate(samples):
            mix[first + j] += s * gain

    if not effect["layers"]:
        raise SourceError(f"{where}: effect has no layers")
    for d in effect["layers"]:
        layer = Layer(d, rate)
        if layer.scatter:
            for _ in range(layer.scatter):
                start = layer.at + rng.random() * layer.span
                f = rng.choice(layer.notes)
                add(layer.render(rate, rng, f), start, 0.55 + 0.45 * rng.random(), layer)
        elif layer.notes:
            for j, f in enumerate(layer.notes):
                add(layer.render(rate, rng, f), layer.at + j * layer.step, 1.0, layer)
        else:
            add(layer.render(rate, rng), layer.at, 1.0, layer)

    # DC blocker (one-pole high-pass at 15 Hz)
    r = math.exp(-2 * math.pi * 15 / rate)
    px = py = 0.0
    for i, x in enumerate(mix):
        py = x - px + r * py
        px = x
        mix[i] = py
    # raised-cosine fades: first and last samples are exactly zero
    fin, fout = max(2, int(fade_in * rate)), max(2, int(fade_out * rate))
    for i in range(min(fin, n)):
        mix[i] *= 0.5 - 0.5 * math.cos(math.pi * i / fin)
    for i in range(min(fout, n)):
        mix[n - 1 - i] *= 0.5 - 0.5 * math.cos(math.pi * i / fout)
    top = max(abs(x) for x in mix)
    if top == 0:
        raise SourceError(f"{where}: effect is silent")
    scale = 32768 * 10 ** (peak_db / 20) / top
    pcm = [int(round(x * scale)) for x in mix]
    return pcm


def write_wav(path, pcm, rate):
    with wave.open(str(path), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(struct.pack(f"<{len(pcm)}h", *pcm))


# ---------------------------------------------------------------- checks

def read_midi(path):
    """Parses a Standard MIDI File; returns (info, problems)."""
    data = path.read_bytes()
    problems = []
    if data[:4] != b"MThd":
        return None, ["no MThd header"]
    hlen = struct.unpack(">I", data[4:8])[0]
    fmt, ntracks, division = struct.unpack(">HHH", data[8:14])
    if hlen != 6 or fmt not in (0, 1) or division & 0x8000:
        problems.append(f"unexpected header (length {hlen}, format {fmt}, division {division})")
    pos = 8 + hlen
    tracks, tempos = [], []
    for index in range(ntracks):
        if data[pos:pos + 4] != b"MTrk":
            problems.append(f"track {index}: MTrk chunk missing")
            break
        size = struct.unpack(">I", data[pos + 4:pos + 8])[0]
        body = data[pos + 8:pos + 8 + size]
        if len(body) != size:
            problems.append(f"track {index}: chunk length {size} runs past the file")
        pos += 8 + size
        tr = {"name": "", "notes": [], "programs": {}, "channels": set(), "eot": None}
        tracks.append(tr)
        sounding = {}
        i, tick, status = 0, 0, None

        def read_vlq():
            nonlocal i
            value = 0
            while True:
                b = body[i]
                i += 1
                value = (value << 7) | (b & 0x7F)
                if not b & 0x80:
                    return value
        try:
            while i < len(body):
                if tr["eot"] is not None:
                    problems.append(f"track {index}: events after end-of-track")
                    break
                tick += read_vlq()
                b = body[i]
                if b & 0x80:
                    i += 1
                    if b < 0xF0:
                        status = b
                elif status is None:
                    raise ValueError("running status without a status byte")
                else:
                    b = status
                if b == 0xFF:
                    kind = body[i]
                    i += 1
                    length = read_vlq()
                    payload = body[i:i + length]
                    i += length
                    if kind == 0x2F:
                        tr["eot"] = tick
                    elif kind == 0x51:
                        tempos.append((tick, int.from_bytes(payload, "big")))
                    elif kind == 0x03:
                        tr["name"] = payload.decode("utf-8", "replace")
                    status = None
                elif b in (0xF0, 0xF7):
                    i += read_vlq()
                    status = None
                else:
                    kind, ch = b & 0xF0, b & 0x0F
                    size = 1 if kind in (0xC0, 0xD0) else 2
                    args = body[i:i + size]
                    i += size
                    if any(a & 0x80 for a in args):
                        raise ValueError("data byte with the top bit set")
                    tr["channels"].add(ch)
                    if kind == 0xC0:
                        tr["programs"].setdefault(ch, (tick, args[0]))
                    elif kind == 0x90 and args[1] > 0:
                        if (ch, args[0]) in sounding:
                            problems.append(f"track {index}: {note_label(args[0])} struck again "
                                            f"while still sounding (tick {tick})")
                        sounding[(ch, args[0])] = (tick, args[1])
                    elif kind in (0x80, 0x90):
                        if (ch, args[0]) not in sounding:
                            problems.append(f"track {index}: note-off without note-on (tick {tick})")
                        else:
                            on, vel = sounding.pop((ch, args[0]))
                            tr["notes"].append((on, tick, ch, args[0], vel))
        except (IndexError, ValueError) as e:
            problems.append(f"track {index}: cannot be parsed ({e or 'truncated'})")
        if tr["eot"] is None:
            problems.append(f"track {index}: no end-of-track event")
        if sounding:
            problems.append(f"track {index}: {len(sounding)} notes never released")
    if pos != len(data):
        problems.append(f"{len(data) - pos} stray bytes after the last chunk")
    if not tempos:
        problems.append("no tempo event")
    return {"format": fmt, "division": division, "tracks": tracks,
            "tempos": sorted(tempos) or [(0, 500000)]}, problems


def ticks_to_seconds(tick, tempos, division):
    seconds, last_tick, uspq = 0.0, 0, 500000
    for t, value in tempos:
        if t >= tick:
            break
        seconds += (t - last_tick) * uspq / division / 1e6
        last_tick, uspq = t, value
    return seconds + (tick - last_tick) * uspq / division / 1e6


def sensible_range(program, channel):
    """Notes a General MIDI instrument plays well (program 1-128, channel 0-15)."""
    if channel == 9:
        return 35, 81
    if 33 <= program <= 40:
        return 28, 60       # basses
    if program == 59:
        return 28, 65       # tuba
    if program == 48:
        return 36, 60       # timpani
    if 57 <= program <= 64:
        return 34, 86       # brass
    if 9 <= program <= 16:
        return 48, 96       # mallets and bells
    return 36, 96


def check_midi(path, limits):
    info, problems = read_midi(path)
    rows = []
    if info is None:
        return rows, problems
    division, tempos = info["division"], info["tempos"]
    end = max((t["eot"] or 0) for t in info["tracks"])
    seconds = ticks_to_seconds(end, tempos, division)
    last_off = max((n[1] for t in info["tracks"] for n in t["notes"]), default=0)
    bpm = 60e6 / tempos[0][1]
    rows.append(f"{path.name:<12} {seconds:6.2f} s  {bpm:.0f} bpm, format {info['format']}, "
                f"{len(info['tracks'])} tracks, ends {end} ticks")
    if not limits[0] <= seconds <= limits[1]:
        problems.append(f"lasts {seconds:.2f} s, expected {limits[0]:g}-{limits[1]:g} s")
    if last_off != end:
        problems.append(f"silent tail: last note-off at tick {last_off}, file ends at {end}")
    drum_tracks = melodic_tracks = 0
    for index, tr in enumerate(info["tracks"]):
        notes = tr["notes"]
        chans = sorted({n[2] for n in notes})
        if not notes:
            rows.append(f"  {index:2} {tr['name'][:24]:<24} no notes")
            continue
        if len(chans) > 1:
            problems.append(f"track {index}: notes on several channels")
        ch = chans[0]
        prog_tick, program = tr["programs"].get(ch, (None, None))
        first_on = min(n[0] for n in notes)
        if program is None or prog_tick > first_on:
            problems.append(f"track {index}: no program change before the first note")
            program = 0
        drum_tracks += ch == 9
        melodic_tracks += ch != 9
        lo, hi = min(n[3] for n in notes), max(n[3] for n in notes)
        vlo, vhi = min(n[4] for n in notes), max(n[4] for n in notes)
        rlo, rhi = sensible_range(program + 1, ch)
        if lo < rlo or hi > rhi:
            problems.append(f"track {index}: notes {note_label(lo)}-{note_label(hi)} outside "
                            f"{note_label(rlo)}-{note_label(rhi)}")
        if vlo < VELOCITIES[0] or vhi > VELOCITIES[1]:
            problems.append(f"track {index}: velocities {vlo}-{vhi} outside "
                            f"{VELOCITIES[0]}-{VELOCITIES[1]}")
        instrument = "drums" if ch == 9 else f"{program + 1} {GM_NAMES[program]}"
        span = "" if ch == 9 else f" {note_label(lo)}-{note_label(hi)}"
        rows.append(f"  {index:2} {tr['name'][:24]:<24} ch {ch + 1:2}  {instrument:<22}"
                    f" {len(notes):4} notes{span:<9} vel {vlo}-{vhi}")
    if path.stem == "zaming" and (drum_tracks < 1 or melodic_tracks < 3):
        problems.append("needs melody, bass, chords and drums tracks")
    return rows, problems


def db(x):
    return 20 * math.log10(x) if x > 0 else -math.inf


def check_wav(path, limits, quiet):
    problems = []
    try:
        with wave.open(str(path), "rb") as w:
            channels, width, rate, frames = (w.getnchannels(), w.getsampwidth(),
                                             w.getframerate(), w.getnframes())
            raw = w.readframes(frames)
            comp = w.getcomptype()
    except (wave.Error, EOFError) as e:
        return [f"{path.name:<12} unreadable"], [str(e)]
    if channels != 1 or width != 2 or rate not in (22050, 44100) or comp != "NONE":
        problems.append(f"{channels} channel(s), {8 * width}-bit, {rate} Hz: "
                        "expected mono 16-bit PCM at 22050/44100 Hz")
        return [f"{path.name:<12} wrong format"], problems
    pcm = struct.unpack(f"<{frames}h", raw)
    seconds = frames / rate
    peak = max(abs(s) for s in pcm) / 32768
    rms = math.sqrt(sum(s * s for s in pcm) / frames) / 32768
    dc = sum(pcm) / frames / 32768
    row = (f"{path.name:<12} {seconds:6.3f} s  peak {db(peak):6.1f} dBFS  RMS {db(rms):6.1f} dBFS"
           f"  DC {dc:+.5f}  {rate} Hz mono 16-bit")
    if not limits[0] <= seconds <= limits[1]:
        problems.append(f"lasts {seconds:.3f} s, expected {limits[0]:g}-{limits[1]:g} s")
    lo, hi = QUIET_PEAK if quiet else AUDIBLE_PEAK
    if not lo <= db(peak) <= hi:
        problems.append(f"peak {db(peak):.1f} dBFS, expected {lo:g} to {hi:g}")
    if not quiet and db(rms) < -30:
        problems.append(f"too faint (RMS {db(rms):.1f} dBFS)")
    if abs(dc) > 0.002:
        problems.append(f"DC offset {dc:+.4f}")
    if any(abs(s) >= 32767 for s in pcm):
        problems.append("clipped samples")
    if abs(pcm[0]) > 16 or abs(pcm[-1]) > 16:
        problems.append(f"does not start/end at silence ({pcm[0]}, {pcm[-1]})")
    return [row], problems


def check_all(tune_files, effect_files):
    rows, failures = [], 0
    checks = [(OUT / f"{stem}.mid", lambda p, s=stem: check_midi(p, TUNE_LENGTHS[s]))
              for stem in tune_files]
    checks += [(OUT / name, lambda p, n=name: check_wav(p, EFFECT_LENGTHS[n], n in QUIET_EFFECTS))
               for name in effect_files]
    for path, check in checks:
        if not path.exists():
            rows.append(f"{path.name:<12} MISSING")
            failures += 1
            continue
        lines, problems = check(path)
        digest = hashlib.sha256(path.read_bytes()).hexdigest()[:12]
        lines[0] += f"  sha256 {digest}"
        rows.extend(lines)
        for p in problems:
            rows.append(f"  FAIL {path.name}: {p}")
        failures += len(problems)
    return rows, failures


# ---------------------------------------------------------------- main

def build():
    for stem in TUNE_LENGTHS:
        src = SRC / f"{stem}.txt"
        if not src.exists():
            raise SourceError(f"missing tune source {src.relative_to(ROOT)}")
        (OUT / f"{stem}.mid").write_bytes(build_midi(parse_tune(src)))
    rate, effects = parse_effects(SRC / "effects.txt")
    names = [e["file"] for e in effects]
    for name in EFFECT_LENGTHS:
        if name not in names:
            raise SourceError(f"effects.txt: no effect for {name}")
    for effect in effects:
        if effect["file"] not in EFFECT_LENGTHS:
            raise SourceError(f"{effect['where']}: {effect['file']} is not a file the game uses")
        write_wav(OUT / effect["file"], build_wav(effect, rate), rate)


def main():
    parser = argparse.ArgumentParser(description="Build ZAM's music and sound effects.")
    parser.add_argument("--check", action="store_true",
                        help="only check the files already in assets/media")
    args = parser.parse_args()
    if not args.check:
        try:
            build()
        except (SourceError, OSError) as e:
            print(f"make_media: {e}", file=sys.stderr)
            return 2
    rows, failures = check_all(list(TUNE_LENGTHS), list(EFFECT_LENGTHS))
    print("\n".join(rows))
    print(f"{'all files OK' if not failures else f'{failures} problem(s)'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
