#include "app/Communal.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/graphics/replacefile.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/windows.h"

std::string ExePath;

namespace {
// Start-up state kept for compatibility with the window it was read from; no window reads it.
LONG ApplicationExStyle = 0;
std::string LastOpened;
}  // namespace

namespace Communal {
void Initialize() { ApplicationExStyle = 0; }
void Finalize() {
  ApplicationExStyle = 0;
  LastOpened.clear();
}
}  // namespace Communal

std::string ExecutableFolder() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return IncludeTrailingPathDelimiter(GetCurrentDir());
  return IncludeTrailingPathDelimiter(exe.parent_path().string());
}

bool RunProgram(const std::string& Text) {
  LastOpened = Text;
  const HINSTANCE result = ShellExecute(nullptr, nullptr, Text.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<std::uintptr_t>(result) > 32;  // the shell's values up to 32 are failures
}

// A list of files being decoded: every thread working on it takes the next file not yet begun.
struct TBitmapPrefetch::TBatch {
  std::vector<std::string> Names;
  float DrawScale = 0;
  std::vector<GpBitmap*> Bitmaps;
  std::atomic<std::size_t> Next{0};

  TBatch(std::vector<std::string> FileNames, float Scale)
      : Names(std::move(FileNames)), DrawScale(Scale), Bitmaps(Names.size(), nullptr) {}
  void Work() {
    for (std::size_t i = Next++; i < Names.size(); i = Next++) {
      if (Names[i].empty()) continue;
      const std::u16string name = Utf8ToUtf16(Names[i]);
      GdipCreateBitmapFromFile(name.c_str(), &Bitmaps[i]);  // touches nothing shared
      if (Bitmaps[i] && DrawScale > 0) GdipPrepareBitmapForDrawing(Bitmaps[i], DrawScale);
    }
  }
  // Up to half the cores' worth of threads for the files, as many as can be had.
  std::vector<std::thread> StartWorkers(const std::shared_ptr<TBatch>& Self, std::size_t Reserve) {
    const std::size_t count =
        std::min<std::size_t>(Names.size(), std::max(1u, std::thread::hardware_concurrency() / 2));
    std::vector<std::thread> threads;
    threads.reserve(count);
    try {
      for (std::size_t t = Reserve; t < count; ++t) threads.emplace_back([Self] { Self->Work(); });
    } catch (const std::system_error&) {
      // No more threads to be had: the ones running and whoever waits for them share the rest.
    }
    return threads;
  }
};

std::vector<GpBitmap*> LoadBitmapFiles(const std::vector<std::string>& FileNames, float DrawScale) {
  if (FileNames.empty()) return {};
  auto batch = std::make_shared<TBitmapPrefetch::TBatch>(FileNames, DrawScale);
  std::vector<std::thread> threads = batch->StartWorkers(batch, 1);  // this thread is one of them
  batch->Work();
  for (std::thread& t : threads) t.join();
  return std::move(batch->Bitmaps);
}

void TBitmapPrefetch::Start(std::vector<std::string> FileNames, float DrawScale) {
  Drop();
  FNames = std::move(FileNames);
  FBatch = std::make_shared<TBatch>(FNames, DrawScale);
  FWorkers = FBatch->StartWorkers(FBatch, 0);
}

std::vector<GpBitmap*> TBitmapPrefetch::Take(const std::vector<std::string>& FileNames) {
  if (!FBatch) return {};
  const bool same = FileNames == FNames;
  if (same)
    FBatch->Work();  // the files nobody has begun yet are decoded here rather than waited for
  else
    FBatch->Next = FBatch->Names.size();  // not wanted: nothing more is begun
  for (std::thread& t : FWorkers) t.join();
  FWorkers.clear();
  std::vector<GpBitmap*> bitmaps = std::move(FBatch->Bitmaps);
  FBatch.reset();
  if (same) return bitmaps;
  for (GpBitmap* b : bitmaps)
    if (b) GdipDisposeImage(b);
  return {};
}

void TPicturePrefetch::Start(std::vector<std::string> FileNames) {
  Drop();
  FNames = std::move(FileNames);
  auto read = [names = FNames] {
    std::vector<std::unique_ptr<TPicture>> pictures(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
      try {
        auto picture = std::make_unique<TPicture>();
        picture->LoadFromFile(names[i]);
        pictures[i] = std::move(picture);
      } catch (const std::exception&) {
        // Left null: the window reads the file itself and reports the error as it always did.
      }
    }
    return pictures;
  };
  try {
    FPending = std::async(std::launch::async, read);
  } catch (const std::system_error&) {
    // No thread to be had: Take reads the files on its own thread when it first asks.
    FPending = std::async(std::launch::deferred, read);
  }
}

std::unique_ptr<TPicture> TPicturePrefetch::Take(const std::string& FileName) {
  if (FPending.valid()) FPictures = FPending.get();
  for (std::size_t i = 0; i < FNames.size() && i < FPictures.size(); ++i)
    if (FNames[i] == FileName && FPictures[i]) return std::move(FPictures[i]);
  return nullptr;
}

void TPicturePrefetch::Drop() {
  if (FPending.valid()) FPending.get();
  FPictures.clear();
  FNames.clear();
}

std::vector<std::string> FirstFiles(const std::string& Folder, const std::string& Mask, int Count) {
  TStringList list;
  FindFiles(Folder, &list, Mask);
  std::vector<std::string> names(size_t(std::max(Count, 0)));
  for (int i = 0; i < Count && i < list.Count(); ++i) names[size_t(i)] = list.Strings(i);
  return names;
}

int SavePictureFile(TGraphic* Picture, const std::string& FileName) {
  TMemoryStream stream;
  Picture->SaveToStream(&stream);
  const auto* bytes = static_cast<const std::uint8_t*>(stream.Memory());
  return PictureFiles::ReplaceFile(FileName, {bytes, std::size_t(stream.Size())});
}

std::string BitmapFileName(const std::string& Chosen) {
  return EndsText(".bmp", Chosen) ? Chosen : Chosen + ".bmp";
}

std::string SaveFailedText(const std::string& FileName, int Error) {
  std::string reason;
  switch (Error) {
    case EACCES:
    case EPERM: {
      // A file that is there was refused for itself (read-only); otherwise the folder took no new file.
      struct stat st {};
      const bool file = ::stat(FileName.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
      reason = file ? "这个文件是只读的。" : "没有在这个文件夹里写文件的权限。";
      break;
    }
    case EROFS: reason = "这个位置是只读的。"; break;
    case ENOSPC:
    case EDQUOT: reason = "磁盘空间不足。"; break;
    case ENOENT:
    case ENOTDIR: reason = "文件夹不存在。"; break;
    case EISDIR: reason = "已有同名的文件夹。"; break;
    case EFBIG: reason = "文件超出了允许的大小。"; break;
    case ENAMETOOLONG: reason = "文件名太长。"; break;
    case EIO: reason = "磁盘读写出错。"; break;
    case 0: reason = "图片无法写成文件。"; break;  // the picture itself could not be encoded
    default: reason = Format("系统错误 %d。", Error);
  }
  return Format("无法保存文件：%s\n%s", FileName, reason);
}

namespace {
// File-name masks as the desktop matches them: '*' any run, '?' one character, letters in any case.
bool MatchesMask(const std::string& Name, const std::string& Mask) {
  size_t n = 0, m = 0, starM = std::string::npos, starN = 0;
  auto same = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  };
  while (n < Name.size()) {
    if (m < Mask.size() && (Mask[m] == '?' || same(Mask[m], Name[n]))) {
      ++n;
      ++m;
    } else if (m < Mask.size() && Mask[m] == '*') {
      starM = m++;
      starN = n;
    } else if (starM != std::string::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < Mask.size() && Mask[m] == '*') ++m;
  return m == Mask.size();
}
}  // namespace

void FindFiles(const std::string& Folder, TStrings* List, const std::string& Mask) {
  List->BeginUpdate();
  List->Clear();
  std::vector<std::string> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(Folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (MatchesMask(name, Mask)) names.push_back(name);
  }
  // The file system the program was made for lists a folder in name order; do the same so that the
  // hair pages do not depend on how this disk happens to store its entries.
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) List->Add(Folder + name);
  List->EndUpdate();
}

GpRect FitImageRect(const GpRect& Source, int BoxWidth, int BoxHeight) {
  const int w = Source.Width, h = Source.Height;
  int w2 = w, h2 = h;
  if ((w > BoxWidth || h > BoxHeight) && h > 0) {
    const double r = double(w) / h;
    if (w > h) {
      h2 = int(Trunc(BoxWidth / r));
      w2 = BoxWidth;
      if (h2 > BoxHeight) {
        w2 = int(Trunc(r * BoxHeight));
        h2 = BoxHeight;
      }
    } else {
      w2 = int(Trunc(r * BoxHeight));
      h2 = BoxHeight;
      if (w2 > BoxWidth) {
        h2 = int(Trunc(BoxWidth / r));
        w2 = BoxWidth;
      }
    }
  }
  return GpRect{(BoxWidth - w2) / 2, (BoxHeight - h2) / 2, w2, h2};
}

double GradientStep(double A, double B, double V) { return A == B ? 0 : V / (B - A); }

namespace {

// Half to even, as Round does, for the channel sums (they stay near 0..255), without a call per
// channel and pixel; anything far out of range takes Round itself.
inline int64_t RoundChannel(double V) {
  if (!(std::fabs(V) < 1e9)) return Round(V);
  int64_t i = static_cast<int64_t>(V);
  const double frac = V - static_cast<double>(i);
  if (frac > 0.5 || (frac == 0.5 && (i & 1)))
    ++i;
  else if (frac < -0.5 || (frac == -0.5 && (i & 1)))
    --i;
  return i;
}

// Writes the diagonal gradient into the rows of a 24-bit bitmap of Width x Height (both above 0, the
// points apart).
void FillGradientRows(TBitmap& Bmp, int Width, int Height, TColor Colour1, TColor Colour2, TPoint Point1,
                      TPoint Point2) {
  const TColor rgb1 = ColorToRGB(Colour1), rgb2 = ColorToRGB(Colour2);
  const double dx = Point2.X - Point1.X, dy = Point2.Y - Point1.Y;
  const double len = std::sqrt(dx * dx + dy * dy);
  const double cosT = dx / len, sinT = dy / len;
  // Channels in the order they are stored: blue, green, red.
  const int shifts[3] = {16, 8, 0};
  double first[3], colStep[3], rowStep[3];
  int lo[3], hi[3];
  for (int c = 0; c < 3; ++c) {
    const int c1 = (rgb1 >> shifts[c]) & 0xFF, c2 = (rgb2 >> shifts[c]) & 0xFF;
    const int delta = c2 - c1;
    first[c] = c1;
    colStep[c] = Width > 1 ? GradientStep(0, Width, double(Round(delta * cosT))) : 0;
    rowStep[c] = Height > 1 ? GradientStep(0, Height, double(Round(delta * sinT))) : 0;
    lo[c] = std::min(c1, c2);
    hi[c] = std::max(c1, c2);
  }
  // Each row starts from the running row sum and runs its own column sum; the row starts are summed
  // first, in order, so that rows can then be filled on several threads with the same arithmetic.
  std::vector<std::array<double, 3>> rowStart(static_cast<size_t>(Height));
  std::vector<uint8_t*> rows(static_cast<size_t>(Height));
  std::array<double, 3> start = {first[0], first[1], first[2]};
  for (int y = 0; y < Height; ++y) {
    rowStart[size_t(y)] = start;
    rows[size_t(y)] = static_cast<uint8_t*>(Bmp.ScanLine(y));
    for (int c = 0; c < 3; ++c) start[c] += rowStep[c];
  }
  auto fill = [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      uint8_t* row = rows[size_t(y)];
      double v[3] = {rowStart[size_t(y)][0], rowStart[size_t(y)][1], rowStart[size_t(y)][2]};
      for (int x = 0; x < Width; ++x) {
        for (int c = 0; c < 3; ++c) {
          row[x * 3 + c] = uint8_t(std::clamp<int64_t>(RoundChannel(v[c]), lo[c], hi[c]));
          v[c] += colStep[c];
        }
      }
    }
  };
  // The main window's background is over half a million pixels: worth a few threads.
  const int parts = int(std::min<int64_t>(std::max(1u, std::thread::hardware_concurrency() / 2),
                                          std::max<int64_t>(1, int64_t(Width) * Height / 65536)));
  std::vector<std::thread> helpers;
  for (int p = 1; p < parts; ++p) {
    try {
      helpers.emplace_back(fill, Height * p / parts, Height * (p + 1) / parts);
    } catch (const std::system_error&) {
      fill(Height * p / parts, Height * (p + 1) / parts);  // no thread to be had: this one does it
    }
  }
  fill(0, Height / parts);
  for (std::thread& t : helpers) t.join();
}

}  // namespace

bool FillDiagonalGradient(TCanvas* Canvas, int Width, int Height, TColor Colour1, TColor Colour2,
                          TPoint Point1, TPoint Point2) {
  if (Point1.X == Point2.X && Point1.Y == Point2.Y) return false;
  if (Width <= 0 || Height <= 0) return true;
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(Width, Height);
  FillGradientRows(bmp, Width, Height, Colour1, Colour2, Point1, Point2);
  Canvas->Draw(0, 0, &bmp);
  return true;
}

GpBitmap* BitmapFromClassBitmap(TBitmap* Bitmap) {
  GpBitmap* result = nullptr;
  if (GdipCreateBitmapFromHBITMAP(Bitmap->Handle(), nullptr, &result) != Ok) return nullptr;
  return result;
}

void MakeGradientBitmap(GpBitmap*& Bitmap, TColor Colour1, TColor Colour2, int Width, int Height) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(Width, Height);
  // What FillDiagonalGradient would draw on the bitmap's canvas, written straight into its rows; a
  // single pixel has no diagonal and stays white.
  if (Width > 0 && Height > 0 && (Width > 1 || Height > 1))
    FillGradientRows(bmp, Width, Height, Colour1, Colour2, TPoint{0, 0}, TPoint{Width - 1, Height - 1});
  Bitmap = BitmapFromClassBitmap(&bmp);
}

bool FindEncoder(const char16_t* MimeType, CLSID& Clsid) {
  UINT count = 0, size = 0;
  if (GdipGetImageEncodersSize(&count, &size) != Ok || count == 0) return false;
  std::vector<ImageCodecInfo> codecs(count);
  if (GdipGetImageEncoders(count, size, codecs.data()) != Ok) return false;
  for (const ImageCodecInfo& c : codecs)
    if (c.MimeType && std::u16string(c.MimeType) == MimeType) {
      Clsid = c.Clsid;
      return true;
    }
  return false;
}

void FreeListAndItems(std::unique_ptr<TList>& List) {
  if (!List) return;
  for (int i = 0; i < List->Count(); ++i) GdipDisposeImage(static_cast<GpImage*>(List->Items(i)));
  List.reset();
}

TImageEx::TImageEx(TComponent* AOwner) : TImage(AOwner) {
  SetMessageHandler(CM_MOUSEENTER, [this](TMessage&) {
    if (OnMouseEnter) OnMouseEnter(this);
  });
  SetMessageHandler(CM_MOUSELEAVE, [this](TMessage&) {
    if (OnMouseLeave) OnMouseLeave(this);
  });
}
