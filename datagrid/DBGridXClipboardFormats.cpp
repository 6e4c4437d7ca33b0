// The clipboard's formats through the export and import units.
#include "datagrid/DBGridXClipboardFormats.h"

#include "datagrid/DBGridXBinary.h"
#include "datagrid/DBGridXExport.h"
#include "datagrid/DBGridXImport.h"
#include "datagrid/DBGridXRtf.h"

std::string ExportGridClipText(TCustomDBGridX* Grid, bool IsAll) {
  return ExportGridToString<TDBGridXExportAsText>(Grid, IsAll);
}
std::string ExportGridClipCsv(TCustomDBGridX* Grid, bool IsAll) {
  return ExportGridToString<TDBGridXExportAsCSV>(Grid, IsAll);
}
std::string ExportGridClipRtf(TCustomDBGridX* Grid, bool IsAll) {
  return ExportGridToString<TDBGridXExportAsRTF>(Grid, IsAll);
}
std::string ExportGridClipData(TCustomDBGridX* Grid, bool IsAll) {
  return ExportGridToString<TDBGridXExportAsGridData>(Grid, IsAll);
}

void ImportGridClipData(TCustomDBGridX* Grid, TStream* Stream, bool IsAll) {
  ImportGridFromStream<TDBGridXImportAsGridData>(Grid, Stream, IsAll);
}
void ImportGridClipText(TCustomDBGridX* Grid, TStream* Stream, bool IsAll) {
  ImportGridFromStream<TDBGridXImportAsText>(Grid, Stream, IsAll);
}
