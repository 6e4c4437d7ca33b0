// Text output and measurement: TextOut, ExtTextOut, DrawText, extents and metrics.
#include <QFontInfo>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QRawFont>
#include <QString>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/win/gdi_painter.h"

using namespace win::detail;

namespace {

QFont FontOf(DC* dc) {
  auto* f = GdiAs<FontObj>(dc->s.font, GdiKind::Font);
  if (!f) f = GdiAs<FontObj>(DefaultGuiFont(), GdiKind::Font);
  return f->font;
}

QString Str(LPCSTR text, int count) {
  if (!text) return {};
  if (count < 0) return QString::fromUtf8(text);
  return QString::fromUtf8(text, static_cast<qsizetype>(strnlen(text, static_cast<std::size_t>(count))));
}

int Width(const QFontMetrics& fm, const QString& s, int extra) {
  return fm.horizontalAdvance(s) + extra * static_cast<int>(s.size());
}

// Draws one run at a top-left point with the DC's colours and background mode.
void DrawRun(GdiPainter& gp, const QFont& font, const QString& s, QPoint topLeft, const QVector<int>* dx = nullptr,
             int underlineIndex = -1) {
  DC* dc = gp.dc();
  QPainter& p = gp.p();
  QFontMetrics fm(font);
  int width = Width(fm, s, dc->s.charExtra);
  if (dx) {
    width = 0;
    for (int v : *dx) width += v;
  }
  QRect box(topLeft, QSize(width, fm.ascent() + fm.descent()));
  if (dc->s.bkMode == OPAQUE) p.fillRect(box, Q(dc->s.bkColor));
  p.setFont(font);
  p.setPen(Q(dc->s.textColor));
  int base = topLeft.y() + fm.ascent();
  if (!dx && dc->s.charExtra == 0) {
    p.drawText(QPoint(topLeft.x(), base), s);
  } else {
    int x = topLeft.x();
    int i = 0;
    for (qsizetype k = 0; k < s.size(); ++k) {
      QString ch = s.mid(k, (s[k].isHighSurrogate() && k + 1 < s.size()) ? 2 : 1);
      p.drawText(QPoint(x, base), ch);
      x += dx && i < dx->size() ? (*dx)[i] : fm.horizontalAdvance(ch) + dc->s.charExtra;
      k += ch.size() - 1;
      ++i;
    }
  }
  if (underlineIndex >= 0 && underlineIndex < s.size()) {
    int ux = topLeft.x() + fm.horizontalAdvance(s.left(underlineIndex));
    int uw = fm.horizontalAdvance(s.mid(underlineIndex, 1));
    p.fillRect(QRect(ux, base + 1, uw, 1), Q(dc->s.textColor));
  }
  gp.Touched(box);
}

// Removes '&' prefixes ("&&" stays one '&'); returns the index of the underlined character or -1.
QString StripPrefix(const QString& s, int& underline, bool hideOnly) {
  QString out;
  underline = -1;
  for (qsizetype i = 0; i < s.size(); ++i) {
    if (s[i] == u'&' && i + 1 < s.size()) {
      ++i;
      if (s[i] != u'&' && !hideOnly) underline = static_cast<int>(out.size());
    }
    out += s[i];
  }
  return out;
}

QString Elide(const QFontMetrics& fm, const QString& s, int width) {
  if (fm.horizontalAdvance(s) <= width) return s;
  QString dots = QStringLiteral("...");
  for (qsizetype n = s.size(); n > 0; --n) {
    QString t = s.left(n) + dots;
    if (fm.horizontalAdvance(t) <= width) return t;
  }
  return dots;
}

// Breaks text into lines: at line feeds, and at word boundaries to fit `width` with DT_WORDBREAK.
// A word wider than the line is broken between characters (as CJK text has no spaces).
QStringList BreakLines(const QFontMetrics& fm, const QString& text, int width, bool wordBreak, bool single,
                       bool breakWords = false) {
  QStringList lines;
  if (single) {
    QString t = text;
    t.replace(u'\r', u' ').replace(u'\n', u' ');
    lines << t;
    return lines;
  }
  QString norm = text;
  norm.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
  for (const QString& para : norm.split(u'\n')) {
    if (!wordBreak || fm.horizontalAdvance(para) <= width) {
      lines << para;
      continue;
    }
    QString line;
    qsizetype i = 0;
    while (i < para.size()) {
      // Next token: a run of non-spaces (or one CJK character) plus following spaces.
      qsizetype j = i;
      if (para[j].unicode() >= 0x2E80) {
        ++j;
      } else {
        while (j < para.size() && para[j] != u' ' && para[j].unicode() < 0x2E80) ++j;
      }
      while (j < para.size() && para[j] == u' ') ++j;
      QString token = para.mid(i, j - i);
      QString candidate = line + token;
      if (fm.horizontalAdvance(candidate.trimmed()) <= width || line.isEmpty()) {
        bool cjk = !token.isEmpty() && token[0].unicode() >= 0x2E80;
        if (line.isEmpty() && fm.horizontalAdvance(token.trimmed()) > width && !breakWords && !cjk) {
          // A word too long for the line stands alone and runs past the edge (it is clipped, and the
          // measured rectangle grows to hold it), unless edit-control breaking cuts it.
          line = candidate;
        } else if (line.isEmpty() && fm.horizontalAdvance(token.trimmed()) > width) {
          // Too long on its own: cut it character by character.
          for (QChar c : token) {
            if (!line.isEmpty() && fm.horizontalAdvance(line + c) > width) {
              lines << line;
              line.clear();
            }
            line += c;
          }
        } else {
          line = candidate;
        }
      } else {
        // The token starts a fresh line (where a word too long for any line is dealt with).
        lines << line.trimmed();
        line.clear();
        continue;
      }
      i = j;
    }
    lines << line.trimmed();
  }
  return lines;
}

}  // namespace

BOOL TextOut(HDC hdc, int x, int y, LPCSTR text, int count) {
  return ExtTextOut(hdc, x, y, 0, nullptr, text, static_cast<UINT>(std::max(count, 0)), nullptr);
}

BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const RECT* rc, LPCSTR text, UINT count, const INT* dx) {
  DC* dc = D(hdc);
  if (!dc) return FALSE;
  QString s = Str(text, static_cast<int>(count));
  QFont font = FontOf(dc);
  QFontMetrics fm(font);
  QVector<int> adv;
  if (dx) {
    int n = 0;
    for (qsizetype k = 0; k < s.size(); ++k, ++n) {
      if (s[k].isHighSurrogate()) ++k;
    }
    for (int i = 0; i < n; ++i) adv << dx[i];
  }
  int width = 0;
  if (dx)
    for (int v : adv) width += v;
  else
    width = Width(fm, s, dc->s.charExtra);
  UINT align = dc->s.textAlign;
  QPoint pos(x, y);
  if (align & TA_UPDATECP) pos = dc->s.pos;
  int left = pos.x();
  if ((align & TA_CENTER) == TA_CENTER)
    left -= width / 2;
  else if (align & TA_RIGHT)
    left -= width;
  int top = pos.y();
  if ((align & TA_BASELINE) == TA_BASELINE)
    top -= fm.ascent();
  else if (align & TA_BOTTOM)
    top -= fm.ascent() + fm.descent();
  if (align & TA_UPDATECP) dc->s.pos = QPoint(((align & TA_RIGHT) && (align & TA_CENTER) != TA_CENTER) ? left : left + width, pos.y());
  GdiPainter gp(hdc);
  if (!gp.ok()) return TRUE;
  QPainter& p = gp.p();
  // The reference point and the rectangle go through the DC's mapping; the text itself is drawn
  // upright and left to right in device pixels.
  {
    QPoint d = ToDevice(dc->s, pos);
    bool mirrored = IsScaled(dc->s) && dc->s.viewportExt.width() * dc->s.windowExt.width() < 0;
    QPoint shift = d - pos;
    if (mirrored) left = d.x() - (left - pos.x()) - width;
    else left += shift.x();
    top += shift.y();
    pos = d;
  }
  gp.DeviceSpace();
  if (rc) {
    QRect r = ToDeviceRect(dc->s, QRect(rc->left, rc->top, rc->right - rc->left, rc->bottom - rc->top));
    if (options & ETO_OPAQUE) {
      p.fillRect(r, Q(dc->s.bkColor));
      gp.Touched(r);
    }
    if (options & ETO_CLIPPED) p.setClipRect(r, Qt::IntersectClip);
  }
  if (!s.isEmpty()) {
    int saveMode = dc->s.bkMode;
    if (rc && (options & ETO_OPAQUE)) dc->s.bkMode = TRANSPARENT;
    auto* fo = GdiAs<FontObj>(dc->s.font, GdiKind::Font);
    int escapement = fo ? fo->lf.lfEscapement : 0;
    if (options & ETO_RTLREADING) p.setLayoutDirection(Qt::RightToLeft);
    if (escapement % 3600 != 0) {
      // Rotated text turns about its reference point, counter-clockwise in tenths of a degree.
      p.save();
      p.translate(pos);
      p.rotate(-escapement / 10.0);
      DrawRun(gp, font, s, QPoint(left, top) - pos, dx ? &adv : nullptr);
      p.restore();
      int reach = width + fm.ascent() + fm.descent();
      gp.Touched(QRect(pos.x() - reach, pos.y() - reach, 2 * reach, 2 * reach));
    } else {
      DrawRun(gp, font, s, QPoint(left, top), dx ? &adv : nullptr);
    }
    dc->s.bkMode = saveMode;
  }
  return TRUE;
}

namespace {

// A line of text with tab stops: the runs between tabs and where each starts.
struct TabbedLine {
  QStringList runs;
  int width = 0;
};

// Lays a line out on tab stops every `tab` pixels (0: tabs are not expanded and stay in the text).
TabbedLine LayOutTabs(const QFontMetrics& fm, const QString& line, int tab) {
  TabbedLine t;
  if (tab <= 0 || !line.contains(u'\t')) {
    t.runs << line;
    t.width = fm.horizontalAdvance(line);
    return t;
  }
  int x = 0;
  const QStringList parts = line.split(u'\t');
  for (qsizetype i = 0; i < parts.size(); ++i) {
    if (i > 0) x = (x / tab + 1) * tab;
    t.runs << parts[i];
    x += fm.horizontalAdvance(parts[i]);
  }
  t.width = x;
  return t;
}

}  // namespace

int DrawText(HDC hdc, LPCSTR text, int count, RECT* rc, UINT format) {
  return DrawTextEx(hdc, text, count, rc, format, nullptr);
}

int DrawTextEx(HDC hdc, LPCSTR text, int count, RECT* rc, UINT format, DRAWTEXTPARAMS* params) {
  DC* dc = D(hdc);
  if (!dc || !rc) return 0;
  QString s = Str(text, count);
  if (params) params->uiLengthDrawn = static_cast<UINT>(s.size());
  QFont font = FontOf(dc);
  QFontMetrics fm(font);
  int underline = -1;
  if (!(format & DT_NOPREFIX)) s = StripPrefix(s, underline, (format & DT_HIDEPREFIX) != 0);
  // Tab stops: every 8 average character widths, or the count in bits 8-15 with DT_TABSTOP, or the
  // parameters' tab length.
  int tabChars = 8;
  if (format & DT_TABSTOP) tabChars = static_cast<int>((format >> 8) & 0xFF);
  if (params && params->iTabLength > 0) tabChars = params->iTabLength;
  int tab = (format & DT_EXPANDTABS) ? std::max(1, tabChars) * std::max(1, fm.averageCharWidth()) : 0;
  if (format & DT_TABSTOP) format &= ~0xFF00u;  // the count is not layout flags
  int leftMargin = params ? std::max(0, params->iLeftMargin) : 0;
  int rightMargin = params ? std::max(0, params->iRightMargin) : 0;
  int width = rc->right - rc->left - leftMargin - rightMargin;
  bool single = (format & DT_SINGLELINE) != 0;
  QStringList lines;
  if (tab > 0 && !single) {
    // Breaking text with tabs treats each tab as a stop's width of spaces, and the lines broken that
    // way are then laid out with those spaces (tab stops are kept exactly on unbroken lines).
    QString spaced = s;
    int space = std::max(1, fm.horizontalAdvance(u' '));
    spaced.replace(u'\t', QString(std::max(1, tab / space), u' '));
    bool hasTabs = s.contains(u'\t');
    lines = hasTabs && !(format & DT_WORDBREAK) ? BreakLines(fm, s, std::max(width, 1), false, false)
                                                : BreakLines(fm, hasTabs ? spaced : s, std::max(width, 1),
                                                             (format & DT_WORDBREAK) != 0, false,
                                                             (format & DT_EDITCONTROL) != 0);
  } else {
    lines = BreakLines(fm, s, std::max(width, 1), (format & DT_WORDBREAK) != 0, single, (format & DT_EDITCONTROL) != 0);
  }
  if (format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS))
    for (QString& l : lines) l = Elide(fm, l, width);
  int lineH = fm.ascent() + fm.descent() + ((format & DT_EXTERNALLEADING) ? std::max(0, fm.leading()) : 0);
  int total = lineH * static_cast<int>(lines.size());
  std::vector<TabbedLine> laid;
  int maxW = 0;
  for (const QString& l : lines) {
    laid.push_back(LayOutTabs(fm, l, tab));
    maxW = std::max(maxW, laid.back().width);
  }
  if (format & DT_CALCRECT) {
    // The rectangle that holds the text, margins included; its left and top stay.
    rc->right = rc->left + maxW + leftMargin + rightMargin;
    rc->bottom = rc->top + total;
    return total;
  }
  int left = rc->left + leftMargin, right = rc->right - rightMargin;
  int y = rc->top;
  if (single && (format & DT_VCENTER)) y = rc->top + (rc->bottom - rc->top - total) / 2;
  if (single && (format & DT_BOTTOM)) y = rc->bottom - total;
  GdiPainter gp(hdc);
  if (!gp.ok()) return total;
  QPainter& p = gp.p();
  // Text is placed through the DC's mapping but drawn upright and left to right in device pixels.
  QRect clip = ToDeviceRect(dc->s, QRect(rc->left, rc->top, rc->right - rc->left, rc->bottom - rc->top));
  QPoint shift = ToDevice(dc->s, QPoint(left, y)) - QPoint(left, y);
  bool mirrored = IsScaled(dc->s) && dc->s.viewportExt.width() * dc->s.windowExt.width() < 0;
  gp.DeviceSpace();
  if (!(format & DT_NOCLIP)) p.setClipRect(clip, Qt::IntersectClip);
  if (format & DT_RTLREADING) p.setLayoutDirection(Qt::RightToLeft);
  int li = 0;
  for (const TabbedLine& l : laid) {
    int x = left;
    if (format & DT_CENTER)
      x = left + (right - left - l.width) / 2;
    else if (format & DT_RIGHT)
      x = right - l.width;
    QPoint at = QPoint(x, y) + shift;
    if (mirrored) at.setX(ToDevice(dc->s, QPoint(x + l.width, y)).x());
    int runX = 0;
    for (qsizetype k = 0; k < l.runs.size(); ++k) {
      if (k > 0) runX = (runX / tab + 1) * tab;
      DrawRun(gp, font, l.runs[k], at + QPoint(runX, 0), nullptr, li == 0 && k == 0 ? underline : -1);
      runX += fm.horizontalAdvance(l.runs[k]);
    }
    y += lineH;
    shift = ToDevice(dc->s, QPoint(left, y)) - QPoint(left, y);
    ++li;
  }
  if (single && (format & (DT_VCENTER | DT_BOTTOM))) return (y - rc->top);
  return total;
}

BOOL GetTextExtentPoint32(HDC hdc, LPCSTR text, int count, SIZE* size) {
  DC* dc = D(hdc);
  if (!dc || !size) return FALSE;
  QString s = Str(text, std::max(count, 0));
  QFontMetrics fm(FontOf(dc));
  size->cx = Width(fm, s, dc->s.charExtra);
  size->cy = fm.ascent() + fm.descent();
  return TRUE;
}

BOOL GetTextExtentExPoint(HDC hdc, LPCSTR text, int count, int maxExtent, INT* fit, INT* dx, SIZE* size) {
  DC* dc = D(hdc);
  if (!dc) return FALSE;
  QString s = Str(text, std::max(count, 0));
  QFontMetrics fm(FontOf(dc));
  int n = 0, x = 0;
  int fitCount = 0;
  for (qsizetype k = 0; k < s.size(); ++k) {
    QString ch = s.mid(k, (s[k].isHighSurrogate() && k + 1 < s.size()) ? 2 : 1);
    k += ch.size() - 1;
    x = fm.horizontalAdvance(s.left(k + 1)) + dc->s.charExtra * static_cast<int>(k + 1);
    if (dx) dx[n] = x;
    if (x <= maxExtent) fitCount = n + 1;
    ++n;
  }
  if (fit) *fit = fitCount;
  if (size) {
    size->cx = x;
    size->cy = fm.ascent() + fm.descent();
  }
  return TRUE;
}

int GetTextCaretPositions(HDC hdc, LPCSTR text, int count, UINT options, INT* caretX, INT* charLeft,
                          INT* charRight) {
  DC* dc = D(hdc);
  if (!dc) return 0;
  const QString s = Str(text, std::max(count, 0));
  QTextLayout layout(s, FontOf(dc));
  QTextOption opt;
  opt.setTextDirection((options & ETO_RTLREADING) ? Qt::RightToLeft : Qt::LeftToRight);
  opt.setWrapMode(QTextOption::NoWrap);
  // Whatever the direction, the line starts at x 0: positions are offsets from its left edge.
  opt.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
  layout.setTextOption(opt);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  if (line.isValid()) line.setLineWidth(1.0e6);
  layout.endLayout();
  if (!line.isValid()) {
    if (caretX) caretX[0] = 0;
    return 0;
  }
  int n = 0;
  for (qsizetype k = 0; k < s.size(); ++k, ++n) {
    int pos = static_cast<int>(k);
    if (caretX) caretX[n] = qRound(line.cursorToX(pos));
    if (charLeft || charRight) {
      int lead = pos, trail = pos;
      qreal a = line.cursorToX(&lead, QTextLine::Leading), b = line.cursorToX(&trail, QTextLine::Trailing);
      if (a == b) {
        // At the border of two runs of different direction the edges coincide: the character's glyphs
        // tell where it stands.
        const int len = (s[k].isHighSurrogate() && k + 1 < s.size()) ? 2 : 1;
        qreal lo = 0, hi = 0;
        bool any = false;
        for (const QGlyphRun& run : line.glyphRuns(pos, len)) {
          const QList<QPointF> at = run.positions();
          const QList<QPointF> adv = run.rawFont().advancesForGlyphIndexes(run.glyphIndexes());
          for (qsizetype g = 0; g < at.size() && g < adv.size(); ++g) {
            const qreal l = at[g].x(), r = at[g].x() + adv[g].x();
            lo = any ? std::min(lo, l) : l;
            hi = any ? std::max(hi, r) : r;
            any = true;
          }
        }
        if (any) a = lo, b = hi;
      }
      if (charLeft) charLeft[n] = qRound(std::min(a, b));
      if (charRight) charRight[n] = qRound(std::max(a, b));
    }
    if (s[k].isHighSurrogate() && k + 1 < s.size()) ++k;
  }
  if (caretX) caretX[n] = qRound(line.cursorToX(static_cast<int>(s.size())));
  return qRound(line.naturalTextWidth());
}

BOOL GetTextMetrics(HDC hdc, TEXTMETRIC* tm) {
  DC* dc = D(hdc);
  if (!dc || !tm) return FALSE;
  QFont f = FontOf(dc);
  QFontMetrics fm(f);
  *tm = TEXTMETRIC{};
  tm->tmAscent = fm.ascent();
  tm->tmDescent = fm.descent();
  tm->tmHeight = fm.ascent() + fm.descent();
  int em = f.pixelSize() > 0 ? f.pixelSize() : tm->tmHeight;
  tm->tmInternalLeading = std::max(0, static_cast<int>(tm->tmHeight) - em);
  tm->tmExternalLeading = std::max(0, fm.leading());
  tm->tmAveCharWidth = fm.averageCharWidth();
  tm->tmMaxCharWidth = fm.maxWidth();
  tm->tmWeight = f.weight();
  tm->tmItalic = f.italic() ? 1 : 0;
  tm->tmUnderlined = f.underline() ? 1 : 0;
  tm->tmStruckOut = f.strikeOut() ? 1 : 0;
  // The pitch bit set means a variable pitch, as GDI reports it; every font here is an outline font.
  tm->tmPitchAndFamily = static_cast<BYTE>((QFontInfo(f).fixedPitch() ? 0 : TMPF_FIXED_PITCH) | TMPF_VECTOR | TMPF_TRUETYPE);
  tm->tmCharSet = DEFAULT_CHARSET;
  return TRUE;
}

UINT GetOutlineTextMetrics(HDC hdc, UINT size, OUTLINETEXTMETRIC* otm) {
  DC* dc = D(hdc);
  if (!dc) return 0;
  if (!otm) return sizeof(OUTLINETEXTMETRIC);
  if (size < sizeof(OUTLINETEXTMETRIC)) return 0;
  *otm = OUTLINETEXTMETRIC{};
  GetTextMetrics(hdc, &otm->otmTextMetrics);
  QFont f = FontOf(dc);
  QRawFont raw = QRawFont::fromFont(f);
  otm->otmEMSquare = raw.isValid() ? static_cast<UINT>(std::lround(raw.unitsPerEm())) : 2048;
  otm->otmAscent = otm->otmTextMetrics.tmAscent;
  otm->otmDescent = -otm->otmTextMetrics.tmDescent;
  // The caret slope from the face's horizontal header; a face without an italic of its own that is
  // asked for one is slanted by the renderer (about 0.21 across per unit up).
  int rise = 1, run = 0;
  QByteArray hhea = raw.isValid() ? raw.fontTable("hhea") : QByteArray();
  if (hhea.size() >= 22) {
    auto be16 = [&](int at) {
      return static_cast<std::int16_t>((static_cast<std::uint8_t>(hhea[at]) << 8) | static_cast<std::uint8_t>(hhea[at + 1]));
    };
    rise = be16(18);
    run = be16(20);
  }
  if (f.italic() && run == 0) {
    rise = 1000;
    run = 213;
  }
  if (rise == 0) rise = 1;
  otm->otmsCharSlopeRise = rise;
  otm->otmsCharSlopeRun = run;
  otm->otmItalicAngle = run == 0 ? 0 : static_cast<int>(std::lround(-std::atan2(double(run), double(rise)) * 1800.0 / M_PI));
  return sizeof(OUTLINETEXTMETRIC);
}

int GetTextFace(HDC hdc, int size, LPSTR face) {
  DC* dc = D(hdc);
  if (!dc) return 0;
  auto* f = GdiAs<FontObj>(dc->s.font, GdiKind::Font);
  std::string name = f && f->lf.lfFaceName[0] ? f->lf.lfFaceName : "WenQuanYi Micro Hei";
  if (!face) return static_cast<int>(name.size()) + 1;
  int n = std::min(size - 1, static_cast<int>(name.size()));
  if (n < 0) return 0;
  std::memcpy(face, name.data(), static_cast<std::size_t>(n));
  face[n] = 0;
  return n;
}

BOOL GetCharWidth32(HDC hdc, UINT first, UINT last, INT* widths) {
  DC* dc = D(hdc);
  if (!dc || !widths || last < first) return FALSE;
  QFontMetrics fm(FontOf(dc));
  for (UINT c = first; c <= last; ++c) widths[c - first] = fm.horizontalAdvance(QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1));
  return TRUE;
}
