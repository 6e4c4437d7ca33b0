// Streaming of the grid's columns: what a stored column and its title write (inheritable values only
// once the column set them), and the grid's "Columns" value, written only for the user's own columns
// (or when they differ from the ancestor's) and read back by emptying the collection first.

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXFooter.h"
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

void TDBGridColumnX::DeclarePublished(TPublished<TDBGridColumnX>& P) {
  using C = TDBGridColumnX;
  P.Enum("Alignment", &TColumnX::Alignment, &TColumnX::SetAlignment, AlignmentNames).StoredWhen(Assigned<C>(cvAlignment));
  P.Boolean("AlwaysShowEditButton", &TColumnX::AlwaysShowEditButton, &TColumnX::SetAlwaysShowEditButton)
      .StoredWhen(Assigned<C>(cvAlwaysShowEditButton));
  P.Boolean("AutoDropDown", &TColumnX::AutoDropDown, &TColumnX::SetAutoDropDown).StoredWhen(Assigned<C>(cvAutoDropDown));
  P.Boolean("AutoFitColWidth", &TColumnX::AutoFitColWidth, &TColumnX::SetAutoFitColWidth).Default(true);
  P.Enum("ButtonStyle", &TColumnX::ButtonStyle, &TColumnX::SetButtonStyle,
         {"cbsAuto", "cbsEllipsis", "cbsNone", "cbsUpDown", "cbsDropDown"})
      .Default(cbsAuto);
  P.Boolean("Checkboxes", &TColumnX::Checkboxes, &TColumnX::SetCheckboxes).StoredWhen(Assigned<C>(cvCheckboxes));
  P.Color("Color", &TColumnX::Color, &TColumnX::SetColor).StoredWhen(Assigned<C>(cvColor));
  P.Boolean("DblClickNextVal", &TColumnX::DblClickNextVal, &TColumnX::SetDblClickNextVal)
      .StoredWhen(Assigned<C>(cvDblClickNextVal));
  P.String("DisplayFormat", &TColumnX::DisplayFormat, &TColumnX::SetDisplayFormat);
  P.Integer("DropDownRows", &TColumnX::DropDownRows, &TColumnX::SetDropDownRows).Default(7);
  P.Boolean("DropDownShowTitles", &TColumnX::DropDownShowTitles, &TColumnX::SetDropDownShowTitles)
      .StoredWhen(Assigned<C>(cvDropDownShowTitles));
  P.Boolean("DropDownSizing", &TColumnX::DropDownSizing, &TColumnX::SetDropDownSizing)
      .StoredWhen(Assigned<C>(cvDropDownSizing));
  P.String("EditMask", &TColumnX::EditMask, &TColumnX::SetEditMask);
  P.Boolean("EndEllipsis", &TColumnX::EndEllipsis, &TColumnX::SetEndEllipsis).StoredWhen(Assigned<C>(cvEndEllipsis));
  P.String("FieldName", &TColumnX::FieldName, &TColumnX::SetFieldName);
  P.Object("Footer", &TColumnX::Footer);
  P.Collection("Footers", &TColumnX::Footers);
  P.Object("Font", &TColumnX::Font, &TColumnX::SetFont).StoredWhen(Assigned<C>(cvFont));
  P.Float("Increment", &TColumnX::Increment, &TColumnX::SetIncrement).Default(1.0);
  P.Strings("KeyList", &TColumnX::KeyList, &TColumnX::SetKeyList)
      .StoredWhen([](TObject* O) { return static_cast<C*>(O)->HasKeyList(); });
  P.String("LookupDisplayFields", &TColumnX::LookupDisplayFields, &TColumnX::SetLookupDisplayFields)
      .StoredWhen(Assigned<C>(cvLookupDisplayFields));
  P.Integer("MaxWidth", &TColumnX::MaxWidth, &TColumnX::SetMaxWidth).Default(0);
  P.Integer("MinWidth", &TColumnX::MinWidth, &TColumnX::SetMinWidth).Default(0);
  P.Integer("NotInKeyListIndex", &TColumnX::NotInKeyListIndex, &TColumnX::SetNotInKeyListIndex).Default(-1);
  P.Strings("PickList", &TColumnX::PickList, &TColumnX::SetPickList)
      .StoredWhen([](TObject* O) { return static_cast<C*>(O)->HasPickList(); });
  P.Component("PopupMenu", &TColumnX::PopupMenu, &TColumnX::SetPopupMenu);
  P.Boolean("ReadOnly", &TColumnX::ReadOnly, &TColumnX::SetReadOnly).StoredWhen(Assigned<C>(cvReadOnly));
  P.Integer("Tag", &TColumnX::Tag, &TColumnX::SetTag).Default(0);
  P.Object("Title", &TColumnX::Title, &TColumnX::SetTitle);
  P.Boolean("ToolTips", &TColumnX::ToolTips, &TColumnX::SetToolTips).StoredWhen(Assigned<C>(cvToolTips));
  P.Boolean("Visible", &TColumnX::Visible, &TColumnX::SetVisible).Default(true);
  P.Integer("Width", &TColumnX::Width, &TColumnX::SetWidth).StoredWhen(Assigned<C>(cvWidth));
  P.Boolean("WordWrap", &TColumnX::WordWrap, &TColumnX::SetWordWrap).StoredWhen(Assigned<C>(cvWordWrap));
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
