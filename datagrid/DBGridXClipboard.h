#pragma once
// The grid's copy, cut, paste and delete: copy puts the selection (or every record) on the clipboard
// in five formats at once (tab-separated text, the same as UTF-16, CSV, RTF and the binary grid-data
// format); paste takes the richest format present (the grid-data format before text) and imports it
// into the grid; cut is copy then clear; clear deletes the selected records or empties the selected
// cells, after asking when the grid's delete confirmation is on.
//
// The formats' writers and readers are the export and import units' (DBGridXClipboardFormats.h);
// this unit moves their bytes through the clipboard service (platform/graphics/clipbrd.h).

#include <string>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXExport.h"
#include "platform/classes/classes.h"

// Resource strings of the questions asked before a clear.
constexpr int SDeleteRecordQuestion = 65155;           // "Delete record?"
constexpr int SDeleteMultipleRecordsQuestion = 65156;  // "Delete all selected records?"
constexpr int SClearSelectedCellsQuestion = 65110;

// Clipboard formats registered at start-up: "VCLDBIF" (binary grid data), "Csv" and "Rich Text Format".
UINT GridDataClipboardFormat();
UINT CF_CSV();
UINT CF_RTF();

void CopyGridToClipboard(TCustomDBGridX* Grid, bool IsAll);
void CutGridToClipboard(TCustomDBGridX* Grid, bool IsAll);
void PasteGridFromClipboard(TCustomDBGridX* Grid, bool IsAll);
void ClearGridSelection(TCustomDBGridX* Grid, bool IsAll);

// Puts the stream's bytes on the clipboard under Format (the clipboard is opened around it; inside
// an opening of the caller's the formats stand together).
void PutStreamToClipboard(UINT Format, TStream* Stream);
// The same bytes, read as text, as UTF-16 text (CF_UNICODETEXT).
void PutStreamToClipboardAsUnicode(TStream* Stream);
// Appends the block of Format to the stream; false (nothing added) when the clipboard has no usable
// block of that format: none, or one that is empty or too short to be data.
bool GetClipboardToStream(UINT Format, TStream* Stream);
// Every platform this program runs on takes UTF-16 text too.
inline bool IsWindowsNTPlatform() { return true; }
// Asks before a clear when the grid's delete confirmation is on; false when the user cancelled.
bool ConfirmGridSelectionClear(TCustomDBGridX* Grid, TGridXSelectionType Kind);
// Empties (sets to null) the fields of the current record under Columns that accept edits.
void ClearSelectedCellsOfRecord(TCustomDBGridX* Grid, const TColumnsXList& Columns);
// Whether the clipboard holds something the grid can paste (grid data or text that is not empty).
bool ClipboardHasGridPasteData();

// The grid's selection as this unit sees it: its kind, and for the kinds that need them the
// rectangle's columns and corner records, or the selected columns (the export's view of it).
using TGridXClipSelection = TGridXExportSelection;
TGridXClipSelection GridClipSelection(TCustomDBGridX* Grid);
// Empties the grid's selection.
void ClearGridSelectionState(TCustomDBGridX* Grid);
// Selects everything (the select-all action).
void GridSelectEverything(TCustomDBGridX* Grid);

namespace DBGridXClipboard {
// Registers the formats and the questions' texts (paired calls).
void Initialize();
void Finalize();
}  // namespace DBGridXClipboard
