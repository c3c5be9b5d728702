#include "game/show/question/Question.h"

#include <climits>
#include <cstring>

#include "game/show/MTRandom.h"
#include "platform/Log.h"
#include "platform/XmlNode.h"

namespace KQuestion {

namespace {

AnswerWindowMaker gMakers[size_t(AnswerWindowKind::kCount)] = {};

const char* KindName(AnswerWindowKind kind)
{
    switch (kind) {
    case AnswerWindowKind::kMult: return "multiple choice";
    case AnswerWindowKind::kVoiceOver: return "voice-over";
    case AnswerWindowKind::kTrueFalse: return "true or false";
    case AnswerWindowKind::kOpenAnswer: return "typed answer";
    default: return "unknown";
    }
}

// A text shown through the markup, with its markup characters escaped.
// Returns whether anything had to be escaped.
bool EscapeMarkup(TString& text)
{
    const char* chars = text.c_str();
    if (!std::strpbrk(chars, "<>\\"))
        return false;
    TString out;
    out.Reserve(text.Length() + 16);
    for (const char* p = chars; *p; ++p) {
        if (*p == '<' || *p == '>' || *p == '\\')
            out += '\\';
        out += *p;
    }
    text = out;
    return true;
}

} // namespace

void SetAnswerWindowMaker(AnswerWindowKind kind, AnswerWindowMaker maker)
{
    if (kind < AnswerWindowKind::kMult || kind >= AnswerWindowKind::kCount)
        return;
    gMakers[size_t(kind)] = maker;
}

int32_t ParseQuestionNumber(const TString& text)
{
    const char* p = text.c_str();
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > int64_t(INT32_MAX) + 1)
            value = int64_t(INT32_MAX) + 1;
    }
    if (negative)
        return int32_t(-value);
    return value > INT32_MAX ? INT32_MAX : int32_t(value);
}

// ---------------------------------------------------------------- QBase

bool QBase::Read(const TXmlNode& element)
{
    struct Field {
        const char* name;
        TString QBase::*text;
        bool shown;
    };
    static const Field kFields[] = {
        {"subject", &QBase::subject, true},
        {"question", &QBase::question, true},
        {"correct", &QBase::correct, true},
        {"incorrect1", &QBase::incorrect1, true},
        {"incorrect2", &QBase::incorrect2, true},
        {"incorrect3", &QBase::incorrect3, true},
        {"alternate1", &QBase::alternate1, false},
        {"alternate2", &QBase::alternate2, false},
        {"alternate3", &QBase::alternate3, false},
        {"explanation", &QBase::explanation, true},
        {"dataField", &QBase::dataField, false},
        {"vo", &QBase::vo, false},
        {"explanation_vo", &QBase::explanation_vo, false},
    };
    // Walking the children moves the element's child cursor, nothing else.
    TXmlNode& node = const_cast<TXmlNode&>(element);
    bool fits = true;
    TString name;
    TXmlNode* child = nullptr;
    node.BeginChildren();
    while (node.NextChild(name, child)) {
        if (name == "type") {
            type = ParseQuestionNumber(child->GetText());
            continue;
        }
        if (name == "grade") {
            grade = ParseQuestionNumber(child->GetText());
            continue;
        }
        for (const Field& field : kFields) {
            if (name != field.name)
                continue;
            TString value = child->GetText();
            if (value.Length() > kMaxFieldLength) {
                WriteLog("Question: %s of %u bytes is longer than %u", field.name, value.Length(),
                         kMaxFieldLength);
                fits = false;
                break;
            }
            if (field.shown && EscapeMarkup(value))
                WriteLog("Question: %s '%.80s' holds markup characters; they are shown as written", field.name,
                         value.c_str());
            this->*field.text = value;
            break;
        }
    }
    return fits;
}

TWindow* QBase::MakeWindow()
{
    return nullptr;
}

TWindow* QBase::MakeWindowOfKind(AnswerWindowKind kind)
{
    AnswerWindowMaker maker = gMakers[size_t(kind)];
    if (!maker) {
        WriteLog("Question %d: no %s answer window is available", number, KindName(kind));
        return nullptr;
    }
    return maker(*this);
}

TString QBase::GetWrongAnswer(MTRandom& random) const
{
    const TString* wrong[3];
    uint32_t count = 0;
    for (const TString* text : {&incorrect1, &incorrect2, &incorrect3})
        if (!text->IsEmpty())
            wrong[count++] = text;
    if (count == 0)
        return TString();
    return *wrong[random.NextWord() % count];
}

TString QBase::GetWrongAnswer() const
{
    return GetWrongAnswer(*MTRandom::Instance());
}

void QBase::GetLabel(TString& label) const
{
    const char* suffix = grade == 1 ? "st" : grade == 2 ? "nd" : grade == 3 ? "rd" : "th";
    label.Format("%d%s Grade %s", grade < 6 ? grade : 5, suffix, subject.c_str());
}

// ---------------------------------------------------------------- subclasses

void QMult::MakeAnswers(MTRandom& random)
{
    answers = {correct, incorrect1};
    if (!incorrect2.IsEmpty())
        answers.push_back(incorrect2);
    if (!incorrect3.IsEmpty())
        answers.push_back(incorrect3);
    answerCount = int32_t(answers.size());
    random.Shuffle(answers);
}

TWindow* QMult::MakeWindow()
{
    return MakeWindowOfKind(AnswerWindowKind::kMult);
}

TWindow* QVoiceOver::MakeWindow()
{
    return MakeWindowOfKind(AnswerWindowKind::kVoiceOver);
}

TWindow* QTrueFalse::MakeWindow()
{
    return MakeWindowOfKind(AnswerWindowKind::kTrueFalse);
}

TWindow* QOpenAnswer::MakeWindow()
{
    return MakeWindowOfKind(AnswerWindowKind::kOpenAnswer);
}

// ---------------------------------------------------------------- creation

namespace {

template <class T>
std::unique_ptr<T> ReadRecord(const TXmlNode& element)
{
    auto record = std::make_unique<T>();
    if (!record->Read(element))
        return nullptr;
    return record;
}

std::unique_ptr<QBase> MakeTrueFalse(std::unique_ptr<QTrueFalse> record)
{
    if (!record)
        return nullptr;
    record->correct.ToLower();
    record->answerIsTrue = record->correct == "true";
    if (!record->answerIsTrue && record->correct != "false")
        WriteLog("Question: true-or-false answer '%.80s' is read as false", record->correct.c_str());
    return record;
}

} // namespace

std::unique_ptr<QBase> CreateQuestion(const TXmlNode& element, MTRandom& random)
{
    TXmlNode* typeNode = element.FindChild(TString("type"));
    if (!typeNode) {
        WriteLog("Question: an element without a type is skipped");
        return nullptr;
    }
    const int32_t type = ParseQuestionNumber(typeNode->GetText());
    std::unique_ptr<QBase> record;
    switch (type) {
    case 1:
    case 3: {
        auto mult = ReadRecord<QMult>(element);
        if (!mult)
            return nullptr;
        mult->MakeAnswers(random);
        if (type == 3 && mult->answerCount == 2)
            record = MakeTrueFalse(ReadRecord<QTrueFalse>(element));
        else
            record = std::move(mult);
        break;
    }
    case 2:
        record = MakeTrueFalse(ReadRecord<QTrueFalse>(element));
        break;
    case 5: {
        auto voice = ReadRecord<QVoiceOver>(element);
        if (voice)
            voice->MakeAnswers(random);
        record = std::move(voice);
        break;
    }
    case 6:
        record = ReadRecord<QOpenAnswer>(element);
        if (record)
            record->correct.ToLower();
        break;
    default:
        WriteLog("Question: type %d is not one the show asks; skipped", type);
        return nullptr;
    }
    if (!record)
        return nullptr;
    if (record->grade < 0 || record->grade > 6) {
        WriteLog("Question: grade %d is outside 0 to 6; skipped", record->grade);
        return nullptr;
    }
    if (record->correct.IsEmpty()) {
        WriteLog("Question '%.80s': no correct answer; skipped", record->question.c_str());
        return nullptr;
    }
    if (record->incorrect1.IsEmpty() && record->incorrect2.IsEmpty() && record->incorrect3.IsEmpty())
        WriteLog("Question '%.80s': no wrong answer for the classmates", record->question.c_str());
    return record;
}

std::unique_ptr<QBase> CreateQuestion(const TXmlNode& element)
{
    return CreateQuestion(element, *MTRandom::Instance());
}

} // namespace KQuestion
