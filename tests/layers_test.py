#!/usr/bin/env python3
"""Checks that every file includes only headers of the layers its own layer
may touch, as docs/architecture.md draws them. Run from anywhere; exits 1
and names each forbidden include."""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

# The platform layer's own headers (not a backend's).
PLATFORM = r"netapi/[a-z_]+\.h"
# The platform calls and their buffers and records, for the layers above it.
PLATFORM_CALLS = r"netapi/(account_search|api|api_buffer|controller_logons|types|unique_buffer|sid_text)\.h"
# The value types every layer shares: text conversion and secrets.
VALUES = r"automation/(text|secret)\.h"

# Each folder (longest match first) and what its files may include.
MAY_INCLUDE = {
    "contract/": [r"contract/"],
    "automation/": [r"automation/", r"contract/"],
    "netapi/simulated/": [r"netapi/simulated/", PLATFORM, VALUES],
    "netapi/samba/": [r"netapi/samba/", PLATFORM, VALUES],
    "netapi/windows/": [r"netapi/windows/", PLATFORM, VALUES],
    # The one loader of the Samba module, which every face uses.
    "netapi/samba_loader": [r"netapi/samba/samba_module\.h", PLATFORM,
                            VALUES],
    "netapi/": [PLATFORM, VALUES],
    "common/": [r"common/", r"automation/", PLATFORM_CALLS],
    "domain/": [r"(domain|group|user|common|automation|contract)/",
                PLATFORM_CALLS],
    "group/": [r"(domain|group|user|common|automation)/", PLATFORM_CALLS],
    "user/": [r"(domain|group|user|common|automation)/", PLATFORM_CALLS],
    "tasks/": [r"(tasks|common|automation)/", PLATFORM_CALLS],
    "cli/": [r"(cli|tasks|domain|common|automation|contract|netapi)/"],
    "server/": [r"(server|domain|common|automation|contract|netapi)/"],
    "python/": [r"(python|tasks|domain|common|automation|contract|netapi)/"],
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def layer_of(path):
    for folder in sorted(MAY_INCLUDE, key=len, reverse=True):
        if path.startswith(folder):
            return folder
    return None


def main():
    climbs = []
    tops = sorted({folder.split("/")[0] for folder in MAY_INCLUDE})
    files = [f for top in tops for f in sorted((ROOT / top).rglob("*"))]
    for file in files:
        if file.suffix not in (".h", ".c", ".cpp"):
            continue
        path = file.relative_to(ROOT).as_posix()
        layer = layer_of(path)
        if layer is None:
            continue
        allowed = [re.compile(pattern) for pattern in MAY_INCLUDE[layer]]
        for header in INCLUDE.findall(file.read_text(errors="replace")):
            if "/" not in header:
                continue  # a system or generated header
            if not any(rule.match(header) for rule in allowed):
                climbs.append(f"{path}: includes {header}, outside what "
                              f"{layer} may touch")
    for climb in climbs:
        print(climb)
    print(f"layers: {len(climbs)} forbidden include(s)")
    return 1 if climbs else 0


if __name__ == "__main__":
    sys.exit(main())
