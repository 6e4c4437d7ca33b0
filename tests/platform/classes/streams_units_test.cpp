#include <gtest/gtest.h>

#include <unistd.h>

#include "platform/classes/classes.h"
#include "platform/classes/units.h"

TEST(Streams, MemoryRoundTripAndReadErrors) {
  TMemoryStream ms;
  ms.WriteValue<int32_t>(0x01020304);
  ms.WriteValue<double>(2.5);
  ms.WriteString("尾");
  EXPECT_EQ(ms.Size(), 4 + 8 + 3);
  ms.SetPosition(0);
  EXPECT_EQ(ms.ReadValue<int32_t>(), 0x01020304);
  EXPECT_EQ(ms.ReadValue<double>(), 2.5);
  char buf[8];
  EXPECT_EQ(ms.Read(buf, 8), 3);  // a short read returns what there was
  EXPECT_THROW(ms.ReadBuffer(buf, 1), EReadError);
  ms.Seek(20, soBeginning);  // past the end: the gap fills with zeros on writing
  ms.WriteValue<uint8_t>(7);
  EXPECT_EQ(ms.Size(), 21);
  EXPECT_EQ(static_cast<const uint8_t*>(ms.Memory())[16], 0);
  ms.SetSize(4);
  EXPECT_EQ(ms.Position(), 4);
  ms.Clear();
  EXPECT_EQ(ms.Size(), 0);
}

TEST(Streams, FileStreamRoundTripAndOpenErrors) {
  std::string dir = testing::TempDir() + "/streams_" + std::to_string(getpid());
  ForceDirectories(dir);
  std::string f = dir + "/data.bin";
  {
    TFileStream fs(f, fmCreate | fmShareExclusive);  // share modes are accepted and ignored
    TStringStream src("hello world");
    EXPECT_EQ(fs.CopyFrom(&src, 0), 11);
  }
  TMemoryStream ms;
  ms.LoadFromFile(f);
  EXPECT_EQ(std::string(static_cast<const char*>(ms.Memory()), 11), "hello world");
  {
    TFileStream fs(f, fmOpenReadWrite);
    fs.Seek(-5, soEnd);
    fs.WriteString("WORLD");
    EXPECT_EQ(fs.Size(), 11);
  }
  {
    TFileStream fs(f, fmOpenRead);
    TStringStream out;
    out.CopyFrom(&fs, 0);
    EXPECT_EQ(out.DataString(), "hello WORLD");
    EXPECT_THROW(fs.WriteBuffer("x", 1), EWriteError);  // opened for reading only
  }
  try {
    TFileStream fs(dir + "/missing.bin", fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message().rfind("Cannot open file \"" + dir + "/missing.bin\". ", 0), 0u) << e.Message();
  }
  EXPECT_THROW(TFileStream(dir + "/no/such/dir/x.bin", fmCreate), EFCreateError);
  EXPECT_THROW(TFileStream(dir, fmOpenRead), EFOpenError);  // a folder is not a file
  DeleteFile(f);
  RemoveDir(dir);
}

TEST(Streams, StringStream) {
  TStringStream s("abcdef");
  s.Seek(2, soBeginning);
  EXPECT_EQ(s.ReadString(2), "cd");
  s.WriteString("XYZ");
  EXPECT_EQ(s.DataString(), "abcdXYZ");
  EXPECT_EQ(s.Seek(100, soBeginning), 7);
}

TEST(Units, ForwardStartReverseFinishOnlyForStartedUnits) {
  ClearUnits();
  std::vector<std::string> log;
  auto unit = [&](const std::string& name, bool failInit = false) {
    AddUnit(name, [&log, name, failInit] {
      if (failInit) throw EInvalidOperation("boom");
      log.push_back("init " + name);
    }, [&log, name] { log.push_back("fini " + name); });
  };
  unit("System");
  unit("Classes");
  unit("Communal");
  EXPECT_THROW(AddUnit("communal", nullptr, nullptr), EInvalidOperation);
  InitializeUnits();
  EXPECT_TRUE(UnitInitialized("Classes"));
  EXPECT_THROW(InitializeUnits(), EInvalidOperation);  // no unit starts twice
  FinalizeUnits();
  EXPECT_EQ(log, (std::vector<std::string>{"init System", "init Classes", "init Communal", "fini Communal",
                                           "fini Classes", "fini System"}));
  FinalizeUnits();  // nothing left to finalise
  EXPECT_EQ(log.size(), 6u);

  ClearUnits();
  log.clear();
  unit("A");
  unit("B", true);
  unit("C");
  EXPECT_THROW(InitializeUnits(), EInvalidOperation);
  FinalizeUnits();
  EXPECT_EQ(log, (std::vector<std::string>{"init A", "fini A"}));
  ClearUnits();
}
