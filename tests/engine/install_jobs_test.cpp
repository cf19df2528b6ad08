#include <gtest/gtest.h>

#include "engine/install_jobs.h"

#include <string>
#include <vector>

namespace {

TEST(InstallJobs, CommandLines) {
  EXPECT_EQ(extractor_command_line(u"C:\\dl\\pkg.zip", u"C:\\dl\\pkg"),
            u"extract.exe x \"C:\\dl\\pkg.zip\" -aos -o\"C:\\dl\\pkg\" -r -y");
  struct {
    bool force, not_all_present;
    const char16_t* expected;
  } cases[] = {
      {true, true, u"\"DPInst64.exe\" /F /PATH \"C:\\x\\a\""},
      {true, false, u"\"DPInst64.exe\" /F /SH /PATH \"C:\\x\\a\""},
      {false, true, u"\"DPInst64.exe\" /PATH \"C:\\x\\a\""},
      {false, false, u"\"DPInst64.exe\" /SH /PATH \"C:\\x\\a\""},
  };
  for (auto& c : cases) {
    EXPECT_EQ(install_command_line(u"DPInst64.exe", u"C:\\x\\a", c.force, c.not_all_present), c.expected);
    // A trailing backslash would escape the closing quote.
    EXPECT_EQ(install_command_line(u"DPInst64.exe", u"C:\\x\\a\\", c.force, c.not_all_present), c.expected);
  }
  EXPECT_EQ(uninstall_command_line(u"DPInst32.exe", u"C:\\windows\\inf\\oem12.inf"),
            u"DPInst32.exe /U \"C:\\windows\\inf\\oem12.inf\"");
  EXPECT_EQ(explorer_select_parameters(u"C:\\dl\\a b.zip"), u"/select,\"C:\\dl\\a b.zip\"");
}

TEST(InstallJobs, CommandLinesThatDoNotFitAreRefusedNotCut) {
  std::u16string folder = u"C:\\" + std::u16string(900, u'a');
  // 1023 characters exactly still fit; one more does not.
  std::u16string archive(1023 - extractor_command_line(u"", folder).size(), u'b');
  EXPECT_EQ(extractor_command_line(archive, folder).size(), 1023u);
  EXPECT_EQ(extractor_command_line(archive + u"b", folder), u"");
  EXPECT_EQ(install_command_line(u"DPInst64.exe", folder + std::u16string(120, u'c'), false, false), u"");
  EXPECT_EQ(uninstall_command_line(u"DPInst64.exe", std::u16string(494, u'd')), u"");
  EXPECT_EQ(uninstall_command_line(u"DPInst64.exe", std::u16string(493, u'd')).size(), 511u);
}

TEST(InstallJobs, InstallerByPlatform) {
  EXPECT_EQ(std::u16string(installer_name(true, false)), u"DPInst32.exe");  // 32-bit Windows
  EXPECT_EQ(std::u16string(installer_name(true, true)), u"DPInst64.exe");   // 32-bit program on 64-bit Windows
  EXPECT_EQ(std::u16string(installer_name(false, false)), u"DPInst64.exe");
}

TEST(InstallJobs, ExtensionsAndFolderNames) {
  struct {
    const char16_t* path;
    const char16_t* extension;
    const char16_t* folder;
  } cases[] = {
      {u"C:\\dl\\pkg.zip", u".zip", u"pkg"},
      {u"C:\\dl\\Setup.EXE", u".EXE", u"Setup"},
      {u"C:\\dl\\a.b\\pkg", u"", u"pkg"},
      {u"C:\\dl\\net-1.2.3.zip", u".zip", u"net-1.2.3"},
      {u"C:\\dl\\name. x", u"", u"name. x"},
      {u"pkg.cab", u".cab", u"pkg"},
      {u"C:\\dl\\.zip", u".zip", u""},  // nothing to name a folder after
      {u"C:\\dl\\..zip", u".zip", u""},   // would be the download folder itself
      {u"C:\\dl\\...zip", u".zip", u""},  // would be its parent
      {u"C:\\dl\\. ..cab", u".cab", u""},
      {u"", u"", u""},
  };
  for (auto& c : cases) {
    EXPECT_EQ(get_file_extension(c.path), c.extension) << std::string(c.path, c.path + std::char_traits<char16_t>::length(c.path));
    EXPECT_EQ(extract_folder_name(c.path), c.folder);
  }
}

TEST(InstallJobs, InfPathsFromTheServiceStayInsideTheFolder) {
  struct {
    const char16_t* path;
    bool safe;
  } cases[] = {
      {u"a.inf", true},          {u"x64\\a.inf", true},     {u"a/b\\c.inf", true},
      {u".\\a.inf", true},       {u"..\\a.inf", false},     {u"a\\..\\..\\b.inf", false},
      {u"\\windows\\a.inf", false}, {u"/a.inf", false},     {u"C:\\a.inf", false},
      {u"C:a.inf", false},       {u"a.inf:stream", false},  {u".. \\a.inf", false},
      {u"a\\...\\b.inf", false}, {u"", false},              {u"a..b\\c.inf", true},
  };
  for (auto& c : cases)
    EXPECT_EQ(is_safe_relative_path(c.path), c.safe)
        << std::string(c.path, c.path + std::char_traits<char16_t>::length(c.path));
}

TEST(InstallJobs, InfFolderAndSetupNames) {
  EXPECT_EQ(inf_folder_part(u"C:\\e\\x64\\a.inf"), u"C:\\e\\x64");
  EXPECT_EQ(inf_folder_part(u"C:\\e/a.inf"), u"C:\\e");
  EXPECT_EQ(inf_folder_part(u"a.inf"), u"");
  EXPECT_TRUE(is_setup_program_name(u"SETUP.exe"));
  EXPECT_TRUE(is_setup_program_name(u"autorun.EXE"));
  EXPECT_TRUE(is_setup_program_name(u"Install.exe"));
  EXPECT_FALSE(is_setup_program_name(u"setup.msi"));
  EXPECT_FALSE(is_setup_program_name(u"mysetup.exe"));
}

// What the job does after its install attempt, by package kind, install result, MD5 check,
// signature and whether the program starts.
TEST(InstallJobs, SetupProgramGateAndTheManualWay) {
  static int32_t installed;
  static bool trusted, starts;
  static std::vector<std::string> done;
  const install_steps steps{
      [](const install_job&) { return installed; },
      [](const std::u16string&) { return trusted; },
      [](const std::u16string& p) {
        done.push_back("start " + std::string(p.begin(), p.end()));
        return starts;
      },
      [](const install_job& j) { done.push_back("manual " + std::string(j.package_path.begin(), j.package_path.end())); },
  };
  struct {
    const char* what;
    const char16_t* package;
    int32_t installed;
    bool md5_verified, trusted, starts;
    int32_t result;
    std::vector<std::string> done;
  } cases[] = {
      {"installed", u"C:\\d\\a.zip", 0, false, false, true, 0, {}},
      {"zip not installed: manual", u"C:\\d\\a.zip", -1, true, true, true, -1, {"manual C:\\d\\a.zip"}},
      {"exe installed by its INFs", u"C:\\d\\a.exe", 0, false, false, true, 0, {}},
      {"exe, MD5 matched: started", u"C:\\d\\a.exe", -1, true, false, true, 0, {"start C:\\d\\a.exe"}},
      {"exe, signed: started", u"C:\\d\\A.EXE", -1, false, true, true, 0, {"start C:\\d\\A.EXE"}},
      {"exe, neither: refused, manual", u"C:\\d\\a.exe", -1, false, false, true, -1, {"manual C:\\d\\a.exe"}},
      {"exe that cannot start: manual", u"C:\\d\\a.exe", -1, true, false, false, -1,
       {"start C:\\d\\a.exe", "manual C:\\d\\a.exe"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    installed = c.installed;
    trusted = c.trusted;
    starts = c.starts;
    done.clear();
    install_job job;
    job.package_path = c.package;
    job.md5_verified = c.md5_verified;
    EXPECT_EQ(run_install_job(job, steps), c.result);
    EXPECT_EQ(done, c.done);
  }
}

TEST(InstallJobs, TextsFallBackToEnglish) {
  job_bindings saved = current_job_bindings();
  set_job_bindings(job_bindings{});
  EXPECT_EQ(job_text("manually_install_notify"), u"The current driver package requires manually installation.");
  job_bindings b;
  b.text = [](const char* key) -> std::u16string { return std::string_view(key) == "uninstall_finished" ? u"fin" : u""; };
  set_job_bindings(b);
  EXPECT_EQ(job_text("uninstall_finished"), u"fin");
  set_job_bindings(saved);
}

}  // namespace
