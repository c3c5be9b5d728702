#pragma once

class ShowController;

// One step per state of the show; RegisterShowStates hands them to the
// show controller.
namespace KShow {

void ShowStart(ShowController& show);        // 0
void Introduction(ShowController& show);     // 1
void ChooseClassmate(ShowController& show);  // 2
void QuestionBoard(ShowController& show);    // 3
void Question(ShowController& show);         // 4
void ClassmateAnswer(ShowController& show);  // 5 and 6
void AnswerGiven(ShowController& show);      // 7
void Verdict(ShowController& show);          // 8
void RightAnswer(ShowController& show);      // 9
void WrongAnswer(ShowController& show);      // 10
void Explanation(ShowController& show);      // 11
void SaveHelp(ShowController& show);         // 12
void NextQuestion(ShowController& show);     // 13
void FinalOffer(ShowController& show);       // 14
void FinalQuestion(ShowController& show);    // 15
void FinalVerdict(ShowController& show);     // 16
void FlunkOut(ShowController& show);         // 17
void DropOut(ShowController& show);          // 18
void Win(ShowController& show);              // 19
void ShowEnd(ShowController& show);          // 20

} // namespace KShow
