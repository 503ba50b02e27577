#!/usr/bin/env python3
"""Checks the test web server itself: files, every fault mode, control
requests and the request log, against a server started on a free port."""
import gzip
import http.client
import os
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))


class TestServerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.TemporaryDirectory()
        cls.root = os.path.join(cls.work.name, "www")
        os.mkdir(cls.root)
        with open(os.path.join(cls.work.name, "secreto"), "w") as f:
            f.write("outside the served folder")
        cls.body = bytes(range(256)) * 40  # 10240 bytes
        with open(os.path.join(cls.root, "a.bin"), "wb") as f:
            f.write(cls.body)
        cls.log = os.path.join(cls.work.name, "requests.log")
        port_file = os.path.join(cls.work.name, "port")
        cls.proc = subprocess.Popen(
            [sys.executable, os.path.join(HERE, "testserver.py"), "--root", cls.root,
             "--port-file", port_file, "--log", cls.log, "--fault", "/cli.bin=500"],
            stdout=subprocess.DEVNULL)
        for _ in range(100):
            if os.path.exists(port_file):
                break
            time.sleep(0.05)
        with open(port_file) as f:
            cls.port = int(f.read())

    @classmethod
    def tearDownClass(cls):
        cls.proc.terminate()
        cls.proc.wait()
        cls.work.cleanup()

    def get(self, path, method="GET", headers=None):
        """(status, headers, body, complete): complete is False when the body
        ended before its Content-Length."""
        c = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        c.request(method, path, headers=headers or {})
        r = c.getresponse()
        try:
            body, complete = r.read(), True
        except http.client.IncompleteRead as e:
            body, complete = e.partial, False
        c.close()
        return r.status, r, body, complete

    def control(self, query):
        return self.get("/_control/" + query)[0]

    def test_fault_modes(self):
        cases = [  # path, mode, status, body, complete
            ("/a.bin", None, 200, self.body, True),
            ("/falta.bin", None, 404, None, True),
            ("/../secreto", None, 404, None, True),
            ("/cli.bin", None, 500, None, True),  # set on the command line
            ("/a.bin", "404", 404, None, True),
            ("/a.bin", "500", 500, None, True),
            ("/a.bin", "short", 200, self.body[:5120], False),
            ("/a.bin", "slow:1", 200, self.body, True),
            ("/gen.bin", "large:1000", 200, bytes(i % 251 for i in range(1000)), True),
            ("/a.bin", "gzip", 200, gzip.compress(self.body, mtime=0), True),  # raw, as sent
        ]
        for path, mode, status, body, complete in cases:
            with self.subTest(path=path, mode=mode):
                self.assertEqual(self.control("reset"), 200)
                if mode:
                    self.assertEqual(self.control("fault?path=%s&mode=%s" % (path, mode)), 200)
                if path == "/cli.bin":  # reset cleared it: set it the same way again
                    self.assertEqual(self.control("fault?path=/cli.bin&mode=500"), 200)
                got_status, r, got_body, got_complete = self.get(path)
                self.assertEqual(got_status, status)
                self.assertEqual(got_complete, complete)
                if body is not None:
                    self.assertEqual(got_body, body)
                    self.assertEqual(r.getheader("Cache-Control"), "max-age=3600")
                else:
                    self.assertIn(b"Error %d" % status, got_body)

    def test_counted_fault_passes(self):
        self.assertEqual(self.control("reset"), 200)
        self.assertEqual(self.control("fault?path=/a.bin&mode=500*2"), 200)
        self.assertEqual([self.get("/a.bin")[0] for _ in range(3)], [500, 500, 200])
        for bad in ("500*0", "500*x", "teapot*1"):
            with self.subTest(bad=bad):
                self.assertEqual(self.control("fault?path=/a.bin&mode=" + bad), 400)

    def test_control_requests(self):
        self.assertEqual(self.control("reset"), 200)
        self.assertEqual(self.control("fault?path=/a.bin&mode=404"), 200)
        self.assertEqual(self.get("/a.bin")[0], 404)
        self.assertEqual(self.control("clear?path=/a.bin"), 200)
        self.assertEqual(self.get("/a.bin")[0], 200)
        for bad in ("fault?path=/a.bin&mode=teapot", "fault?path=/a.bin&mode=large:",
                    "fault?mode=404", "nothing"):
            with self.subTest(bad=bad):
                self.assertEqual(self.control(bad), 400)
        self.assertEqual(self.get("/a.bin")[0], 200)  # a refused fault changes nothing
        status, r, body, _ = self.get("/a.bin", method="HEAD")
        self.assertEqual((status, body, r.getheader("Content-Length")), (200, b"", str(len(self.body))))

    def test_ranges_and_validators(self):
        self.assertEqual(self.control("reset"), 200)
        _, r, _, _ = self.get("/a.bin")
        etag, date = r.getheader("ETag"), r.getheader("Last-Modified")
        self.assertTrue(etag.startswith('"') and etag.endswith('"'))
        cases = [  # mode, request headers, status, body, complete, Content-Range
            (None, {"Range": "bytes=10000-", "If-Range": etag}, 206, self.body[10000:], True, "bytes 10000-10239/10240"),
            (None, {"Range": "bytes=10-19", "If-Range": date}, 206, self.body[10:20], True, "bytes 10-19/10240"),
            (None, {"Range": "bytes=10000-"}, 206, self.body[10000:], True, "bytes 10000-10239/10240"),
            (None, {"Range": "bytes=10000-", "If-Range": '"otro"'}, 200, self.body, True, None),
            (None, {"Range": "bytes=10240-"}, 416, None, True, "bytes */10240"),
            (None, {"Range": "items=1-"}, 200, self.body, True, None),
            ("cut:6000", {}, 200, self.body[:6000], False, None),
            ("cut:6000", {"Range": "bytes=5000-"}, 206, self.body[5000:6000], False, "bytes 5000-10239/10240"),
            ("short", {"Range": "bytes=10000-"}, 206, self.body[10000:10120], False, "bytes 10000-10239/10240"),
        ]
        for mode, headers, status, body, complete, content_range in cases:
            with self.subTest(mode=mode, headers=headers):
                self.assertEqual(self.control("reset"), 200)
                if mode:
                    self.assertEqual(self.control("fault?path=/a.bin&mode=" + mode), 200)
                got_status, r, got_body, got_complete = self.get("/a.bin", headers=headers)
                self.assertEqual((got_status, got_complete), (status, complete))
                self.assertEqual(r.getheader("Content-Range"), content_range)
                if body is not None:
                    self.assertEqual(got_body, body)

    def test_redirect_endless_and_counted_hold(self):
        self.assertEqual(self.control("reset"), 200)
        self.assertEqual(self.control("fault?path=/a.bin&mode=redirect:http://otro/b.bin"), 200)
        status, r, _, _ = self.get("/a.bin")
        self.assertEqual((status, r.getheader("Location")), (302, "http://otro/b.bin"))

        self.assertEqual(self.control("fault?path=/a.bin&mode=endless"), 200)
        c = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        c.request("GET", "/a.bin")
        r = c.getresponse()
        self.assertEqual((r.status, r.getheader("Content-Length")), (200, None))
        self.assertEqual(len(r.read(1 << 20)), 1 << 20)
        c.close()

        # A counted hold stands still although it is used up, until a control
        # request changes the faults.
        self.assertEqual(self.control("fault?path=/a.bin&mode=hold:100*1"), 200)
        c = http.client.HTTPConnection("127.0.0.1", self.port, timeout=1)
        c.request("GET", "/a.bin")
        r = c.getresponse()
        self.assertEqual(r.read(100), self.body[:100])
        with self.assertRaises(OSError):
            r.read(1)
        c.close()
        self.assertEqual(self.control("reset"), 200)

    def test_logs_every_request_line(self):
        self.get("/registro.bin?x=1")
        self.get("/a.bin")
        with open(self.log) as f:
            lines = f.read().splitlines()
        self.assertIn("GET /registro.bin?x=1 HTTP/1.1", lines)
        # After each answer, what its body moved.
        self.assertIn("SENT /a.bin 200 10240", lines)
        self.assertTrue(all(l.split(" ")[0] in ("GET", "HEAD", "SENT", "HOLD") for l in lines))


if __name__ == "__main__":
    unittest.main()
