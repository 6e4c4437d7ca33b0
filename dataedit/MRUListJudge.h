#pragma once
// For an edit that judges each MRU entry itself (AcceptMRUItem) and hands it on to the list's own
// OnItemFilter: one matching pass with the edit's judgement standing in for that filter.

#include <functional>
#include <string>

#include "dataedit/MRUListX.h"

using TMRUItemFilter = std::function<void(TObject* Sender, const std::string& Item, bool& Accept)>;

// Fills Target with the entries of List beginning with Text, each decided by Judge. For the pass, Saved
// holds the list's own filter so that Judge can ask it; the filter is put back and Saved cleared
// afterwards, also when the pass raises. Returns what GetMatchingItems returns.
bool GetMatchingItemsJudgedBy(TMRUListX* List, TStrings* Target, const std::string& Text, TMRUItemFilter& Saved,
                              const std::function<void(const std::string& Item, bool& Accept)>& Judge);
