#!/usr/bin/env python3
"""Reads a release's programs as bytes and fails when one could still be a test build.

    check-release-binaries.py PUBLIC_KEY.pem [--not-key OTHER.der] PROGRAM...

A program fails when it holds the name of a test switch (any LIKENEX_TEST_ name, or the
timing log's variable), in ASCII or in UTF-16, which is how the programs spell the wide names
they pass to GetEnvironmentVariableW. Update.exe (any program named so) must hold the public
key given, as the 64 bytes of its point that the updater compiles in, and must not hold the key
of --not-key (the test build's, DER SubjectPublicKeyInfo).
"""
import os
import subprocess
import sys

SWITCH_NAMES = [b"LIKENEX_TEST_", b"LIKENEX_TIMING_LOG"]


def point_of_pem(path):
    der = subprocess.run(["openssl", "pkey", "-pubin", "-in", path, "-outform", "DER"],
                         check=True, capture_output=True).stdout
    return point_of_der(der, path)


def point_of_der(der, path):
    # A P-256 SubjectPublicKeyInfo ends in the uncompressed point: 04, X, Y.
    if len(der) != 91 or der[26] != 0x04:
        sys.exit(f"check-release-binaries: {path} is not an uncompressed P-256 public key")
    return der[27:]


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    public_key = point_of_pem(argv[1])
    rest = argv[2:]
    other_key = None
    if rest[0] == "--not-key":
        with open(rest[1], "rb") as f:
            other_key = point_of_der(f.read(), rest[1])
        rest = rest[2:]
    failures = []
    for program in rest:
        with open(program, "rb") as f:
            data = f.read()
        for name in SWITCH_NAMES:
            for spelling, encoded in (("ASCII", name), ("UTF-16", name.decode().encode("utf-16-le"))):
                if encoded in data:
                    failures.append(f"{program} holds the test switch name {name.decode()}* in {spelling}")
        if os.path.basename(program).lower() == "update.exe":
            if public_key not in data:
                failures.append(f"{program} does not hold the update key given to the release")
            if other_key is not None and other_key in data:
                failures.append(f"{program} holds the test build's update key")
    for failure in failures:
        print(f"check-release-binaries: {failure}", file=sys.stderr)
    if failures:
        return 1
    print(f"check-release-binaries: {len(rest)} programs hold no test switch; Update.exe trusts the given key")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
