// Exporting into a file: the old file survives every failed export (a writer that raises part-way, a
// full disk, a missing folder) and an export with nothing to write, and the error names the file and
// the reason.
#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "datagrid/DBGridXRtf.h"
#include "impexp_fixture.h"

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
