#!/usr/bin/env python3
"""The demo catalog of a local run: newer driver packages for the devices of a fresh Wine
prefix and for the fixture devices that scripts/run adds.

    demo_catalog.py --base http://127.0.0.1:PORT --out FOLDER
                    [--devices-reg FILE] [--driver-store WINDOWS_FOLDER]

Writes FOLDER/catalog.json and FOLDER/packages/<name>.zip: real zip archives, each holding an
INF for its device, with their true sizes and MD5 sums in the catalog. With --devices-reg also
the registry file of the fixture devices; with --driver-store their installed driver packages
under a Windows folder, laid out as Windows XP keeps them: the installed copy of each INF in
inf/oemN.inf and the package in system32/DRVSTORE/<name>_<hash>/ with the same INF bytes.
"""
import argparse
import hashlib
import io
import json
import os
import random
import zipfile

# (hardware ID as the service matches it, class, maker, description, package name). A package
# holds its INF in a folder of its name; the catalog's infpath starts with the service's own
# folder, which the program drops.
DEVICES = [
    ("PCI\\VEN_0000&DEV_0000&SUBSYS_00000000&REV_00", "Display", "Wine Project",
     "Wine Adapter display driver", "wine-display"),
    ("MONITOR\\DEFAULT_MONITOR", "Monitor", "Wine Project", "Generic monitor", "generic-monitor"),
    ("ROOT\\WINEBUS", "System", "Wine Project", "HID bus driver", "winebus"),
    ("ROOT\\WINEUSB", "System", "Wine Project", "USB bus driver", "wineusb"),
    ("HID\\VID_845E&PID_0001", "HIDClass", "Wine Project", "HID keyboard device", "hid-keyboard"),
    ("HID\\VID_845E&PID_0002", "HIDClass", "Wine Project", "HID mouse device", "hid-mouse"),
    ("WINEBUS\\VID_845E&PID_0001", "HIDClass", "Wine Project", "Virtual keyboard", "winebus-keyboard"),
    ("WINEBUS\\VID_845E&PID_0002", "HIDClass", "Wine Project", "Virtual mouse", "winebus-mouse"),
    # The fixture devices of scripts/run (tools/service/demo_devices.reg).
    ("USB\\VID_1234&PID_5678", "USB", "FakeVendor Inc.", "Fake Camera Driver", "fakecam"),
    ("PCI\\VEN_10EC&DEV_8168", "Net", "Realtech", "Gigabit Ethernet Controller", "gigabit-net"),
]

CLASS_DESCRIPTIONS = {"USB": "Universal Serial Bus controllers", "Net": "Network adapters"}

CLASS_GUIDS = {
    "Display": "{4D36E968-E325-11CE-BFC1-08002BE10318}",
    "Monitor": "{4D36E96E-E325-11CE-BFC1-08002BE10318}",
    "System": "{4D36E97D-E325-11CE-BFC1-08002BE10318}",
    "HIDClass": "{745A17A0-74D3-11D0-B6FE-00A0C90F57DA}",
    "USB": "{36FC9E60-C465-11CF-8056-444553540000}",
    "Net": "{4D36E972-E325-11CE-BFC1-08002BE10318}",
}


def inf_text(hardid, cls, maker, desc, version):
    return (
        "[Version]\r\n"
        'Signature="$Windows NT$"\r\n'
        "Class=%s\r\nClassGUID=%s\r\nProvider=%%Maker%%\r\nDriverVer=06/01/2024,%s\r\n\r\n"
        "[Manufacturer]\r\n%%Maker%%=Models,NTx86,NTamd64\r\n\r\n"
        "[Models.NTx86]\r\n%%Desc%%=Install,%s\r\n\r\n"
        "[Models.NTamd64]\r\n%%Desc%%=Install,%s\r\n\r\n"
        "[Install]\r\n\r\n"
        '[Strings]\r\nMaker="%s"\r\nDesc="%s"\r\n'
        % (cls, CLASS_GUIDS[cls], version, hardid, hardid, maker, desc)
    )


def package(hardid, cls, maker, desc, name, version, number):
    data = io.BytesIO()
    # A driver file of some size; the display driver's package passes a megabyte, so that its
    # install shows the wait dialog.
    size = (1600 if cls == "Display" else 40 + 37 * number) << 10
    with zipfile.ZipFile(data, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("%s/%s.inf" % (name, name), inf_text(hardid, cls, maker, desc, version))
        z.writestr("%s/%s.sys" % (name, name), random.Random(name).randbytes(size))
        z.writestr("%s/readme.txt" % name, "%s %s, a demo package of the local run.\r\n" % (desc, version))
    return data.getvalue()


# The fixture devices: (instance ID, hardware IDs, class, description, installed driver
# (version, date, description, provider, matching ID), driver key index). The driver key's
# InfPath is oemN.inf, N the index's last digit.
FIXTURES = [
    ("USB\\VID_1234&PID_5678\\DEMO1", ["USB\\VID_1234&PID_5678&REV_0100", "USB\\VID_1234&PID_5678"], "USB",
     "Fake USB Camera", ("2.3.4.5", "3-14-2019", "Fake Camera Driver", "FakeVendor", "usb\\vid_1234&pid_5678"),
     "0901"),
    ("PCI\\VEN_10EC&DEV_8168&SUBSYS_00000000&REV_06\\DEMO2",
     ["PCI\\VEN_10EC&DEV_8168&SUBSYS_00000000&REV_06", "PCI\\VEN_10EC&DEV_8168"], "Net",
     "Gigabit Ethernet Controller",
     ("7.1.0.0", "6-1-2016", "Gigabit Ethernet Controller", "Realtech", "pci\\ven_10ec&dev_8168"), "0902"),
]


def multi_sz(texts):
    raw = ("\0".join(texts) + "\0\0").encode("utf-16le")
    return "hex(7):" + ",".join("%02x" % b for b in raw)


def devices_reg():
    """A registry file (to be written as UTF-16) that adds the fixture devices."""
    out = ["Windows Registry Editor Version 5.00", ""]
    control = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Class"
    enum = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum"
    for instance, hardids, cls, desc, driver, index in FIXTURES:
        guid = CLASS_GUIDS[cls]
        version, date, driver_desc, provider, matching = driver
        out += ["[%s\\%s]" % (control, guid), '@="%s"' % CLASS_DESCRIPTIONS[cls], '"Class"="%s"' % cls, ""]
        out += ["[%s\\%s\\%s]" % (control, guid, index), '"InfPath"="%s"' % installed_inf_name(index),
                '"InfSection"="Install"', '"DriverDate"="%s"' % date, '"DriverVersion"="%s"' % version,
                '"DriverDesc"="%s"' % driver_desc, '"MatchingDeviceId"="%s"' % matching.replace("\\", "\\\\"),
                '"ProviderName"="%s"' % provider, ""]
        out += ["[%s\\%s]" % (enum, instance.replace("\\", "\\")), '"HardwareID"=' + multi_sz(hardids),
                '"Class"="%s"' % cls, '"ClassGUID"="%s"' % guid,
                '"Driver"="%s\\\\%s"' % (guid, index), '"DeviceDesc"="%s"' % desc,
                '"Mfg"="%s"' % provider, ""]
    return "\r\n".join(out) + "\r\n"


def installed_inf_name(index):
    return "oem%s.inf" % index[-1]


def write_file(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path + ".tmp", "wb") as f:
        f.write(data)
    os.replace(path + ".tmp", path)


def write_driver_store(windows):
    """The fixture devices' installed packages, found by the program through the INF's bytes."""
    for instance, hardids, cls, desc, driver, index in FIXTURES:
        version, date, driver_desc, provider, matching = driver
        month, day, year = date.split("-")
        name = [d[4] for d in DEVICES if d[0].upper() == hardids[-1].upper()][0].replace("-", "")
        # Only the Version section: Wine lacks SetupDiGetDriverInstallParamsW, and an installed
        # INF whose models name the device would end the scan where the driver's rank is read.
        inf = ('[Version]\r\nSignature="$Windows NT$"\r\nClass=%s\r\nClassGUID=%s\r\n'
               'Provider=%s\r\nDriverVer=%02d/%02d/%s,%s\r\n'
               % (cls, CLASS_GUIDS[cls], provider, int(month), int(day), year, version)).encode("ascii")
        package = os.path.join(windows, "system32", "DRVSTORE", "%s_%s" % (name, hashlib.md5(inf).hexdigest()[:12]))
        write_file(os.path.join(windows, "inf", installed_inf_name(index)), inf)
        write_file(os.path.join(package, name + ".inf"), inf)
        # A driver file of a real driver's size (a few megabytes that compress poorly, so that
        # the backup's progress shows for a moment) and a catalog.
        body = random.Random(name).randbytes(3 << 20)
        write_file(os.path.join(package, name + ".sys"), body)
        write_file(os.path.join(package, name + ".cat"), body[:3000])


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--base", required=True, help="the service's address, http://127.0.0.1:PORT")
    p.add_argument("--out", required=True)
    p.add_argument("--devices-reg", help="also write the fixture devices' registry file (UTF-16)")
    p.add_argument("--driver-store", metavar="WINDOWS_FOLDER",
                   help="also write the fixture devices' installed driver packages there")
    args = p.parse_args()
    if args.driver_store:
        write_driver_store(args.driver_store)
    if args.devices_reg:
        with open(args.devices_reg, "w", encoding="utf-16") as f:
            f.write(devices_reg())
    files = os.path.join(args.out, "packages")
    os.makedirs(files, exist_ok=True)
    drivers = {}
    for number, (hardid, cls, maker, desc, name) in enumerate(DEVICES, start=1):
        version = "%d.%d.%d.%d" % (30 + number, 1, 2024, 601 + number)
        body = package(hardid, cls, maker, desc, name, version, number)
        file_name = "%s-%s.zip" % (name, version)
        with open(os.path.join(files, file_name + ".tmp"), "wb") as f:
            f.write(body)
        os.replace(os.path.join(files, file_name + ".tmp"), os.path.join(files, file_name))
        drivers[hardid.upper()] = [{
            "hardid": hardid, "id": 9000 + number, "ver": version, "size": len(body),
            "class": cls, "remote_url": "%s/packages/%s" % (args.base, file_name),
            "infpath": "pkg/%s/%s.inf" % (name, name), "md5sum": hashlib.md5(body).hexdigest(),
            "cp": 1, "manu": maker, "mark": "demo", "sign": 1, "feature": "0",
            "targetos": 61, "date": "2024-06-01", "desc": desc,
        }]
    catalog = {"drivers": drivers, "version": {"version": "8.5.1", "link": args.base + "/"}}
    path = os.path.join(args.out, "catalog.json")
    with open(path + ".tmp", "w", encoding="utf-8") as f:
        json.dump(catalog, f, indent=1)
    os.replace(path + ".tmp", path)


if __name__ == "__main__":
    main()
