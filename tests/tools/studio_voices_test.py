#!/usr/bin/env python3
"""The voice generator's own logic (tools/assetgen/voices.py): reading the
script and the spoken questions, page cutting, page timing, the table
writer and its escaping, and the checks on ids; and the project's script
itself read through them.

    PYTHONPATH=tools python3 -m unittest discover -s tests/tools -p "studio_*_test.py"
"""
import os
import unittest
import xml.etree.ElementTree as ET

from assetgen import voices

TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools")
ASSETS = os.path.join(TOOLS, "..", "assets")

HEAD = ('<voices pause="300">'
        '<actor name="CorinVarnum" voice="en-us+m3" speed="160" pitch="40" Color="#FFFFFFFF" FontSize="24"/>'
        '<actor name="Announcer" voice="en+f4" speed="150" pitch="60" Color="#FFF2A8FF" FontSize="22"/>')


def script(body):
    return (HEAD + body + "</voices>").encode("utf-8")


def question(row, line, text):
    return "<question><vo>%s</vo><voLine>%s</voLine><voText>%s</voText></question>" % (row, line, text)


class ReadScript(unittest.TestCase):
    def test_a_line_takes_its_actors_colour_and_size_unless_it_has_its_own(self):
        pause, actors, say, lines = voices.read_script(script(
            '<say word="Marek" as="Mahrek"/>'
            '<narration VOid="107" CategoryID="0" Actor="Announcer"><Page>Hello  there,\n Marek!</Page></narration>'
            '<narration VOid="1400" CategoryID="40" Actor="CorinVarnum" Prestige="900" Color="#102030FF"'
            ' FontSize="30"><Page>One.</Page><Page>Two.</Page></narration>'))
        self.assertEqual(pause, 300)
        self.assertEqual(sorted(actors), ["Announcer", "CorinVarnum"])
        first, second = lines
        self.assertEqual((first.vo_id, first.category, first.actor.name), (107, 0, "Announcer"))
        self.assertEqual(first.pages, ["Hello there, Marek!"])
        self.assertEqual((first.color, first.font_size, first.prestige), ("#FFF2A8FF", 22, 0))
        self.assertEqual((first.audio, first.path), ("v107.ogg", "vo/v107.ogg"))
        self.assertTrue(voices.LINE_FILE.match(first.audio))
        self.assertEqual(voices.spoken(first.pages[0], say), "Hello there, Mahrek!")
        self.assertEqual((second.color, second.font_size, second.prestige), ("#102030FF", 30, 900))
        self.assertEqual(second.pages, ["One.", "Two."])

    def test_faults_in_the_script_are_refused_with_the_row_named(self):
        page = "<Page>Hi.</Page>"
        cases = [
            ("not xml", b"<voices>", "not XML"),
            ("other root", b"<vo/>", "root"),
            ("unknown actor", script('<narration VOid="5" CategoryID="1" Actor="Nobody">%s</narration>' % page),
             "VOid 5"),
            ("no pages", script('<narration VOid="6" CategoryID="1" Actor="CorinVarnum"/>'), "0 pages"),
            ("five pages", script('<narration VOid="7" CategoryID="1" Actor="CorinVarnum">%s</narration>'
                                  % (page * 5)), "5 pages"),
            ("long page", script('<narration VOid="8" CategoryID="1" Actor="CorinVarnum"><Page>%s</Page>'
                                 '</narration>' % ("x" * 91)), "91 characters"),
            ("empty page", script('<narration VOid="9" CategoryID="1" Actor="CorinVarnum"><Page> </Page>'
                                  '</narration>'), "VOid 9"),
            ("not ascii", script('<narration VOid="10" CategoryID="1" Actor="CorinVarnum"><Page>caf\u00e9</Page>'
                                 '</narration>'), "ASCII"),
            ("clear colour", script('<narration VOid="11" CategoryID="1" Actor="CorinVarnum" Color="#FFFFFF80">'
                                    '%s</narration>' % page), "opaque"),
            ("bad colour", script('<narration VOid="12" CategoryID="1" Actor="CorinVarnum" Color="white">'
                                  '%s</narration>' % page), "#RRGGBBAA"),
            ("no category", script('<narration VOid="13" Actor="CorinVarnum">%s</narration>' % page),
             "CategoryID is missing"),
            ("odd number", script('<narration VOid="x" CategoryID="1" Actor="CorinVarnum">%s</narration>' % page),
             "not a number"),
            ("unknown element", script("<line/>"), "<line>"),
            ("empty say", script('<say word="Marek" as=""/>'), "say"),
        ]
        for name, data, message in cases:
            with self.subTest(name):
                with self.assertRaises(voices.ScriptError) as caught:
                    voices.read_script(data)
                self.assertIn(message, str(caught.exception))

    def test_pronunciations_replace_whole_words_only(self):
        say = [("Marek", "Mahrek")]
        self.assertEqual(voices.spoken("Marek, Mareks and Marek.", say), "Mahrek, Mareks and Mahrek.")


class SplitPages(unittest.TestCase):
    def test_short_text_is_one_page(self):
        self.assertEqual(voices.split_pages("What is two plus two?"), ["What is two plus two?"])

    def test_long_text_breaks_at_a_sentence_end_when_one_fits(self):
        first = "The river Nile flows north through many countries."
        second = "Which sea does it reach at the very end of its long journey?"
        pages = voices.split_pages(first + " " + second)
        self.assertEqual(pages, [first, second])

    def test_without_a_sentence_end_it_breaks_at_the_last_blank_that_fits(self):
        words = ["word%02d" % i for i in range(40)]
        pages = voices.split_pages(" ".join(words), limit=30)
        self.assertEqual(" ".join(pages).split(), words)
        for page in pages:
            self.assertLessEqual(len(page), 30)
        self.assertGreater(len(pages[0]) + len(words[len(pages[0].split())]) + 1, 30)

    def test_the_rest_after_a_sentence_and_a_long_word_still_fits(self):
        text = "Aaaa bbbb cccc dddd. Eeee ffff gggg " + "h" * 25
        for page in voices.split_pages(text, limit=30):
            self.assertLessEqual(len(page), 30)

    def test_a_word_longer_than_a_page_is_refused(self):
        with self.assertRaises(voices.ScriptError):
            voices.split_pages("a " + "b" * 91)


class PageTimes(unittest.TestCase):
    def test_times_run_from_the_line_start_with_the_pauses_between_pages(self):
        cases = [
            ([1000.0], 350, [1000]),
            ([1200.4, 800.0], 350, [1550, 2350]),
            ([500.0, 500.0, 500.0, 500.0], 200, [700, 1400, 2100, 2600]),
            ([999.6], 300, [1000]),
        ]
        for lengths, pause, times in cases:
            with self.subTest(lengths=lengths):
                self.assertEqual(voices.page_times(lengths, pause), times)

    def test_times_stay_at_least_one_and_increasing_for_silent_pages(self):
        self.assertEqual(voices.page_times([0.0], 0), [1])
        self.assertEqual(voices.page_times([0.0, 0.0, 0.2], 0), [1, 2, 3])

    def test_the_last_time_is_the_whole_audio(self):
        lengths = [1234.5, 2345.25, 345.125]
        self.assertEqual(voices.page_times(lengths, 350)[-1], round(sum(lengths) + 2 * 350))


class Table(unittest.TestCase):
    def setUp(self):
        _, actors, _, _ = voices.read_script(script(""))
        self.host = actors["CorinVarnum"]

    def test_rows_are_written_in_id_order_with_their_pages_and_times(self):
        a = voices.Line(266, 0, self.host, ["First page.", "Second page."])
        b = voices.Line(107, 0, self.host, ["Hello."], prestige=700)
        root = ET.fromstring(voices.table_xml([(a, [1500, 3200]), (b, [900])]))
        self.assertEqual(root.tag, "vo")
        rows = root.findall("narration")
        self.assertEqual([r.findtext("VOid") for r in rows], ["107", "266"])
        second = rows[1]
        self.assertEqual([c.tag for c in second],
                         ["VOid", "CategoryID", "AudioFile", "Actor", "Color", "FontSize",
                          "Page1", "t1", "Page2", "t2", "Prestige"])
        self.assertEqual(second.findtext("AudioFile"), "v266.ogg")
        self.assertEqual(second.findtext("Actor"), "CorinVarnum")
        self.assertEqual(second.findtext("Color"), "#FFFFFFFF")
        self.assertEqual((second.findtext("Page2"), second.findtext("t2")), ("Second page.", "3200"))
        self.assertEqual(rows[0].findtext("Prestige"), "700")

    def test_text_with_markup_characters_survives_the_round_trip(self):
        text = "Tom & Jerry <3 > all"
        line = voices.Line(1000, 3, self.host, [text])
        data = voices.table_xml([(line, [100])])
        self.assertIn(b"Tom &amp; Jerry &lt;3 &gt; all", data)
        self.assertEqual(ET.fromstring(data).find("narration").findtext("Page1"), text)
        self.assertEqual(voices.escape("a&b<c>d"), "a&amp;b&lt;c&gt;d")

    def test_a_row_whose_times_do_not_match_its_pages_is_refused(self):
        line = voices.Line(1000, 3, self.host, ["One.", "Two."])
        with self.assertRaises(voices.ScriptError):
            voices.table_xml([(line, [100])])

    def test_the_same_input_gives_the_same_bytes(self):
        lines = [(voices.Line(i, 5, self.host, ["Line %d." % i]), [100 + i]) for i in (1003, 1001, 1002)]
        self.assertEqual(voices.table_xml(lines), voices.table_xml(list(reversed(lines))))


class Ids(unittest.TestCase):
    def setUp(self):
        _, actors, _, _ = voices.read_script(script(""))
        self.host = actors["CorinVarnum"]

    def test_a_repeated_id_or_file_is_refused(self):
        same_id = [voices.Line(107, 0, self.host, ["a"]), voices.Line(107, 5, self.host, ["b"])]
        same_file = [voices.Line(1000, 0, self.host, ["a"], audio="x.ogg"),
                     voices.Line(1001, 0, self.host, ["b"], audio="x.ogg")]
        for name, lines, message in [("id", same_id, "VOid 107"), ("file", same_file, "x.ogg")]:
            with self.subTest(name):
                with self.assertRaises(voices.ScriptError) as caught:
                    voices.check_ids(lines)
                self.assertIn(message, str(caught.exception))
        voices.check_ids([voices.Line(107, 0, self.host, ["a"]), voices.Line(108, 0, self.host, ["b"])])

    def test_script_rows_stay_below_the_spoken_questions(self):
        for bad in (0, -3, voices.QUESTION_ROWS, 12000):
            with self.subTest(bad=bad):
                with self.assertRaises(voices.ScriptError):
                    voices.check_script_rows([voices.Line(bad, 0, self.host, ["a"])])
        voices.check_script_rows([voices.Line(voices.QUESTION_ROWS - 1, 0, self.host, ["a"])])

    def test_the_audio_key_follows_the_words_and_the_voice(self):
        line = voices.Line(1000, 3, self.host, ["Hello, Marek."])
        key = line.key(350, [])
        self.assertEqual(key, voices.Line(1000, 3, self.host, ["Hello, Marek."]).key(350, []))
        self.assertNotEqual(key, voices.Line(1000, 3, self.host, ["Hello, Tobin."]).key(350, []))
        self.assertNotEqual(key, line.key(300, []))
        self.assertNotEqual(key, line.key(350, [("Marek", "Mahrek")]))
        self.assertNotEqual(key, line.key(350, [], (44100, "4")))
        # Colour, size and prestige are the table's business, not the audio's.
        self.assertEqual(key, voices.Line(1000, 9, self.host, ["Hello, Marek."], prestige=5,
                                          color="#000000FF").key(350, []))


class Questions(unittest.TestCase):
    def setUp(self):
        _, actors, _, _ = voices.read_script(script(""))
        self.host = actors["CorinVarnum"]

    def test_a_spoken_question_is_a_host_line_with_its_own_file(self):
        long_text = "This is a rather long question about rivers and seas. " * 2 + "Which one is it?"
        data = ("<questions>" + question(9101, "vo/questions/q9101.ogg", "What is two plus two?")
                + "<question><text>Not spoken</text></question>"
                + question(9102, "vo/questions/q9102.ogg", long_text) + "</questions>").encode()
        first, second = voices.read_questions(data, self.host)
        self.assertEqual((first.vo_id, first.actor.name, first.pages), (9101, "CorinVarnum", ["What is two plus two?"]))
        self.assertEqual((first.audio, first.path), ("questions/q9101.ogg", "vo/questions/q9101.ogg"))
        self.assertTrue(voices.QUESTION_FILE.match(first.audio.split("/")[-1]))
        for page in second.pages:
            self.assertLessEqual(len(page), voices.CUT_LIMIT)
        self.assertEqual(second.vo_id, 9102)
        self.assertGreater(len(second.pages), 1)
        self.assertEqual(" ".join(second.pages), " ".join(long_text.split()))

    def test_faults_in_a_spoken_question_are_refused(self):
        cases = [
            ("low row", question(500, "vo/questions/q500.ogg", "Hi?"), "9101"),
            ("other file", question(9103, "vo/q9103.ogg", "Hi?"), "voLine"),
            ("no text", question(9104, "vo/questions/q9104.ogg", ""), "voText"),
        ]
        for name, body, message in cases:
            with self.subTest(name):
                with self.assertRaises(voices.ScriptError) as caught:
                    voices.read_questions(("<questions>%s</questions>" % body).encode(), self.host)
                self.assertIn(message, str(caught.exception))


class TheProjectsScript(unittest.TestCase):
    """The authored script and the question set as the build reads them."""

    @classmethod
    def setUpClass(cls):
        with open(os.path.join(TOOLS, "vo-script.xml"), "rb") as f:
            cls.pause, cls.actors, cls.say, cls.lines = voices.read_script(f.read())
        with open(os.path.join(ASSETS, "questions.xml"), "rb") as f:
            cls.questions = voices.read_questions(f.read(), cls.actors[voices.HOST])

    def test_ids_are_unique_and_clear_of_the_questions(self):
        voices.check_script_rows(self.lines)
        voices.check_ids(self.lines + self.questions)
        self.assertGreaterEqual(len(self.questions), 10)

    def test_categories_drawn_at_random_have_several_lines_with_a_sensible_wait(self):
        by_category = {}
        for line in self.lines:
            by_category.setdefault(line.category, []).append(line)
        for category in (40, 41, 43, 45, 46, 47, 56):
            with self.subTest(category=category):
                rows = by_category.get(category, [])
                self.assertGreaterEqual(len(rows), 3)
                for row in rows:
                    self.assertGreaterEqual(row.prestige, 300)
                    self.assertLessEqual(row.prestige, 2000)

    def test_the_host_and_the_announcer_sound_different(self):
        host, announcer = self.actors["CorinVarnum"], self.actors["Announcer"]
        self.assertNotEqual((host.voice, host.pitch), (announcer.voice, announcer.pitch))
        self.assertNotEqual(host.color, announcer.color)


if __name__ == "__main__":
    unittest.main()
