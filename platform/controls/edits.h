#pragma once
// Edits: TCustomEdit, the edit window with caret, selection, clipboard and undo (one line, or several
// with ES_MULTILINE), and TCustomMaskEdit, the edit that holds its text to an edit mask
// (platform/controls/masks.h).
//
// TCustomEdit behaves as the system's edit window does, at the message level: its DefaultHandler is
// the edit's window procedure. Key and character messages reach it after KeyDown/KeyPress left them
// alone; EM_ messages, WM_CUT/COPY/PASTE/CLEAR/UNDO and WM_SETTEXT act on the text; every change of
// the text sends EN_CHANGE to the parent window in a WM_COMMAND, which the parent control reflects
// back as CN_COMMAND, and that runs Change (OnChange). So a descendant sees a change the way the
// class library's descendants do, and a message sent by code works like one typed by the user.
//
// Positions (SelStart, SelLength, EM_SETSEL, EM_GETSEL, EM_CHARFROMPOS) count whole characters (code
// points) of the UTF-8 text; CaretPos alone is a byte offset. EM_SETSEL takes (anchor, caret): a start
// above the end selects backwards, with the caret at the lower end; -1 as start removes the selection,
// -1 as end means the end of the text.
//
// The inherited behaviour this layer defines:
// - The caret is the window's system caret while the edit has the focus; it blinks every 530 ms on
//   the queue's clock (the edit's own window timer) and is shown steadily again after every move.
// - Keys: Left/Right (Ctrl: by words), Home/End, with Shift extending the selection; Delete deletes
//   the selection or the next character; Shift+Delete cuts, Ctrl+Insert copies, Shift+Insert pastes.
//   Characters: Backspace deletes backwards; Ctrl+A selects all, Ctrl+C copies, Ctrl+V pastes, Ctrl+X
//   cuts, Ctrl+Z undoes; other control characters are ignored. A read-only edit moves and copies only.
// - MaxLength (0: no limit) bounds typing and pasting; what does not fit is dropped with a beep and
//   EN_MAXTEXT to the parent. WM_SETTEXT and SetText are not bounded, as with the system's edit.
// - Undo holds one step; typing in a row is one step; undoing twice redoes.
// - Modified is set by changes the user makes (typing, paste, cut, clear, undo, EM_REPLACESEL) and
//   cleared by SetText/WM_SETTEXT.
// - bsSingle gives the window a client edge (WS_EX_CLIENTEDGE) on which the edit paints the theme's
//   sunken field frame (WM_NCPAINT); ClientRect and ClientOrigin are those of the area inside it. With
//   Ctl3D off the border is a single line (WS_BORDER) that the edit, like the system's, draws in
//   clWindowFrame inside its client area, with the default formatting rectangle one pixel inside it.
// - The formatting rectangle is the client area unless EM_SETRECT/EM_SETRECTNP set one; the left and
//   right margins (EM_SETMARGINS, default 1 pixel) lie inside it. A one-line edit centres its line
//   vertically in a default rectangle and puts it at the top of one set by message. ES_RIGHT and
//   ES_CENTER place a line that fits; longer text scrolls sideways with the caret.
// - Reading direction: WS_EX_RTLREADING lays each line out by the bidirectional rules reading right to
//   left (caret, clicks and selection follow the layout; Left moves forward, Right back); WS_EX_RIGHT
//   aligns like ES_RIGHT. A control asks for them through its BiDiMode (TWinControl::CreateParams).
// - ES_ styles (alignment, ES_MULTILINE, ES_AUTOHSCROLL, ES_PASSWORD, ES_UPPERCASE, ES_LOWERCASE,
//   ES_READONLY, ES_NOHIDESEL) are read when the window is made; RecreateWnd applies changed ones.
// - A multi-line edit (ES_MULTILINE) shows lines broken at CR LF (or a lone LF or CR), wrapped at the
//   formatting rectangle's width after the last blank that fits unless ES_AUTOHSCROLL is set; Return
//   inserts CR LF and Tab a tab; Up/Down/PageUp/PageDown keep the caret's x, Home/End go to the line's
//   ends (with Ctrl to the text's); it scrolls by lines to keep the caret in view (EM_GETFIRSTVISIBLELINE)
//   and answers EM_GETLINECOUNT, EM_LINEINDEX, EM_LINELENGTH and EM_LINEFROMCHAR. It takes no AutoSelect.
// - AutoSelect selects the whole text when the edit takes the focus by keyboard (not by a click) and
//   is single-line.
// - WM_GETDLGCODE: DLGC_WANTCHARS, DLGC_WANTARROWS and DLGC_HASSETSEL, plus DLGC_WANTALLKEYS for a
//   multi-line edit. The form leaves Return and Tab to an edit whose answer (its own or a descendant's)
//   has DLGC_WANTALLKEYS (Tab also with DLGC_WANTTAB); Escape always goes to the form.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/controls/masks.h"

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

class TCustomEdit : public TWinControl {
  DECLARE_CLASS(TCustomEdit, TWinControl)
  explicit TCustomEdit(TComponent* AOwner);
  ~TCustomEdit() override;

  std::string Text() const override;
  void SetText(const std::string& Value) override;

  int SelStart() const;
  int SelLength() const;
  void SetSelStart(int Value);
  void SetSelLength(int Value);
  std::string SelText() const;
  // Replaces the selection (as EM_REPLACESEL does).
  void SetSelText(const std::string& Value);
  void SelectAll();
  void ClearSelection();
  void Clear() { SetText(""); }
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  void Undo();
  bool CanUndo() const { return FUndoValid; }
  void ClearUndo() { FUndoValid = false; }
  // Byte offset of the caret into Text.
  int CaretPos() const;
  // Character index of the caret (the active end of the selection).
  int CaretIndex() const { return static_cast<int>(FCaret); }

  int MaxLength() const { return FMaxLength; }
  virtual void SetMaxLength(int Value);
  // The property; the window's own read-only state (EM_SETREADONLY) can differ from it, and that state
  // decides what the user may change.
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool WindowReadOnly() const { return FWindowReadOnly; }
  void SetWindowReadOnly(bool Value);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value);
  char32_t PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char32_t Value);
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value) { FAutoSelect = Value; }
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  bool Modified() const { return FModified; }
  void SetModified(bool Value) { FModified = Value; }
  // Off by default here: on, the height follows the font (text height + 8 with a border, + 2 without).
  bool AutoSize() const { return AutoSizeEnabled(); }
  virtual void SetAutoSize(bool Value) { SetAutoSizeFlag(Value); }
  // bsSingle (1) draws the sunken field frame; bsNone (0) draws no frame.
  int BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(int Value);
  // Whether the text line is scrolled (pixels hidden at the left).
  int ScrollOffset() const { return FScroll; }
  // The caret blink phase: true while the caret is drawn (for tests and painting).
  bool CaretShown() const { return FCaretCreated && FCaretOn; }

  // The client area inside the border (a bsSingle edit has a two-pixel client edge).
  TRect ClientRect() const override;
  TPoint ClientOrigin() const override;

  TNotifyEvent OnChange;

  void DefaultHandler(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void PaintWindow(HDC DC) override;
  void EraseBackground(HDC DC) override;
  void Dispatch(TMessage& Message) override;
  void DoEnter() override;
  void FontChanged() override;
  void Resize() override;
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;
  // The dialog keys the edit keeps, as its WM_GETDLGCODE answers (so a descendant's answer counts).
  bool WantsKey(WORD Key, TShiftState Shift) override;
  virtual void Change();

  // The text as the edit holds it, one character per element. A mask edit holds its edit text here.
  const std::u32string& Chars() const { return FChars; }
  // Replaces the whole text (no EN_CHANGE when it is unchanged); the selection collapses at CaretAt.
  // A user change is one undo step (merged with the typing before it when MergeUndo) and sets Modified;
  // a change by code clears both.
  void StoreText(const std::u32string& Value, size_t CaretAt, bool UserChange, bool MergeUndo = false);
  // Replaces the selection with S as the user would (MaxLength, ReadOnly, CharCase, undo, Modified);
  // returns false when nothing changed.
  bool ReplaceSelection(const std::u32string& S, bool UserChange, bool MergeUndo = false);
  // Sets anchor and caret (character indexes, clamped) and shows the caret there.
  void SetSelection(size_t Anchor, size_t Caret);
  size_t Anchor() const { return FAnchor; }
  size_t Caret() const { return FCaret; }
  // Saves the state for one undo step.
  void SaveUndo(bool Merge);
  // The clipboard's text, or false when it holds none.
  static bool ClipboardText(std::string& Text);
  static void SetClipboardText(const std::string& Text);
  // One line as shown: characters [Start, End), the line break not included. A one-line edit has one.
  struct TEditLine {
    size_t Start, End;
  };
  std::vector<TEditLine> Lines();
  int LineOf(const std::vector<TEditLine>& L, size_t Index) const;
  bool IsMultiLine() const { return (FEditStyle & ES_MULTILINE) != 0; }
  bool Wraps() const { return IsMultiLine() && !(FEditStyle & ES_AUTOHSCROLL); }
  // Character index nearest a client point (the line it is on in Line), and the point of a character.
  size_t CharAtPoint(int X, int Y, int* Line = nullptr);
  size_t CharFromX(int X);
  POINT PointOfChar(size_t Index);
  // The text rectangle after margins, the top of the first shown line, the x where a line starts.
  RECT TextRect();
  int TextTop();
  int LineOriginX(int Width);
  // The window reads right to left (WS_EX_RTLREADING): lines are laid out by the bidirectional rules
  // from the right, Left and Right step the other way through the text.
  bool ReadsRightToLeft() const;
  // ES_RIGHT, or WS_EX_RIGHT unless ES_CENTER: lines that fit stand at the right.
  bool AlignsRight() const;
  DWORD EditStyle() const { return FEditStyle; }
  // Sends a notification (EN_CHANGE, EN_MAXTEXT) through the parent, or straight back as CN_COMMAND
  // without a parent window.
  void NotifyChange(WORD Code = EN_CHANGE);
  void UpdateCaret();

 private:
  class TMeasure;
  std::u32string DisplayChars() const;
  void PaintRightToLeftSelection(HDC DC, TMeasure& M, const TEditLine& Line, size_t From, size_t To, bool ThroughBreak,
                                 int X0, int Y, const std::string& Text);
  void ScrollToCaret();
  void CreateSystemCaret();
  void DestroySystemCaret();
  void RestartBlink();
  void KeyAction(WORD Key, TShiftState Shift);
  void CharAction(char32_t Ch);
  void DeleteForward();
  void DeleteBackward();
  size_t WordLeft(size_t Pos) const;
  size_t WordRight(size_t Pos) const;
  void SyncWindowText();
  // After FChars changed: the window text, scroll position, picture and caret follow, then EN_CHANGE.
  void AfterTextEdit();
  int TextHeight();

  std::u32string FChars;
  size_t FCaret = 0;   // active end of the selection
  size_t FAnchor = 0;  // fixed end of the selection
  int FScroll = 0;     // pixels of text hidden at the left
  int FTopLine = 0;    // first line shown (multi-line)
  int FMaxLength = 0;
  bool FReadOnly = false;
  bool FWindowReadOnly = false;
  TEditCharCase FCharCase = ecNormal;
  char32_t FPasswordChar = 0;
  bool FAutoSelect = true;
  bool FHideSelection = true;
  bool FModified = false;
  int FBorderStyle = 1;
  DWORD FEditStyle = 0;  // ES_ bits of the window as made
  bool FRectSet = false;
  bool FFlatBorder = false;  // a single-line border (WS_BORDER) drawn inside the client area
  RECT FFormatRect{0, 0, 0, 0};
  int FLeftMargin = 1, FRightMargin = 1;
  // One undo step.
  std::u32string FUndoChars;
  size_t FUndoCaret = 0, FUndoAnchor = 0;
  bool FUndoValid = false;
  bool FLastWasTyping = false;
  TTypedCharJoiner FTypedChars;
  bool FCaretCreated = false;
  bool FCaretOn = false;
  bool FSelectingWithMouse = false;
};

class TEdit : public TCustomEdit {
  DECLARE_CLASS(TEdit, TCustomEdit)
  explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};

// ---------------------------------------------------------------------------------------------------

// An edit held to an edit mask. While EditMask is empty it is a plain edit. With a mask the edit holds
// its edit text (every position of the mask); Text is read and written through the mask's rules;
// typing overwrites the position at the caret and the caret skips literals; a character that does not
// fit its position beeps and is dropped; Backspace and Delete blank positions instead of closing up.
// Pasting types the clipboard's characters from the caret and stops at the first one that does not
// fit. Escape undoes the changes made since the edit took the focus (Reset). Leaving the edit checks
// the mask (ValidateEdit): an incomplete mask keeps the focus in the edit with the caret on the first
// missing position and raises EDBEditError.
class TCustomMaskEdit : public TCustomEdit {
  DECLARE_CLASS(TCustomMaskEdit, TCustomEdit)
  explicit TCustomMaskEdit(TComponent* AOwner);

  const std::string& EditMask() const { return FEditMask; }
  virtual void SetEditMask(const std::string& Value);
  // Puts the caret at Pos; on a literal of the mask it moves on to the next input position (or behind
  // the last one).
  void MoveCaretTo(int Pos);
  bool IsMasked() const { return !FMask.Empty(); }
  const TEditMaskFormat& MaskFormat() const { return FMask; }
  // The text with literals and blanks, as shown.
  std::string EditText() const;
  void SetEditText(const std::string& Value);
  std::string Text() const override;
  void SetText(const std::string& Value) override;
  void SetMaxLength(int Value) override;

  // Raises EDBEditError (with the caret on the first missing position) when the user changed the
  // text and a required position is blank.
  virtual void ValidateEdit();
  // Back to the text the edit had when it took the focus.
  virtual void Reset();

 protected:
  // Asked before every change the user makes to a masked edit; false refuses the change.
  virtual bool EditCanModify() { return true; }
  virtual void ValidateError();
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(WideChar& Key) override;
  void Dispatch(TMessage& Message) override;
  void DoEnter() override;
  void DoExit() override;
  // A click that leaves the caret on a literal moves it on to the next input position.
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  // Types one character at the caret (a masked edit); false when it does not fit.
  bool TypeMaskChar(char32_t Ch);
  // Blanks the input positions in [From, To).
  void BlankRange(size_t From, size_t To);
  void MaskArrowKeys(WORD Key, TShiftState Shift);

 private:
  void PasteIntoMask(const std::string& Text);
  std::string FEditMask;
  TEditMaskFormat FMask;
  std::u32string FOldValue;  // the edit text when the edit took the focus
  TTypedCharJoiner FTypedChars;
  bool FReentering = false;  // the focus is being taken back after a failed check
};

class TMaskEdit : public TCustomMaskEdit {
  DECLARE_CLASS(TMaskEdit, TCustomMaskEdit)
  explicit TMaskEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {}
};
