// Question database benchmark: a file of 10,000 questions (every type, all
// grades, written by the benchmark into a temporary folder) loaded through
// the database and a show dealt from it, against parsing the same file with
// the framework's XML reader alone. Prints the median of each and the ratio
// database / reader.
//
//   bench_questions [ROUNDS]      (default 9; run it through tools/bench-questions)
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench-timing.h"
#include "game/show/MTRandom.h"
#include "game/show/question/QuestionDB.h"
#include "platform/XmlNode.h"
#include "platform/XmlParser.h"

namespace {

constexpr int kQuestions = 10000;

std::string MakeFile()
{
    static const char* kSubjects[] = {"Math", "Science", "Geography", "History", "Language", "Art", "Music"};
    static const int kTypes[] = {1, 2, 3, 5, 6, 1, 3};
    std::string text = "<questions>\n";
    for (int i = 0; i < kQuestions; ++i) {
        const int type = kTypes[i % 7];
        const std::string n = std::to_string(i);
        text += "  <question>\n    <type>" + std::to_string(type) + "</type>\n    <grade>" +
                std::to_string(1 + i % 6) + "</grade>\n    <subject>" + kSubjects[(i / 6) % 7] +
                "</subject>\n";
        if (type == 3)
            text += "    <dataField>pictures/shape_" + n + "</dataField>\n";
        if (type == 5)
            text += "    <vo>" + std::to_string(9000 + i) + "</vo>\n";
        text += "    <question>Which answer belongs to question number " + n + " of the benchmark?</question>\n";
        if (type == 2) {
            text += "    <correct>True</correct>\n    <incorrect1>False</incorrect1>\n";
        } else {
            text += "    <correct>Answer " + n + "</correct>\n    <incorrect1>Wrong " + n +
                    "a</incorrect1>\n    <incorrect2>Wrong " + n + "b</incorrect2>\n";
            if (type != 6)
                text += "    <incorrect3>Wrong " + n + "c</incorrect3>\n";
            else
                text += "    <alternate1>Answr " + n + "</alternate1>\n";
        }
        text += "    <explanation>Question " + n + " is answered by Answer " + n + ", as it says.</explanation>\n";
        text += "  </question>\n";
    }
    return text + "</questions>\n";
}

double TimeReader(const TString& name)
{
    const double start = NowMs();
    TXmlNode root;
    LoadXmlFile(&root, name);
    const double ms = NowMs() - start;
    if (root.GetChildCount() == 0)
        std::fprintf(stderr, "bench-questions: the reader read nothing\n");
    return ms;
}

double TimeDatabase(const TString& name, int& count)
{
    const double start = NowMs();
    MTRandom random;
    KQuestion::QuestionDB db(random);
    db.Load(name);
    std::vector<KQuestion::QBase*> board;
    const KQuestion::QBase* final = db.Deal(board, false);
    const double ms = NowMs() - start;
    count = final && board.size() == 10 ? db.GetCount() : -1;
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? std::atoi(argv[1]) : 9;
    if (rounds < 1)
        rounds = 1;
    char folder[] = "/tmp/bench-questions-XXXXXX";
    if (!mkdtemp(folder)) {
        std::fprintf(stderr, "bench-questions: cannot make a temporary folder\n");
        return 1;
    }
    const std::string path = std::string(folder) + "/questions.xml";
    const std::string text = MakeFile();
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out || std::fwrite(text.data(), 1, text.size(), out) != text.size()) {
        std::fprintf(stderr, "bench-questions: cannot write %s\n", path.c_str());
        return 1;
    }
    std::fclose(out);
    const TString name(("::" + path).c_str());

    int count = 0;
    TimeDatabase(name, count); // warm-up
    if (count != kQuestions) {
        std::fprintf(stderr, "bench-questions: %d of %d questions loaded, or no full board\n", count, kQuestions);
        return 1;
    }
    TimeReader(name);
    std::vector<double> dbMs, readerMs;
    for (int round = 0; round < rounds; ++round) {
        if (round % 2 == 0) {
            dbMs.push_back(TimeDatabase(name, count));
            readerMs.push_back(TimeReader(name));
        } else {
            readerMs.push_back(TimeReader(name));
            dbMs.push_back(TimeDatabase(name, count));
        }
    }
    std::remove(path.c_str());
    rmdir(folder);
    const double d = Median(dbMs), r = Median(readerMs);
    std::printf("%d questions (%zu KB): loaded and dealt %.2f ms, XML reader alone %.2f ms, ratio %.2f "
                "(median of %d)\n",
                kQuestions, text.size() / 1024, d, r, d / r, rounds);
    return 0;
}
