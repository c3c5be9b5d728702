#pragma once

class ShowController;

// One step per board state; RegisterShowStates hands them to the show
// controller.
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

} // namespace KShow
