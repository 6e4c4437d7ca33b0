// RTF export: colour and font tables, table rows for titles, records and footers.
#include "datagrid/DBGridXRtf.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

std::string ColorKey(TColor Color) {
  const uint32_t C = static_cast<uint32_t>(ColorToRGB(Color));
  char Buf[16];
  std::snprintf(Buf, sizeof Buf, "%3d%3d%3d", int(C & 0xFF), int((C >> 8) & 0xFF), int((C >> 16) & 0xFF));
  return Buf;
}

std::string Trimmed(const std::string& S) {
  const size_t B = S.find_first_not_of(' ');
  return B == std::string::npos ? std::string() : S.substr(B);
}

// One UTF-8 character from S at I (advances I); U+FFFD for a byte that starts no valid sequence.
char32_t DecodeUtf8(const std::string& S, size_t& I) {
  const auto B = [&](size_t k) { return static_cast<unsigned char>(S[k]); };
  const unsigned char C0 = B(I);
  int N = 0;
  char32_t Cp = 0;
  if (C0 >= 0xC2 && C0 <= 0xDF) {
    N = 1;
    Cp = C0 & 0x1F;
  } else if (C0 >= 0xE0 && C0 <= 0xEF) {
    N = 2;
    Cp = C0 & 0x0F;
  } else if (C0 >= 0xF0 && C0 <= 0xF4) {
    N = 3;
    Cp = C0 & 0x07;
  } else {
    ++I;
    return 0xFFFD;
  }
  if (I + static_cast<size_t>(N) >= S.size()) {
    ++I;
    return 0xFFFD;
  }
  for (int k = 1; k <= N; ++k) {
    const unsigned char Ck = B(I + static_cast<size_t>(k));
    if ((Ck & 0xC0) != 0x80) {
      ++I;
      return 0xFFFD;
    }
    Cp = (Cp << 6) | (Ck & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not characters.
  if ((N == 2 && Cp < 0x800) || (N == 3 && (Cp < 0x10000 || Cp > 0x10FFFF)) || (Cp >= 0xD800 && Cp <= 0xDFFF)) {
    ++I;
    return 0xFFFD;
  }
  I += static_cast<size_t>(N) + 1;
  return Cp;
}

void AppendInt(std::string& Out, int Value) {
  char Buf[16];
  const auto R = std::to_chars(Buf, Buf + sizeof Buf, Value);
  Out.append(Buf, R.ptr);
}

void AppendUnicodeEscape(std::string& Out, unsigned Unit) {
  // \uN takes a signed 16-bit number; "?" is what readers without Unicode show. The blank ends the
  // number (some readers take a "?" right after the digits as the end of the word and skip one more).
  Out += "\\u";
  Out += std::to_string(static_cast<int>(static_cast<int16_t>(static_cast<uint16_t>(Unit))));
  Out += " ?";
}

// An unnamed file that goes away with its handle.
class TGatherFile : public THandleStream {
 public:
  explicit TGatherFile(int Fd) : THandleStream(Fd) {}
  ~TGatherFile() override { ::close(FHandle); }
  // A write that fails (a full disk) raises with the system's reason, as the file's own writes do.
  int64_t Write(const void* Buffer, int64_t Count) override {
    const char* P = static_cast<const char*>(Buffer);
    for (int64_t Done = 0; Done < Count;) {
      const ssize_t N = ::write(FHandle, P + Done, static_cast<size_t>(Count - Done));
      if (N < 0 && errno == EINTR) continue;
      if (N < 0) throw EWriteError(std::strerror(errno));
      Done += N;
    }
    return Count;
  }
};

}  // namespace

void TDBGridXExportAsRTF::AppendRtfText(std::string& Out, const std::string& Text) {
  size_t I = 0;
  while (I < Text.size()) {
    const unsigned char C = static_cast<unsigned char>(Text[I]);
    if (C < 0x80) {
      ++I;
      switch (C) {
        case '\\': Out += "\\\\"; break;
        case '{': Out += "\\{"; break;
        case '}': Out += "\\}"; break;
        case '\t': Out += "\\tab "; break;
        case '\r':
          if (I < Text.size() && Text[I] == '\n') ++I;
          Out += "\\line ";
          break;
        case '\n': Out += "\\line "; break;
        default:
          if (C < 0x20) {
            char Buf[8];
            std::snprintf(Buf, sizeof Buf, "\\'%02x", unsigned(C));
            Out += Buf;
          } else {
            Out.push_back(static_cast<char>(C));
          }
      }
      continue;
    }
    const char32_t Cp = DecodeUtf8(Text, I);
    if (Cp >= 0x10000) {
      const unsigned V = static_cast<unsigned>(Cp) - 0x10000;
      AppendUnicodeEscape(Out, 0xD800 + (V >> 10));
      AppendUnicodeEscape(Out, 0xDC00 + (V & 0x3FF));
    } else {
      AppendUnicodeEscape(Out, static_cast<unsigned>(Cp));
    }
  }
}

int TDBGridXExportAsRTF::ColorTableIndex(TColor Color) {
  for (const auto& [Seen, Index] : FColorsSeen)
    if (Seen == Color && Index < static_cast<int>(FColorTable.size())) return Index;
  const std::string Key = ColorKey(Color);
  int Index = -1;
  for (size_t i = 0; i < FColorTable.size() && Index < 0; ++i)
    if (FColorTable[i] == Key) Index = static_cast<int>(i);
  if (Index < 0) {
    FColorTable.push_back(Key);
    Index = static_cast<int>(FColorTable.size()) - 1;
  }
  if (FColorsSeen.size() < 64) FColorsSeen.emplace_back(Color, Index);
  return Index;
}

int TDBGridXExportAsRTF::FontTableIndex(const std::string& Name) {
  if (FLastFontIndex >= 0 && FLastFontIndex < static_cast<int>(FFontTable.size()) && Name == FLastFontName)
    return FLastFontIndex;
  int Index = -1;
  for (size_t i = 0; i < FFontTable.size() && Index < 0; ++i)
    if (AnsiSameText(FFontTable[i], Name)) Index = static_cast<int>(i);
  if (Index < 0) {
    FFontTable.push_back(Name);
    Index = static_cast<int>(FFontTable.size()) - 1;
  }
  FLastFontName = Name;
  FLastFontIndex = Index;
  return Index;
}

const char* TDBGridXExportAsRTF::RtfAlignmentWord(TAlignment Alignment) {
  switch (Alignment) {
    case taRightJustify: return "\\qr";
    case taCenter: return "\\qc";
    default: return "\\ql";
  }
}

int TDBGridXExportAsRTF::Ppi() const { return FPpi; }
int TDBGridXExportAsRTF::Spacing() const { return DBGridX && DBGridX->Flat() ? 12 : 24; }

void TDBGridXExportAsRTF::PutRtfRun(TFont* Font, const std::string& Text, TColor Background) {
  // Straight into the output buffer: a run is written for every cell.
  std::string& S = Buffer();
  S += "\\fs";
  AppendInt(S, Font->Size() * 2);
  const TFontStyles St = Font->Style();
  if (St.Contains(fsBold)) S += "\\b";
  if (St.Contains(fsItalic)) S += "\\i";
  if (St.Contains(fsStrikeOut)) S += "\\strike";
  if (St.Contains(fsUnderline)) S += "\\ul";
  S += "\\f";
  AppendInt(S, FontTableIndex(Font->Name()));
  S += "\\cf";
  AppendInt(S, ColorTableIndex(Font->Color()));
  S += "\\cb";
  AppendInt(S, ColorTableIndex(Background));
  S += ' ';
  AppendRtfText(S, Text);
  FlushIfFull();
}

std::string TDBGridXExportAsRTF::CellShading(int ColorIndex) {
  const std::string N = std::to_string(ColorIndex);
  return "\\clcfpat" + N + "\\clcbpat" + N;
}

void TDBGridXExportAsRTF::WriteRtfCellBorders(bool Left, bool Top, bool Right, bool Bottom) {
  if (Left) PutRtfLine("\\clbrdrl\\brdrs\\brdrcf0");
  if (Top) PutRtfLine("\\clbrdrt\\brdrs\\brdrcf0");
  if (Bottom) PutRtfLine("\\clbrdrb\\brdrs\\brdrcf0");
  if (Right) PutRtfLine("\\clbrdrr\\brdrs\\brdrcf0");
}

std::vector<int> TDBGridXExportAsRTF::CellEdges(const TColumnsXList& Columns) const {
  std::vector<int> Edges;
  int Pos = 0;
  for (TColumnX* Col : Columns) {
    // Each cell's width is converted on its own, so fractions drop per cell.
    Pos += static_cast<int>(static_cast<int64_t>(Col->Width()) * 1440 / Ppi());
    Edges.push_back(Pos);
  }
  return Edges;
}

const std::vector<int>& TDBGridXExportAsRTF::RecordEdges(const TColumnsXList& Columns) {
  if (FEdgesOf != &Columns || FEdges.size() != Columns.size()) {
    FEdges = CellEdges(Columns);
    FEdgesOf = &Columns;
  }
  return FEdges;
}

void TDBGridXExportAsRTF::EmitRecord(const TColumnsXList& Columns) {
  PutRtfLine("\\trowd\\trgaph40");
  const std::vector<int>& Edges = RecordEdges(Columns);
  for (size_t i = 0; i < Columns.size(); ++i) {
    WriteRtfCellBorders(true, true, true, true);
    // The row's shading: the column's colour as the grid's cell handler leaves it.
    const TColor Back = DataCellBackground(Columns, static_cast<int>(i));
    const int Shade = ColorTableIndex(Back);
    std::string& B = Buffer();
    B += "\\clcfpat";
    AppendInt(B, Shade);
    B += "\\clcbpat";
    AppendInt(B, Shade);
    B += "\\cellx";
    AppendInt(B, Edges[i]);
    PutRtfLine("");
  }
  PutRtfLine("{\\trrh0");
  TDBGridXExport::EmitRecord(Columns);
  PutRtfLine("\\pard\\intbl\\row}");
}

void TDBGridXExportAsRTF::EmitDataCell(TColumnX* Column, TExportCellParamsX& Params) {
  (void)Column;
  const int Sp = Spacing();
  std::string& B = Buffer();
  B += "\\pard\\intbl{";
  B += RtfAlignmentWord(Params.Alignment);
  B += "\\sb";
  AppendInt(B, Sp);
  B += "\\sa";
  AppendInt(B, Sp);
  PutRtfRun(Params.Font, Params.Text, Params.Background);
  PutRtfLine("\\cell}");
}

TColor TDBGridXExportAsRTF::DataCellBackground(const TColumnsXList& Columns, int I) {
  TColumnX* Col = Columns[static_cast<size_t>(I)];
  TColor Back = Col->Color();
  if (DBGridX->OnGetCellParams) {
    TFont F;
    F.Assign(Col->Font());
    DBGridX->DoGetCellParams(Col, &F, Back, TGridDrawState());
  }
  return Back;
}

TColor TDBGridXExportAsRTF::FooterCellBackground(const TColumnsXList& Columns, int I, int FooterNo) {
  // The footer cell's colour as the footer row's cells get it: the footer's, then the grid's handler,
  // so that the cell shading and the run background of a handler-coloured footer agree.
  TColumnX* Col = Columns[static_cast<size_t>(I)];
  const TExportFooterX& Ft = FooterAt(FooterNo, I);
  TColor Back = Ft.Color;
  if (DBGridX->OnGetFooterParams) {
    TFont F;
    F.Assign(Ft.Font ? Ft.Font : DBGridX->FooterFont());
    TAlignment Alignment = Ft.Alignment;
    std::string Text = FormatExportFooterValue(FooterNo, I, Ft);
    DBGridX->DoGetFooterParams(Col->Index(), FooterNo, Col, &F, Back, Alignment, TGridDrawState(), Text);
  }
  return Back;
}

void TDBGridXExportAsRTF::EmitFooter(const TColumnsXList& Columns, int FooterNo) {
  PutRtfLine("\\trowd\\trgaph40");
  const std::vector<int> Edges = CellEdges(Columns);
  for (size_t i = 0; i < Columns.size(); ++i) {
    WriteRtfCellBorders(true, true, true, true);
    PutRtfLine(CellShading(ColorTableIndex(FooterCellBackground(Columns, static_cast<int>(i), FooterNo))) +
               "\\cellx" + std::to_string(Edges[i]));
  }
  PutRtfLine("{\\trrh0");
  TDBGridXExport::EmitFooter(Columns, FooterNo);
  PutRtfLine("\\pard\\intbl\\row}");
}

void TDBGridXExportAsRTF::EmitFooterCell(int DataCol, int Row, const std::string& Text, TAlignment Alignment,
                                         TColor Background, TFont* Font, TColumnX* Column) {
  (void)DataCol; (void)Row; (void)Column;
  const std::string Sp = std::to_string(Spacing());
  PutRtf(std::string("\\pard\\intbl{") + RtfAlignmentWord(Alignment) + "\\sb" + Sp + "\\sa" + Sp);
  PutRtfRun(Font, Text, Background);
  PutRtfLine("\\cell}");
}

void TDBGridXExportAsRTF::EmitTitle(const TColumnsXList& Columns) {
  bool Tree = DBGridX->UseMultiTitle() && DBGridX->TitleTree();
  // A grid whose title tree is not laid out yet writes its captions in one row.
  for (TColumnX* Col : Columns)
    if (Tree && !DBGridX->TitleColumnNode(Col->Index())) Tree = false;
  if (Tree) {
    EmitMultiLevelTitle(Columns);
    return;
  }
  PutRtfLine("\\trowd\\trgaph40");
  const std::vector<int> Edges = CellEdges(Columns);
  for (size_t i = 0; i < Columns.size(); ++i) {
    WriteRtfCellBorders(true, true, true, true);
    PutRtfLine(CellShading(ColorTableIndex(Columns[i]->Title()->Color())) + "\\cellx" + std::to_string(Edges[i]));
  }
  PutRtfLine("{\\trrh0");
  const std::string Sp = std::to_string(Spacing());
  for (TColumnX* Col : Columns) {
    TColumnTitleX* T = Col->Title();
    PutRtf(std::string("\\pard\\intbl{") + RtfAlignmentWord(T->Alignment()) + "\\sb" + Sp + "\\sa" + Sp);
    PutRtfRun(T->Font(), T->Caption(), T->Color());
    PutRtfLine("\\cell}");
  }
  PutRtfLine("\\pard\\intbl\\row}");
}

void TDBGridXExportAsRTF::EmitMultiLevelTitle(const TColumnsXList& Columns) {
  const size_t NC = Columns.size();
  // Title levels: level 0 holds each column's leaf, each level above the nodes one step up, moving the
  // columns whose accumulated height is lowest first so that bands of equal height line up.
  std::vector<std::vector<THeadTreeNode*>> Levels;
  std::vector<THeadTreeNode*> Node(NC, nullptr);
  std::vector<int> Acc(NC, 0);
  THeadTreeNode* Root = DBGridX->TitleTree();
  for (size_t c = 0; c < NC; ++c) {
    Node[c] = DBGridX->TitleColumnNode(Columns[c]->Index());
    Acc[c] = Node[c] ? Node[c]->Height : 0;
  }
  for (;;) {
    Levels.push_back(Node);
    int MinH = INT32_MAX;
    for (size_t c = 0; c < NC; ++c) MinH = std::min(MinH, Acc[c]);
    bool Moved = false;
    for (size_t c = 0; c < NC; ++c) {
      THeadTreeNode* N = Node[c];
      if (Acc[c] == MinH && N && N->Parent && N->Parent != Root) {
        Node[c] = N->Parent;
        Acc[c] += N->Parent->Height;
        Moved = true;
      }
    }
    if (!Moved) break;
  }
  const int NL = static_cast<int>(Levels.size());
  // Spans and inner borders, worked out top-down: a position covered by a span above is empty.
  struct TPos {
    THeadTreeNode* Node = nullptr;
    bool Covered = false;
    bool L = true, T = true, R = true, B = true;
  };
  std::vector<std::vector<TPos>> Grid(static_cast<size_t>(NL), std::vector<TPos>(NC));
  for (int L = NL - 1; L >= 0; --L)
    for (size_t c = 0; c < NC; ++c) Grid[static_cast<size_t>(L)][c].Node = Levels[static_cast<size_t>(L)][c];
  for (int L = NL - 1; L >= 0; --L) {
    for (size_t c = 0; c < NC; ++c) {
      TPos& P = Grid[static_cast<size_t>(L)][c];
      if (P.Covered || !P.Node) continue;
      int Rows = 1;
      while (L - Rows >= 0 && Levels[static_cast<size_t>(L - Rows)][c] == P.Node) ++Rows;
      size_t Cols = 1;
      while (c + Cols < NC && Levels[static_cast<size_t>(L)][c + Cols] == P.Node) ++Cols;
      const int Low = L - Rows + 1;
      for (int l = L; l >= Low; --l)
        for (size_t k = c; k < c + Cols; ++k) {
          TPos& Q = Grid[static_cast<size_t>(l)][k];
          if (l != L || k != c) Q.Covered = true;
          if (k != c) Q.L = false;
          if (k != c + Cols - 1) Q.R = false;
          if (l != L) Q.T = false;
          if (l != Low) Q.B = false;
        }
    }
  }
  const std::vector<int> Edges = CellEdges(Columns);
  const int Margin = TitleMargin >= 0 ? TitleMargin : DBGridX->VTitleMargin();
  const int Sp = static_cast<int>(std::abs(std::trunc(static_cast<double>(Margin / 2) / Ppi() * 1440.0 - 20)));
  const std::string SpS = std::to_string(Sp);
  for (int L = NL - 1; L >= 0; --L) {
    const bool Bottom = L == 0;
    PutRtfLine("\\trowd\\trgaph40");
    for (size_t c = 0; c < NC; ++c) {
      const TPos& P = Grid[static_cast<size_t>(L)][c];
      WriteRtfCellBorders(P.L, P.T, P.R, P.B);
      const TColor Shade = Bottom ? Columns[c]->Title()->Color() : DBGridX->FixedColor();
      PutRtfLine(CellShading(ColorTableIndex(Shade)) + "\\cellx" + std::to_string(Edges[c]));
    }
    PutRtfLine("{\\trrh0");
    for (size_t c = 0; c < NC; ++c) {
      const TPos& P = Grid[static_cast<size_t>(L)][c];
      const bool HasText = !P.Covered && P.Node;
      PutRtf(HasText ? "\\pard\\intbl{\\qc\\sb" + SpS + "\\sa" + SpS : std::string("\\pard\\intbl{\\qc"));
      const std::string Text = HasText ? P.Node->Caption : std::string();
      if (Bottom)
        PutRtfRun(Columns[c]->Title()->Font(), Text, Columns[c]->Title()->Color());
      else
        PutRtfRun(DBGridX->TitleFont(), Text, DBGridX->FixedColor());
      PutRtfLine("\\cell}");
    }
    PutRtfLine("\\pard\\intbl\\row}");
  }
}

void TDBGridXExportAsRTF::ExportStream(TStream* S, bool IsExportAll) {
  FColorTable.clear();
  FFontTable.clear();
  FColorsSeen.clear();
  FLastFontIndex = -1;
  FEdgesOf = nullptr;
  FEdges.clear();
  FPpi = PixelsPerInch;
  if (FPpi <= 0) {
    FPpi = 96;
    if (DBGridX && DBGridX->HandleAllocated()) {
      const int D = GetDeviceCaps(DBGridX->Canvas()->Handle(), LOGPIXELSX);
      if (D > 0) FPpi = D;
    }
  }
  ColorTableIndex(clBlack);
  ColorTableIndex(clWhite);
  ColorTableIndex(clBtnFace);
  auto Head = [&] {
    std::string H = "{\\rtf1\\ansi\\ansicpg1252\\uc1\r\n{\\colortbl";
    for (const std::string& K : FColorTable)
      H += "\\red" + Trimmed(K.substr(0, 3)) + "\\green" + Trimmed(K.substr(3, 3)) + "\\blue" +
           Trimmed(K.substr(6, 3)) + ";";
    H += "}\r\n{\\fonttbl";
    for (size_t k = 0; k < FFontTable.size(); ++k) {
      H += "\\f" + std::to_string(k) + "\\fnil ";
      AppendRtfText(H, FFontTable[k]);
      H += ";";
    }
    H += "}\r\n";
    return H;
  };
  if (auto* Sink = dynamic_cast<TStringSinkStream*>(S)) {
    // Into a buffer: the body is made in place and the tables are put in front of it.
    const size_t Start = Sink->Bytes().size();
    TDBGridXExport::ExportStream(S, IsExportAll);
    Sink->Bytes().insert(Start, Head());
    Sink->Bytes().push_back('}');
  } else {
    // The body waits for the tables: in an unnamed file beside the exported file when there is one (a
    // large export is not held in memory), else in memory.
    std::unique_ptr<TStream> Cache;
    if (!GatherFolder.empty()) {
      const int Fd = ::open(GatherFolder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
      if (Fd >= 0) Cache = std::make_unique<TGatherFile>(Fd);
    }
    if (!Cache) Cache = std::make_unique<TMemoryStream>();
    TDBGridXExport::ExportStream(Cache.get(), IsExportAll);
    // Only a finished walk reaches the target stream.
    const std::string H = Head();
    S->WriteBuffer(H.data(), static_cast<int64_t>(H.size()));
    if (auto* M = dynamic_cast<TMemoryStream*>(Cache.get())) {
      if (M->Size() > 0) S->WriteBuffer(M->Memory(), M->Size());
    } else {
      const int64_t Total = Cache->Size();
      Cache->SetPosition(0);
      std::vector<char> Block(1 << 20);
      for (int64_t Done = 0; Done < Total;) {
        const int64_t N = std::min<int64_t>(static_cast<int64_t>(Block.size()), Total - Done);
        Cache->ReadBuffer(Block.data(), N);
        S->WriteBuffer(Block.data(), N);
        Done += N;
      }
    }
    S->WriteBuffer("}", 1);
  }
  FColorTable.clear();
  FFontTable.clear();
  FColorsSeen.clear();
  FLastFontIndex = -1;
  FEdgesOf = nullptr;
}
