// Backup.dat loading on any bytes, in a folder of this run's own where the archives a.zip
// and b.zip exist. What is kept must hold the catalog's rules (a plain file name that exists,
// at least one device, no file twice), and must come back the same after a save and a load.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/text.h"
#include "engine/backup_catalog.h"
#include "engine/settings.h"

namespace {

void write_bytes(const std::u16string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(u16_to_utf8(path).c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
}

bool same_text(const char16_t* a, const char16_t* b) { return std::u16string_view(a) == b; }

// A text holding the CDATA end marker goes as escaped text, whose blanks the parser condenses.
bool may_differ(const char16_t* text) { return std::u16string_view(text).find(u"]]>") != std::u16string_view::npos; }
// The date is plain text: only a date as the program writes it (digits and '-') comes back
// byte for byte; blanks are condensed and other bytes read by the declared encoding.
bool date_may_differ(const char* date) { return std::strspn(date, "0123456789-") != std::strlen(date); }

void check_same(const backup_device& a, const backup_device& b, bool date_free) {
  const char16_t* fa[] = {a.id, a.desc, a.class_desc, a.class_image, a.manu, a.name, a.version, a.date, a.backup_date, a.backup_file};
  const char16_t* fb[] = {b.id, b.desc, b.class_desc, b.class_image, b.manu, b.name, b.version, b.date, b.backup_date, b.backup_file};
  for (size_t i = 0; i < sizeof fa / sizeof fa[0]; ++i)
    if (!same_text(fa[i], fb[i]) && !may_differ(fa[i]) && !(date_free && fa[i] == a.backup_date)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::u16string folder = [] {
    char name[] = "/tmp/fuzz_backup_catalog.XXXXXX";
    if (!mkdtemp(name)) std::abort();
    std::u16string f = utf8_to_u16(name);
    copy_cut(app_settings.BackupPath, f);
    copy_cut(app_settings.backup_catalog_path, path_join(f, u"Backup.dat"));
    for (const char16_t* archive : {u"a.zip", u"b.zip"}) write_bytes(path_join(f, archive), nullptr, 0);
    return f;
  }();
  (void)folder;
  write_bytes(app_settings.backup_catalog_path, data, size);
  backup_catalog.clear();
  if (load_backup_catalog() != 0) {
    if (!backup_catalog.empty()) __builtin_trap();  // a failed load changes nothing
    return 0;
  }
  for (size_t i = 0; i < backup_catalog.size(); ++i) {
    const backup_record& r = backup_catalog[i];
    if (r.devices.empty() || (std::strcmp(r.file, "a.zip") != 0 && std::strcmp(r.file, "b.zip") != 0)) __builtin_trap();
    for (size_t j = 0; j < i; ++j)
      if (std::strcmp(backup_catalog[j].file, r.file) == 0) __builtin_trap();
  }
  const std::vector<backup_record> first = backup_catalog;
  if (save_backup_catalog() != 0) std::abort();
  backup_catalog.clear();
  if (load_backup_catalog() != 0 && !first.empty()) __builtin_trap();
  if (backup_catalog.size() != first.size()) __builtin_trap();
  for (size_t i = 0; i < first.size(); ++i) {
    const bool date_free = date_may_differ(first[i].date);
    if (std::strcmp(first[i].file, backup_catalog[i].file) != 0 ||
        (!date_free && std::strcmp(first[i].date, backup_catalog[i].date) != 0))
      __builtin_trap();
    if (first[i].devices.size() != backup_catalog[i].devices.size()) __builtin_trap();
    for (size_t j = 0; j < first[i].devices.size(); ++j) check_same(first[i].devices[j], backup_catalog[i].devices[j], date_free);
  }
  return 0;
}
