#!/usr/bin/env python3
"""Rebuilds the zone-file and named.conf corpus from a BIND 9.18 source tree
and this machine's /etc/bind. Downloads nothing.

    tests/data/corpus/build-corpus.py /path/to/bind9-v9.18.49-source

Rule (no file is picked by hand):
  * BIND zones: every file under bin/tests/system whose name ends in ".db" or
    ".zone" (templates ending in ".in" excluded), at most 1 MiB, in path
    order, that `named-checkzone -q -i local <origin> <file>` accepts when run
    in the file's own directory. The origin is the name of the first zone
    statement (in path order of the *.conf* files of the same directory)
    whose "file" has the same base name; without one, the file name without
    ".db"/".zone" and without a leading "db.". Files named by $INCLUDE in an
    accepted zone are copied beside it.
  * BIND configurations: every file under bin/tests/system ending in ".conf",
    at most 1 MiB, in path order, that `named-checkconf <file>` accepts when
    run in the file's own directory.
  * Debian: the zone files of /etc/bind by the same origin rule and check,
    and its named.conf files that named-checkconf accepts.
"-i local" keeps BIND from looking up out-of-zone host names on the network;
it changes no record that is loaded.
"""
import os, re, shutil, subprocess, sys

HERE = os.path.dirname(os.path.abspath(__file__))
MAX_BYTES = 1 << 20
ZONE_RE = re.compile(r'zone\s+"([^"]+)"')
FILE_RE = re.compile(r'\bfile\s+"([^"]+)"')


def origin_for(path):
    directory, base = os.path.split(path)
    for conf in sorted(os.listdir(directory)):
        if ".conf" not in conf:
            continue
        try:
            text = open(os.path.join(directory, conf), encoding="utf-8", errors="replace").read()
        except OSError:
            continue
        starts = [m for m in ZONE_RE.finditer(text)]
        for i, m in enumerate(starts):
            end = starts[i + 1].start() if i + 1 < len(starts) else len(text)
            f = FILE_RE.search(text, m.end(), end)
            if f and os.path.basename(f.group(1)) == base:
                return m.group(1)
    name = base
    for suffix in (".db", ".zone"):
        if name.endswith(suffix):
            name = name[: -len(suffix)]
    if name.startswith("db."):
        name = name[3:]
    return name or "."


def accepted(args, directory):
    try:
        return subprocess.run(args, cwd=directory, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=30).returncode == 0
    except subprocess.TimeoutExpired:
        return False


def includes(path):
    found = []
    for line in open(path, encoding="utf-8", errors="replace"):
        m = re.match(r'\$INCLUDE\s+"?([^"\s;]+)', line, re.I)
        if m:
            found.append(m.group(1))
    return found


def copy(src, dst):
    os.makedirs(os.path.dirname(dst), exist_ok=True)
    shutil.copyfile(src, dst)


def collect(root, files, out_dir, list_path, kind):
    kept = skipped_big = rejected = 0
    lines = []
    for rel in files:
        path = os.path.join(root, rel)
        if os.path.getsize(path) > MAX_BYTES:
            skipped_big += 1
            continue
        directory = os.path.dirname(path)
        if kind == "zone":
            origin = origin_for(path)
            ok = accepted(["named-checkzone", "-q", "-i", "local", origin, os.path.basename(path)], directory)
        else:
            ok = accepted(["named-checkconf", os.path.basename(path)], directory)
        if not ok:
            rejected += 1
            continue
        copy(path, os.path.join(out_dir, rel))
        if kind == "zone":
            for inc in includes(path):
                src = os.path.normpath(os.path.join(directory, inc))
                if not os.path.isabs(inc) and os.path.isfile(src):
                    copy(src, os.path.normpath(os.path.join(out_dir, os.path.dirname(rel), inc)))
            lines.append(f"{rel}\t{origin}\n")
        else:
            lines.append(f"{rel}\n")
        kept += 1
    with open(list_path, "w") as f:
        f.writelines(lines)
    return kept, skipped_big, rejected


def tree_files(root, sub, pred):
    out = []
    for d, _, names in os.walk(os.path.join(root, sub)):
        for n in names:
            if pred(n):
                out.append(os.path.relpath(os.path.join(d, n), root))
    return sorted(out)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    src = sys.argv[1]
    bind = os.path.join(HERE, "bind")
    debian = os.path.join(HERE, "debian")
    for d in (bind, debian):
        shutil.rmtree(d, ignore_errors=True)
        os.makedirs(d)
    for notice in ("COPYRIGHT", "LICENSE"):
        shutil.copyfile(os.path.join(src, notice), os.path.join(bind, notice))
    zones = tree_files(src, "bin/tests/system", lambda n: n.endswith((".db", ".zone")))
    confs = tree_files(src, "bin/tests/system", lambda n: n.endswith(".conf"))
    print("bind zones (kept, over 1 MiB, rejected):",
          collect(src, zones, os.path.join(bind, "zones"), os.path.join(bind, "zones.list"), "zone"))
    print("bind confs (kept, over 1 MiB, rejected):",
          collect(src, confs, os.path.join(bind, "conf"), os.path.join(bind, "conf.list"), "conf"))
    shutil.copyfile("/usr/share/doc/bind9/copyright", os.path.join(debian, "copyright"))
    etc = "/etc/bind"
    dzones = sorted(n for n in os.listdir(etc) if n.startswith("db."))
    dconfs = sorted(n for n in os.listdir(etc) if n.startswith("named.conf"))
    print("debian zones (kept, over 1 MiB, rejected):",
          collect(etc, dzones, os.path.join(debian, "zones"), os.path.join(debian, "zones.list"), "zone"))
    print("debian confs (kept, over 1 MiB, rejected):",
          collect(etc, dconfs, os.path.join(debian, "conf"), os.path.join(debian, "conf.list"), "conf"))


if __name__ == "__main__":
    main()
