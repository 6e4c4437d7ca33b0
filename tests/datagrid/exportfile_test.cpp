// Exporting into a file: the old file survives every failed export (a writer that raises part-way, a
// full disk, a missing folder) and an export nobody asked for, and the error names the file and the
// reason. An export of no records replaces the file; the bytes go to the disk as they are made; a FIFO
// or a device is written as it stands.
#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "datagrid/DBGridXRtf.h"
#include "impexp_fixture.h"
#include "platform/graphics/replacefile.h"

namespace {

namespace fs = std::filesystem;

std::string Contents(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// A text export whose writer fails at the third record, as a writer to a lost device would.
class TFailingTextExport : public TDBGridXExportAsText {
 protected:
  void EmitDataCell(TColumnX* Column, TExportCellParamsX& Params) override {
    if (++Cells > 2 * 6) throw Exception("the device went away");
    TDBGridXExportAsText::EmitDataCell(Column, Params);
  }
  int Cells = 0;
};

// Writing more than `Limit` bytes to any file fails with EFBIG while this lives, as a full disk would.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t Limit) {
    getrlimit(RLIMIT_FSIZE, &FOld);
    FPrevious = std::signal(SIGXFSZ, SIG_IGN);
    rlimit L = FOld;
    L.rlim_cur = Limit;
    setrlimit(RLIMIT_FSIZE, &L);
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &FOld);
    std::signal(SIGXFSZ, FPrevious);
  }

 private:
  rlimit FOld{};
  void (*FPrevious)(int) = nullptr;
};

}  // namespace

TEST_F(ImpExpTest, AFailedFileExportKeepsTheOldFileAndNamesFileAndReason) {
  const std::string Dir = win::TempFolder("grid_export_file");
  const std::string Old = "the previous export\r\n";
  struct Case {
    const char* Name;
    std::string Path;
    std::function<void(const std::string&)> Export;
    std::string Reason;  // the end of the message
  } Cases[] = {
      {"writer raises part-way", Dir + "/raises.txt",
       [&](const std::string& P) {
         TFailingTextExport E;
         E.DBGridX = grid;
         E.ExportFile(P, true);
       },
       "the device went away"},
      {"disk full", Dir + "/full.rtf",
       [&](const std::string& P) {
         TDBGridXExportAsRTF E;
         E.DBGridX = grid;
         TFileSizeLimit Limit(Old.size() + 16);
         E.ExportFile(P, true);
       },
       std::strerror(EFBIG)},
      {"missing folder", Dir + "/no/such/folder.txt",
       [&](const std::string& P) {
         TDBGridXExportAsText E;
         E.DBGridX = grid;
         E.ExportFile(P, true);
       },
       std::strerror(ENOENT)},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    const bool HasOld = fs::exists(fs::path(C.Path).parent_path());
    if (HasOld) std::ofstream(C.Path, std::ios::binary) << Old;
    std::string Message;
    try {
      C.Export(C.Path);
      ADD_FAILURE() << "the export did not fail";
    } catch (const Exception& E) {
      Message = E.Message();
    }
    EXPECT_EQ(Message, "Cannot create file \"" + C.Path + "\". " + C.Reason);
    if (HasOld) {
      EXPECT_EQ(Contents(C.Path), Old);
    }
    EXPECT_EQ(fs::exists(C.Path), HasOld);
  }
  // Only the old files stand in the folder: no temporary file is left behind.
  size_t Entries = 0;
  for (const auto& E : fs::directory_iterator(Dir)) Entries += E.is_regular_file();
  EXPECT_EQ(Entries, 2u);
  // The data set is where it was and shows its changes again.
  EXPECT_FALSE(ds->ControlsDisabled());
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 1);
}

TEST_F(ImpExpTest, AFileExportReplacesTheOldFileWholeOrLeavesItAlone) {
  const std::string Path = win::TempFolder("grid_export_replace") + "/grid.txt";
  std::ofstream(Path, std::ios::binary) << "an older and much longer export than the one that follows it\r\n";
  // Nothing selected and not everything asked for: nothing to write, the file stays.
  TDBGridXExportAsText E;
  E.DBGridX = grid;
  E.ExportFile(Path, false);
  EXPECT_EQ(Contents(Path), "an older and much longer export than the one that follows it\r\n");
  // Everything: the file holds exactly what a stream export gives.
  E.ExportFile(Path, true);
  TDBGridXExportAsText S;
  S.DBGridX = grid;
  EXPECT_EQ(Contents(Path), ExportGridToString(S, true));
}

namespace {

// Every record deleted: the export asked for is made, and it is empty (titles off) or holds the title
// line only.
std::string ExportOf(TDBGridXExport& E, TDBGridX* Grid) {
  E.DBGridX = Grid;
  return ExportGridToString(E, true);
}

// Heap bytes in use (small blocks and blocks mapped on their own).
size_t HeapInUse() {
  const struct mallinfo2 M = mallinfo2();
  return M.uordblks + M.hblkhd;
}

// An exporter that, every `Every` records, notes how much more heap is in use than when the export
// began, and the size of the temporary file being written beside the target.
template <typename Base>
class TWatchedExport : public Base {
 public:
  std::string Folder;
  size_t Start = 0, MostHeap = 0;
  int64_t TemporaryBytes = 0;
  int Records = 0, Every = 2000;

 protected:
  void EmitRecord(const TColumnsXList& Columns) override {
    Base::EmitRecord(Columns);
    if (++Records % Every) return;
    MostHeap = std::max(MostHeap, HeapInUse() > Start ? HeapInUse() - Start : 0);
    for (const auto& E : fs::directory_iterator(Folder))
      if (PictureFiles::IsTemporaryFileName(E.path().filename().string()))
        TemporaryBytes = std::max<int64_t>(TemporaryBytes, static_cast<int64_t>(E.file_size()));
  }
};

}  // namespace

TEST_F(ImpExpTest, AnExportOfNoRecordsReplacesTheOlderExport) {
  const std::string Dir = win::TempFolder("grid_export_empty");
  ds->First();
  while (!ds->IsEmpty()) ds->Delete();
  struct Case {
    const char* Name;
    bool Titles;
    std::function<std::unique_ptr<TDBGridXExport>()> Make;
    std::string Expected;  // "": worked out below from a stream export of the same
  } Cases[] = {
      {"text, titles off", false, [] { return std::make_unique<TDBGridXExportAsText>(); }, ""},
      {"CSV, titles off", false, [] { return std::make_unique<TDBGridXExportAsCSV>(); }, ""},
      {"text, titles on", true, [] { return std::make_unique<TDBGridXExportAsText>(); },
       "Person|ID\tPerson|Name\tFigures|Amount\tFigures|Born\tCode\tCode text"},
      {"RTF, titles off", false, [] { return std::make_unique<TDBGridXExportAsRTF>(); }, "rtf"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    const std::string Path = Dir + "/older.out";
    std::ofstream(Path, std::ios::binary) << "an older export of five records\r\n";
    grid->SetOptions(C.Titles ? grid->Options() + gdoTitles : grid->Options() - gdoTitles);
    auto E = C.Make();
    E->DBGridX = grid;
    E->ExportFile(Path, true);
    const std::string Got = Contents(Path);
    if (std::string(C.Expected) == "rtf") {
      auto S = C.Make();
      EXPECT_EQ(Got, ExportOf(*S, grid));
      EXPECT_EQ(Got.rfind("{\\rtf1", 0), 0u);
    } else {
      EXPECT_EQ(Got, C.Expected);
    }
  }
  size_t Entries = 0;
  for (const auto& E : fs::directory_iterator(Dir)) Entries += E.is_regular_file();
  EXPECT_EQ(Entries, 1u);
}

// A large export goes to the file's temporary file as it is made: part-way the temporary file already
// holds most of what was made, and the heap holds a small part of it.
TEST_F(ImpExpTest, AFileExportIsWrittenAsItIsMadeNotGatheredInMemory) {
  const std::string Dir = win::TempFolder("grid_export_stream");
  grid->SetOptions(grid->Options() - gdoTitles);
  ds->DisableControls();
  for (int i = 0; i < 20000; ++i)
    AddRecord(ds, {100 + i, "A somewhat longer name", 12.5 + i, 1 + i % 28, i % 2 ? "Y" : "N"});
  ds->EnableControls();
  ds->First();
  const std::string Path = Dir + "/big.out";
  auto Check = [&](auto& E, const char* Name) {
    SCOPED_TRACE(Name);
    E.DBGridX = grid;
    E.Folder = Dir;
    E.Start = HeapInUse();
    E.ExportFile(Path, true);
    const int64_t Size = static_cast<int64_t>(fs::file_size(Path));
    EXPECT_GT(Size, 1000000);
    EXPECT_LT(E.MostHeap, static_cast<size_t>(Size / 8)) << "of " << Size << " bytes";
    return Size;
  };
  TWatchedExport<TDBGridXExportAsCSV> Csv;
  const int64_t CsvSize = Check(Csv, "CSV");
  // At the last look (record 20000 of 20005) the temporary file held all but the last buffer's worth.
  EXPECT_GT(Csv.TemporaryBytes, CsvSize - 70000);
  TWatchedExport<TDBGridXExportAsRTF> Rtf;
  Check(Rtf, "RTF");
  TDBGridXExportAsRTF S;
  EXPECT_EQ(Contents(Path), ExportOf(S, grid));
  size_t Entries = 0;
  for (const auto& E : fs::directory_iterator(Dir)) Entries += E.is_regular_file();
  EXPECT_EQ(Entries, 1u);
}

// A FIFO named as the export's file gets the export and stays a FIFO; a device that is full (as a
// full disk) fails the export with its reason and stays a device.
TEST_F(ImpExpTest, AFileExportIntoAFifoOrADeviceWritesItInPlace) {
  const std::string Dir = win::TempFolder("grid_export_fifo");
  const std::string Fifo = Dir + "/p.csv";
  ASSERT_EQ(::mkfifo(Fifo.c_str(), 0644), 0);
  const int Reader = ::open(Fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(Reader, 0);
  TDBGridXExportAsCSV E;
  E.DBGridX = grid;
  E.ExportFile(Fifo, true);
  std::string Got(65536, '\0');
  const ssize_t N = ::read(Reader, Got.data(), Got.size());
  ::close(Reader);
  Got.resize(N > 0 ? static_cast<size_t>(N) : 0);
  TDBGridXExportAsCSV S;
  EXPECT_EQ(Got, ExportOf(S, grid));
  EXPECT_TRUE(fs::is_fifo(Fifo));
  const std::string Full = Dir + "/full.csv";
  if (::mknod(Full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) GTEST_SKIP() << "devices cannot be made here";
  std::string Message;
  try {
    E.ExportFile(Full, true);
  } catch (const Exception& X) {
    Message = X.Message();
  }
  EXPECT_EQ(Message, "Cannot create file \"" + Full + "\". " + std::strerror(ENOSPC));
  EXPECT_TRUE(fs::is_character_file(Full));
  EXPECT_EQ(std::distance(fs::directory_iterator(Dir), fs::directory_iterator()), 2);
}
