#pragma once
// Where the clipboard meets the export and import units: the bytes of each clipboard format for a
// grid's selection (or all records), and the readers that put pasted bytes into the grid.

#include <string>

#include "datagrid/DBGridX.h"

// Tab-separated text, CSV, RTF and binary grid data, without the clipboard's terminating zero.
std::string ExportGridClipText(TCustomDBGridX* Grid, bool IsAll);
std::string ExportGridClipCsv(TCustomDBGridX* Grid, bool IsAll);
std::string ExportGridClipRtf(TCustomDBGridX* Grid, bool IsAll);
std::string ExportGridClipData(TCustomDBGridX* Grid, bool IsAll);
// Reads binary grid data or tab-separated text from the stream's position into the grid.
void ImportGridClipData(TCustomDBGridX* Grid, TStream* Stream, bool IsAll);
void ImportGridClipText(TCustomDBGridX* Grid, TStream* Stream, bool IsAll);
