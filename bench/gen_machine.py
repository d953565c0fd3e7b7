#!/usr/bin/env python3
"""gen_machine.py OUT DEVICES PACKAGES PACKAGE_MB [--sign FIXTURES_DIR] [--devices LIST]: a simulated machine.

DEVICES present devices (PCI, USB and ROOT ids over eight classes), each with a
driver key; device i uses package i % PACKAGES. The driver description and
version come from the package (as from its INF), so devices sharing a package
share their archive name; each device has a description of its own, and its
package's INF names its hardware id in [Models.NTamd64] (MatchingDeviceId). With
--devices, LIST gets one line per device in registry order: the package's
folder below the machine and the archive name of the device, tab-separated. The driver store holds PACKAGES
third-party packages of PACKAGE_MB MiB in all (laid out by bench_packages), their
INF copies and driver-database entries, and 7-Zip (the real library of this
machine). With --sign, each package gets a catalog listing its files (except
*.pnf), signed by a test signer whose root the machine trusts, with the signing
helpers of the test fixtures in FIXTURES_DIR; so every device passes verification.
"""
import datetime
import importlib.machinery
import importlib.util
import os
import random
import shutil
import struct
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bench_content  # noqa: E402
import bench_packages  # noqa: E402

MiB = 1 << 20
CLASSES = [
    ("Display", "{4D36E968-E325-11CE-BFC1-08002BE10318}", "Display adapters"),
    ("Net", "{4D36E972-E325-11CE-BFC1-08002BE10318}", "Network adapters"),
    ("System", "{4D36E97D-E325-11CE-BFC1-08002BE10318}", "System devices"),
    ("USB", "{36FC9E60-C465-11CF-8056-444553540000}", "Universal Serial Bus controllers"),
    ("HIDClass", "{745A17A0-74D3-11D0-B6FE-00A0C90F57DA}", "Human Interface Devices"),
    ("MEDIA", "{4D36E96C-E325-11CE-BFC1-08002BE10318}", "Sound, video and game controllers"),
    ("Ports", "{4D36E978-E325-11CE-BFC1-08002BE10318}", "Ports (COM & LPT)"),
    ("Sensors", "{5175D334-C371-4806-B3BA-71FD53C9258D}", "Sensors"),
]
PROVIDERS = ["Contoso", "Fabrikam", "Northwind", "Litware", "Tailspin Toys", "Adventure Works"]
CATROOT = "C/Windows/System32/CatRoot/{F750E6C3-38EE-11D1-85E5-00C04FC295EE}"
STORE = "C/Windows/System32/DriverStore/FileRepository"


def q(s):
    return '"' + s.replace("\\", "\\\\").replace('"', '\\"') + '"'


def hex_value(name, kind, data):
    return "%s=%s:%s" % (name, kind, ",".join("%02x" % b for b in data))


def multi(name, items):
    return hex_value(name, "hex(7)", "".join(i + "\0" for i in items + [""]).encode("utf-16-le"))


class Package:
    def __init__(self, rng, index, budget):
        self.name = "bench%04d" % index
        self.inf = self.name + ".inf"
        self.id = "%s_amd64_%016x" % (self.inf, rng.getrandbits(64))
        self.oem = "oem%d.inf" % (index + 100)
        self.cls = CLASSES[index % len(CLASSES)]
        self.provider = PROVIDERS[index % len(PROVIDERS)]
        self.version = "%d.%d.%d.%d" % (1 + index % 30, index % 10, index, rng.randrange(10000))
        self.date = datetime.date(2018 + index % 7, 1 + index % 12, 1 + index % 28)
        self.layout = bench_packages.package_layout(rng, self.name, budget)
        self.folder = STORE + "/" + self.id
        self.hardware_ids = []  # of the devices using the package, filled by registry()

    def driver_desc(self):
        return "%s %s Driver %d" % (self.provider, self.cls[0], int(self.name[5:]))

    def archive_name(self):
        return "%s_%s" % (self.driver_desc(), self.version)

    def inf_text(self):
        lines = ["; %s" % self.inf, "[Version]", 'Signature="$WINDOWS NT$"', "Class=%s" % self.cls[0],
                 "ClassGuid=%s" % self.cls[1], "Provider=%ProviderName%",
                 "DriverVer=%s,%s" % (self.date.strftime("%m/%d/%Y"), self.version),
                 "CatalogFile=%s.cat" % self.name, "PnpLockdown=1", "",
                 "[Manufacturer]", "%ProviderName%=Models,NTamd64", "", "[Models.NTamd64]"]
        install = self.name.upper() + "_Install"
        lines += ['"%s"=%s,%s' % (self.driver_desc(), install, hwid) for hwid in self.hardware_ids]
        lines += ["", "[%s.NTamd64]" % install, "", "[Strings]", 'ProviderName="%s"' % self.provider, ""]
        return "\r\n".join(lines).encode("ascii")

    def write(self, machine, content):
        folder = os.path.join(machine, self.folder)
        bench_packages.write_package(content, folder, self.layout, skip={self.inf})
        text = self.inf_text()
        for path in (os.path.join(folder, self.inf), os.path.join(machine, "C/Windows/INF", self.oem)):
            with open(path, "wb") as f:
                f.write(text)
                # Pad the INF to its planned size with comments, as long INFs have.
                size = dict(self.layout)[self.inf]
                while f.tell() < size:
                    f.write(b"; padding line of a long setup information file\r\n")

    def files(self, machine):
        """Host paths of the files the catalog lists: all but *.pnf."""
        folder = os.path.join(machine, self.folder)
        return [os.path.join(folder, *rel.split("/")) for rel, _ in self.layout if not rel.lower().endswith(".pnf")]


def device_values(rng, i, package):
    bus = ("PCI", "USB", "ROOT")[i % 3]
    if bus == "PCI":
        hwid = "PCI\\VEN_%04X&DEV_%04X&SUBSYS_%08X&REV_%02X" % (
            rng.randrange(0x10000), rng.randrange(0x10000), rng.getrandbits(32), rng.randrange(256))
        instance = "%s\\%d&%08x&0&%04X" % (hwid, 3 + i % 3, rng.getrandbits(32), i % 0x10000)
    elif bus == "USB":
        hwid = "USB\\VID_%04X&PID_%04X&REV_%04X" % (rng.randrange(0x10000), rng.randrange(0x10000), i % 0x10000)
        instance = "%s\\%d&%07x&0&%d" % (hwid.rsplit("&", 1)[0], 5 + i % 3, rng.getrandbits(28), i % 16)
    else:
        hwid = "ROOT\\%s" % package.name.upper()
        instance = "ROOT\\%s\\%04d" % (package.name.upper(), i)
    return instance, hwid


def registry(rng, devices, packages):
    keys = [("SYSTEM\\CurrentControlSet", []),
            ("SYSTEM\\CurrentControlSet\\Control\\ProductOptions", ['"ProductType"="WinNT"']),
            ("SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment", ['"PROCESSOR_ARCHITECTURE"="AMD64"'])]
    class_root, enum_root = "SYSTEM\\CurrentControlSet\\Control\\Class", "SYSTEM\\CurrentControlSet\\Enum"
    for cls, guid, desc in CLASSES:
        keys.append((class_root + "\\" + guid, ["@=" + q(desc), '"Class"=' + q(cls)]))
    per_class = {}
    for i in range(devices):
        pkg = packages[i % len(packages)]
        cls, guid, _ = pkg.cls
        instance, hwid = device_values(rng, i, pkg)
        pkg.hardware_ids.append(hwid)
        n = per_class.get(guid, 0)
        per_class[guid] = n + 1
        driver = "%s\\%04d" % (guid, n)
        desc = "%s %s Device %d" % (pkg.provider, cls, i)
        driver_desc = pkg.driver_desc()
        keys.append((enum_root + "\\" + instance, [
            '"DeviceDesc"=' + q(desc), multi('"HardwareID"', [hwid, hwid.rsplit("&", 1)[0]]),
            multi('"CompatibleIDs"', [hwid.split("\\")[0] + "\\CC_0300"]), '"Class"=' + q(cls),
            '"ClassGUID"=' + q(guid), '"Service"=' + q(pkg.name), '"Driver"=' + q(driver),
            '"Mfg"=' + q(pkg.provider), '"Capabilities"=dword:%08x' % (0xF0 if instance.startswith("ROOT") else 0x60),
            '"ConfigFlags"=dword:00000000']))
        ticks = (datetime.datetime.combine(pkg.date, datetime.time()) - datetime.datetime(1601, 1, 1)).days
        keys.append((class_root + "\\" + driver, [
            '"DriverDate"=' + q("%d-%d-%d" % (pkg.date.month, pkg.date.day, pkg.date.year)),
            hex_value('"DriverDateData"', "hex", struct.pack("<Q", ticks * 86400 * 10_000_000)),
            '"DriverDesc"=' + q(driver_desc), '"DriverVersion"=' + q(pkg.version), '"InfPath"=' + q(pkg.oem),
            '"InfSection"=' + q(pkg.name.upper() + "_Install.NTamd64"),
            '"MatchingDeviceId"=' + q(hwid.lower()), '"ProviderName"=' + q(pkg.provider)]))
    for pkg in packages:
        keys.append(("DRIVERS\\DriverDatabase\\DriverInfFiles\\" + pkg.oem,
                     [multi("@", [pkg.id]), '"Active"=' + q(pkg.id)]))
    return keys


def write_registry(machine, keys, seven_zip):
    keys = keys + [("SOFTWARE\\7-Zip", ['"Path"=' + q(seven_zip + os.sep), '"Path64"=' + q(seven_zip + os.sep)])]
    out = ["Windows Registry Editor Version 5.00", ""]
    for path, values in keys:
        out += ["[HKEY_LOCAL_MACHINE\\%s]" % path] + values + [""]
    with open(os.path.join(machine, "registry.reg"), "wb") as f:
        f.write(b"\xff\xfe" + ("\r\n".join(out) + "\r\n").encode("utf-16-le"))


def load_signing(fixtures):
    """The test fixtures' signing helpers (test PKI, signed catalogs)."""
    path = os.path.join(fixtures, "gen-20-signing")
    loader = importlib.machinery.SourceFileLoader("fixture_signing", path)
    module = importlib.util.module_from_spec(importlib.util.spec_from_loader(loader.name, loader))
    loader.exec_module(module)
    return module


def sign_packages(machine, packages, fixtures):
    signing = load_signing(fixtures)
    pki = tempfile.mkdtemp(prefix="quillon-bench-pki-")
    try:
        signing.make_root(pki, "root", "Quillon Bench Root")
        signing.make_signer(pki, "signer", "Quillon Bench Driver Signer", "root", "codeSigning,1.3.6.1.4.1.311.10.3.5")
        for pkg in packages:
            catalog = os.path.join(machine, pkg.folder, pkg.name + ".cat")
            signing.signed_catalog(pki, "signer", catalog, [f for f in pkg.files(machine) if f != catalog])
        os.makedirs(os.path.join(machine, "trust"))
        signing.pem_to_der(os.path.join(pki, "root.pem"), os.path.join(machine, "trust", "bench-root.cer"))
    finally:
        shutil.rmtree(pki, ignore_errors=True)
    return "trust/bench-root.cer"


def main():
    out, devices, count, total = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(float(sys.argv[4]) * MiB)
    fixtures = sys.argv[sys.argv.index("--sign") + 1] if "--sign" in sys.argv else None
    shutil.rmtree(out, ignore_errors=True)
    rng = random.Random(5000 + devices)
    content = bench_content.Content(11)
    for d in ("C/Windows/INF", CATROOT, STORE, "C/Program Files/7-Zip"):
        os.makedirs(os.path.join(out, d), exist_ok=True)
    packages = [Package(rng, i, budget) for i, budget in enumerate(bench_packages.split_budget(rng, total, count))]
    keys = registry(rng, devices, packages)  # before the INFs: their models lines name the devices
    for pkg in packages:
        # The catalog is written by the signing step, or left as an opaque file.
        pkg.layout.append((pkg.name + ".cat", 4096))
        pkg.write(out, content)
    seven_zip = os.path.join(out, "C", "Program Files", "7-Zip")
    os.symlink("/usr/lib/p7zip/7z.so", os.path.join(seven_zip, "7z.dll"))
    write_registry(out, keys, seven_zip)
    ini = ["[machine]", "ComputerName=QUILLON-BENCH", "WindowsVersion=10.0.19045", ""]
    if fixtures:
        ini += ["[trust]", "root=" + sign_packages(out, packages, fixtures), ""]
    with open(os.path.join(out, "machine.ini"), "w", newline="") as f:
        f.write("\r\n".join(ini))
    if "--devices" in sys.argv:
        with open(sys.argv[sys.argv.index("--devices") + 1], "w") as f:
            for i in range(devices):
                pkg = packages[i % len(packages)]
                f.write("%s\t%s\n" % (pkg.folder, pkg.archive_name()))


main()
