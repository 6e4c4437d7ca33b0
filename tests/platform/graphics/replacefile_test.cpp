// Replacing a file: a failure part-way (a file-size limit stands in for a full disk) leaves the old file
// and no temporary file behind; success keeps the old file's permissions.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/graphics/codecs.h"
#include "platform/graphics/replacefile.h"

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes Contents(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), {});
}

fs::path FreshFolder(const char* name) {
  const fs::path dir = fs::path(::testing::TempDir()) / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

std::size_t EntriesIn(const fs::path& dir) { return std::size_t(std::distance(fs::directory_iterator(dir), {})); }

// Writing more than `limit` bytes to any file fails with EFBIG while this lives, as a full disk would.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t limit) {
    getrlimit(RLIMIT_FSIZE, &old_);
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit l = old_;
    l.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &l);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, previous_);
  }

 private:
  rlimit old_{};
  void (*previous_)(int) = nullptr;
};

}  // namespace

TEST(ReplaceFile, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
  const fs::path dir = FreshFolder("replace_fail");
  const fs::path target = dir / "0.bmp";
  const Bytes good(3000, 0x42), bigger(20000, 0x17);
  ASSERT_EQ(PictureFiles::ReplaceFile(target.string(), good), 0);
  {
    FileSizeLimit limit(8192);
    EXPECT_EQ(PictureFiles::ReplaceFile(target.string(), bigger), EFBIG);
    errno = 0;
    EXPECT_FALSE(PictureCodecs::WriteWholeFile(target.string(), bigger));
    EXPECT_EQ(errno, EFBIG);  // the reason stays readable for the caller
  }
  EXPECT_EQ(Contents(target), good);
  EXPECT_EQ(EntriesIn(dir), 1u);

  // A missing folder and a folder in the way are refused with their reasons, creating nothing.
  EXPECT_EQ(PictureFiles::ReplaceFile((dir / "no" / "such.bmp").string(), good), ENOENT);
  fs::create_directory(dir / "taken.bmp");
  EXPECT_EQ(PictureFiles::ReplaceFile((dir / "taken.bmp").string(), good), EISDIR);
  EXPECT_EQ(EntriesIn(dir), 2u);
}

TEST(ReplaceFile, ReplacesWholeAndKeepsThePermissions) {
  const fs::path dir = FreshFolder("replace_ok");
  const fs::path target = dir / "page.bmp";
  const Bytes first(5000, 1), second(70, 2);
  ASSERT_EQ(PictureFiles::ReplaceFile(target.string(), first), 0);
  const mode_t mask = ::umask(022);
  ::umask(mask);
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
  ::chmod(target.c_str(), 0640);
  ASSERT_EQ(PictureFiles::ReplaceFile(target.string(), second), 0);
  EXPECT_EQ(Contents(target), second);  // shorter than before: nothing of the old file is left at its end
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  // A plain name is written in the current folder.
  const fs::path here = fs::current_path();
  fs::current_path(dir);
  EXPECT_EQ(PictureFiles::ReplaceFile("plain.bmp", second), 0);
  fs::current_path(here);
  EXPECT_EQ(Contents(dir / "plain.bmp"), second);
  EXPECT_EQ(EntriesIn(dir), 2u);
}
