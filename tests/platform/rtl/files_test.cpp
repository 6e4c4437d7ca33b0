#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

#include "platform/rtl/sysutils.h"

TEST(FileNames, BothSeparatorsAccepted) {
  struct Case { const char* in; const char* path; const char* name; const char* ext; };
  const Case cases[] = {
      {"/opt/app/Hairs/女士/1.png", "/opt/app/Hairs/女士/", "1.png", ".png"},
      {"Hairs\\女士\\1.PNG", "Hairs/女士/", "1.PNG", ".PNG"},
      {"C:\\x\\y.tar.gz", "C:/x/", "y.tar.gz", ".gz"},
      {"noext", "", "noext", ""},
      {"dir.d/noext", "dir.d/", "noext", ""},
      {"Frames\\", "Frames/", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.in), c.path) << c.in;
    EXPECT_EQ(ExtractFileName(c.in), c.name) << c.in;
    EXPECT_EQ(ExtractFileExt(c.in), c.ext) << c.in;
  }
  EXPECT_EQ(ExtractFileDir("a/b/c.txt"), "a/b");
  EXPECT_EQ(ChangeFileExt("a\\b.jpg", ".bmp"), "a/b.bmp");
  EXPECT_EQ(ChangeFileExt("a.d/b", ".bmp"), "a.d/b.bmp");
  EXPECT_EQ(ChangeFileExt("x.png", ""), "x");
  EXPECT_EQ(IncludeTrailingPathDelimiter("a\\b"), "a/b/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("a/b/"), "a/b/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("a/b\\"), "a/b");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");
}

TEST(Files, CreateFindDelete) {
  std::string root = IncludeTrailingPathDelimiter(testing::TempDir()) + "rtl_files_" + std::to_string(getpid());
  std::string deep = root + "\\a\\b\\";
  ASSERT_TRUE(ForceDirectories(deep));
  EXPECT_TRUE(DirectoryExists(root + "/a/b"));
  EXPECT_FALSE(FileExists(root + "/a/b"));  // a folder is not a file
  std::string f = root + "/a/b/x.txt";
  std::ofstream(f) << "hi";
  EXPECT_TRUE(FileExists(f));
  EXPECT_EQ(FileSizeOf(f), 2);
  EXPECT_TRUE(DeleteFile(f));
  EXPECT_FALSE(FileExists(f));
  EXPECT_FALSE(DeleteFile(f));
  EXPECT_FALSE(DeleteFile(root + "/a"));  // folders are not deleted as files
  EXPECT_TRUE(RemoveDir(root + "/a/b"));
  EXPECT_TRUE(RemoveDir(root + "/a"));
  EXPECT_TRUE(RemoveDir(root));
  EXPECT_FALSE(GetCurrentDir().empty());
  EXPECT_EQ(ExecutablePath().back(), '/');
}
