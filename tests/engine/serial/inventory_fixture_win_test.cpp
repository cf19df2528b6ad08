// The scan through the setup interfaces on devices of our choosing in the prefix.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "base/text.h"
#include "base/wide.h"
#include "engine/inventory_source_win.h"
#include "tests/support/device_fixture.h"

namespace {

const std::u16string usb_guid = u"{36FC9E60-C465-11CF-8056-444553540000}";
const std::u16string mouse_guid = u"{4D36E96F-E325-11CE-BFC1-08002BE10318}";
const std::u16string system_guid = u"{4D36E97D-E325-11CE-BFC1-08002BE10318}";
const std::u16string legacy_guid = u"{8ECC055D-047F-11D1-A537-0000F8753ED1}";

// Device nodes that answer as unplugged: the configuration manager of the test system
// reports every node as present.
std::set<std::u16string> g_unplugged;

CONFIGRET WINAPI status_with_unplugged(PULONG status, PULONG problem, DEVINST node, ULONG flags) {
  wchar_t id[512] = {};
  if (CM_Get_Device_IDW(node, id, 511, 0) == CR_SUCCESS)
    for (const std::u16string& unplugged : g_unplugged)  // instance IDs ignore case
      if (equal_ci(unplugged, as_u16(id))) return CR_NO_SUCH_DEVINST;
  return CM_Get_DevNode_Status(status, problem, node, flags);
}

class recording_list : public scan_list_sink {
 public:
  std::vector<std::u16string> names;
  void on_device_scanned(const char16_t* name) override { names.push_back(name); }
  void lock() override {}
  void unlock() override {}
};

std::vector<std::pair<std::u16string, std::u16string>> camera_driver() {
  return {{u"DriverVersion", u"6.1.7600.16385"},
          {u"InfPath", u"oem91.inf"},
          {u"DriverDate", u"11-5-2013"},
          {u"DriverDesc", u"Fixture Camera Driver"},
          {u"MatchingDeviceId", u"usb\\vid_7a01&pid_0001"}};  // no ProviderName
}

std::vector<std::pair<std::u16string, std::u16string>> full_driver(const char16_t* inf) {
  auto v = camera_driver();
  v[1].second = inf;
  v.push_back({u"ProviderName", u"Fixture Maker"});
  return v;
}

class InventoryFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    fx.add_class(usb_guid, u"USB", u"Universal Serial Bus controllers");
    fx.add_class(mouse_guid, u"Mouse", u"Mice and other pointing devices");
    fx.add_class(legacy_guid, u"LegacyDriver", u"Non-Plug and Play Drivers");

    fixture_device camera;
    camera.class_name = u"USB";
    camera.class_guid = usb_guid;
    camera.friendly_name = u"Fixture Camera";
    camera.device_desc = u"USB Composite Device";
    camera.hardware_ids = {u"USB\\VID_7A01&PID_0001&REV_0100", u"USB\\VID_7A01&PID_0001"};
    camera.compatible_ids = {u"USB\\Class_0E&SubClass_01", u"USB\\Class_0E"};
    camera.driver_values = camera_driver();
    for (const char16_t* port : {u"\\5&2a0&0&1", u"\\5&2a0&0&2"}) {
      camera.instance_id = u"USB\\VID_7A01&PID_0001" + std::u16string(port);
      fx.add_device(camera);
    }

    fixture_device root;
    root.class_name = u"System";
    root.class_guid = system_guid;
    root.hardware_ids = {u"ROOT\\FIXTUREDRV"};
    root.device_desc = u"Fixture root device with driver";
    root.instance_id = u"ROOT\\FIXTUREDRV\\0000";
    root.driver_values = full_driver(u"oem92.inf");
    fx.add_device(root);
    root.device_desc = u"Fixture root device without driver";
    root.instance_id = u"ROOT\\FIXTURENODRV\\0000";
    root.hardware_ids = {u"ROOT\\FIXTURENODRV"};
    root.driver_values.clear();
    fx.add_device(root);

    fixture_device mouse;
    mouse.class_name = u"Mouse";
    mouse.class_guid = mouse_guid;
    mouse.device_desc = u"Fixture Mouse";
    mouse.hardware_ids = {u"HID\\VID_7A01&PID_0002"};
    mouse.instance_id = u"HID\\VID_7A01&PID_0002\\7&1f&0&0000";
    mouse.driver_values = full_driver(u"oem93.inf");
    fx.add_device(mouse);
    g_unplugged = {mouse.instance_id};

    fixture_device legacy;
    legacy.class_name = u"LegacyDriver";
    legacy.class_guid = legacy_guid;
    legacy.device_desc = u"Fixture Beep";
    legacy.hardware_ids = {u"ROOT\\LEGACY_FIXTURE"};
    legacy.instance_id = u"ROOT\\LEGACY_FIXTURE\\0000";
    fx.add_device(legacy);

    // A description that fills the first buffer exactly, without a terminator, and one
    // longer than it; a hardware-ID list longer than its first buffer.
    fixture_device exact;
    exact.class_name = u"USB";
    exact.class_guid = usb_guid;
    exact.device_desc_unterminated = std::u16string(512, u'E');
    exact.hardware_ids = {u"USB\\VID_7A01&PID_0003"};
    exact.instance_id = u"USB\\VID_7A01&PID_0003\\1";
    fx.add_device(exact);
    fixture_device longer = exact;
    longer.device_desc_unterminated.clear();
    longer.device_desc = std::u16string(1100, u'L');
    longer.hardware_ids.clear();
    for (int i = 0; i < 300; ++i)
      longer.hardware_ids.push_back(u"USB\\VID_7A01&PID_0004&MI_" + utf8_to_u16(std::to_string(i)));
    longer.instance_id = u"USB\\VID_7A01&PID_0004\\1";
    fx.add_device(longer);
  }

  void TearDown() override { g_unplugged.clear(); }

  int32_t scan(uint32_t non_present) {
    progress.scan_non_present = non_present;
    progress.list = &list;
    return scan_this_machine(store, progress, &status_with_unplugged);
  }

  device_fixture fx;
  device_store store;
  scan_progress progress;
  recording_list list;
};

TEST_F(InventoryFixture, TwoPortsOfOneDeviceGiveOneDeviceWithItsDriverValues) {
  ASSERT_EQ(scan(0), 0);
  device_info* camera = find_device(store, u"USB\\VID_7A01&PID_0001");
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(camera->duplicates, 2);
  EXPECT_EQ(std::count(list.names.begin(), list.names.end(), u"Fixture Camera"), 2);
  EXPECT_EQ(std::u16string(camera->name), u"Fixture Camera");
  EXPECT_EQ(std::u16string(camera->enumerator), u"USB");
  EXPECT_EQ(std::u16string(camera->class_name), u"USB");
  EXPECT_TRUE(equal_ci(camera->class_guid, usb_guid));
  ASSERT_NE(camera->device_class, nullptr);
  EXPECT_EQ(std::u16string(camera->device_class->class_name), u"USB");
  EXPECT_EQ(split_multi_string(camera->hardware_ids),
            (std::vector<std::u16string>{u"USB\\VID_7A01&PID_0001&REV_0100", u"USB\\VID_7A01&PID_0001"}));
  EXPECT_EQ(split_multi_string(camera->compatible_ids),
            (std::vector<std::u16string>{u"USB\\Class_0E&SubClass_01", u"USB\\Class_0E"}));
  EXPECT_EQ(camera->has_driver, 1);
  EXPECT_EQ(camera->present, 1);
  EXPECT_EQ(camera->problem, 0);
  EXPECT_EQ(std::u16string(camera->DriverDate), u"2013-11-05");
  EXPECT_EQ(std::u16string(camera->ProviderName), u"");
  EXPECT_EQ(std::u16string(camera->DriverVersion), u"6.1.7600.16385");
  EXPECT_EQ(std::u16string(camera->InfPath), u"oem91.inf");
  EXPECT_EQ(std::u16string(camera->DriverDesc), u"Fixture Camera Driver");
  EXPECT_EQ(std::u16string(camera->MatchingDeviceId), u"usb\\vid_7a01&pid_0001");
  EXPECT_EQ(camera->driver_rank, 0u) << "no such INF in the system";
  EXPECT_EQ(progress.total, int32_t(list.names.size()));
  EXPECT_EQ(progress.current, progress.total);
}

TEST_F(InventoryFixture, DropAndKeepRulesOnTheSystemsDevices) {
  for (uint32_t non_present : {0u, 1u}) {
    SCOPED_TRACE(non_present);
    list.names.clear();
    ASSERT_EQ(scan(non_present), 0);
    EXPECT_EQ(find_device(store, u"ROOT\\FIXTUREDRV"), nullptr) << "ROOT with driver values";
    device_info* no_driver = find_device(store, u"ROOT\\FIXTURENODRV");
    ASSERT_NE(no_driver, nullptr) << "ROOT without driver values";
    EXPECT_EQ(no_driver->has_driver, 0);
    device_info* mouse = find_device(store, u"HID\\VID_7A01&PID_0002");
    EXPECT_EQ(mouse != nullptr, non_present != 0) << "unplugged mouse";
    if (mouse) {
      EXPECT_EQ(mouse->present, 0);
      EXPECT_EQ(std::u16string(mouse->ProviderName), u"Fixture Maker");
    }
    EXPECT_EQ(find_device(store, u"ROOT\\LEGACY_FIXTURE"), nullptr);
    EXPECT_NE(std::find(list.names.begin(), list.names.end(), u"Fixture Beep"), list.names.end())
        << "reported, then dropped";
    for (const device_info& d : store.devices) {
      EXPECT_NE(std::u16string(d.class_name), u"LegacyDriver");
      ASSERT_NE(d.device_class, nullptr);
      EXPECT_NE(std::u16string(d.device_class->class_name), u"LegacyDriver");
    }
  }
}

TEST_F(InventoryFixture, PropertiesThatFillOrExceedTheFirstBuffer) {
  ASSERT_EQ(scan(0), 0);
  device_info* exact = find_device(store, u"USB\\VID_7A01&PID_0003");
  ASSERT_NE(exact, nullptr);
  EXPECT_EQ(std::u16string(exact->name), std::u16string(512, u'E'));
  device_info* longer = find_device(store, u"USB\\VID_7A01&PID_0004");
  ASSERT_NE(longer, nullptr);
  EXPECT_EQ(std::u16string(longer->name), std::u16string(1024, u'L'));
  std::vector<std::u16string> ids = split_multi_string(longer->hardware_ids);
  ASSERT_EQ(ids.size(), 300u);
  EXPECT_EQ(ids.back(), u"USB\\VID_7A01&PID_0004&MI_299");
}

TEST_F(InventoryFixture, ClassesAreSortedByDescriptionAndNamed) {
  ASSERT_EQ(scan(0), 0);
  ASSERT_FALSE(store.classes.empty());
  std::set<std::u16string> names;
  for (size_t i = 0; i < store.classes.size(); ++i) {
    const device_class_info& c = store.classes[i];
    EXPECT_NE(c.class_name[0], u'\0');
    EXPECT_EQ(u16_length(c.guid_text), 38u);
    names.insert(c.class_name);
    if (i) {
      EXPECT_LE(std::u16string_view(store.classes[i - 1].description),
                std::u16string_view(c.description));
    }
  }
  for (const char16_t* n : {u"USB", u"Mouse", u"LegacyDriver", u"System"})
    EXPECT_EQ(names.count(n), 1u) << u16_to_utf8(n);
}

}  // namespace

namespace {

bool key_exists(const wchar_t* path) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

TEST(DeviceFixture, KeysOfARunThatEndedHalfwayGoWithTheNextFixture) {
  const wchar_t* path = L"System\\CurrentControlSet\\Enum\\USB\\VID_7A01&PID_0009\\1";
  auto* unfinished = new device_fixture;  // never destroyed, as after a crash
  fixture_device d;
  d.instance_id = u"USB\\VID_7A01&PID_0009\\1";
  d.class_guid = usb_guid;
  d.hardware_ids = {u"USB\\VID_7A01&PID_0009"};
  d.driver_values = camera_driver();
  unfinished->add_device(d);
  ASSERT_TRUE(key_exists(path));
  {
    device_fixture next;
    EXPECT_FALSE(key_exists(path));
    EXPECT_FALSE(key_exists(L"System\\CurrentControlSet\\Enum\\USB\\VID_7A01&PID_0009"));
  }
}

}  // namespace
