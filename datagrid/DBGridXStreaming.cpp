// Streaming of the grid's columns: what a stored column and its title write (inheritable values only
// once the column set them), and the grid's "Columns" value, written only for the user's own columns
// (or when they differ from the ancestor's) and read back by emptying the collection first.

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXDropDownBox.h"
#include "datagrid/DBGridXFilterRow.h"
#include "datagrid/DBGridXFooter.h"
#include "datagrid/DBLookupGridX.h"
#include "dataedit/MRUListX.h"
#include "dataedit/SpecRowX.h"
#include "platform/classes/filer.h"
#include "platform/controls/menus.h"

namespace {

template <typename T>
auto Assigned(TColumnXValue V) {
  return [V](TObject* O) { return static_cast<T*>(O)->AssignedValues().Contains(V); };
}

const std::initializer_list<const char*> AlignmentNames{"taLeftJustify", "taRightJustify", "taCenter"};

// The bytes a collection writes: two collections that write the same bytes are the same.
std::string CollectionBytes(TCollection* C) {
  TMemoryStream s;
  TWriter w(&s);
  w.WriteCollection(C);
  return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

}  // namespace

void TColumnTitleX::DeclarePublished(TPublished<TColumnTitleX>& P) {
  auto flagged = [](TColumnXValue V) {
    return [V](TObject* O) { return static_cast<TColumnTitleX*>(O)->Column()->AssignedValues().Contains(V); };
  };
  P.Enum("Alignment", &TColumnTitleX::Alignment, &TColumnTitleX::SetAlignment, AlignmentNames)
      .StoredWhen(flagged(cvTitleAlignment));
  P.String("Caption", &TColumnTitleX::Caption, &TColumnTitleX::SetCaption).StoredWhen(flagged(cvTitleCaption));
  P.Color("Color", &TColumnTitleX::Color, &TColumnTitleX::SetColor).StoredWhen(flagged(cvTitleColor));
  P.Boolean("EndEllipsis", &TColumnTitleX::EndEllipsis, &TColumnTitleX::SetEndEllipsis)
      .StoredWhen(flagged(cvTitleEndEllipsis));
  P.Object("Font", &TColumnTitleX::Font, &TColumnTitleX::SetFont).StoredWhen(flagged(cvTitleFont));
  P.String("Hint", &TColumnTitleX::Hint, &TColumnTitleX::SetHint);
  P.Integer("ImageIndex", &TColumnTitleX::ImageIndex, &TColumnTitleX::SetImageIndex).Default(-1);
  P.Enum("Orientation", &TColumnTitleX::Orientation, &TColumnTitleX::SetOrientation, {"tohHorizontal", "tohVertical"})
      .StoredWhen(flagged(cvTitleOrientation));
  P.Enum("SortMarker", &TColumnTitleX::SortMarker, &TColumnTitleX::SetSortMarker, {"smNoneX", "smDownX", "smUpX"})
      .Default(smNoneX);
  P.Integer("SortIndex", &TColumnTitleX::SortIndex, &TColumnTitleX::SetSortIndex).Default(0);
  P.Boolean("TitleButton", &TColumnTitleX::TitleButton, &TColumnTitleX::SetTitleButton)
      .StoredWhen(flagged(cvTitleButton));
  P.Boolean("ToolTips", &TColumnTitleX::ToolTips, &TColumnTitleX::SetToolTips).StoredWhen(flagged(cvTitleToolTips));
}

// The published settings of a grid column and of a lookup grid's column, in one alphabetical list;
// Full adds what only the data grid's columns publish (edit buttons, drop-down, footers, filter...).
template <typename C>
void DeclareColumnProps(TPublished<C>& P, bool Full) {
  P.Enum("Alignment", &TColumnX::Alignment, &TColumnX::SetAlignment, AlignmentNames).StoredWhen(Assigned<C>(cvAlignment));
  if (Full) {
    P.Boolean("AlwaysShowEditButton", &TColumnX::AlwaysShowEditButton, &TColumnX::SetAlwaysShowEditButton)
        .StoredWhen(Assigned<C>(cvAlwaysShowEditButton));
    P.Boolean("AutoDropDown", &TColumnX::AutoDropDown, &TColumnX::SetAutoDropDown)
        .StoredWhen(Assigned<C>(cvAutoDropDown));
  }
  P.Boolean("AutoFitColWidth", &TColumnX::AutoFitColWidth, &TColumnX::SetAutoFitColWidth).Default(true);
  if (Full)
    P.Enum("ButtonStyle", &TColumnX::ButtonStyle, &TColumnX::SetButtonStyle,
           {"cbsAuto", "cbsEllipsis", "cbsNone", "cbsUpDown", "cbsDropDown"})
        .Default(cbsAuto);
  P.Boolean("Checkboxes", &TColumnX::Checkboxes, &TColumnX::SetCheckboxes).StoredWhen(Assigned<C>(cvCheckboxes));
  P.Color("Color", &TColumnX::Color, &TColumnX::SetColor).StoredWhen(Assigned<C>(cvColor));
  if (Full) {
    P.Boolean("DblClickNextVal", &TColumnX::DblClickNextVal, &TColumnX::SetDblClickNextVal)
        .StoredWhen(Assigned<C>(cvDblClickNextVal));
    P.String("DisplayFormat", &TColumnX::DisplayFormat, &TColumnX::SetDisplayFormat);
    P.Object("DropDownBox", &TColumnX::DropDownBox, [](C* O, TColumnDropDownBoxX* V) { O->DropDownBox()->Assign(V); });
    P.Integer("DropDownRows", &TColumnX::DropDownRows, &TColumnX::SetDropDownRows).Default(7);
    P.Boolean("DropDownShowTitles", &TColumnX::DropDownShowTitles, &TColumnX::SetDropDownShowTitles)
        .StoredWhen(Assigned<C>(cvDropDownShowTitles));
    P.Boolean("DropDownSizing", &TColumnX::DropDownSizing, &TColumnX::SetDropDownSizing)
        .StoredWhen(Assigned<C>(cvDropDownSizing));
    P.Object("DropDownSpecRow", &TColumnX::DropDownSpecRow,
             [](C* O, TSpecRowX* V) { O->DropDownSpecRow()->Assign(V); });
    P.Integer("DropDownWidth", &TColumnX::DropDownWidth, &TColumnX::SetDropDownWidth).Default(0);
    P.Collection("EditButtons", &TColumnX::EditButtons,
                 [](C* O, TEditButtonsX* V) { O->EditButtons()->Assign(V); });
    P.String("EditMask", &TColumnX::EditMask, &TColumnX::SetEditMask);
  }
  P.Boolean("EndEllipsis", &TColumnX::EndEllipsis, &TColumnX::SetEndEllipsis).StoredWhen(Assigned<C>(cvEndEllipsis));
  P.String("FieldName", &TColumnX::FieldName, &TColumnX::SetFieldName);
  if (Full) {
    P.Object("Footer", &TColumnX::Footer);
    P.Collection("Footers", &TColumnX::Footers);
  }
  P.Object("Font", &TColumnX::Font, &TColumnX::SetFont).StoredWhen(Assigned<C>(cvFont));
  P.Component("ImageList", &TColumnX::ImageList, &TColumnX::SetImageList);
  P.Enum("ImeMode", &TColumnX::ImeMode, &TColumnX::SetImeMode, {"imDisable", "imClose", "imOpen", "imDontCare"})
      .StoredWhen(Assigned<C>(cvImeMode));
  P.String("ImeName", [](C* O) { return std::string(O->ImeName()); },
           [](C* O, const std::string& V) { O->SetImeName(V); })
      .StoredWhen(Assigned<C>(cvImeName));
  if (Full) P.Float("Increment", &TColumnX::Increment, &TColumnX::SetIncrement).Default(1.0);
  P.Strings("KeyList", &TColumnX::KeyList, &TColumnX::SetKeyList)
      .StoredWhen([](TObject* O) { return static_cast<C*>(O)->HasKeyList(); });
  if (Full)
    P.String("LookupDisplayFields", &TColumnX::LookupDisplayFields, &TColumnX::SetLookupDisplayFields)
        .StoredWhen(Assigned<C>(cvLookupDisplayFields));
  P.Integer("MaxWidth", &TColumnX::MaxWidth, &TColumnX::SetMaxWidth).Default(0);
  P.Integer("MinWidth", &TColumnX::MinWidth, &TColumnX::SetMinWidth).Default(0);
  if (Full) P.Object("MRUList", &TColumnX::MRUList, [](C* O, TMRUListX* V) { O->MRUList()->Assign(V); });
  P.Integer("NotInKeyListIndex", &TColumnX::NotInKeyListIndex, &TColumnX::SetNotInKeyListIndex).Default(-1);
  P.Strings("PickList", &TColumnX::PickList, &TColumnX::SetPickList)
      .StoredWhen([](TObject* O) { return static_cast<C*>(O)->HasPickList(); });
  P.Component("PopupMenu", &TColumnX::PopupMenu, &TColumnX::SetPopupMenu);
  if (Full) P.Boolean("ReadOnly", &TColumnX::ReadOnly, &TColumnX::SetReadOnly).StoredWhen(Assigned<C>(cvReadOnly));
  if (Full) P.Object("STFilter", &TColumnX::STFilter, [](C* O, TSTColumnFilterX* V) { O->STFilter()->Assign(V); });
  P.Integer("Tag", &TColumnX::Tag, &TColumnX::SetTag).Default(0);
  P.Object("Title", &TColumnX::Title, &TColumnX::SetTitle);
  P.Boolean("ToolTips", &TColumnX::ToolTips, &TColumnX::SetToolTips).StoredWhen(Assigned<C>(cvToolTips));
  P.Boolean("Visible", &TColumnX::Visible, &TColumnX::SetVisible).Default(true);
  P.Integer("Width", &TColumnX::Width, &TColumnX::SetWidth).StoredWhen(Assigned<C>(cvWidth));
  if (Full) P.Boolean("WordWrap", &TColumnX::WordWrap, &TColumnX::SetWordWrap).StoredWhen(Assigned<C>(cvWordWrap));
  if (Full)
    for (const char* E : {"OnDropDownBoxCheckButton", "OnDropDownBoxDrawColumnCell", "OnDropDownBoxGetCellParams",
                          "OnDropDownBoxSortMarkingChanged", "OnDropDownBoxTitleBtnClick", "OnEditButtonClick",
                          "OnEditButtonDown", "OnGetCellParams", "OnNotInList", "OnUpdateData"})
      P.Event(E);
  else
    P.Event("OnGetCellParams");
}

void TDBGridColumnX::DeclarePublished(TPublished<TDBGridColumnX>& P) { DeclareColumnProps(P, true); }

void TDBLookupGridColumnX::DeclarePublished(TPublished<TDBLookupGridColumnX>& P) {
  DeclareColumnProps(P, false);
  P.Object("SpecCell", &TDBLookupGridColumnX::SpecCell, &TDBLookupGridColumnX::SetSpecCell);
}

void TGridColumnSpecCellX::DeclarePublished(TPublished<TGridColumnSpecCellX>& P) {
  using C = TGridColumnSpecCellX;
  P.String("Text", &C::Text, &C::SetText).Stored(&C::TextAssigned);
  P.Color("Color", &C::Color, &C::SetColor).Stored(&C::ColorAssigned);
  P.Object("Font", &C::Font, &C::SetFont).Stored(&C::FontAssigned);
}

void TColumnTitleDefValuesX::DeclarePublished(TPublished<TColumnTitleDefValuesX>& P) {
  using C = TColumnTitleDefValuesX;
  P.Enum("Alignment", &C::Alignment, &C::SetAlignment, AlignmentNames).StoredWhen([](TObject* O) {
    return (static_cast<C*>(O)->AssignedFlags() & 2) != 0;
  });
  P.Color("Color", &C::Color, &C::SetColor).StoredWhen([](TObject* O) {
    return (static_cast<C*>(O)->AssignedFlags() & 1) != 0;
  });
  P.Boolean("EndEllipsis", &C::EndEllipsis, &C::SetEndEllipsis).Default(false);
  P.Enum("Orientation", &C::Orientation, &C::SetOrientation, {"tohHorizontal", "tohVertical"}).Default(tohHorizontal);
  P.Boolean("TitleButton", &C::TitleButton, &C::SetTitleButton).Default(false);
  P.Boolean("ToolTips", &C::ToolTips, &C::SetToolTips).Default(false);
}

void TDBLookupGridColumnDefValuesX::DeclarePublished(TPublished<TDBLookupGridColumnDefValuesX>& P) {
  using C = TDBLookupGridColumnDefValuesX;
  P.Boolean("EndEllipsis", &C::EndEllipsis, &C::SetEndEllipsis).Default(false);
  P.Object("Title", &C::Title, &C::SetTitle);
  P.Boolean("ToolTips", &C::ToolTips, &C::SetToolTips).Default(false);
}

void TDBGridXColumnDefValuesX::DeclarePublished(TPublished<TDBGridXColumnDefValuesX>& P) {
  using C = TDBGridXColumnDefValuesX;
  P.Boolean("AlwaysShowEditButton", &C::AlwaysShowEditButton, &C::SetAlwaysShowEditButton).Default(false);
  P.Boolean("AutoDropDown", &C::AutoDropDown, &C::SetAutoDropDown).Default(false);
  P.Boolean("DblClickNextVal", &C::DblClickNextVal, &C::SetDblClickNextVal).Default(false);
  P.Boolean("DropDownShowTitles", &C::DropDownShowTitles, &C::SetDropDownShowTitles).Default(false);
  P.Boolean("DropDownSizing", &C::DropDownSizing, &C::SetDropDownSizing).Default(false);
  P.Boolean("EndEllipsis", &C::EndEllipsis, &C::SetEndEllipsis).Default(false);
  P.Object("Title", &C::Title, &C::SetTitle);
  P.Boolean("ToolTips", &C::ToolTips, &C::SetToolTips).Default(false);
}

void TDBGridXScrollBar::DeclarePublished(TPublished<TDBGridXScrollBar>& P) {
  using C = TDBGridXScrollBar;
  P.Component("ExtScrollBar", &C::ExtScrollBar, &C::SetExtScrollBar);
  P.Boolean("Tracking", &C::Tracking, &C::SetTracking).Default(false);
  P.Boolean("Visible", &C::Visible, &C::SetVisible).Default(true);
}

void TVertDBGridXScrollBar::DeclarePublished(TPublished<TVertDBGridXScrollBar>& P) {
  using C = TVertDBGridXScrollBar;
  P.Enum("VisibleMode", &C::VisibleMode, &C::SetVisibleMode, {"sbAlwaysShowX", "sbNeverShowX", "sbAutoShowX"})
      .Default(sbAutoShowX);
}

void TDBGridX::DeclarePublished(TPublished<TDBGridX>& P) {
  using C = TDBGridX;
  P.Set("AllowedOperations", &C::AllowedOperations, &C::SetAllowedOperations,
        {"geoInsert", "geoUpdate", "geoDelete", "geoAppend"})
      .Default(TGridXOperations{geoInsert, geoUpdate, geoDelete, geoAppend});
  P.Set("AllowedSelections", &C::AllowedSelections, &C::SetAllowedSelections,
        {"selNoneX", "selRecordsX", "selRectangleX", "selColumnsX", "selAllX"})
      .Default(TGridXSelectionTypes{selRecordsX, selRectangleX, selColumnsX, selAllX});
  P.Boolean("AutoFitColWidths", &C::AutoFitColWidths, &C::SetAutoFitColWidths).Default(false);
  P.Object("ColumnDefValues", [](C* G) { return G->ColumnDefValues(); },
           [](C* G, TColumnDefValuesX* V) { G->ColumnDefValues()->Assign(V); });
  P.Component("DataSource", &C::DataSource, &C::SetDataSource);
  P.Set("EditActions", &C::EditActions, &C::SetEditActions, {"geaCut", "geaCopy", "geaPaste", "geaDelete", "geaSelectAll"})
      .Default(TGridXEditActions{});
  P.Integer("EditMemoFields", &C::EditMemoFields, &C::SetEditMemoFields).Default(0);
  P.Boolean("Flat", &C::Flat, &C::SetFlat).Default(false);
  P.Color("FooterColor", &C::FooterColor, &C::SetFooterColor).Default(clWindow);
  P.Object("FooterFont", &C::FooterFont, [](C* G, TFont* V) { G->SetFooterFont(V); });
  P.Integer("FooterRowCount", &C::FooterRowCount, [](C* G, int V) { G->SetFooterRowCount(V); }).Default(0);
  P.Integer("FrozenCols", &C::FrozenCols, &C::SetFrozenCols).Default(0);
  P.Object("HorzScrollBar", [](C* G) { return G->HorzScrollBar(); });
  P.Integer("MinAutoFitWidth", &C::MinAutoFitWidth, &C::SetMinAutoFitWidth).Default(0);
  P.Set("Options", &C::Options, &C::SetOptions,
        {"gdoEditing", "gdoAlwaysShowEditor", "gdoTitles", "gdoIndicator", "gdoColumnResize", "gdoColLines",
         "gdoRowLines", "gdoTabs", "gdoRowSelect", "gdoAlwaysShowSelection", "gdoConfirmDelete", "gdoCancelOnExit",
         "gdoMultiSelect"})
      .Default(GridXDataOptionsFromBits(0x0CFD));
  P.Set("OptionsX", &C::OptionsX, &C::SetOptionsX,
        {"gxoFixed3D", "gxoFrozen3D", "gxoFooter3D", "gxoData3D", "gxoProportionalResize", "gxoHighlightFocus",
         "gxoClearSelectionOnMove", "gxoFitRowHeightToText", "gxoAutoSortMarking", "gxoMultiSortMarking",
         "gxoEnterAsTab", "gxoTraceColSizing", "gxoIncSearch", "gxoPreferIncSearch", "gxoRowHighlight",
         "gxoDblClickFitColWidth", "gxoFindDialog"})
      .Default(GridXExtOptionsFromBits(0x61));
  P.Boolean("ReadOnly", &C::ReadOnly, &C::SetReadOnly).Default(false);
  P.Integer("RowHeight", &C::RowHeight, &C::SetRowHeight).Default(0);
  P.Integer("RowLines", &C::RowLines, &C::SetRowLines).Default(0);
  P.Object("TitleFont", &C::TitleFont, &C::SetTitleFont);
  P.Integer("TitleHeight", &C::TitleHeight, &C::SetTitleHeight).Default(0);
  P.Component("TitleImages", &C::TitleImages, &C::SetTitleImages);
  P.Integer("TitleLineCount", &C::TitleLineCount, &C::SetTitleLineCount).Default(0);
  P.Boolean("UseMultiTitle", &C::UseMultiTitle, &C::SetUseMultiTitle).Default(false);
  P.Object("VertScrollBar", [](C* G) { return G->VertScrollBar(); });
  for (const char* E : {"OnApplyFilterRow", "OnCellClick", "OnCheckTitleButton", "OnColWidthsChanged",
                        "OnDrawColumnCell", "OnDrawDataCell", "OnDrawFooterCell", "OnEditButtonClick", "OnEnterColumn",
                        "OnGetCellParams", "OnGetFooterParams", "OnGetTitleParams", "OnLeaveColumn",
                        "OnSortMarkingChanged", "OnSumListAfterRecalcAll", "OnSumListRecalcAll", "OnTitleBtnClick",
                        "OnTitleClick"})
    P.Event(E);
}

void TCustomDBGridX::DefineProperties(TFiler* Filer) {
  TCustomGrid::DefineProperties(Filer);
  bool hasData;
  if (auto* anc = dynamic_cast<TCustomDBGridX*>(Filer->Ancestor()))
    hasData = anc->Columns()->State() != FColumns->State() ||
              CollectionBytes(anc->Columns()) != CollectionBytes(FColumns.get());
  else
    hasData = FColumns->State() == 1;
  Filer->DefineProperty(
      "Columns",
      [this](TReader* R) {
        FColumns->Clear();
        R->CheckValue(vaCollection);
        R->ReadCollection(FColumns.get());
      },
      [this](TWriter* W) { W->WriteCollection(FColumns.get()); }, hasData);
}
