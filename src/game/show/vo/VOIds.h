#pragma once
#include <cstdint>

// The voice-over rows and categories the code asks for by number. They are
// keys into the voice-over table (the file named by "_VO_FILE"); the data
// test checks that the table has every one of them.
namespace KVO::Id {

// Rows, asked for by VOid.
constexpr int32_t kWelcome = 107;          // a new show: the first greeting
constexpr int32_t kWelcomeStudio = 265;    // ... then the studio
constexpr int32_t kWelcomeRules = 266;     // ... then the rules
constexpr int32_t kHonours = 108;          // the main menu offers honours
constexpr int32_t kCopiedRemark = 118;     // a helped answer after a Copy
constexpr int32_t kIntro = 211;            // the introduction
constexpr int32_t kChooseFirst = 215;      // classmate choice, nothing played
constexpr int32_t kChooseAfterTwo = 216;   // ... after two questions
constexpr int32_t kChooseAny = 217;        // ... now and then
constexpr int32_t kChooseAfterEight = 218; // ... after eight questions
constexpr int32_t kNoHelpsLeft = 224;
constexpr int32_t kFinalQuestion = 240;    // the final question, two ways
constexpr int32_t kFinalQuestionAlt = 241;
constexpr int32_t kFinalOfferAlt = 242;
constexpr int32_t kResume = 248;           // back after the game was away
constexpr int32_t kHalfway = 257;
constexpr int32_t kBoardFirst = 258;       // the board before any question
// Flunked or dropped out, by questions played (and the final).
constexpr int32_t kOut2 = 184, kOut11 = 185, kOut12 = 186, kOut3 = 187, kOut4 = 188, kOut5 = 189;
constexpr int32_t kOut6 = 190, kOut7 = 191, kOut8 = 192, kOut9 = 193, kOut10 = 194;
// The third thinking prompt, by questions played.
constexpr int32_t kPrompt3At2 = 197, kPrompt3At11 = 198, kPrompt3At3 = 199, kPrompt3At4 = 200;
constexpr int32_t kPrompt3At5 = 201, kPrompt3At6 = 202, kPrompt3At7 = 203, kPrompt3At8 = 204;
constexpr int32_t kPrompt3At9 = 205, kPrompt3At10 = 206;

// Categories, asked for by CategoryID.
constexpr int32_t kCatChooseClassmate = 2;
constexpr int32_t kCatBoardRemark = 3;
constexpr int32_t kCatBoard = 5;
constexpr int32_t kCatFinalOffer = 9;
constexpr int32_t kCatWinner = 13;
constexpr int32_t kCatOutEnding = 15;
constexpr int32_t kCatPeek = 17;
constexpr int32_t kCatWrongQuick = 40, kCatWrongMiddle = 41, kCatWrongSlow = 43;
constexpr int32_t kCatRightQuick = 45, kCatRightMiddle = 46, kCatRightSlow = 47;
constexpr int32_t kCatClassmateAnswer = 50;
constexpr int32_t kCatSaveGone = 52;
constexpr int32_t kCatSaveAvailable = 53;
constexpr int32_t kCatSaveUsed = 54;
constexpr int32_t kCatHelpedAnswer = 56;
constexpr int32_t kCatHelpedAnswerEnd = 57;
constexpr int32_t kCatPromptAny = 93;
constexpr int32_t kCatWelcomeBack = 95;
constexpr int32_t kCatPromptFollowUp = 100;
constexpr int32_t kCatGradeRight = 101, kCatGradeWrong = 102;
// Question introductions: 4000 plain, 4001-4010 by questions played, 4011
// and 4012 the final; 4101-4105 by grade.
constexpr int32_t kCatQuestionIntro = 4000;
constexpr int32_t kCatFinalIntro = 4011, kCatFinalIntroAlt = 4012;
constexpr int32_t kCatGradeIntro = 4100;
// Thinking prompts: 5001 first, 5002 last, 5101-5106 by grade, 5801-5804
// about the helps left.
constexpr int32_t kCatPromptFirst = 5001, kCatPromptLast = 5002;
constexpr int32_t kCatPromptGrade = 5100;
constexpr int32_t kCatPromptCopy = 5801, kCatPromptPeek = 5802, kCatPromptBoth = 5803, kCatPromptHelps = 5804;

// Every row above.
constexpr int32_t kAllRows[] = {
    kWelcome, kWelcomeStudio, kWelcomeRules, kHonours, kCopiedRemark, kIntro, kChooseFirst,
    kChooseAfterTwo, kChooseAny, kChooseAfterEight, kNoHelpsLeft, kFinalQuestion, kFinalQuestionAlt,
    kFinalOfferAlt, kResume, kHalfway, kBoardFirst, kOut2, kOut11, kOut12, kOut3, kOut4, kOut5, kOut6,
    kOut7, kOut8, kOut9, kOut10, kPrompt3At2, kPrompt3At11, kPrompt3At3, kPrompt3At4, kPrompt3At5,
    kPrompt3At6, kPrompt3At7, kPrompt3At8, kPrompt3At9, kPrompt3At10,
};

// Every category above, the numbered ranges spelled out.
constexpr int32_t kAllCategories[] = {
    kCatChooseClassmate, kCatBoardRemark, kCatBoard, kCatFinalOffer, kCatWinner, kCatOutEnding, kCatPeek,
    kCatWrongQuick, kCatWrongMiddle, kCatWrongSlow, kCatRightQuick, kCatRightMiddle, kCatRightSlow,
    kCatClassmateAnswer, kCatSaveGone, kCatSaveAvailable, kCatSaveUsed, kCatHelpedAnswer,
    kCatHelpedAnswerEnd, kCatPromptAny, kCatWelcomeBack, kCatPromptFollowUp, kCatGradeRight,
    kCatGradeWrong,
    4000, 4001, 4002, 4003, 4004, 4005, 4006, 4007, 4008, 4009, 4010, 4011, 4012,
    4101, 4102, 4103, 4104, 4105,
    kCatPromptFirst, kCatPromptLast,
    5101, 5102, 5103, 5104, 5105, 5106,
    kCatPromptCopy, kCatPromptPeek, kCatPromptBoth, kCatPromptHelps,
};

// The host speaks the lines of this actor (with talking animations).
constexpr const char* kHostActor = "CorinVarnum";

} // namespace KVO::Id
