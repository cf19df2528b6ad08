// Windows tests only: devices of our choosing in the prefix's registry, where the setup
// interfaces list them (an Enum key with its ClassGUID, a class key, a driver key). Every key
// the fixture made is removed when it goes, newest first; keys that were there are left alone.
// Keys left by a run that ended halfway are removed when the next fixture is made; so one
// fixture at a time.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct fixture_device {
  std::u16string instance_id;  // whole, e.g. USB\VID_7A01&PID_0001\1
  std::u16string class_name;   // the Class value; empty: none
  std::u16string class_guid;   // the ClassGUID value; empty: none (the device is then not listed)
  std::u16string friendly_name;
  std::u16string device_desc;
  // Raw value bytes of DeviceDesc when set: a text that is not ended by a NUL.
  std::u16string device_desc_unterminated;
  std::vector<std::u16string> hardware_ids;  // empty: no value
  std::vector<std::u16string> compatible_ids;
  // The driver key's values, in order; empty: the device has no driver key.
  std::vector<std::pair<std::u16string, std::u16string>> driver_values;
};

class device_fixture {
 public:
  device_fixture();
  ~device_fixture();
  device_fixture(const device_fixture&) = delete;
  device_fixture& operator=(const device_fixture&) = delete;

  // The class key of a setup class with its name and description, unless it is there.
  void add_class(const std::u16string& guid, const std::u16string& name,
                 const std::u16string& description);
  void add_device(const fixture_device& device);

 private:
  // Opens or makes a key under HKLM, remembering it when it is new.
  void* make_key(const std::u16string& path);

  std::vector<std::u16string> created_;
};
