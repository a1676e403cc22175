#!/usr/bin/env python3
"""server/nginx.conf serving a tree that tvac-publish wrote, on a loopback port.

Needs nginx and the host-built tvac-publish, named by the environment variable
TVAC_PUBLISH.
"""

import grp
import http.client
import os
import pathlib
import shutil
import signal
import socket
import subprocess
import sys
import pwd
import tempfile
import time
import unittest

REPO = pathlib.Path(__file__).resolve().parents[2]
SERVE = REPO / "server" / "serve-nginx.sh"
REPORT = REPO / "server" / "stats-report.py"
START_WAIT = 10  # seconds nginx may take to listen, a bound and not a measurement


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def listening(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=1):
            return True
    except OSError:
        return False


def publish(tool, *args):
    subprocess.run([tool, *map(str, args)], check=True, capture_output=True)


class NginxConfTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        tool = os.environ.get("TVAC_PUBLISH")
        if not tool or not os.access(tool, os.X_OK):
            raise RuntimeError("TVAC_PUBLISH must name the host-built tvac-publish")
        cls.work = pathlib.Path(tempfile.mkdtemp(prefix="tvac-nginx-"))
        cls.database = cls.work / "pattern.ini"
        cls.installer = cls.work / "setup.exe"
        publish(tool, "build", REPO / "res" / "sample" / "signatures.txt", cls.database)
        cls.installer.write_bytes(b"MZ" + bytes(range(256)) * 64)
        # Started as root, the workers read the tree as whoever runs the test.
        user = f"{pwd.getpwuid(os.getuid()).pw_name} {grp.getgrgid(os.getgid()).gr_name}"
        env = dict(os.environ, TVAC_NGINX_USER=user)
        errors = cls.work / "nginx.err"
        # Another program may take the port between the choice and nginx's start.
        for _ in range(5):
            cls.port = free_port()
            shutil.rmtree(cls.work / "site", ignore_errors=True)
            publish(tool, "site", "--db", cls.database, "--db-version", "1.0.6", "--installer",
                    cls.installer, "--version", "3.8.16.54", "--base-url",
                    f"http://127.0.0.1:{cls.port}", cls.work / "site")
            (cls.work / "site" / "notes.txt").write_text("beside the update folder")
            with errors.open("w") as error_log:
                cls.nginx = subprocess.Popen(
                    [str(SERVE), cls.work / "nginx", cls.work / "site", f"127.0.0.1:{cls.port}",
                     cls.work / "logs"], env=env, stdin=subprocess.DEVNULL,
                    stdout=subprocess.DEVNULL, stderr=error_log)
            deadline = time.monotonic() + START_WAIT
            while cls.nginx.poll() is None and not listening(cls.port):
                if time.monotonic() > deadline:
                    break
                time.sleep(0.05)
            if cls.nginx.poll() is None and listening(cls.port):
                return
            cls.stop()
        raise RuntimeError("nginx did not start: " + errors.read_text())

    @classmethod
    def stop(cls):
        if cls.nginx.poll() is None:
            cls.nginx.send_signal(signal.SIGQUIT)
            try:
                cls.nginx.wait(timeout=10)
            except subprocess.TimeoutExpired:
                cls.nginx.kill()
                cls.nginx.wait()

    @classmethod
    def tearDownClass(cls):
        cls.stop()
        shutil.rmtree(cls.work, ignore_errors=True)

    def get(self, path, headers=None):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        try:
            connection.request("GET", path, headers=headers or {})
            answer = connection.getresponse()
            return answer.status, {k.lower(): v for k, v in answer.getheaders()}, answer.read()
        finally:
            connection.close()

    def test_published_files_go_whole_with_their_length_and_as_they_are(self):
        status, _, description = self.get("/update/updates.ini")
        self.assertEqual(status, 200)
        # [UPDATE] and [PATTERN], each with VER and then URL.
        lines = description.decode().splitlines()
        pattern_url = lines[lines.index("[PATTERN]") + 2].removeprefix("URL=")
        program_url = lines[lines.index("[UPDATE]") + 2].removeprefix("URL=")
        prefix = f"http://127.0.0.1:{self.port}"
        for url, published in ((pattern_url, self.database), (program_url, self.installer)):
            with self.subTest(url=url):
                self.assertTrue(url.startswith(prefix + "/update/"), url)
                status, headers, body = self.get(url.removeprefix(prefix),
                                                 {"Accept-Encoding": "gzip, deflate"})
                self.assertEqual(status, 200)
                self.assertEqual(body, published.read_bytes())
                self.assertEqual(headers.get("content-length"), str(len(body)))
                self.assertNotIn("transfer-encoding", headers)
                self.assertNotIn("content-encoding", headers)
                self.assertEqual(headers.get("content-type"), "application/octet-stream")
                self.assertIn("etag", headers)

    def test_a_statistics_event_is_answered_empty_and_counted_from_its_own_log(self):
        status, headers, body = self.get("/request/count.php?mode=run_exe&key=talv")
        self.assertEqual((status, body), (204, b""))
        self.assertEqual(headers.get("cache-control"), "no-store")
        log = self.work / "logs" / "stats.log"
        # nginx writes the line once the answer is out.
        deadline = time.monotonic() + START_WAIT
        while "mode=run_exe" not in (log.read_text() if log.exists() else ""):
            self.assertLess(time.monotonic(), deadline, "no line in " + str(log))
            time.sleep(0.05)
        done = subprocess.run([sys.executable, str(REPORT), "--tsv", str(log)],
                              capture_output=True, text=True, check=True)
        self.assertRegex(done.stdout, r"^\d{4}-\d{2}-\d{2}\trun_exe\t1\n$")

    def test_everything_else_is_not_found(self):
        for path in ("/", "/update/", "/update", "/update/missing.ini", "/notes.txt",
                     "/request/other.php", "/request/count.php/x", "/update/../notes.txt"):
            with self.subTest(path=path):
                self.assertEqual(self.get(path)[0], 404)


if __name__ == "__main__":
    unittest.main()
