#pragma once
// The editors form of the session tester, made as an adopter makes it: over one data set of people, a
// data-aware edit with buttons and its MRU list, a mask edit, a combo box of names for stored keys, a
// lookup combo box, a check box, and two edits whose buttons drop the calculator and the calendar down;
// Prior, Next, Save and Cancel buttons move, post and cancel through the data source; a ticking timer.

#include <memory>
#include <vector>

#include "tests/session/session_driver.h"

namespace session {

enum EditorsStepKind {
  esType,       // characters that fit the focused control
  esBackspace,
  esArrow,      // A % 4: up, down, left, right
  esHomeEnd,
  esTab,        // Shift+Tab on A odd
  esEnter,
  esEsc,
  esAltDown,
  esCopy,
  esPaste,
  esClickControl,  // a click into one of the controls (A picks it)
  esClickButton,   // a click on a control's drop-down button
  esClickList,     // a press and release inside an open pop-up, else a control
  esWheel,
  esNavigate,      // Prior / Next through the form's buttons
  esSave,
  esCancel,
  esResize,
  esTimers,
  esKindCount
};

std::vector<KindWeight> EditorsWeights();
std::unique_ptr<Session> MakeEditorsSession(uint64_t Seed);

}  // namespace session
