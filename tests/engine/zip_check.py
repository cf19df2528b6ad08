#!/usr/bin/env python3
"""Checks an archive made by the zip writer with Python's zipfile and Debian's unzip.

usage: zip_check.py <archive> <folder> <entries>
Every entry must test sound, give back the bytes of <folder>/<entry name>, carry the file's
modification time, and the archive must hold exactly <entries> entries; `unzip -t` must pass.
usage: zip_check.py --probe <runner or -> <zip-probe> <work-folder>
makes a sample package in <work-folder> (Windows binaries found on this machine, text, noise,
nested folders), packs it with zip-probe (through a runner such as wine-run, with Z: paths)
and checks the archive.
"""
import glob
import os
import random
import shutil
import subprocess
import sys
import time
import zipfile


def fail(message):
    print("zip_check: " + message)
    sys.exit(1)


def check(archive, folder, count):
    with zipfile.ZipFile(archive) as z:
        bad = z.testzip()
        if bad is not None:
            fail("bad entry " + bad)
        infos = z.infolist()
        if len(infos) != count:
            fail("%d entries, expected %d" % (len(infos), count))
        for info in infos:
            path = os.path.join(folder, *info.filename.split("/"))
            with open(path, "rb") as f:
                if z.read(info) != f.read():
                    fail("bytes differ: " + info.filename)
            want = time.localtime(os.path.getmtime(path))[:6]
            got = info.date_time
            if abs(time.mktime(got + (0, 0, -1)) - time.mktime(want + (0, 0, -1))) > 2:
                fail("time of %s is %s, file has %s" % (info.filename, got, want))
    r = subprocess.run(["unzip", "-t", "-qq", archive], capture_output=True, text=True)
    if r.returncode != 0:
        fail("unzip -t: " + r.stdout + r.stderr)


def windows_path(p):
    return "Z:" + os.path.abspath(p).replace("/", "\\")


def make_sample(folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(os.path.join(folder, "drivers", "x64"))
    dlls = []
    for d in ("/usr/lib/x86_64-linux-gnu/wine/x86_64-windows", "/usr/lib/x86_64-linux-gnu/wine/i386-windows",
              "/usr/lib/wine/x86_64-windows"):
        dlls += sorted(p for p in glob.glob(os.path.join(d, "*.dll")) if os.path.getsize(p) > 100000)
    for p in dlls[::max(1, len(dlls) // 6)][:6]:
        shutil.copyfile(p, os.path.join(folder, "drivers", "x64", os.path.basename(p)))
    rng = random.Random(7)
    words = ["Device", "driver", "HKR", "AddReg", "CopyFiles", "=", ",", "%DeviceDesc%", "\r\n"]
    with open(os.path.join(folder, "drivers", "pkg.inf"), "w") as f:
        f.write(" ".join(rng.choice(words) for _ in range(60000)))
    with open(os.path.join(folder, "noise.bin"), "wb") as f:
        f.write(rng.randbytes(300000))
    open(os.path.join(folder, "empty.txt"), "wb").close()
    with open(os.path.join(folder, "old.zip"), "wb") as f:
        f.write(b"stored as it is" * 100)


def main():
    args = sys.argv[1:]
    if args and args[0] == "--probe":
        runner, probe, work = args[1:4]
        folder, archive = os.path.join(work, "sample"), os.path.join(work, "sample.zip")
        make_sample(folder)
        cmd = [probe, "pack", folder, archive]
        if runner != "-":
            cmd = [runner, probe, "pack", windows_path(folder), windows_path(archive)]
        r = subprocess.run(cmd, capture_output=True, text=True)
        if r.returncode != 0 or not r.stdout.startswith("in "):
            fail("zip-probe: %s %s" % (r.stdout, r.stderr))
        count = sum(len(files) for _, _, files in os.walk(folder))
        check(archive, folder, count)
        print(r.stdout.strip())
        return
    if len(args) != 3:
        sys.exit(__doc__)
    check(args[0], args[1], int(args[2]))


if __name__ == "__main__":
    main()
