#!/usr/bin/env python3
"""Speaks the show's lines into the build's assets folder (tools/voices.cmake
runs it):

    make-voices.py ASSETS     writes ASSETS/vo/v<VOid>.ogg for every line of
                              tools/vo-script.xml, ASSETS/vo/questions/q<row>.ogg
                              for every spoken question of assets/questions.xml,
                              and the voice-over table ASSETS/vo/voiceover.xml
    make-voices.py --list     prints the files it writes, one a line

Each page is spoken by espeak-ng in its actor's voice, the pages are joined
with a short pause by sox and encoded by oggenc with a fixed serial number,
so every run gives the same bytes. The subtitle times come from the lengths
of the spoken pages. A line whose text and voice have not changed since the
last run is not spoken again (the record of what each file was made from is
kept in a work folder beside ASSETS). See docs/voices.md.
"""
import argparse
import concurrent.futures
import json
import os
import shutil
import subprocess
import sys
import tempfile
import wave

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from assetgen import outfiles, voices  # noqa: E402

TOOLS = ("espeak-ng", "sox", "oggenc")
RATE = 44100
QUALITY = "4"
GAIN_DB = "-2"


def load(script_path, questions_path):
    with open(script_path, "rb") as f:
        pause, actors, say, lines = voices.read_script(f.read())
    voices.check_script_rows(lines)
    host = actors.get(voices.HOST)
    if host is None:
        raise voices.ScriptError("the script has no actor %r" % voices.HOST)
    with open(questions_path, "rb") as f:
        lines += voices.read_questions(f.read(), host)
    voices.check_ids(lines)
    return pause, say, lines


def run(command, text=None):
    result = subprocess.run(command, input=text, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            env=dict(os.environ, LC_ALL="C"))
    if result.returncode != 0:
        raise RuntimeError("%s failed: %s" % (command[0], result.stderr.decode("utf-8", "replace").strip()))


def frames(path):
    with wave.open(path, "rb") as w:
        return w.getnframes(), w.getframerate()


def speak(line, pause, say, work):
    """Makes the line's Ogg file; gives (its bytes, the pages' end times)."""
    with tempfile.TemporaryDirectory(dir=work) as tmp:
        parts, lengths = [], []
        silence = os.path.join(tmp, "pause.wav")
        run(["sox", "-R", "-n", "-r", str(RATE), "-c", "1", "-b", "16", silence, "trim", "0",
             "%.3f" % (pause / 1000.0)])
        for i, page in enumerate(line.pages):
            raw = os.path.join(tmp, "raw%d.wav" % i)
            wav = os.path.join(tmp, "page%d.wav" % i)
            a = line.actor
            run(["espeak-ng", "-v", a.voice, "-s", str(a.speed), "-p", str(a.pitch), "-w", raw, "--stdin"],
                voices.spoken(page, say).encode("ascii"))
            run(["sox", "-R", raw, "-r", str(RATE), "-b", "16", wav])
            n, rate = frames(wav)
            lengths.append(n * 1000.0 / rate)
            if parts:
                parts.append(silence)
            parts.append(wav)
        joined = os.path.join(tmp, "line.wav")
        run(["sox", "-R"] + parts + [joined, "gain", "-n", GAIN_DB])
        ogg = os.path.join(tmp, "line.ogg")
        run(["oggenc", "-Q", "-q", QUALITY, "-s", str(line.serial()), "-o", ogg, joined])
        times = voices.page_times(lengths, pause)
        n, rate = frames(joined)
        total = int(round(n * 1000.0 / rate))
        if abs(total - times[-1]) > 2:
            raise RuntimeError("VOid %d: the joined audio lasts %d ms, the pages %d ms" %
                               (line.vo_id, total, times[-1]))
        with open(ogg, "rb") as f:
            return f.read(), times


def make(line, pause, say, folder, work):
    """The line's end times, speaking it again only when what it is made of
    changed or its file is gone."""
    key = line.key(pause, say, (RATE, QUALITY, GAIN_DB))
    record = os.path.join(work, line.audio + ".json")
    target = os.path.join(folder, line.path)
    try:
        with open(record) as f:
            kept = json.load(f)
        if kept.get("key") == key and os.path.isfile(target) and len(kept.get("times", [])) == len(line.pages):
            os.utime(target)
            return kept["times"]
    except (OSError, ValueError):
        pass
    data, times = speak(line, pause, say, work)
    outfiles.write(folder, line.path, data)
    os.makedirs(os.path.dirname(record), exist_ok=True)
    with open(record, "w") as f:
        json.dump({"key": key, "times": times}, f)
    return times


def remove_stale(folder, work, kept):
    """Removes the lines of earlier runs that the script no longer has
    (only files named as this generator names them), and their records."""
    for sub, pattern in (("vo", voices.LINE_FILE), ("vo/questions", voices.QUESTION_FILE)):
        try:
            names = os.listdir(os.path.join(folder, sub))
        except OSError:
            continue
        for name in names:
            path = sub + "/" + name
            if pattern.match(name) and path not in kept:
                os.remove(os.path.join(folder, path))
                try:
                    os.remove(os.path.join(work, path[len("vo/"):] + ".json"))
                except OSError:
                    pass


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("folder", nargs="?")
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--script", default=os.path.join(HERE, "vo-script.xml"))
    parser.add_argument("--questions", default=os.path.join(HERE, "..", "assets", "questions.xml"))
    parser.add_argument("--work", help="the folder of records (default: voices-work beside the folder)")
    parser.add_argument("--jobs", type=int, default=3)
    args = parser.parse_args()
    try:
        pause, say, lines = load(args.script, args.questions)
    except (OSError, voices.ScriptError) as e:
        sys.stderr.write("make-voices: %s\n" % e)
        return 1
    if args.list:
        print("\n".join(sorted([voices.TABLE_NAME] + [line.path for line in lines])))
        return 0
    if not args.folder:
        parser.error("the output folder is missing")
    missing = [tool for tool in TOOLS if shutil.which(tool) is None]
    if missing:
        sys.stderr.write("make-voices: %s not found (tools/setup installs it)\n" % ", ".join(missing))
        return 1
    folder = os.path.abspath(args.folder)
    work = args.work or os.path.join(os.path.dirname(folder), "voices-work")
    os.makedirs(work, exist_ok=True)
    jobs = max(1, min(args.jobs, 4))
    with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
        futures = [pool.submit(make, line, pause, say, folder, work) for line in lines]
        try:
            rows = [(line, future.result()) for line, future in zip(lines, futures)]
        except (OSError, RuntimeError, voices.ScriptError) as e:
            for future in futures:
                future.cancel()
            sys.stderr.write("make-voices: %s\n" % e)
            return 1
    outfiles.write(folder, voices.TABLE_NAME, voices.table_xml(rows))
    remove_stale(folder, work, {line.path for line in lines})
    return 0


if __name__ == "__main__":
    sys.exit(main())
