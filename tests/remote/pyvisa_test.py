#!/usr/bin/env python3
"""The bench as a SCPI instrument, driven by PyVISA as engineers drive it: the built program runs
`--serve --port 0 --simulate` from a copy in a temporary folder, and each test is one client.
Usage: pyvisa_test.py PROGRAM REMOTE_DOC"""

import os
import re
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time
import unittest

import pyvisa

PROGRAM = ""
REMOTE_DOC = ""
IN_USE = "The bench is in use"
# The figures are computed in double precision from the same values; the sums differ only in
# their order of addition.
RELATIVE_TOLERANCE = 1e-9


def python_example(doc):
    """The first ```python block of the document, as it stands."""
    with open(doc, encoding="utf-8") as f:
        found = re.search(r"```python\n(.*?)```", f.read(), re.S)
    return found.group(1)


class Server:
    """The program serving the simulated bench from its own folder, until stopped."""

    def __init__(self):
        self.folder = tempfile.TemporaryDirectory()
        built = os.path.dirname(PROGRAM)
        program = os.path.join(self.folder.name, os.path.basename(PROGRAM))
        shutil.copy(PROGRAM, program)
        shutil.copytree(os.path.join(built, "INCLUDE"), os.path.join(self.folder.name, "INCLUDE"))
        self.process = subprocess.Popen(
            [program, "--serve", "--port", "0", "--simulate"], cwd=self.folder.name,
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        line = self.process.stdout.readline()
        listening = re.fullmatch(r"Remote: 127\.0\.0\.1:(\d+)\n", line)
        if not listening:
            self.stop()
            raise RuntimeError(f"no listening line, got {line!r}: {self.process.stderr.read()}")
        self.port = int(listening.group(1))
        self.resource = f"TCPIP0::127.0.0.1::{self.port}::SOCKET"

    def stop(self):
        self.process.terminate()
        status = self.process.wait(timeout=30)
        self.process.stdout.close()
        self.process.stderr.close()
        self.folder.cleanup()
        return status


class RemoteTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = Server()
        cls.rm = pyvisa.ResourceManager("@py")

    @classmethod
    def tearDownClass(cls):
        # Ended with a client connected: the server closes the connection and exits with 0.
        cls.rm.close()
        for _ in range(100):
            client = socket.create_connection(("127.0.0.1", cls.server.port), timeout=10)
            client.sendall(b"*IDN?\n")
            if IN_USE not in client.recv(4096).decode():
                break
            client.close()
            time.sleep(0.05)
        with client:
            status = cls.server.stop()
            assert client.recv(4096) == b"", "the connection outlived the server"
        assert status == 0, f"the server ended with {status} on SIGTERM"

    def open(self):
        """A client; the previous one's disconnect may still be on its way to the server."""
        for _ in range(100):
            bench = self.rm.open_resource(self.server.resource, read_termination="\n",
                                          write_termination="\n", timeout=60000)
            identity = bench.query("*IDN?")
            if not identity.startswith(IN_USE):
                self.addCleanup(bench.close)
                return bench
            bench.close()
            time.sleep(0.05)
        self.fail("the server stayed in use")

    def errors(self, bench):
        return bench.query("SYSTem:ERRor:ALL?")

    def test_chip_register_and_field_by_name(self):
        bench = self.open()
        maker, model, serial, version = bench.query("*IDN?").split(",")
        self.assertEqual(model, "Qn-740xTEST")
        bench.write("SYSTem:CHIP QN7401")
        self.assertEqual(bench.query("SYST:CHIP?"), '"QN7401  (ADC)"')
        self.assertEqual(bench.query("LINK:STATe?"), "CONNECTED")
        bench.write("REGister 4,#H12")
        self.assertEqual(bench.query("REG? 4"), "18")
        bench.write("REG:FIELD PGA,3")
        self.assertEqual(bench.query("REGister:FIELD? pga"), "3")
        self.assertEqual(self.errors(bench), '0,"No error"')
        bench.write("REG:FIELD NOSUCH,1")
        self.assertTrue(bench.query("SYST:ERR?").startswith("-222,"))

    def test_capture_figures_agree_with_data(self):
        bench = self.open()
        bench.write("SYST:CHIP QN7401;:CAPT:POIN 1024")
        bench.write("INIT")
        self.assertEqual(bench.query("*OPC?"), "1")
        figures = bench.query_ascii_values("FETCh:FIGures?")
        self.assertEqual(len(figures), 7)
        text = bench.query_ascii_values("FETC:DATA?")
        bench.write("FORMat:DATA INT,32")
        binary = bench.query_binary_values("FETC:DATA?", datatype="i")
        self.assertEqual(len(binary), 1024)
        self.assertEqual(binary, [int(v) for v in text])
        mean, rms = statistics.fmean(binary), statistics.pstdev(binary)
        self.assertAlmostEqual(figures[0], mean, delta=RELATIVE_TOLERANCE * max(1, abs(mean)))
        self.assertAlmostEqual(figures[5], rms, delta=RELATIVE_TOLERANCE * max(1, rms))
        self.assertEqual(figures[4], max(binary) - min(binary))
        self.assertEqual(self.errors(bench), '0,"No error"')

    def test_second_client_is_refused_with_one_line(self):
        self.open()
        with socket.create_connection(("127.0.0.1", self.server.port), timeout=10) as second:
            received = b""
            while chunk := second.recv(4096):
                received += chunk
        self.assertTrue(received.decode().startswith(IN_USE))
        self.assertEqual(received.count(b"\n"), 1)

    def test_errors_reach_the_queue(self):
        bench = self.open()
        bench.write("FOO:BAR 1")
        bench.write("X" * 70000)
        bench.write("CAPT:POIN 0")
        codes = [int(e) for e in re.findall(r'(-?\d+),"', self.errors(bench))]
        self.assertEqual(codes, [-113, -223, -222])

    def test_disconnect_mid_capture_leaves_the_bench_usable(self):
        bench = self.open()
        bench.write("SYST:CHIP QN7401;:CAPT:POIN 65536")
        bench.write("INIT")
        time.sleep(0.5)
        self.assertEqual(bench.query("SYST:ERR?"), '0,"No error"')  # answered mid-capture
        bench.close()
        bench = self.open()
        started = time.monotonic()
        self.assertEqual(bench.query("MEAS:FIG? 256").count(","), 6)
        self.assertLess(time.monotonic() - started, 10)
        self.assertEqual(self.errors(bench), '0,"No error"')

    def test_python_example_of_the_documentation(self):
        environment = dict(os.environ, QN_RESOURCE=self.server.resource)
        for _ in range(100):
            run = subprocess.run([sys.executable, "-c", python_example(REMOTE_DOC)],
                                 env=environment, capture_output=True, text=True, timeout=120)
            if IN_USE not in run.stdout:
                break
            time.sleep(0.05)
        self.assertEqual(run.returncode, 0, run.stderr)
        lines = run.stdout.splitlines()
        self.assertTrue(lines[0].startswith("Qn,Qn-740xTEST,"), run.stdout)
        self.assertIn("4096 codes", lines)
        self.assertEqual(lines[-1], '0,"No error"')


if __name__ == "__main__":
    PROGRAM, REMOTE_DOC = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1], verbosity=2)
