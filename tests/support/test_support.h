// Helpers shared by the test programs of both builds.
#pragma once

#include <filesystem>
#include <string>

// A path inside the source tree (fixtures, resources).
std::filesystem::path source_path(const std::string& relative);

// A fresh empty folder, removed with everything in it when the object goes.
class temp_folder {
 public:
  temp_folder();
  ~temp_folder();
  temp_folder(const temp_folder&) = delete;
  temp_folder& operator=(const temp_folder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// True in the Windows build when the program runs under Wine rather than Windows.
bool running_on_wine();

std::string read_file_bytes(const std::filesystem::path& path);
void write_file_bytes(const std::filesystem::path& path, const std::string& bytes);
