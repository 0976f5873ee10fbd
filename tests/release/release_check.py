#!/usr/bin/env python3
"""The release files of HEAD are the same bytes whoever builds them.

Usage, as root: release_check.py   (from anywhere in the repository)

Builds the release files of the committed HEAD twice, with
scripts/build-release.sh, from two unpacked copies of the source in two
folders, under the conditions in BUILDS: the Debian package of this system
and the web zip here, and the Windows packages where the release builds the
ones users download, in a fresh minimal Debian 13 (scripts/fresh-system.sh)
against its Qt 6.8, which scripts/release.sh and scripts/check-wine.sh keep
in the same cache (built there first when the cache has none). Each build
also signs its program and installer with one throwaway key and packs the
signed program. Every file of ARTIFACTS must then be identical in both; the
signatures must verify, and come off to leave the unsigned files; the
checksum file's OpenPGP signature must verify with gpgv; and
compare_release.py must name a zip with one byte changed, and nothing else.
Prints one line per check; exit status 0 when all pass, 2 when not run as
root.
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile

REPO = subprocess.run(["git", "-C", os.path.dirname(os.path.abspath(__file__)), "rev-parse",
                       "--show-toplevel"], capture_output=True, text=True,
                      check=True).stdout.strip()
# The commit every copy is of, whatever HEAD becomes while the check runs.
COMMIT = subprocess.run(["git", "-C", REPO, "rev-parse", "--verify", "HEAD"], capture_output=True,
                        text=True, check=True).stdout.strip()
SCRIPTS = os.path.join(REPO, "scripts")
VERSION = "1.00"
STEP_SECONDS = 3600
# A Windows build that has to build Qt first, or wait for another to, takes
# more than an hour on two cores.
WINDOWS_STEP_SECONDS = 9000
# Where the Windows packages users download are built: scripts/release.sh
# builds them on Debian 13.
WINDOWS_SYSTEM = "trixie"

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


def run(argv, timeout=STEP_SECONDS, **options):
    return subprocess.run(argv, timeout=timeout, check=True, **options)


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


def unpack_commit(into):
    """Runs into (an argv that unpacks a tar archive) on git archive of COMMIT."""
    archive = subprocess.Popen(["git", "-C", REPO, "archive", COMMIT], stdout=subprocess.PIPE)
    run(into, stdin=archive.stdout)
    archive.wait()


class Here:
    """Builds on this machine, each builder in its folder."""

    def build(self, folder, out, kinds, mask, environment, faked):
        source = os.path.join(folder, f"vostrel-{VERSION}")
        if not os.path.exists(source):
            os.makedirs(source)
            unpack_commit(["tar", "-C", source, "-xf", "-"])
        old = os.umask(mask)
        try:
            run(faked + [os.path.join(source, "scripts", "build-release.sh"), out, *kinds],
                env=dict(os.environ, **environment), stdout=subprocess.DEVNULL)
        finally:
            os.umask(old)


class FreshSystem:
    """Builds as the user "user" in a fresh minimal Debian system, made by
    scripts/fresh-system.sh in a folder of its own and removed after, each
    builder in its folder there."""

    def __init__(self, release):
        self.release = release
        self.work = tempfile.mkdtemp(prefix="vostrel-release-check-",
                                     dir=os.environ.get("TMPDIR", "/var/tmp"))
        self.root = os.path.join(self.work, "root")

    def __enter__(self):
        print(f"building for Windows in a fresh Debian {self.release} in {self.work}",
              flush=True)
        # The clock is another for the second builder there too.
        try:
            run([os.path.join(SCRIPTS, "fresh-system.sh"), "up", self.release, self.work,
                 "faketime"])
        except BaseException:
            self.__exit__()
            raise
        return self

    def __exit__(self, *_):
        # A system that keeps a mount is left, folder and all: deleting it
        # would delete through the mount.
        if subprocess.run([os.path.join(SCRIPTS, "fresh-system.sh"), "down", self.work],
                          timeout=600).returncode == 0:
            shutil.rmtree(self.work)

    def build(self, folder, out, kinds, mask, environment, faked):
        """Builds in folder in the system, then copies what it wrote to out here."""
        source = os.path.join(folder, f"vostrel-{VERSION}")
        if not os.path.exists(self.root + source):
            unpack_commit(["chroot", "--userspec=user:user", self.root, "sh", "-c",
                         'mkdir -p "$1" && tar -C "$1" -xf -', "sh", source])
        user = dict(HOME="/home/user", USER="user", LOGNAME="user", SHELL="/bin/sh",
                    PATH="/usr/local/bin:/usr/bin:/bin", **environment)
        written = os.path.join(folder, "out")
        run(["chroot", "--userspec=user:user", self.root, "env", "-i", "-C", source]
            + [f"{name}={value}" for name, value in user.items()]
            + ["sh", "-c", f'umask {mask:04o} && exec "$@"', "sh"]
            + faked + ["./scripts/build-release.sh", written, *kinds],
            stdout=subprocess.DEVNULL, timeout=WINDOWS_STEP_SECONDS)
        for name in os.listdir(self.root + written):
            shutil.copy(os.path.join(self.root + written, name), out)

    def give(self, path, folder):
        """Copies a file of this machine into folder in the system, as the
        user's; returns its name there."""
        inside = os.path.join(folder, os.path.basename(path))
        shutil.copy(path, self.root + inside)
        os.chown(self.root + inside, 1000, 1000)
        return inside


def build(folder, system, number, conditions, keys, epoch):
    """One builder's release files, signed ones included, in folder/out: the
    Debian package and the web zip built here, the Windows packages in the
    system; returns that folder and the unsigned program."""
    mask, locale, zone, clock = conditions
    out = os.path.join(folder, "out")
    os.makedirs(out)
    environment = dict(LC_ALL=locale, TZ=zone, SOURCE_DATE_EPOCH=epoch)
    # NO_FAKE_STAT: the clock is another, the files' own times are not.
    faked = ["env", "NO_FAKE_STAT=1", "faketime", "-f", clock] if clock else []
    signing = dict(os.environ, **environment, **keys)

    Here().build(folder, out, ["deb", "web"], mask, environment, faked)
    inside = f"/home/user/builder-{number}"
    system.build(inside, out, ["windows"], mask, environment, faked)
    program = os.path.join(folder, "vostrel.exe")
    signed = os.path.join(folder, "vostrel-signed.exe")
    run(["python3", "-c", "import sys, zipfile; open(sys.argv[2], 'wb').write("
         "zipfile.ZipFile(sys.argv[1]).read(sys.argv[3]))",
         os.path.join(out, f"{WINDOWS}.zip"), program, f"{WINDOWS}/vostrel.exe"])
    run([os.path.join(SCRIPTS, "sign.sh"), "pe", program, signed], env=signing)
    system.build(inside, out, ["windows"], mask,
                 dict(environment, VOSTREL_SIGNED_EXE=system.give(signed, inside)), faked)
    setup = os.path.join(out, f"{WINDOWS}-signed-setup.exe")
    shutil.move(setup, os.path.join(folder, "unsigned-setup.exe"))
    run([os.path.join(SCRIPTS, "sign.sh"), "pe", os.path.join(folder, "unsigned-setup.exe"),
         setup], env=signing)
    return out, program


def same(a, b):
    with open(a, "rb") as x, open(b, "rb") as y:
        return x.read() == y.read()


def main():
    # Ended by a signal, it still ends what it started and removes the system.
    signal.signal(signal.SIGTERM, lambda number, _: sys.exit(128 + number))
    if os.geteuid() != 0:
        print(f"{sys.argv[0]}: must run as root: it bootstraps a system and mounts into it",
              file=sys.stderr)
        return 2
    epoch = subprocess.run(["git", "-C", REPO, "log", "-1", "--format=%ct", COMMIT],
                           capture_output=True, text=True, check=True).stdout.strip()
    run([os.path.join(SCRIPTS, "install-deps.sh"), "release"], stdout=subprocess.DEVNULL)
    with tempfile.TemporaryDirectory(prefix="vostrel-release-check-") as scratch, \
            FreshSystem(WINDOWS_SYSTEM) as system:
        keys = throwaway_keys(scratch)
        builds = []
        for number, conditions in enumerate(BUILDS):
            folder = os.path.join(scratch, f"builder-{number}")
            builds.append((folder, *build(folder, system, number, conditions, keys, epoch)))
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
