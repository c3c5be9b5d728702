#pragma once
#include <memory>

namespace KEvent {
class Event;
class eShowQuestion;
}
namespace KQuestion {
class QBase;
}

// The chain that reveals a question: marks it used, renders its display
// window, and links from a new 600 ms wait the screens' transition to the
// question's picture ("anim/anim_trans_full.xml") and then the question's
// window, and from a new 400 ms wait the reveal sound. The transition's
// event goes into reveal; the result is the question's event, which ends
// when its window closes.
std::shared_ptr<KEvent::eShowQuestion> MakeQuestionRevealChain(KQuestion::QBase& question,
                                                                std::shared_ptr<KEvent::Event>& reveal);
