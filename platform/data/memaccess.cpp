// Positional access to the in-memory data set: reading a record by its place in the view and scanning
// a text column in storage. A grid that draws rows by index, or searches a million records as the user
// types, would otherwise walk the cursor record by record and rotate the data set's buffers each time.
#include <algorithm>

#include "platform/data/memdataset.h"
#include "platform/data/memstorage.h"

int TMemDataSet::CurrentPosition() const {
  if (!Active() || BufferRecordCount() == 0) return -1;
  const TRecBuf& b = ActiveBuffer();
  int n = static_cast<int>(FView.size());
  if (b.EditRecord && State() == dsInsert) {
    if (b.Flag == bfEOF) return n;
    if (b.Flag == bfBOF) return 0;
    return static_cast<int>(std::clamp<int64_t>(b.Pos, 0, n));
  }
  if (b.Pos >= 0 && b.Pos < n && FView[static_cast<size_t>(b.Pos)] == b.Handle) return static_cast<int>(b.Pos);
  return b.Handle >= 0 ? PositionOfRow(static_cast<uint32_t>(b.Handle)) : -1;
}

bool TMemDataSet::BeginReadAt(int Pos) {
  if (!Active() || Pos < 0 || Pos >= static_cast<int>(FView.size())) return false;
  BeginRecordRead(FView[static_cast<size_t>(Pos)]);
  return true;
}

TBookmark TMemDataSet::BookmarkAt(int Pos) const {
  if (!Active() || Pos < 0 || Pos >= static_cast<int>(FView.size())) return {};
  TRecBuf b;
  b.Handle = FView[static_cast<size_t>(Pos)];
  return GetBookmarkOf(b);
}

int TMemDataSet::ScanText(const TField* Field, int From, int Step,
                          const std::function<bool(std::string_view)>& Match) const {
  if (!Active() || !FStorage || !Field || Field->DataSet() != this || Field->FieldKind() != fkData) return -1;
  int col = Field->FieldNo() - 1;
  if (col < 0 || col >= static_cast<int>(FStorage->Columns.size())) return -1;
  const TMemColumn& c = FStorage->Columns[static_cast<size_t>(col)];
  if (c.Kind != ckString || (Step != 1 && Step != -1)) return -1;
  const TMemStorage& s = *FStorage;
  int n = static_cast<int>(FView.size());
  for (int pos = From; pos >= 0 && pos < n; pos += Step) {
    uint32_t row = FView[static_cast<size_t>(pos)];
    if (!s.IsNull(c, row) && Match(s.GetString(c, row))) return pos;
  }
  return -1;
}
