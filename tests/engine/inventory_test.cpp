#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>

#include "base/text.h"
#include "engine/engine_errors.h"
#include "engine/inventory.h"
#include "tests/support/test_support.h"
#include "widgets/language.h"

using namespace std::string_literals;

namespace {

const std::u16string any_guid = u"{4D36E96F-E325-11CE-BFC1-08002BE10318}";

// A source that hands out the records a test chose, and counts what the scan asked of it.
class table_source : public device_source {
 public:
  std::vector<raw_class> classes;
  std::vector<raw_device> devices;
  std::map<int32_t, raw_driver_values> drivers;  // by entry index; none: no driver key
  bool classes_fail = false, open_fail = false;
  int32_t fail_at = -1;  // the walk fails at this index
  int opens = 0, closes = 0;
  std::set<int32_t> rank_reads;

  bool read_classes(std::vector<raw_class>& out) override {
    out = classes;
    return !classes_fail;
  }
  bool open_devices() override {
    ++opens;
    return !open_fail;
  }
  int32_t count_devices() override { return int32_t(devices.size()); }
  entry_result read_device(int32_t index, raw_device& out) override {
    if (index == fail_at) return entry_result::failure;
    if (size_t(index) >= devices.size()) return entry_result::end;
    out = devices[size_t(index)];
    return entry_result::entry;
  }
  raw_driver_values read_driver_values(int32_t index) override {
    auto it = drivers.find(index);
    return it == drivers.end() ? raw_driver_values{} : it->second;
  }
  uint32_t read_driver_rank(int32_t index, const char16_t*) override {
    rank_reads.insert(index);
    return 0xFF0000u + uint32_t(index);
  }
  void close_devices() override { ++closes; }
};

// The scan page's list as the scan sees it.
class recording_list : public scan_list_sink {
 public:
  explicit recording_list(scan_progress& p) : progress(p) {}
  scan_progress& progress;
  std::vector<std::u16string> names;
  std::vector<std::u16string> published;  // last_name as the page would read it, per entry
  int locks = 0;
  bool held = false;

  void on_device_scanned(const char16_t* name) override {
    names.push_back(name);
    lock();
    published.push_back(progress.last_name);
    unlock();
  }
  void lock() override {
    EXPECT_FALSE(held);
    held = true;
    ++locks;
  }
  void unlock() override { held = false; }
};

raw_class cls(const char16_t* name, const char16_t* description) {
  raw_class c;
  c.guid_text = any_guid;
  c.description = description;
  c.name = std::u16string(name);
  return c;
}

std::vector<raw_class> stock_classes() {
  std::vector<raw_class> v;
  for (const char16_t* n : {u"USB", u"Mouse", u"Printer", u"Dot4Printer", u"Image", u"System",
                            u"Computer", u"DiskDrive", u"Volume", u"Processor", u"HIDClass",
                            u"Unknown", u"LegacyDriver"})
    v.push_back(cls(n, n));
  return v;
}

// A present device of a class, with one hardware ID.
raw_device dev(std::u16string id, std::u16string class_name = u"USB") {
  raw_device d;
  d.instance_id = id;
  d.description = u"Device " + id;
  d.enumerator = id.substr(0, id.find(u'\\'));
  d.class_name = class_name;
  d.class_guid = class_name.empty() ? u"" : any_guid;
  d.hardware_ids = u"HW\\" + id.substr(0, id.rfind(u'\\')) + u"\0\0"s;
  d.status_read = true;
  d.status = 0x180200A;
  return d;
}

raw_device unplugged(raw_device d) {
  d.status_read = false;
  return d;
}

// The six driver values, or all but one.
raw_driver_values driver(int missing = -1) {
  raw_driver_values v;
  v.key_opened = true;
  const char16_t* texts[6] = {u"1.2.3.4", u"oem9.inf", u"11-5-2013",
                              u"A driver", u"hw\\match", u"A maker"};
  for (int i = 0; i < 6; ++i)
    if (i != missing) v.values[i] = std::u16string(texts[i]);
  return v;
}

enum expect { dropped, kept, kept_if_non_present, duplicate };

struct rule_case {
  const char* what;
  raw_device raw;
  std::optional<raw_driver_values> driver;
  expect outcome;
  const char16_t* class_name;  // of a kept device
};

std::vector<rule_case> rule_table() {
  raw_device no_ids = dev(u"USB\\VID_3&PID_3\\1");
  no_ids.hardware_ids.reset();
  raw_device empty_ids = dev(u"USB\\VID_4&PID_4\\1");
  empty_ids.hardware_ids = u"\0\0"s;
  raw_device no_id = dev(u"USB\\VID_5&PID_5\\1");
  no_id.instance_id.reset();
  raw_device no_enumerator = dev(u"HID\\VID_6&PID_6\\1", u"HIDClass");
  no_enumerator.enumerator.reset();
  raw_device root_from_id = dev(u"ROOT\\FROMID\\0000", u"System");
  root_from_id.enumerator.reset();
  raw_device lower_root = dev(u"Root\\LOWER\\0000", u"System");
  lower_root.enumerator = u"root";
  raw_device usbprint = unplugged(dev(u"UsbPrint\\P\\1", u"Mouse"));
  raw_device no_guid = dev(u"USB\\VID_7&PID_7\\1", u"Mouse");
  no_guid.class_guid.clear();
  return {
      {"first of two ports", dev(u"USB\\VID_1&PID_1\\5&2a0&0&1"), driver(), kept, u"USB"},
      {"second of two ports", dev(u"USB\\VID_1&PID_1\\5&2a0&0&2"), driver(), duplicate, nullptr},
      {"no hardware IDs", no_ids, std::nullopt, dropped, nullptr},
      {"empty hardware-ID list", empty_ids, std::nullopt, dropped, nullptr},
      {"no instance ID", no_id, std::nullopt, dropped, nullptr},
      {"instance ID without backslash", dev(u"NOSLASH"), std::nullopt, dropped, nullptr},
      {"instance ID with only a leading backslash", dev(u"\\LEADING"), std::nullopt, dropped, nullptr},
      {"ROOT with driver", dev(u"ROOT\\A\\0000", u"System"), driver(), dropped, nullptr},
      {"ROOT without driver key", dev(u"ROOT\\B\\0000", u"System"), std::nullopt, kept, u"System"},
      {"ROOT without InfPath", dev(u"ROOT\\C\\0000", u"System"), driver(1), kept, u"System"},
      {"root in lower case with driver", lower_root, driver(), dropped, nullptr},
      {"ROOT taken from the instance ID", root_from_id, driver(), dropped, nullptr},
      {"ISAPNP with driver", dev(u"ISAPNP\\X\\1", u"Mouse"), driver(), dropped, nullptr},
      {"disk drive with driver", dev(u"USBSTOR\\DISK\\1", u"DiskDrive"), driver(), dropped, nullptr},
      {"disk drive without driver", dev(u"USBSTOR\\DISK\\2", u"DiskDrive"), std::nullopt, kept, u"DiskDrive"},
      {"ACPI_HAL system", dev(u"ACPI_HAL\\PNP0C08\\0", u"System"), driver(), dropped, nullptr},
      {"ACPI_HAL computer", dev(u"ACPI_HAL\\PNP0C08\\1", u"Computer"), driver(), kept, u"Computer"},
      {"STORAGE volume", dev(u"STORAGE\\VOLUME\\1", u"Volume"), driver(), dropped, nullptr},
      {"ACPI processor", dev(u"ACPI\\GENUINEINTEL\\0", u"Processor"), driver(), dropped, nullptr},
      {"ACPI system", dev(u"ACPI\\PNP0A08\\0", u"System"), driver(), dropped, nullptr},
      {"ACPI mouse", dev(u"ACPI\\PNP0F13\\4", u"Mouse"), driver(), kept, u"Mouse"},
      {"unplugged mouse", unplugged(dev(u"HID\\VID_2&PID_2\\1", u"Mouse")), driver(), kept_if_non_present, u"Mouse"},
      {"unplugged printer", unplugged(dev(u"LPTENUM\\P\\1", u"Printer")), driver(), kept, u"Printer"},
      {"unplugged camera", unplugged(dev(u"USB\\CAM\\1", u"Image")), driver(), kept, u"Image"},
      {"unplugged Dot4 printer", unplugged(dev(u"DOT4\\P\\1", u"Dot4Printer")), driver(), kept, u"Dot4Printer"},
      {"unplugged on USBPRINT", usbprint, driver(), kept, u"Mouse"},
      {"legacy driver", dev(u"ROOT\\LEGACY_BEEP\\0000", u"LegacyDriver"), std::nullopt, dropped, nullptr},
      {"no class at all", dev(u"USB\\VID_8&PID_8\\1", u""), std::nullopt, kept, u"Unknown"},
      {"class name without GUID", no_guid, driver(), kept, u"Unknown"},
      {"class the system does not list", dev(u"USB\\VID_9&PID_9\\1", u"Gadget"), std::nullopt, dropped, nullptr},
      {"enumerator from the instance ID", no_enumerator, std::nullopt, kept, u"HIDClass"},
  };
}

struct kept_device {
  std::u16string id;
  int32_t duplicates;
  std::u16string class_name;
  bool operator==(const kept_device& o) const {
    return id == o.id && duplicates == o.duplicates && class_name == o.class_name;
  }
};

std::ostream& operator<<(std::ostream& os, const kept_device& k) {
  return os << u16_to_utf8(k.id) << " x" << k.duplicates << " " << u16_to_utf8(k.class_name);
}

TEST(Inventory, RulesTableKeepsAndDropsEachRecord) {
  std::vector<rule_case> table = rule_table();
  for (uint32_t non_present : {0u, 1u}) {
    SCOPED_TRACE(non_present ? "ScanNonPresent on" : "ScanNonPresent off");
    table_source source;
    source.classes = stock_classes();
    std::vector<kept_device> want;
    for (size_t i = 0; i < table.size(); ++i) {
      source.devices.push_back(table[i].raw);
      if (table[i].driver) source.drivers[int32_t(i)] = *table[i].driver;
      expect e = table[i].outcome;
      if (e == kept || (e == kept_if_non_present && non_present)) {
        want.push_back({*cut_instance_id(*table[i].raw.instance_id), 1, table[i].class_name});
      } else if (e == duplicate) {
        ++want.back().duplicates;
      }
    }
    device_store store;
    scan_progress progress;
    progress.scan_non_present = non_present;
    ASSERT_EQ(scan_devices(store, progress, source), 0);
    std::vector<kept_device> got;
    for (const device_info& d : store.devices) {
      ASSERT_NE(d.device_class, nullptr);
      got.push_back({d.instance_id, d.duplicates, d.device_class->class_name});
    }
    EXPECT_EQ(got, want);
    EXPECT_EQ(progress.total, int32_t(table.size()));
    EXPECT_EQ(progress.current, int32_t(table.size()));
    EXPECT_EQ(source.closes, 1);

    // What the walk found out about the kept ones.
    device_info* no_guid = find_device(store, u"USB\\VID_7&PID_7");
    ASSERT_NE(no_guid, nullptr);
    EXPECT_EQ(no_guid->has_driver, 0) << "driver values are read only with class name and GUID";
    device_info* from_id = find_device(store, u"HID\\VID_6&PID_6");
    ASSERT_NE(from_id, nullptr);
    EXPECT_EQ(std::u16string(from_id->enumerator), u"HID");
    device_info* four = find_device(store, u"ROOT\\C");
    ASSERT_NE(four, nullptr);
    EXPECT_EQ(four->has_driver, 0);
    EXPECT_EQ(std::u16string(four->DriverVersion), u"1.2.3.4") << "values before the missing one stay";
    EXPECT_EQ(four->DriverDate[0], u'\0') << "the reading stops at the missing one";
  }
}

// The language texts as the program has them at start-up, for the name of a nameless device.
class language_texts {
 public:
  explicit language_texts(std::u16string_view code) {
    static const std::string ini = read_file_bytes(source_path("resources/vantoril/language.ini"));
    load_language_from(ini, code);
  }
  ~language_texts() { unload_language(); }
};

TEST(Inventory, NamelessDeviceGetsTheLanguageText) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"en", u"Unknown Device"}, {u"ja", u"\u4E0D\u660E\u306A\u30C7\u30D0\u30A4\u30B9"}};
  for (auto [code, want] : cases) {
    language_texts texts(code);
    table_source source;
    source.classes = stock_classes();
    raw_device nameless = dev(u"USB\\VID_3&PID_3\\1");
    nameless.description.clear();
    source.devices = {nameless};
    device_store store;
    scan_progress progress;
    ASSERT_EQ(scan_devices(store, progress, source), 0);
    ASSERT_EQ(store.devices.size(), 1u);
    EXPECT_EQ(std::u16string(store.devices[0].name), want) << u16_to_utf8(code);
  }
}

TEST(Inventory, DeviceFieldsFromTheRawRecord) {
  language_texts texts(u"en");
  table_source source;
  source.classes = stock_classes();
  raw_device full = dev(u"USB\\VID_1&PID_1\\1");
  full.friendly_name = u"Friendly";
  full.hardware_ids = u"A\0B\0\0\0junk"s;
  full.compatible_ids = u"C\0"s;  // not ended by a second NUL
  full.status = 0x400;
  full.problem = 28;
  raw_device described = dev(u"USB\\VID_2&PID_2\\1");
  described.friendly_name.clear();
  described.status = 0x180200A;
  described.problem = 28;  // without DN_HAS_PROBLEM it is not a problem
  raw_device nameless = dev(u"USB\\VID_3&PID_3\\1");
  nameless.description.clear();
  raw_device longest = dev(u"USB\\" + std::u16string(300, u'L') + u"\\1");
  longest.friendly_name = std::u16string(1500, u'N');
  longest.class_name = u"USB";
  source.devices = {full, described, nameless, longest};
  raw_driver_values values = driver();
  values.values[5].reset();  // no ProviderName
  values.values[3] = std::u16string(2000, u'D');
  source.drivers[0] = values;
  source.drivers[1] = driver();
  source.drivers[1].values[2] = u"not a date";

  device_store store;
  scan_progress progress;
  ASSERT_EQ(scan_devices(store, progress, source), 0);
  ASSERT_EQ(store.devices.size(), 4u);
  const device_info& a = store.devices[0];
  EXPECT_EQ(std::u16string(a.name), u"Friendly");
  EXPECT_EQ(a.hardware_ids, u"A\0B\0\0"s);
  EXPECT_EQ(split_multi_string(a.hardware_ids), (std::vector<std::u16string>{u"A", u"B"}));
  EXPECT_EQ(a.compatible_ids, u"C\0\0"s);
  EXPECT_EQ(a.problem, 28);
  EXPECT_EQ(a.present, 1);
  EXPECT_EQ(a.has_driver, 1);
  EXPECT_EQ(std::u16string(a.DriverDate), u"2013-11-05");
  EXPECT_EQ(std::u16string(a.ProviderName), u"");
  EXPECT_EQ(u16_length(a.DriverDesc), 1024u);
  EXPECT_EQ(std::u16string(a.InfPath), u"oem9.inf");
  EXPECT_EQ(std::u16string(a.MatchingDeviceId), u"hw\\match");
  EXPECT_EQ(a.driver_rank, 0xFF0000u);

  const device_info& b = store.devices[1];
  EXPECT_EQ(std::u16string(b.name), u"Device USB\\VID_2&PID_2\\1");
  EXPECT_EQ(b.problem, 0);
  EXPECT_EQ(b.has_driver, 1);
  EXPECT_EQ(std::u16string(b.DriverDate), u"");
  EXPECT_EQ(std::u16string(store.devices[2].name), u"Unknown Device");
  EXPECT_TRUE(store.devices[2].compatible_ids.empty());
  EXPECT_EQ(store.devices[2].has_driver, 0);
  EXPECT_EQ(store.devices[2].driver_rank, 0u);

  const device_info& d = store.devices[3];
  EXPECT_EQ(u16_length(d.instance_id), 199u);
  EXPECT_EQ(u16_length(d.name), 1024u);
  EXPECT_EQ(source.rank_reads, (std::set<int32_t>{0, 1}));
}

TEST(Inventory, DeviceWithoutClassIsDroppedWhenTheSystemHasNoUnknownClass) {
  table_source source;
  source.classes = {cls(u"USB", u"USB")};
  source.devices = {dev(u"USB\\A\\1", u""), dev(u"USB\\B\\1")};
  device_store store;
  scan_progress progress;
  ASSERT_EQ(scan_devices(store, progress, source), 0);
  ASSERT_EQ(store.devices.size(), 1u);
  EXPECT_EQ(std::u16string(store.devices[0].instance_id), u"USB\\B");
}

TEST(Inventory, RankIsReadOnlyForKeptDevicesWithDriverValues) {
  table_source source;
  source.classes = stock_classes();
  source.devices = {dev(u"ROOT\\A\\0000", u"System"), dev(u"USB\\B\\1"), dev(u"USB\\B\\2"),
                    unplugged(dev(u"USB\\C\\1", u"Mouse")), dev(u"USB\\D\\1")};
  for (int32_t i = 0; i < 4; ++i) source.drivers[i] = driver();
  device_store store;
  scan_progress progress;
  ASSERT_EQ(scan_devices(store, progress, source), 0);
  EXPECT_EQ(source.rank_reads, std::set<int32_t>{1});
}

TEST(Inventory, ClassListLeavesOutUnnamedClassesAndSortsByDescription) {
  table_source source;
  raw_class unnamed = cls(u"X", u"Alpha");
  unnamed.name.reset();
  raw_class long_name = cls(u"", u"Zulu");
  long_name.name = std::u16string(40, u'C');
  long_name.image_index = 7;
  source.classes = {cls(u"B", u"beta"), unnamed, long_name, cls(u"A", u"Beta"), cls(u"E", u"")};
  device_store store;
  store.image_list.handle = &store;  // any handle: every class carries it
  scan_progress progress;
  ASSERT_EQ(scan_devices(store, progress, source), 0);
  std::vector<std::u16string> order;
  for (const device_class_info& c : store.classes) {
    order.push_back(c.description);
    EXPECT_EQ(c.image_list, &store);
    EXPECT_EQ(std::u16string(c.guid_text), any_guid);
  }
  // Ordinal: upper case before lower case, the empty text first.
  EXPECT_EQ(order, (std::vector<std::u16string>{u"", u"Beta", u"Zulu", u"beta"}));
  EXPECT_EQ(std::u16string(store.classes[2].class_name), std::u16string(31, u'C'));
  EXPECT_EQ(store.classes[2].image_index, 7);
}

TEST(Inventory, FailuresGiveTheirCodesAndAlwaysCloseTheDeviceList) {
  {
    table_source source;
    source.classes_fail = true;
    device_store store;
    scan_progress progress;
    EXPECT_EQ(scan_devices(store, progress, source), engine_error::class_list);
    EXPECT_EQ(source.opens, 0);
  }
  {
    table_source source;
    source.open_fail = true;
    device_store store;
    scan_progress progress;
    EXPECT_EQ(scan_devices(store, progress, source), engine_error::device_list);
  }
  {
    table_source source;
    source.classes = stock_classes();
    source.devices = {dev(u"USB\\A\\1"), dev(u"USB\\B\\1"), dev(u"USB\\C\\1")};
    source.fail_at = 2;
    device_store store;
    scan_progress progress;
    EXPECT_EQ(scan_devices(store, progress, source), engine_error::device_walk);
    EXPECT_EQ(store.devices.size(), 2u) << "what was gathered stays";
    EXPECT_EQ(source.closes, 1);
  }
}

TEST(Inventory, ProgressReportsEveryEntryAndPublishesACopyOfTheKeptName) {
  table_source source;
  source.classes = stock_classes();
  raw_device broken = dev(u"USB\\X\\1");
  broken.instance_id.reset();
  // Enough kept devices to make the store's array move several times.
  for (int i = 0; i < 40; ++i) source.devices.push_back(dev(u"USB\\D" + utf8_to_u16(std::to_string(i)) + u"\\1"));
  source.devices.insert(source.devices.begin() + 5, broken);
  source.devices.insert(source.devices.begin() + 6, dev(u"USB\\D0\\2"));
  device_store store;
  scan_progress progress;
  recording_list list(progress);
  progress.list = &list;
  ASSERT_EQ(scan_devices(store, progress, source), 0);
  ASSERT_EQ(list.names.size(), 42u);
  EXPECT_EQ(list.names[5], u"") << "called also when the properties cannot be read";
  EXPECT_EQ(list.names[6], u"Device USB\\D0\\2") << "called also for a duplicate";
  EXPECT_EQ(store.devices.size(), 40u);
  EXPECT_EQ(store.devices[0].duplicates, 2);
  // Each entry sees the name of the device kept before it, copied, not pointing into the store.
  EXPECT_EQ(list.published[0], u"");
  EXPECT_EQ(list.published[1], u"Device USB\\D0\\1");
  EXPECT_EQ(list.published[41], u"Device USB\\D38\\1");
  EXPECT_EQ(std::u16string(progress.last_name), u"Device USB\\D39\\1");
  EXPECT_EQ(list.locks, 42 + 40);
}

TEST(Inventory, EveryScanStartsFromAnEmptyStore) {
  table_source source;
  source.classes = stock_classes();
  source.devices = {dev(u"USB\\A\\1"), dev(u"USB\\B\\1")};
  device_store store;
  scan_progress progress;
  ASSERT_EQ(scan_devices(store, progress, source), 0);
  store.devices[0].candidates.resize(3);
  source.devices = {dev(u"USB\\C\\1")};
  source.classes.pop_back();
  ASSERT_EQ(scan_devices(store, progress, source), 0);
  ASSERT_EQ(store.devices.size(), 1u);
  EXPECT_EQ(std::u16string(store.devices[0].instance_id), u"USB\\C");
  EXPECT_TRUE(store.devices[0].candidates.empty());
  EXPECT_EQ(store.classes.size(), stock_classes().size() - 1);
}

TEST(Inventory, DriverDateRewrite) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"11-5-2013", u"2013-11-05"}, {u"6-21-2006", u"2006-06-21"}, {u"01-01-1999", u"1999-01-01"},
      {u"2013-11-05", u"2013-11-05"}, {u"2013-1-5", u"2013-01-05"},  {u" 3-14-2019 ", u"2019-03-14"},
      {u"", u""},                     {u"abc", u""},                  {u"11-5", u""},
      {u"11/5/2013", u""},            {u"13-5-2013", u""},            {u"11-32-2013", u""},
      {u"11-5-2013x", u""},           {u"0-5-2013", u""},             {u"11-5-123456", u""},
      {u"-5-2013", u""},
  };
  for (const auto& [in, want] : cases)
    EXPECT_EQ(rewrite_driver_date(in), want) << u16_to_utf8(in);
}

TEST(Inventory, InstanceIdCutAndMultiStrings) {
  EXPECT_EQ(cut_instance_id(u"USB\\VID_1&PID_2\\5&2a0&0&1"), std::u16string(u"USB\\VID_1&PID_2"));
  EXPECT_EQ(cut_instance_id(u"A\\B\\C\\D"), std::u16string(u"A\\B\\C"));
  EXPECT_EQ(cut_instance_id(u"A\\"), std::u16string(u"A"));
  EXPECT_FALSE(cut_instance_id(u"\\A"));
  EXPECT_FALSE(cut_instance_id(u"ABC"));
  EXPECT_FALSE(cut_instance_id(u""));
  EXPECT_EQ(normalize_multi_string(u"A\0B\0\0"s), u"A\0B\0\0"s);
  EXPECT_EQ(normalize_multi_string(u"A\0B"s), u"A\0B\0\0"s);
  EXPECT_EQ(normalize_multi_string(u"A\0\0B\0\0"s), u"A\0\0"s);
  EXPECT_EQ(normalize_multi_string(u"\0A\0\0"s), u"");
  EXPECT_EQ(normalize_multi_string(u""), u"");
}

TEST(DeviceStore, ProcessWideStoreAndItsAccessors) {
  ASSERT_EQ(create_device_store(), 0);
  ASSERT_NE(the_device_store(), nullptr);
  table_source source;
  source.classes = stock_classes();
  source.devices = {dev(u"USB\\A\\1"), dev(u"USB\\B\\1")};
  scan_progress progress;
  ASSERT_EQ(scan_devices(*the_device_store(), progress, source), 0);

  device_info* first = nullptr;
  int32_t count = -1;
  EXPECT_EQ(get_scanned_devices(&first, &count), 0);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(first, &get_device(0));
  EXPECT_EQ(&get_device(1), find_device(u"USB\\B"));
  EXPECT_EQ(find_device(u"usb\\b"), nullptr) << "case-sensitive";
  EXPECT_EQ(find_device(u"USB\\B\\1"), nullptr);
  EXPECT_EQ(find_device(nullptr), nullptr);
  try {
    get_device(2);
    ADD_FAILURE() << "no range error";
  } catch (const std::out_of_range& e) {
    EXPECT_STREQ(e.what(), "invalid vector<T> subscript");
  }
  EXPECT_THROW(get_device(-1), std::out_of_range);

  clear_device_store(*the_device_store());
  EXPECT_EQ(get_scanned_devices(&first, &count), 0);
  EXPECT_EQ(first, nullptr);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(destroy_device_store(), 0);
  EXPECT_EQ(the_device_store(), nullptr);
  EXPECT_EQ(destroy_device_store(), 0) << "a second shutdown does nothing";
  EXPECT_EQ(get_scanned_devices(&first, &count), 0);
  EXPECT_EQ(count, 0);
}

}  // namespace
