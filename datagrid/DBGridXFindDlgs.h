#pragma once
// The grid's find dialog: one small window, shared by every grid of the program, in which the user
// types a text, picks the column to search (or all), the match mode, the direction, case sensitivity
// and whether displayed or raw values are compared, and steps from match to match with "&Find next".
// The dialog remembers where the last match was (SearchColumns / SearchColumnIndex on the current
// record), so that each press continues after it until the text, the column or the direction changes.

#include <memory>
#include <string>

#include "dataedit/DBCtrlsX_checkbox.h"
#include "dataedit/DBCtrlsX_combo.h"
#include "datagrid/DBGridX.h"
#include "platform/forms/forms.h"

// Resource string: the text searched for was not found (formatted with the text).
constexpr int SFindDlgTextNotFound = 65115;

class TDBGridXFindDlg : public TForm {
  DECLARE_CLASS(TDBGridXFindDlg, TForm)
  explicit TDBGridXFindDlg(TComponent* AOwner);
  ~TDBGridXFindDlg() override;

  // The form's components (owned by the form).
  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* cbMatchType = nullptr;
  TLabel* Label3 = nullptr;
  TDBComboBoxX* cbText = nullptr;
  TDBComboBoxX* cbFindIn = nullptr;
  TDBComboBoxX* cbMatchinType = nullptr;
  TDBComboBoxX* cbFindDirection = nullptr;
  TDBCheckBoxX* cbCharCase = nullptr;
  TDBCheckBoxX* cbUseFormat = nullptr;
  TButton* bFind = nullptr;
  TButton* bCancel = nullptr;

  // The grid searched (not owned), the columns searched, the position in SearchColumns of the cell
  // being examined, and whether the next search starts afresh.
  TCustomDBGridX* TargetGrid = nullptr;
  std::unique_ptr<TColumnsXList> SearchColumns;
  int SearchColumnIndex = -1;
  bool StartNewSearch = true;

  void ShowForGrid(TCustomDBGridX* Grid, const std::string& Text, bool Modal);
  void FillFindInList();
  void BuildSearchColumns();

  // Event handlers bound by the form.
  void cbFindInChange(TObject* Sender);
  void cbTextChange(TObject* Sender);
  void bCancelClick(TObject* Sender);
  void bFindClick(TObject* Sender);
  void FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);

  // Whether the last "&Find next" found a cell.
  bool LastSearchFound() const { return FLastFound; }
  // The form stays above the program's other windows while shown without a modal loop.
  bool StayOnTop() const { return FStayOnTop; }

  // The text compared for Column on the current record (displayed or raw), and the match rule.
  std::string GetCellSearchText(TColumnX* Column);
  bool TextMatches(const std::string& CellText);

 protected:
  void CreateParams(TCreateParams& Params) override;

 private:
  void SetStayOnTop(bool Value);
  bool FLastFound = false;
  bool FStayOnTop = false;
  bool FModalShow = false;
};

// Shows the one find dialog for Grid (made on first use, owned by the application). The grid's callers
// also pass a text and a list of column field items that the dialog does not use.
void ShowGridFindDialog(TCustomDBGridX* Grid, const std::string& Text, bool Modal);
// The dialog once made, else nullptr.
TDBGridXFindDlg* GridFindDialog();

namespace DBGridXFindDlgs {
// Registers the dialog's texts; Finalize frees the dialog.
void Initialize();
void Finalize();
}  // namespace DBGridXFindDlgs
