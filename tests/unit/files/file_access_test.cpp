// Files the program only reads are opened for reading: read-only definition, PRM,
// PNT and settings files load. Paths longer than 260 bytes of UTF-8 (Japanese
// folder names) reach their files.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "files/definitions.h"
#include "files/guarded_file.h"
#include "files/parameter_file.h"
#include "files/point_file.h"
#include "files/settings.h"

namespace {

namespace fs = std::filesystem;

std::string utf8(const fs::path& p) {
  std::u8string text = p.u8string();
  return std::string(text.begin(), text.end());
}

class FileAccess : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("qz_access_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    TearDown();
    fs::create_directories(dir_);
  }
  void TearDown() override {
    // Read-only files cannot be deleted on Windows.
    std::error_code ignored;
    for (auto& e : fs::recursive_directory_iterator(dir_, ignored))
      fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(dir_, ignored);
  }
  fs::path dir_;
};

// Each loader on its own file; returns a bit per loader that failed.
int loadAll(const std::string& defs, const std::string& prm, const std::string& pnt,
            const std::string& settings) {
  int failed = 0;
  if (loadDefinitions(defs.c_str()) != 0) failed |= 1;
  if (readParameterFile(prm.c_str(), &g_parameterTable) != 0) failed |= 2;
  PointEntry points[POINT_COUNT] = {};
  if (readPointFile(pnt.c_str(), points) != 0) failed |= 4;
  if (loadSettings(settings.c_str()) != 0 || savedPort() != 2) failed |= 8;
  clearDefinitions();
  return failed;
}

TEST_F(FileAccess, ReadOnlyFilesLoad) {
  fs::path source = fs::path(QZ_SOURCE_DIR) / "data";
  fs::copy_file(source / "ParmDef.cfg", dir_ / "ParmDef.cfg");
  fs::copy_file(source / "Sample.PRM", dir_ / "Sample.PRM");
  fs::copy_file(source / "Sample.PNT", dir_ / "Sample.PNT");
  std::vector<char> block(SETTINGS_SIZE, 0);
  block[0] = 2;   // saved port COM3
  block[6] = 0x3C;
  block[7] = 0x05;
  std::ofstream(dir_ / "SetData.cfg", std::ios::binary).write(block.data(), block.size());
  const fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
  for (const char* name : {"ParmDef.cfg", "Sample.PRM", "Sample.PNT", "SetData.cfg"})
    fs::permissions(dir_ / name, readOnly);
  std::string defs = utf8(dir_ / "ParmDef.cfg"), prm = utf8(dir_ / "Sample.PRM"),
              pnt = utf8(dir_ / "Sample.PNT"), settings = utf8(dir_ / "SetData.cfg");

#ifndef _WIN32
  if (geteuid() == 0) {
    // Root may write any file: the loaders run in a child that has dropped to an
    // ordinary user, for whom the mode bits hold.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (setgid(65534) != 0 || setuid(65534) != 0) _exit(100);
      _exit(loadAll(defs, prm, pnt, settings));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "bit 1 definitions, 2 PRM, 4 PNT, 8 settings";
    return;
  }
#endif
  EXPECT_EQ(loadAll(defs, prm, pnt, settings), 0) << "bit 1 definitions, 2 PRM, 4 PNT, 8 settings";
}

TEST_F(FileAccess, PathsBeyond260BytesOfUtf8) {
  // Two folders of 60 kanji each: well over 260 bytes of UTF-8, well under 260
  // UTF-16 units, and each name within the 255 bytes a Linux name may have.
  std::u8string kanji;
  for (int i = 0; i < 6; ++i) kanji += u8"設定用データ保存場所";
  fs::path deep = dir_ / kanji / kanji;
  fs::create_directories(deep);
  std::string target = utf8(deep / u8"長い名前.PRM");
  ASSERT_GT(target.size(), 400u);

  ASSERT_EQ(replaceWholeFile(LOCATION_AS_GIVEN, 0, target.c_str(), "first", 5), FILE_OK);
  char* data = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(readWholeFile(LOCATION_AS_GIVEN, 0, target.c_str(), &data, &size), FILE_OK);
  EXPECT_STREQ(data, "first");
  freeFileData(data);
  uint16_t status = 1;
  EXPECT_EQ(fileExists(LOCATION_AS_GIVEN, 0, target.c_str(), &status), 1);
  FileHandle file = openFile(LOCATION_AS_GIVEN, 0, target.c_str(), &status);
  ASSERT_NE(file, FILE_NONE);
  uint32_t done = 0;
  EXPECT_EQ(writeAt(file, 5, 0, 1, "other", &done), FILE_OK);
  closeFile(file);
  std::ifstream in(deep / u8"長い名前.PRM", std::ios::binary);
  std::string back((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(back, "other");
}

}  // namespace
