#pragma once
// The special row (unit ToolCtrlsX): an extra row that lookup lists show above their data rows, for
// example an entry for "no value", with its own key value, cell texts, colour, font and shortcut.
// Colour and font follow the owning control until they are assigned.

#include <memory>
#include <string>
#include <vector>

#include "platform/classes/classes.h"
#include "platform/classes/typinfo.h"
#include "platform/graphics/graphics.h"
#include "platform/rtl/variants.h"

class TSpecRowX : public TPersistent {
  DECLARE_PUBLISHED_CLASS(TSpecRowX, TPersistent)
  static void DeclarePublished(TPublished<TSpecRowX>& P);
  explicit TSpecRowX(TPersistent* AOwner);
  ~TSpecRowX() override;
  void Assign(TPersistent* Source) override;

  const std::string& CellsText() const { return FCellsText; }
  void SetCellsText(const std::string& Value);
  TColor Color() const;
  void SetColor(TColor Value);
  TFont* Font();
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value) { FShortCut = Value; }
  bool ShowIfNotInKeyList() const { return FShowIfNotInKeyList; }
  void SetShowIfNotInKeyList(bool Value);
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool ColorAssigned() const { return FColorSet; }
  bool FontAssigned() const { return FFontSet; }

  // The cell text of that column; empty outside the cells.
  std::string GetColumnText(int Index) const;
  int CellCount() const { return static_cast<int>(FCells.size()); }
  bool MatchesKey(const Variant& KeyValue) const;
  void LockChanges() { ++FUpdateCount; }
  void UnlockChanges();
  // Set by the owner: told of every change while no lock is held.
  TNotifyEvent OnChanged;

 protected:
  TPersistent* GetOwner() override { return FOwner; }

 private:
  void Changed();
  void SplitCells();
  TFont* DefaultFont() const;
  TColor DefaultColor() const;
  TPersistent* FOwner;
  std::string FCellsText;
  std::vector<std::string> FCells;
  TColor FColor = clWindow;
  bool FColorSet = false;
  std::unique_ptr<TFont> FFont;
  bool FFontSet = false;
  TShortCut FShortCut = 32814;  // Alt+Del
  bool FShowIfNotInKeyList = true;
  Variant FValue = Null;
  bool FVisible = false;
  int FUpdateCount = 0;
};
