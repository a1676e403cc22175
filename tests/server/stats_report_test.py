#!/usr/bin/env python3
"""server/stats-report.py on small statistics logs: what it counts and what it skips."""

import gzip
import pathlib
import subprocess
import sys
import tempfile
import unittest

REPORT = pathlib.Path(__file__).resolve().parents[2] / "server" / "stats-report.py"

# Lines as server/nginx.conf logs them, with some that are no agent's event.
LOG = """\
2026-12-10T09:15:02+09:00 203.0.113.7 GET /request/count.php?mode=run_exe&key=talv 204
2026-12-10T09:15:03+09:00 203.0.113.7 GET /request/count.php?mode=update_run&key=talv 204
2026-12-10T09:20:00+09:00 203.0.113.8 GET /request/count.php?mode=run_exe&key=talv 204
2026-12-10T23:59:59+09:00 203.0.113.8 GET /request/count.php?key=talv&mode=run_scan 204

2026-12-11T00:00:00+09:00 203.0.113.7 GET /request/count.php?mode=run_scan&key=talv 204
2026-12-11T00:00:01+09:00 198.51.100.1 GET /request/count.php?mode=run_scan&key=other 204
2026-12-11T00:00:02+09:00 198.51.100.1 GET /request/count.php?mode=run_scan 204
2026-12-11T00:00:03+09:00 198.51.100.1 GET /request/count.php?mode=run%20scan&key=talv 204
2026-12-11T00:00:04+09:00 198.51.100.1 GET /request/count.php?mode=a&mode=b&key=talv 204
2026-12-11T00:00:05+09:00 198.51.100.1 GET /update/updates.ini?mode=run_scan&key=talv 200
not a log line
"""


def run(*args):
    done = subprocess.run([sys.executable, str(REPORT), *args], capture_output=True, text=True)
    return done.returncode, done.stdout, done.stderr


class StatsReportTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.log = pathlib.Path(self.folder.name) / "stats.log"
        self.log.write_text(LOG)

    def tearDown(self):
        self.folder.cleanup()

    def test_counts_the_events_of_each_mode_on_each_day(self):
        self.assertEqual(run("--tsv", str(self.log)), (
            0,
            "2026-12-10\trun_exe\t2\n"
            "2026-12-10\trun_scan\t1\n"
            "2026-12-10\tupdate_run\t1\n"
            "2026-12-11\trun_scan\t1\n",
            "stats-report: skipped 6 line(s) that are no agent's event\n"))

    def test_prints_an_aligned_table_by_default(self):
        status, out, _ = run(str(self.log))
        self.assertEqual(status, 0)
        self.assertEqual(out, "day         mode        count\n"
                              "2026-12-10  run_exe         2\n"
                              "2026-12-10  run_scan        1\n"
                              "2026-12-10  update_run      1\n"
                              "2026-12-11  run_scan        1\n")

    def test_adds_up_rotated_logs_compressed_or_not(self):
        rotated = pathlib.Path(self.folder.name) / "stats.log.2.gz"
        with gzip.open(rotated, "wt") as f:
            f.write("2026-12-09T10:00:00+09:00 203.0.113.7 GET "
                    "/request/count.php?mode=run_exe&key=talv 204\n"
                    "2026-12-10T10:00:00+09:00 203.0.113.7 GET "
                    "/request/count.php?mode=run_exe&key=talv 204\n")
        status, out, _ = run("--tsv", str(rotated), str(self.log))
        self.assertEqual(status, 0)
        self.assertEqual(out.splitlines()[:2], ["2026-12-09\trun_exe\t1", "2026-12-10\trun_exe\t3"])

    def test_an_unreadable_log_or_no_log_is_an_error(self):
        status, out, err = run(str(self.log) + ".missing")
        self.assertEqual((status, out), (1, ""))
        self.assertIn("No such file or directory", err)
        self.assertEqual(run()[0], 2)
        self.assertEqual(run("--bogus", str(self.log))[0], 2)


if __name__ == "__main__":
    unittest.main()
