#!/usr/bin/env python3
"""Builds a corpus like the files of real driver packages into a folder (never committed).

A driver package holds much that is already compressed or of high entropy, so it is harder
for a compressor than plain binaries and text. Per package this writes:
  .inf  text: a version block, models for many hardware ids, and one install section per
        model that differs from the next only in names and numbers;
  .sys  and .dll: real PE code, the Wine prefix's own system32 files;
  .cat  a DER-coded PKCS#7 signed catalog: one member per file with its hash as UTF-16 hex
        and as raw 20- or 32-byte digests, OIDs and attributes, a certificate, a signature;
  .chm  a help file: headers and a directory of page names, then compressed content (noise);
  .exe  an installer: a real PE stub followed by a compressed payload (noise).
The shares follow a typical set of vendor packages: PE code, and nearly half of it compressed
payloads. Seeded: the same prefix gives the same corpus.
usage: make_driver_corpus.py <prefix> <output-folder> [megabytes]
"""
import os
import random
import shutil
import sys

# Shares of the corpus by kind (of the megabytes asked for).
SHARES = {"pe": 0.40, "installer": 0.30, "chm": 0.10, "inf": 0.12, "cat": 0.08}
CLASSES = ["Display", "Net", "MEDIA", "USB", "HIDClass", "System", "Bluetooth", "SCSIAdapter"]
VENDORS = ["8086", "10DE", "1002", "10EC", "14E4", "168C", "1B21", "8087"]


def pe_files(prefix):
    windows = os.path.join(prefix, "drive_c", "windows")
    found = []
    for d, _, names in os.walk(os.path.join(windows, "system32")):
        for n in names:
            p = os.path.join(d, n)
            if os.path.isfile(p) and not os.path.islink(p) and n.lower().endswith((".dll", ".sys", ".exe")):
                found.append(p)
    return sorted(found)


def take_spread(files, cap, ext):
    """Every n-th file with extension `ext` (or any PE), about `cap` bytes in all."""
    picked = [f for f in files if f.lower().endswith(ext)] or files
    total = sum(os.path.getsize(f) for f in picked)
    step = max(1, total // max(1, cap))
    out, size = [], 0
    for f in picked[::step]:
        if size >= cap:
            break
        out.append(f)
        size += os.path.getsize(f)
    return out


def make_inf(rng, vendor, n_models):
    cls = rng.choice(CLASSES)
    lines = [
        "; Copyright (c) Example Devices. All rights reserved.",
        "[Version]",
        'Signature   = "$WINDOWS NT$"',
        "Class       = %s" % cls,
        "ClassGuid   = {%08X-%04X-%04X-%04X-%012X}" % (rng.getrandbits(32), rng.getrandbits(16),
                                                      rng.getrandbits(16), rng.getrandbits(16),
                                                      rng.getrandbits(48)),
        "Provider    = %ManufacturerName%",
        "CatalogFile = pkg%s.cat" % vendor.lower(),
        "DriverVer   = %02d/%02d/20%02d,%d.%d.%d.%d" % (rng.randint(1, 12), rng.randint(1, 28),
                                                     rng.randint(10, 26), rng.randint(1, 31),
                                                     rng.randint(0, 99), rng.randint(0, 9999),
                                                     rng.randint(0, 9999)),
        "",
        "[Manufacturer]",
        "%ManufacturerName% = Standard, NTx86, NTamd64, NTamd64.10.0...16299",
        "",
    ]
    models = []
    for i in range(n_models):
        dev = "%04X" % rng.getrandbits(16)
        sub = "%08X" % rng.getrandbits(32)
        models.append(("Device_%s_%d" % (dev, i), "PCI\\VEN_%s&DEV_%s&SUBSYS_%s&REV_%02X" % (
            vendor, dev, sub, rng.getrandbits(8))))
    for arch in ("NTx86", "NTamd64", "NTamd64.10.0...16299"):
        lines.append("[Standard.%s]" % arch)
        for name, hwid in models:
            lines.append("%%%s.DeviceDesc%% = %s_Install, %s" % (name, name, hwid))
        lines.append("")
    for name, hwid in models:
        svc = "svc%s" % name[7:11].lower()
        lines += [
            "[%s_Install.NT]" % name,
            "CopyFiles = Drivers_Dir, Libraries_Dir",
            "AddReg    = %s_AddReg, Common_AddReg" % name,
            "FeatureScore = %02X" % rng.randint(0xF0, 0xFF),
            "",
            "[%s_Install.NT.HW]" % name,
            "AddReg = %s_HW_AddReg" % name,
            "",
            "[%s_HW_AddReg]" % name,
            'HKR, Interrupt Management\\MessageSignaledInterruptProperties, MSISupported, 0x00010001, %d'
            % rng.randint(0, 1),
            "HKR, Interrupt Management\\MessageSignaledInterruptProperties, MessageNumberLimit, "
            "0x00010001, %d" % rng.choice([1, 4, 8, 16]),
            "",
            "[%s_Install.NT.Services]" % name,
            "AddService = %s, 0x00000002, %s_Service_Inst, %s_EventLog_Inst" % (svc, name, name),
            "",
            "[%s_AddReg]" % name,
            'HKR, , DeviceType, 0x00010001, 0x%08X' % rng.getrandbits(16),
            'HKR, Parameters, BufferSize, 0x00010001, %d' % rng.choice([4096, 8192, 16384, 65536]),
            'HKR, Parameters, "%s", 0x00000000, "%d"' % (rng.choice(["Mode", "Profile", "Speed"]),
                                                         rng.randint(0, 255)),
            "",
            "[%s_Service_Inst]" % name,
            "DisplayName    = %%%s.SvcDesc%%" % name,
            "ServiceType    = 1               ; SERVICE_KERNEL_DRIVER",
            "StartType      = 3               ; SERVICE_DEMAND_START",
            "ErrorControl   = 1               ; SERVICE_ERROR_NORMAL",
            "ServiceBinary  = %%12%%\\%s.sys" % svc,
            "LoadOrderGroup = Extended Base",
            "",
        ]
    lines += ["[Strings]", 'ManufacturerName = "Example Devices"']
    for name, hwid in models:
        lines.append('%s.DeviceDesc = "Example %s Controller %s"' % (name, rng.choice(CLASSES), name[7:]))
        lines.append('%s.SvcDesc = "Example %s Service"' % (name, name[7:11]))
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def der(tag, body):
    n = len(body)
    if n < 0x80:
        head = bytes([n])
    else:
        size = n.to_bytes((n.bit_length() + 7) // 8, "big")
        head = bytes([0x80 | len(size)]) + size
    return bytes([tag]) + head + body


def oid(text):
    parts = [int(p) for p in text.split(".")]
    body = bytes([40 * parts[0] + parts[1]])
    for p in parts[2:]:
        chunk = [p & 0x7F]
        p >>= 7
        while p:
            chunk.append(0x80 | (p & 0x7F))
            p >>= 7
        body += bytes(reversed(chunk))
    return der(0x06, body)


def seq(*items):
    return der(0x30, b"".join(items))


def set_of(*items):
    return der(0x31, b"".join(items))


def bmp(text):
    return der(0x1E, text.encode("utf-16-be"))


def make_cat(rng, n_members):
    sha1, sha256 = "1.3.14.3.2.26", "2.16.840.1.101.3.4.2.1"
    members = []
    for i in range(n_members):
        algo, size = (sha256, 32) if rng.random() < 0.5 else (sha1, 20)
        digest = rng.randbytes(size)
        tag = der(0x04, digest.hex().upper().encode("utf-16-le"))
        name = "%s%d.%s" % (rng.choice(["drv", "lib", "inst", "co"]), i, rng.choice(["sys", "dll", "inf", "exe"]))
        attrs = set_of(
            seq(oid("1.3.6.1.4.1.311.12.2.1"), set_of(seq(bmp("File"), der(0x02, b"\x10\x00\x00\x01"),
                                                          der(0x04, (name + "\0").encode("utf-16-le"))))),
            seq(oid("1.3.6.1.4.1.311.12.2.1"), set_of(seq(bmp("OSAttr"), der(0x02, b"\x10\x00\x00\x01"),
                                                          der(0x04, "2:6.1,2:6.2,2:6.3,2:10.0\0".encode("utf-16-le"))))),
            seq(oid("1.3.6.1.4.1.311.2.1.4"), set_of(seq(
                seq(oid("1.3.6.1.4.1.311.2.1.15"), seq(der(0x03, b"\x00"), der(0xA0, der(0xA2, der(0x80, b""))))),
                seq(seq(oid(algo), der(0x05, b"")), der(0x04, digest))))))
        members.append(seq(tag, attrs))
    ctl = seq(seq(oid("1.3.6.1.4.1.311.12.1.1")), der(0x04, rng.randbytes(16)),
              der(0x17, b"261211093000Z"), seq(oid("1.3.6.1.4.1.311.12.1.2"), der(0x05, b"")),
              seq(*members))
    name = seq(set_of(seq(oid("2.5.4.3"), der(0x0C, b"Example Devices Code Signing"))),
               set_of(seq(oid("2.5.4.10"), der(0x0C, b"Example Devices"))))
    cert = seq(seq(der(0xA0, der(0x02, b"\x02")), der(0x02, rng.randbytes(16)),
                   seq(oid("1.2.840.113549.1.1.11"), der(0x05, b"")), name,
                   seq(der(0x17, b"250101000000Z"), der(0x17, b"280101000000Z")), name,
                   seq(seq(oid("1.2.840.113549.1.1.1"), der(0x05, b"")), der(0x03, b"\x00" + rng.randbytes(270)))),
               seq(oid("1.2.840.113549.1.1.11"), der(0x05, b"")), der(0x03, b"\x00" + rng.randbytes(256)))
    signer = seq(der(0x02, b"\x01"), seq(name, der(0x02, rng.randbytes(16))),
                 seq(oid(sha256), der(0x05, b"")), seq(oid("1.2.840.113549.1.1.1"), der(0x05, b"")),
                 der(0x04, rng.randbytes(256)))
    signed = seq(der(0x02, b"\x01"), set_of(seq(oid(sha256), der(0x05, b""))),
                 seq(oid("1.3.6.1.4.1.311.10.1"), der(0xA0, ctl)), der(0xA0, cert), set_of(signer))
    return seq(oid("1.2.840.113549.1.7.2"), der(0xA0, signed))


def make_chm(rng, size):
    pages = ["/html/%s_%04d.htm" % (rng.choice(["setup", "driver", "faq", "panel", "index"]), i)
             for i in range(max(20, size // 6000))]
    head = b"ITSF" + (3).to_bytes(4, "little") + rng.randbytes(88)
    index = bytearray(b"PMGL" + bytes(16))
    for i, p in enumerate(pages):
        raw = p.encode("ascii")
        index += bytes([len(raw)]) + raw + bytes([0, i & 0x7F, rng.getrandbits(7)])
    strings = b"".join(("Example Devices %s help page %d\0" % (rng.choice(CLASSES), i)).encode("ascii")
                       for i in range(len(pages)))
    body = bytes(head) + bytes(index) + strings
    return body + rng.randbytes(max(0, size - len(body)))


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    prefix, out = sys.argv[1], sys.argv[2]
    total = int(sys.argv[3] if len(sys.argv) > 3 else 64) << 20
    pe = pe_files(prefix)
    if not pe:
        sys.exit("no PE files under " + prefix)
    rng = random.Random(36)
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)

    def write(name, data):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)

    cap = {k: int(v * total) for k, v in SHARES.items()}
    for i, p in enumerate(take_spread(pe, cap["pe"] // 2, ".sys") + take_spread(pe, cap["pe"] // 2, ".dll")):
        ext = ".sys" if i % 2 == 0 else ".dll"
        shutil.copyfile(p, os.path.join(out, "pe_%04d_%s%s" % (i, os.path.splitext(os.path.basename(p))[0], ext)))
    stubs = [p for p in pe if p.lower().endswith(".exe") and 60000 < os.path.getsize(p) < 600000] or pe
    size, i = 0, 0
    while size < cap["installer"]:
        payload = rng.randint(1, 6) << 20
        with open(rng.choice(stubs), "rb") as f:
            stub = f.read()
        write("setup_%03d.exe" % i, stub + b"MSCF" + rng.randbytes(payload))
        size += len(stub) + payload + 4
        i += 1
    size, i = 0, 0
    while size < cap["chm"]:
        data = make_chm(rng, rng.randint(200, 1500) << 10)
        write("help_%03d.chm" % i, data)
        size += len(data)
        i += 1
    size, i = 0, 0
    while size < cap["inf"]:
        data = make_inf(rng, rng.choice(VENDORS), rng.randint(5, 400))
        write("pkg_%03d.inf" % i, data)
        size += len(data)
        i += 1
    size, i = 0, 0
    while size < cap["cat"]:
        data = make_cat(rng, rng.randint(10, 2000))
        write("pkg_%03d.cat" % i, data)
        size += len(data)
        i += 1


if __name__ == "__main__":
    main()
