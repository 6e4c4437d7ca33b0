#pragma once
// Fields named in a ';'-separated list (unit ToolCtrlsX): resolving the list to fields, returning them
// as an array, and assigning one value to all of them. The lookup controls and the grid's columns name
// their key fields this way.

#include <string>
#include <vector>

#include "platform/classes/classes.h"
#include "platform/data/db.h"

using TFieldsArrX = std::vector<TField*>;

// Adds the fields of the list to List in list order (List may be nullptr: the names are only checked).
// A name the data set lacks raises EDatabaseError "Field 'X' not found", naming Component.
void FillFieldList(TList* List, TDataSet* DataSet, TComponent* Component, const std::string& FieldNames);
TFieldsArrX GetFieldsArray(TDataSet* DataSet, TComponent* Component, const std::string& FieldNames);
// Null clears every field of the list; otherwise one field takes the value, several the elements of
// a variant array in order.
void AssignFieldValues(TDataSet* DataSet, const std::string& FieldNames, const Variant& Value);
