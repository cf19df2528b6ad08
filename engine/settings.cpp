#include "engine/settings.h"

#include "base/text.h"

app_settings_record app_settings;

void set_default_settings() {
  app_settings_record& s = app_settings;
  s.Autorun = 2;
  s.CloseToTray = 1;
  s.CheckVersion = 1;
  copy_cut(s.Language, u"en");
  s.MatchEngine = 0;
  s.ScanNonPresent = 0;
  s.AutoBackup = 0;
  copy_cut(s.DownloadPath, path_join(s.base_folder, u"Download"));
  copy_cut(s.BackupPath, path_join(s.base_folder, u"Backup"));
  s.ProxyType = 0;
  s.ProxyHost[0] = 0;
  s.ProxyPort = 0;
  s.ProxyUser[0] = 0;
  s.ProxyPass[0] = 0;
  s.EnableScheduler = 0;
  s.SchedulePeriod = 0;
  s.ScheduleWhen = 0;
  s.ScheduleStart = 0;
  copy_cut(s.InstallDate, u"0000-00-00");
  s.DebugStatus = 0;
  s.UninstallLink[0] = 0;
  copy_cut(s.backup_catalog_path, path_join(s.base_folder, u"Backup.dat"));
  copy_cut(s.exclusion_list_path, path_join(s.base_folder, u"Exclusion.dat"));
}
