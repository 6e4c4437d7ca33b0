#pragma once
// The grid form of the session tester, made as an adopter makes it: a data grid over an in-memory data
// set of orders with a frozen ID column, three-level titles, sum and count footers, the filter row, sort
// marks by title clicks, a pick-list column, a lookup column, a memo, a Boolean check-box column, Save and
// Cancel buttons that post and cancel through the data source, a ticking timer; on some runs an external
// horizontal bar, on some right to left. GridSession plays steps on it and checks the invariants.

#include <memory>
#include <vector>

#include "tests/session/session_driver.h"

namespace session {

enum GridStepKind {
  gsType,        // characters that fit the current cell (beyond 16 bits and right to left among them)
  gsBackspace,
  gsArrow,       // A % 4: up, down, left, right
  gsPage,        // PgUp / PgDn
  gsHomeEnd,     // with Ctrl on B odd
  gsTab,         // Shift+Tab on A odd
  gsF2,
  gsEnter,
  gsEsc,
  gsInsert,
  gsDelete,      // Ctrl+Del; its question answered OK on B odd, Cancel else
  gsCopy,
  gsPaste,
  gsAltDown,
  gsClickCell,   // double click on C % 6 == 0
  gsClickTitle,  // with Ctrl on C odd
  gsSizeColumn,  // drag a title edge
  gsMoveColumn,  // drag a title sideways
  gsClickIndicator,
  gsScrollBar,
  gsClickList,   // a press and release in an open pop-up (list, calendar, calculator), else in a cell
  gsWheel,
  gsResize,
  gsFont,
  gsFilter,      // a condition typed into a filter cell, then Return
  gsSave,        // the form's Save button: Post through the data source
  gsCancel,      // the form's Cancel button: Cancel through the data source
  gsTimers,      // the clock moved on by up to three seconds
  gsKindCount
};

// Steps and cases that meet faults being mended elsewhere are played only when TRESSORA_SESSION_AWAITING
// names them (a comma list of mend names) or is 1 / all.
bool AwaitingMend(const char* Name);
// The kinds and weights of the CI and long runs.
std::vector<KindWeight> GridWeights();
// Makes a fresh grid form for a seed (the seed picks right to left and the external bar).
std::unique_ptr<Session> MakeGridSession(uint64_t Seed);

}  // namespace session
