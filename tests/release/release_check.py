#!/usr/bin/env python3
"""The release files of HEAD are the same bytes whoever builds them.

Usage: release_check.py   (from anywhere in the repository; needs the Qt
for Windows that scripts/build-windows.sh builds and caches)

Builds the Debian package and the Windows packages of the committed HEAD
twice, with scripts/build-release.sh, from two unpacked copies of the source
in two folders, under the conditions in BUILDS. Each build also signs its
program and installer with one throwaway key and packs the signed program.
Every file of ARTIFACTS must then be identical in both; the signatures must
verify, and come off to leave the unsigned files; the checksum file's
OpenPGP signature must verify with gpgv; and compare_release.py must name a
zip with one byte changed, and nothing else. Prints one line per check;
exit status 0 when all pass.
"""

import os
import shutil
import subprocess
import sys
import tempfile

REPO = subprocess.run(["git", "-C", os.path.dirname(os.path.abspath(__file__)), "rev-parse",
                       "--show-toplevel"], capture_output=True, text=True,
                      check=True).stdout.strip()
SCRIPTS = os.path.join(REPO, "scripts")
VERSION = "1.00"
STEP_SECONDS = 3600

# umask, locale, time zone, clock: what differs between two builders.
BUILDS = [
    (0o022, "C.UTF-8", "UTC", None),
    (0o002, "bg_BG.UTF-8", "Asia/Tokyo", "+3d"),
]
DEBIAN = subprocess.run(["sh", "-c", ". /etc/os-release; echo ${VERSION_ID:-testing}"],
                        capture_output=True, text=True, check=True).stdout.strip()
ARCH = subprocess.run(["dpkg", "--print-architecture"], capture_output=True, text=True,
                      check=True).stdout.strip()
WINDOWS = f"vostrel-{VERSION}-windows-x64"
ARTIFACTS = [
    f"vostrel_{VERSION}~deb{DEBIAN}_{ARCH}.deb",
    f"{WINDOWS}.zip",
    f"{WINDOWS}-setup.exe",
    f"{WINDOWS}-signed.zip",
    f"{WINDOWS}-signed-setup.exe",
    f"vostrel-{VERSION}-web.zip",
]

failures = []


def check(what, ok, detail=""):
    print(f"{'ok' if ok else 'FAIL'}: {what}{'' if ok else ': ' + detail}", flush=True)
    if not ok:
        failures.append(what)


def run(argv, **options):
    return subprocess.run(argv, timeout=STEP_SECONDS, check=True, **options)


def throwaway_keys(folder):
    """A self-signed code-signing certificate with its key, and an OpenPGP
    key in a private keyring; returns the environment that names them."""
    cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
    run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
         "-subj", "/CN=Vostrel release check", "-keyout", key, "-out", cert],
        capture_output=True)
    gnupg = os.path.join(folder, "gnupg")
    os.mkdir(gnupg, 0o700)
    run(["gpg", "--batch", "--homedir", gnupg, "--passphrase", "", "--quick-gen-key",
         "release-check@vostrel.example.org", "rsa2048", "sign", "2d"], capture_output=True)
    return dict(VOSTREL_SIGN_CERT=cert, VOSTREL_SIGN_KEY=key, GNUPGHOME=gnupg,
                VOSTREL_GPG_KEY="release-check@vostrel.example.org")


def build(folder, conditions, keys, epoch):
    """One builder's release files, signed ones included, in folder/out."""
    mask, locale, zone, clock = conditions
    source = os.path.join(folder, f"vostrel-{VERSION}")
    os.makedirs(source)
    archive = subprocess.Popen(["git", "-C", REPO, "archive", "HEAD"], stdout=subprocess.PIPE)
    run(["tar", "-C", source, "-xf", "-"], stdin=archive.stdout)
    archive.wait()
    out = os.path.join(folder, "out")
    environment = dict(os.environ, LC_ALL=locale, TZ=zone, SOURCE_DATE_EPOCH=epoch, **keys)
    # NO_FAKE_STAT: the clock is another, the files' own times are not.
    faked = ["env", "NO_FAKE_STAT=1", "faketime", "-f", clock] if clock else []

    def build_release(*kinds, **extra):
        old = os.umask(mask)
        try:
            run(faked + [os.path.join(source, "scripts", "build-release.sh"), out, *kinds],
                env=dict(environment, **extra), stdout=subprocess.DEVNULL)
        finally:
            os.umask(old)

    build_release("deb", "windows", "web")
    program = os.path.join(folder, "vostrel.exe")
    signed = os.path.join(folder, "vostrel-signed.exe")
    run(["python3", "-c", "import sys, zipfile; open(sys.argv[2], 'wb').write("
         "zipfile.ZipFile(sys.argv[1]).read(sys.argv[3]))",
         os.path.join(out, f"{WINDOWS}.zip"), program, f"{WINDOWS}/vostrel.exe"])
    run([os.path.join(SCRIPTS, "sign.sh"), "pe", program, signed], env=environment)
    build_release("windows", VOSTREL_SIGNED_EXE=signed)
    setup = os.path.join(out, f"{WINDOWS}-signed-setup.exe")
    shutil.move(setup, os.path.join(folder, "unsigned-setup.exe"))
    run([os.path.join(SCRIPTS, "sign.sh"), "pe", os.path.join(folder, "unsigned-setup.exe"),
         setup], env=environment)
    return out, program


def same(a, b):
    with open(a, "rb") as x, open(b, "rb") as y:
        return x.read() == y.read()


def main():
    epoch = subprocess.run(["git", "-C", REPO, "log", "-1", "--format=%ct"],
                           capture_output=True, text=True, check=True).stdout.strip()
    run([os.path.join(SCRIPTS, "install-deps.sh"), "release"], stdout=subprocess.DEVNULL)
    with tempfile.TemporaryDirectory(prefix="vostrel-release-check-") as scratch:
        keys = throwaway_keys(scratch)
        builds = []
        for number, conditions in enumerate(BUILDS):
            folder = os.path.join(scratch, f"builder-{number}")
            builds.append((folder, *build(folder, conditions, keys, epoch)))
        (first, out, program), (_, again, _) = builds

        for name in ARTIFACTS:
            a, b = os.path.join(out, name), os.path.join(again, name)
            ok = os.path.exists(a) and os.path.exists(b) and same(a, b)
            detail = ""
            if not ok and shutil.which("diffoscope") and os.path.exists(a) and os.path.exists(b):
                detail = subprocess.run(["diffoscope", "--text", "-", a, b], capture_output=True,
                                        text=True, timeout=STEP_SECONDS).stdout[-4000:]
            check(f"{name} built twice is the same", ok, detail)

        removed = os.path.join(scratch, "removed")
        for signed, unsigned in [
            (os.path.join(first, "vostrel-signed.exe"), program),
            (os.path.join(out, f"{WINDOWS}-signed-setup.exe"),
             os.path.join(first, "unsigned-setup.exe")),
        ]:
            verified = subprocess.run(
                ["osslsigncode", "verify", "-CAfile", keys["VOSTREL_SIGN_CERT"], "-in", signed],
                capture_output=True, text=True, timeout=120)
            check(f"{os.path.basename(signed)} carries a valid signature",
                  verified.returncode == 0, verified.stdout[-1000:])
            if os.path.exists(removed):
                os.remove(removed)
            run(["osslsigncode", "remove-signature", "-in", signed, "-out", removed],
                capture_output=True)
            check(f"{os.path.basename(signed)} without its signature is the unsigned file",
                  same(removed, unsigned))

        sums = os.path.join(out, "SHA256SUMS")
        with open(sums, "w") as f:
            run(["sha256sum"] + ARTIFACTS, cwd=out, stdout=f)
        run([os.path.join(SCRIPTS, "sign.sh"), "sums", sums], env=dict(os.environ, **keys))
        keyring = os.path.join(scratch, "key.gpg")
        with open(keyring, "wb") as f:
            run(["gpg", "--homedir", keys["GNUPGHOME"], "--export"], stdout=f)
        check("SHA256SUMS.asc verifies with gpgv",
              subprocess.run(["gpgv", "--keyring", keyring, sums + ".asc", sums],
                             capture_output=True, timeout=60).returncode == 0)

        # As --verify has it: the rebuilt signed installer is not signed.
        rebuilt = os.path.join(scratch, "rebuilt")
        shutil.copytree(out, rebuilt)
        shutil.copy(os.path.join(first, "unsigned-setup.exe"),
                    os.path.join(rebuilt, f"{WINDOWS}-signed-setup.exe"))
        tampered = os.path.join(scratch, "tampered")
        shutil.copytree(out, tampered)
        with open(os.path.join(tampered, f"{WINDOWS}.zip"), "r+b") as f:
            f.seek(1000)
            byte = f.read(1)
            f.seek(1000)
            f.write(bytes([byte[0] ^ 0xFF]))
        report = subprocess.run(["python3", os.path.join(SCRIPTS, "compare_release.py"), rebuilt,
                                 tampered], capture_output=True, text=True, timeout=600)
        lines = dict(line.split(": ", 1) for line in report.stdout.splitlines())
        check("compare_release.py names the tampered zip and nothing else",
              report.returncode == 1 and lines.get(f"{WINDOWS}.zip", "").startswith("differs")
              and all(v.startswith("identical") for n, v in lines.items()
                      if n.endswith((".deb", "setup.exe"))),
              report.stdout + report.stderr)
    print(f"release check: {'PASS' if not failures else 'FAIL: ' + ', '.join(failures)}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
