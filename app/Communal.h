#pragma once
// Routines every window of the program shares: the executable's folder, listing files, fitting a
// picture into a box, the two-colour diagonal gradients, freeing picture lists, opening a document
// with the desktop, and the hover-aware image of the hair cells.

#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/classes/classes.h"
#include "platform/controls/extctrls.h"
#include "platform/gdiplus/gdiplus.h"

// The program draws through the GDI+-like flat functions everywhere.
using namespace Gdiplus;
#include "platform/graphics/graphics.h"

// The folder of the running executable, with its trailing separator.
extern std::string ExePath;
std::string ExecutableFolder();

namespace Communal {
void Initialize();
void Finalize();
}  // namespace Communal

// Opens a document or web address with the desktop's default handler; false when no handler took it.
bool RunProgram(const std::string& Text);

// GDI+ bitmaps read from files (nil entries for empty names), decoded side by side on worker threads:
// start-up and every hair page read a dozen pictures, and decoding them one after the other is most of
// the wait. Each file gives exactly what GdipCreateBitmapFromFile gives for it; the caller owns them.
// A DrawScale above 0 also prepares each bitmap for drawing at that scale on the same threads.
std::vector<GpBitmap*> LoadBitmapFiles(const std::vector<std::string>& FileNames, float DrawScale = 0);

// Pictures decoded ahead on worker threads for a window that will ask for exactly these files later:
// start-up reads two dozen pictures, and decoding them while the windows are being built hides most of
// that wait. Take hands over the pictures only when asked for the same files (the caller then owns
// them); otherwise, and for whatever nobody took, they are freed. A caller of Take that finds files
// not yet begun decodes them itself instead of waiting; for other files nothing more is begun.
class TBitmapPrefetch {
 public:
  void Start(std::vector<std::string> FileNames, float DrawScale = 0);
  std::vector<GpBitmap*> Take(const std::vector<std::string>& FileNames);
  void Drop() { Take({}); }
  ~TBitmapPrefetch() { Drop(); }
  struct TBatch;

 private:
  std::vector<std::string> FNames;
  std::shared_ptr<TBatch> FBatch;
  std::vector<std::thread> FWorkers;
};
// Class-library pictures read ahead on a worker thread, for a window that loads them by name while it
// is made. Take hands over the picture of a name that was read without error; for anything else it
// gives null and the caller reads the file itself, so errors are raised where they always were.
class TPicturePrefetch {
 public:
  void Start(std::vector<std::string> FileNames);
  std::unique_ptr<TPicture> Take(const std::string& FileName);
  void Drop();
  ~TPicturePrefetch() { Drop(); }

 private:
  std::vector<std::string> FNames;
  std::vector<std::unique_ptr<TPicture>> FPictures;
  std::future<std::vector<std::unique_ptr<TPicture>>> FPending;
};

// The first Count entries of a folder's matching files, in FindFiles order ("" where there are fewer).
std::vector<std::string> FirstFiles(const std::string& Folder, const std::string& Mask, int Count);

// Saving a picture: the class-library picture is encoded and written through a temporary file that is
// renamed over FileName only when complete, so a failure never destroys the file that was there.
// Returns 0 or the system's error number.
int SavePictureFile(TGraphic* Picture, const std::string& FileName);
// The file a picture chosen to be saved as Chosen is written to: Chosen with ".bmp" appended, unless it
// already ends in ".bmp" in any case ("photo.BMP" is written as it was chosen, not "photo.BMP.bmp").
std::string BitmapFileName(const std::string& Chosen);
// The message for a file that could not be saved, in the program's language: the name and the reason
// (Error 0: the picture could not be encoded).
std::string SaveFailedText(const std::string& FileName, int Error);

// Clears List and adds Folder + name for every entry of Folder matching Mask (folders included).
void FindFiles(const std::string& Folder, TStrings* List, const std::string& Mask);

// A picture of Source's width and height fitted (shrunk only, proportions kept) and centred in a box;
// only Source.Width and Source.Height are read. The result is (left, top, width, height).
GpRect FitImageRect(const GpRect& Source, int BoxWidth, int BoxHeight);

double GradientStep(double A, double B, double V);
bool FillDiagonalGradient(TCanvas* Canvas, int Width, int Height, TColor Colour1, TColor Colour2,
                          TPoint Point1, TPoint Point2);
// Makes Bitmap a new GDI+ bitmap with the diagonal gradient; the caller frees the previous one.
void MakeGradientBitmap(GpBitmap*& Bitmap, TColor Colour1, TColor Colour2, int Width, int Height);
// A GDI+ bitmap made from a class-library bitmap's handle (nil when that fails).
GpBitmap* BitmapFromClassBitmap(TBitmap* Bitmap);

// The class identifier of the imaging encoder for a MIME type ("image/bmp"); false when there is none.
bool FindEncoder(const char16_t* MimeType, CLSID& Clsid);

// Frees every picture of the list, then the list.
void FreeListAndItems(std::unique_ptr<TList>& List);
inline GpBitmap* ListBitmap(TList* List, int Index) { return static_cast<GpBitmap*>(List->Items(Index)); }

// The image of a hair cell: tells when the mouse enters and leaves it.
class TImageEx : public TImage {
  DECLARE_CLASS(TImageEx, TImage)
  explicit TImageEx(TComponent* AOwner);
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnMouseEnter;
};
