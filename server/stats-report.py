#!/usr/bin/env python3
"""Counts the agents' statistics events per day and mode.

    server/stats-report.py [--tsv] LOG...

Reads the statistics logs that server/nginx.conf writes (stats.log, and rotated
copies, gzip-compressed or not), one line per request of /request/count.php:

    TIME CLIENT METHOD REQUEST STATUS
    2026-12-10T09:15:02+09:00 203.0.113.7 GET /request/count.php?mode=run_scan&key=talv 204

and prints how many events of each mode arrived on each day (the server's local
day), by day and then by mode: an aligned table, or with --tsv lines of
DAY<TAB>MODE<TAB>COUNT. Only the agents' requests count: the key must be "talv" and
the mode a word of letters, digits and underscores. Lines that are not such an event
are skipped and their number said on stderr. Exit status: 0, 1 when a log cannot be
read, 2 usage error.
"""

import collections
import gzip
import re
import sys
import urllib.parse

KEY = "talv"
PATH = "/request/count.php"
DAY = re.compile(r"^(\d{4}-\d{2}-\d{2})T")
MODE = re.compile(r"^\w+$", re.ASCII)


def event(line):
    """The (day, mode) of one log line, or None when it is no agent's event."""
    fields = line.split()
    if len(fields) < 5:
        return None
    day = DAY.match(fields[0])
    # The request is everything between the method and the status.
    request = urllib.parse.urlsplit(" ".join(fields[3:-1]))
    if not day or request.path != PATH:
        return None
    query = urllib.parse.parse_qs(request.query, keep_blank_values=True)
    modes, keys = query.get("mode", []), query.get("key", [])
    if len(modes) != 1 or keys != [KEY] or not MODE.match(modes[0]):
        return None
    return day.group(1), modes[0]


def count(lines, counts):
    """Adds the events of `lines` to `counts`; returns how many lines were skipped."""
    skipped = 0
    for line in lines:
        if not line.strip():
            continue
        found = event(line)
        if found is None:
            skipped += 1
        else:
            counts[found] += 1
    return skipped


def open_log(path):
    if path.endswith(".gz"):
        return gzip.open(path, "rt", encoding="ascii", errors="replace")
    return open(path, encoding="ascii", errors="replace")


def report(counts, tsv):
    rows = sorted(counts.items())
    if tsv:
        return "".join(f"{day}\t{mode}\t{n}\n" for (day, mode), n in rows)
    if not rows:
        return "no events\n"
    width = max(len("mode"), *(len(mode) for (_, mode), _ in rows))
    digits = max(len("count"), *(len(str(n)) for n in counts.values()))
    lines = [f"{'day':<10}  {'mode':<{width}}  {'count':>{digits}}"]
    lines += [f"{day:<10}  {mode:<{width}}  {n:>{digits}}" for (day, mode), n in rows]
    return "\n".join(lines) + "\n"


def main(argv):
    args = argv[1:]
    tsv = "--tsv" in args
    logs = [a for a in args if a != "--tsv"]
    if not logs or any(a.startswith("-") for a in logs) or args.count("--tsv") > 1:
        print("usage: " + __doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    counts = collections.Counter()
    skipped = 0
    for path in logs:
        try:
            with open_log(path) as log:
                skipped += count(log, counts)
        except (OSError, EOFError) as e:
            reason = e.strerror if isinstance(e, OSError) and e.strerror else e
            print(f"stats-report: {path}: {reason}", file=sys.stderr)
            return 1
    sys.stdout.write(report(counts, tsv))
    if skipped:
        print(f"stats-report: skipped {skipped} line(s) that are no agent's event", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
