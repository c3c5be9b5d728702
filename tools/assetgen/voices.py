"""The show's voice lines: the authored script (tools/vo-script.xml) and the
spoken questions (assets/questions.xml) read into lines, checked, timed
from the lengths of their generated audio, and written as the voice-over
table. The speech itself is made by tools/make-voices.py; this module has
no side effects and needs no tools.
"""
import hashlib
import json
import re
import xml.etree.ElementTree as ET
import zlib

# A subtitle page is what fits on two subtitle lines. Pages cut by the
# generator keep a margin, since no one reads them before they are shown.
PAGE_LIMIT = 90
CUT_LIMIT = 80
MAX_PAGES = 4
HOST = "CorinVarnum"
# Spoken questions have numbers from here up; the script's rows stay below.
QUESTION_ROWS = 9101
TABLE_NAME = "vo/voiceover.xml"


class ScriptError(Exception):
    pass


class Actor:
    """A speaker: espeak-ng's voice, speed (words a minute) and pitch
    (0-99), and the subtitles' colour and font size."""

    def __init__(self, name, voice, speed, pitch, color, font_size):
        self.name, self.voice, self.speed, self.pitch = name, voice, speed, pitch
        self.color, self.font_size = color, font_size


class Line:
    """One row of the table before its audio exists."""

    def __init__(self, vo_id, category, actor, pages, prestige=0, color=None, font_size=None, audio=None):
        self.vo_id, self.category, self.actor = vo_id, category, actor
        self.pages = list(pages)
        self.prestige = prestige
        self.color = color if color is not None else actor.color
        self.font_size = font_size if font_size is not None else actor.font_size
        self.audio = audio if audio is not None else "v%d.ogg" % vo_id

    @property
    def path(self):
        """The audio file under the assets folder."""
        return "vo/" + self.audio

    def serial(self):
        """A fixed Ogg serial number for the file, from its name."""
        return zlib.crc32(self.audio.encode("ascii")) & 0x7FFFFFFF

    def key(self, pause_ms, say, recipe=()):
        """What the audio is made from (recipe: the maker's own settings):
        equal keys give equal files."""
        a = self.actor
        made_of = [a.voice, a.speed, a.pitch, pause_ms, [spoken(p, say) for p in self.pages], self.serial(),
                list(recipe)]
        return hashlib.sha256(json.dumps(made_of).encode("utf-8")).hexdigest()


# The names of the files this generator writes.
LINE_FILE = re.compile(r"^v[0-9]+\.ogg$")
QUESTION_FILE = re.compile(r"^q[0-9]+\.ogg$")
COLOR = re.compile(r"^#[0-9A-Fa-f]{8}$")
PRINTABLE = re.compile(r"^[ -~]+$")


def _int(element, name, default=None, where=""):
    text = element.get(name)
    if text is None:
        if default is None:
            raise ScriptError("%s: %s is missing" % (where, name))
        return default
    try:
        return int(text)
    except ValueError:
        raise ScriptError("%s: %s=%r is not a number" % (where, name, text))


def check_page(text, where):
    if not text or not PRINTABLE.match(text):
        raise ScriptError("%s: a page must be plain printable ASCII: %r" % (where, text))
    if len(text) > PAGE_LIMIT:
        raise ScriptError("%s: page of %d characters (at most %d): %r" % (where, len(text), PAGE_LIMIT, text))


def check_color(color, where):
    if not COLOR.match(color or ""):
        raise ScriptError("%s: Color %r is not #RRGGBBAA" % (where, color))
    if color[7:].upper() != "FF":
        raise ScriptError("%s: Color %r is not opaque" % (where, color))


def read_script(data):
    """(pause in ms, {actor name: Actor}, [(word, spoken as)], [Line]) from
    the script's XML text."""
    try:
        root = ET.fromstring(data)
    except ET.ParseError as e:
        raise ScriptError("the script is not XML: %s" % e)
    if root.tag != "voices":
        raise ScriptError("the script's root is <%s>, not <voices>" % root.tag)
    pause = _int(root, "pause", 350, "voices")
    actors, say, lines = {}, [], []
    for element in root:
        if element.tag == "actor":
            name = element.get("name", "")
            where = "actor %r" % name
            actor = Actor(name, element.get("voice", ""), _int(element, "speed", where=where),
                          _int(element, "pitch", where=where), element.get("Color"),
                          _int(element, "FontSize", where=where))
            if not name or not actor.voice:
                raise ScriptError("%s: needs a name and a voice" % where)
            check_color(actor.color, where)
            actors[name] = actor
        elif element.tag == "say":
            word, sound = element.get("word", ""), element.get("as", "")
            if not PRINTABLE.match(word) or not PRINTABLE.match(sound):
                raise ScriptError("say %r as %r: both plain printable ASCII" % (word, sound))
            say.append((word, sound))
        elif element.tag == "narration":
            lines.append(_read_line(element, actors))
        else:
            raise ScriptError("unknown element <%s>" % element.tag)
    return pause, actors, say, lines


def _read_line(element, actors):
    vo_id = _int(element, "VOid", where="narration")
    where = "VOid %d" % vo_id
    actor = actors.get(element.get("Actor", ""))
    if actor is None:
        raise ScriptError("%s: unknown Actor %r" % (where, element.get("Actor")))
    pages = [" ".join((p.text or "").split()) for p in element.findall("Page")]
    if not 1 <= len(pages) <= MAX_PAGES:
        raise ScriptError("%s: %d pages (1 to %d)" % (where, len(pages), MAX_PAGES))
    for page in pages:
        check_page(page, where)
    color = element.get("Color")
    if color is not None:
        check_color(color, where)
    return Line(vo_id, _int(element, "CategoryID", where=where), actor, pages,
                _int(element, "Prestige", 0, where), color, _int(element, "FontSize", actor.font_size, where))


def split_pages(text, limit=PAGE_LIMIT):
    """Text cut into pages of at most limit characters: at sentence ends
    where they fit, else at the last blank that fits."""
    words = text.split()
    pages, page = [], ""
    for word in words:
        if len(word) > limit:
            raise ScriptError("a word longer than a page: %r" % word)
        joined = page + " " + word if page else word
        if len(joined) <= limit:
            page = joined
            continue
        cut = max(page.rfind(". "), page.rfind("? "), page.rfind("! "))
        if cut > limit // 2:
            pages.append(page[:cut + 1])
            rest = page[cut + 2:]
            if len(rest) + 1 + len(word) <= limit:
                page = rest + " " + word
            else:
                pages.append(rest)
                page = word
        else:
            pages.append(page)
            page = word
    if page:
        pages.append(page)
    return pages


def read_questions(data, host):
    """The spoken questions' lines: for each question with a "vo" row, the
    host saying its "voText" into its "voLine" (under vo/)."""
    try:
        root = ET.fromstring(data)
    except ET.ParseError as e:
        raise ScriptError("the questions are not XML: %s" % e)
    lines = []
    for question in root:
        row = (question.findtext("vo") or "").strip()
        if not row:
            continue
        where = "question row %s" % row
        if not row.isdigit() or int(row) < QUESTION_ROWS:
            raise ScriptError("%s: a spoken question's row is a number from %d" % (where, QUESTION_ROWS))
        said = " ".join((question.findtext("voText") or "").split())
        file = (question.findtext("voLine") or "").strip()
        expected = "vo/questions/q%s.ogg" % row
        if file != expected:
            raise ScriptError("%s: voLine %r, expected %r" % (where, file, expected))
        if not said:
            raise ScriptError("%s: voText is empty" % where)
        pages = split_pages(said, CUT_LIMIT)
        if len(pages) > MAX_PAGES:
            raise ScriptError("%s: voText needs %d pages" % (where, len(pages)))
        for page in pages:
            check_page(page, where)
        lines.append(Line(int(row), 0, host, pages, audio=file[len("vo/"):]))
    return lines


def check_ids(lines):
    """Every VOid once, and every audio file once."""
    seen, files = {}, {}
    for line in lines:
        if line.vo_id in seen:
            raise ScriptError("VOid %d is used twice" % line.vo_id)
        if line.audio in files:
            raise ScriptError("VOids %d and %d share %s" % (files[line.audio], line.vo_id, line.audio))
        seen[line.vo_id] = line
        files[line.audio] = line.vo_id


def check_script_rows(lines):
    """The authored rows keep clear of the spoken questions' numbers."""
    for line in lines:
        if not 0 < line.vo_id < QUESTION_ROWS:
            raise ScriptError("VOid %d: script rows are 1 to %d" % (line.vo_id, QUESTION_ROWS - 1))


def page_times(lengths, pause):
    """The end times (ms from the line's start) of pages spoken for the
    given lengths (ms) with a pause between them: a page ends when the next
    one starts to be spoken, the last when the audio ends. Every time is at
    least 1 ms, and they increase."""
    times, at = [], 0
    for i, length in enumerate(lengths):
        at += length
        if i + 1 < len(lengths):
            at += pause
        times.append(int(round(at)))
    out, last = [], 0
    for t in times:
        last = max(t, last + 1)
        out.append(last)
    return out


def escape(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def table_xml(rows):
    """The voice-over table: rows are (Line, end times in ms), written in
    VOid order."""
    out = ['<?xml version="1.0" encoding="utf-8"?>',
           "<!-- Made by tools/make-voices.py from tools/vo-script.xml and the spoken questions. -->",
           "<vo>"]
    for line, times in sorted(rows, key=lambda r: r[0].vo_id):
        if len(times) != len(line.pages):
            raise ScriptError("VOid %d: %d times for %d pages" % (line.vo_id, len(times), len(line.pages)))
        out.append("  <narration>")
        fields = [("VOid", line.vo_id), ("CategoryID", line.category), ("AudioFile", line.audio),
                  ("Actor", line.actor.name), ("Color", line.color), ("FontSize", line.font_size)]
        for i, (page, t) in enumerate(zip(line.pages, times)):
            fields += [("Page%d" % (i + 1), page), ("t%d" % (i + 1), t)]
        fields.append(("Prestige", line.prestige))
        for name, value in fields:
            out.append("    <%s>%s</%s>" % (name, escape(str(value)), name))
        out.append("  </narration>")
    out.append("</vo>")
    return ("\n".join(out) + "\n").encode("utf-8")


def spoken(text, say):
    """The page as it is handed to the speech synthesiser: the script's
    pronunciations put in for whole words."""
    for word, sound in say:
        text = re.sub(r"\b%s\b" % re.escape(word), sound, text)
    return text
