#pragma once
// TMRUListX: the texts an edit remembers (oldest first, newest last), with the settings that decide how
// many are kept and how they match what is being typed. The owning edit opens and closes the drop-down
// that shows the matches through the hooks below.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dataedit/PopupsX.h"
#include "platform/classes/classes.h"
#include "platform/classes/typinfo.h"

class TScrollBar;

class TMRUListX : public TPersistent {
  DECLARE_PUBLISHED_CLASS(TMRUListX, TPersistent)
  static void DeclarePublished(TPublished<TMRUListX>& P) {
    P.Boolean("Active", &TMRUListX::Active, &TMRUListX::SetActive).Default(false);
    P.Boolean("AutoAdd", &TMRUListX::AutoAdd, &TMRUListX::SetAutoAdd).Default(true);
    P.Boolean("CaseSensitive", &TMRUListX::CaseSensitive, &TMRUListX::SetCaseSensitive).Default(false);
    // The limit before the items, so that reading trims to the stored limit.
    P.Integer("Limit", &TMRUListX::Limit, &TMRUListX::SetLimit).Default(100);
    P.Strings("Items", &TMRUListX::Items, &TMRUListX::SetItems);
    P.Integer("Rows", &TMRUListX::Rows, &TMRUListX::SetRows).Default(7);
  }
  explicit TMRUListX(TPersistent* AOwner);
  ~TMRUListX() override;

  bool Active() const { return FActive; }
  void SetActive(bool Value);
  bool AutoAdd() const { return FAutoAdd; }
  void SetAutoAdd(bool Value) { FAutoAdd = Value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value) { FCaseSensitive = Value; }
  TStrings* Items() const { return FItems.get(); }
  // Copies the strings, then keeps only the newest Limit of them.
  void SetItems(TStrings* Value);
  int Limit() const { return FLimit; }
  // A negative limit counts as 0. Lowering it drops the oldest entries.
  void SetLimit(int Value);
  int Rows() const { return FRows; }
  void SetRows(int Value) { FRows = Value; }

  // Moves an equal entry to the end, or appends the text and drops the oldest beyond Limit. A text of
  // blanks and control characters only is not remembered.
  void AddEntry(const std::string& Text);
  // Fills Target with the entries beginning with Text. False when a waiting key-down stopped the pass.
  bool GetMatchingItems(TStrings* Target, const std::string& Text);

  virtual void CloseList(bool Accept);
  virtual void OpenList();
  void Assign(TPersistent* Source) override;

  TPersistent* Owner() const { return FOwner; }
  std::function<void(TObject* Sender, bool Accept)> OnCloseList;
  std::function<void(TObject* Sender)> OnOpenList;
  std::function<void(TObject* Sender)> OnActiveChange;
  std::function<void(TObject* Sender, const std::string& Item, bool& Accept)> OnItemFilter;
  bool StopOnPendingKey = true;
  bool DroppedDown = false;
  // The width the user dragged the drop-down to (0: none yet); kept by the owner, not stored.
  int Width = 0;

 private:
  void TrimToLimit();
  TPersistent* FOwner;
  bool FActive = false;
  bool FAutoAdd = true;
  bool FCaseSensitive = false;
  std::unique_ptr<TStringList> FItems;
  int FLimit = 100;
  int FRows = 7;
};

// The drop-down that shows the matching entries: a pick list with a scroll bar of its own, kept
// beside the size grip so that the grip can sit in a corner.
class TMRUListboxX : public TPopupListboxX {
  DECLARE_CLASS(TMRUListboxX, TPopupListboxX)
  explicit TMRUListboxX(TComponent* AOwner);
  TScrollBar* ScrollBar() const { return FScrollBar; }
  // Places the scroll bar at the right edge beside the grip and shows it only when not every item
  // fits; the grip is square where it closes the scroll bar's column.
  void UpdateScrollBar();
  void Dispatch(TMessage& Message) override;

 protected:
  void Resize() override;

 private:
  TScrollBar* FScrollBar;
  bool FLock = false;
};
