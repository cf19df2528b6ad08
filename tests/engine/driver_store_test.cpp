// The path rules of the driver store and the lookup by an INF's bytes before Windows 6.0.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/text.h"
#include "engine/dir_walker.h"
#include "engine/driver_store.h"
#include "tests/support/test_support.h"

namespace {

struct path_case {
  const char16_t* path;
  const char16_t* folder;    // null: -1
  const char16_t* relative;  // null: -1
};

TEST(DriverStore, FolderNameAndPlaceInsidePackage) {
  set_driver_store(u"", u"C:\\Windows\\System32\\DriverStore\\FileRepository", nullptr);
  const std::u16string r = u"C:\\Windows\\System32\\DriverStore\\FileRepository";
  const std::u16string paths[] = {
      r + u"\\X\\Y.inf", r + u"\\X\\sub\\a.sys", u"c:\\windows\\system32\\driverstore\\filerepository\\X\\Y.inf",
      r + u"\\X\\", r + u"\\X", u"C:\\Other\\X\\Y.inf", r + u"Old\\X\\Y.inf", r + u"\\\\Y.inf", r, r + u"\\X/sub/a.sys"};
  const path_case cases[] = {
      {paths[0].c_str(), u"X", u"Y.inf"},
      {paths[1].c_str(), u"X", u"sub\\a.sys"},
      {paths[2].c_str(), u"X", u"Y.inf"},  // the root compares without case
      {paths[3].c_str(), u"X", nullptr},   // a separator at the very end
      {paths[4].c_str(), u"X", nullptr},   // no file after the folder
      {paths[5].c_str(), nullptr, nullptr},
      {paths[6].c_str(), nullptr, nullptr},  // only begins like the root
      {paths[7].c_str(), nullptr, nullptr},  // no folder named
      {paths[8].c_str(), nullptr, nullptr},
      {paths[9].c_str(), u"X", u"sub/a.sys"},  // forward slashes are separators too
  };
  for (const path_case& c : cases) {
    SCOPED_TRACE(u16_to_utf8(c.path));
    char16_t folder[260] = u"stale";
    EXPECT_EQ(package_folder_name(folder, c.path), c.folder ? 0 : -1);
    if (c.folder) {
      EXPECT_EQ(std::u16string(folder), c.folder);
    }
    const char16_t* relative = nullptr;
    EXPECT_EQ(package_relative_path(c.path, &relative), c.relative ? 0 : -1);
    if (c.relative) {
      EXPECT_EQ(std::u16string(relative), c.relative);
    }
  }
  // Without a store (a failed start-up) nothing is inside it.
  set_driver_store(u"", u"", nullptr);
  char16_t folder[260];
  EXPECT_EQ(package_folder_name(folder, paths[0].c_str()), -1);
}

TEST(DriverStore, InfFoundInDrvstoreByItsBytes) {
  temp_folder temp;
  namespace fs = std::filesystem;
  const fs::path store_dir = temp.path() / "DRVSTORE";
  const std::u16string store = store_dir.u16string();
  const std::u16string inf = (temp.path() / "inf").u16string();
  fs::create_directories(fs::path(inf));
  auto put = [](const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    write_file_bytes(path, bytes);
  };
  put(store_dir / "a_1" / "same.inf", "[Version]\nsame");
  put(store_dir / "b_2" / "again.inf", "[Version]\nsame");
  put(store_dir / "c_3" / "OTHER.INF", "[Version]\nother");
  put(store_dir / "c_3" / "same.txt", "[Version]\nsame");  // not an INF by its name
  // Where the lookup joins the installed INF names to the INF folder.
  write_file_bytes(fs::path(path_join(inf, u"oem1.inf")), "[Version]\nsame");
  write_file_bytes(fs::path(path_join(inf, u"oem2.inf")), "[Version]\nother");
  write_file_bytes(fs::path(path_join(inf, u"oem3.inf")), "[Version]\nnowhere");

  drvstore_inf_map.clear();
  fill_drvstore_inf_map(store.c_str());
  set_driver_store(inf.c_str(), store.c_str(), nullptr);
  EXPECT_EQ(drvstore_inf_map.size(), 2u);

  // Of two INF files with the same bytes, the one walked later is found.
  std::u16string last_same;
  dir_walker w;
  ASSERT_TRUE(dir_walker_open(w, store.c_str()));
  while (const char16_t* p = dir_walker_next(w))
    if (read_file_bytes(fs::path(std::u16string(p))) == "[Version]\nsame" &&
        std::u16string(p).find(u".inf") != std::u16string::npos)
      last_same = p;
  dir_walker_close(w);

  char16_t buffer[260];
  ASSERT_TRUE(inf_store_location(u"oem1.inf", nullptr, nullptr, buffer, 260, nullptr));
  EXPECT_EQ(std::u16string(buffer), last_same);
  ASSERT_TRUE(inf_store_location(u"oem2.inf", nullptr, nullptr, buffer, 260, nullptr));
  EXPECT_EQ(std::u16string(buffer), (store_dir / "c_3" / "OTHER.INF").u16string());
  EXPECT_FALSE(inf_store_location(u"oem3.inf", nullptr, nullptr, buffer, 260, nullptr));
  EXPECT_FALSE(inf_store_location(u"oem9.inf", nullptr, nullptr, buffer, 260, nullptr)) << "no such INF";
  // A buffer too small for the path gives no path rather than a cut one.
  EXPECT_FALSE(inf_store_location(u"oem2.inf", nullptr, nullptr, buffer, 8, nullptr));

  drvstore_inf_map.clear();
  set_driver_store(u"", u"", nullptr);
}

}  // namespace
