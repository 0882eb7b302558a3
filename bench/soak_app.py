#!/usr/bin/env python3
"""Soak: runs the whole program offscreen against skelmora-emu through the virtual HID bus
for a number of minutes while the devices are unplugged and plugged again every few seconds,
faults are injected into their firmware and skelmora-send messages arrive, and watches the
program's resources:

  * at the start and every minute (with every device plugged and settled) it prints the
    program's RSS, its CPU use over the minute, its open descriptors and its threads;
  * at the end it checks that nothing grew after the first minute (RSS within 2 MB,
    descriptors and threads equal) and that every device was shown again after each of its
    plugs. The exit status is 1 when a check failed.

  python3 bench/soak_app.py [--build build] [--minutes 10] [--plug-seconds 3]
"""
import argparse
import os
import queue
import random
import subprocess
import sys
import tempfile
import threading
import time

DEVICES = ("keyboard", "headset")
# Command numbers the program sends the devices while it runs (begin and end of settings,
# device information, parameters, key table, light frames, status).
FAULT_COMMANDS = ("01", "02", "03", "05", "07", "12", "1a")
FAULTS = ("status-ff", "no-reply", "other-command", "unsolicited-aa")
SEND_MESSAGES = (
    ("{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", "1", "0"),  # host light control off
    ("{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", "1", "1"),  # and on again
    ("Game_Start", "0", "1"),
    ("Game_End", "0", "1"),
)
RSS_SLACK_KB = 2048


def reader(stream, lines):
    for raw in iter(stream.readline, b""):
        lines.put(raw.decode("utf-8", "replace").rstrip("\n"))


def wait_line(lines, test, timeout=10.0):
    """The first line for which test(line) holds, or None after timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        left = deadline - time.monotonic()
        if left <= 0:
            return None
        try:
            line = lines.get(timeout=left)
        except queue.Empty:
            return None
        if test(line):
            return line


def drain(lines):
    while True:
        try:
            lines.get_nowait()
        except queue.Empty:
            return


def status_field(pid, name):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(name + ":"):
                return int(line.split()[1])
    return 0


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def sample(pid):
    return {"rss_kb": status_field(pid, "VmRSS"), "threads": status_field(pid, "Threads"),
            "fds": len(os.listdir(f"/proc/{pid}/fd")), "cpu": cpu_seconds(pid),
            "wall": time.monotonic()}


class Soak:
    def __init__(self, args):
        self.args = args
        binaries = os.path.join(args.build, "bin")
        self.binaries = binaries
        work = tempfile.mkdtemp(prefix="skelmora-soak-")
        socket = os.path.join(work, "bus.sock")
        self.env = dict(os.environ)
        for name in ("run", "data", "config", "home"):
            os.makedirs(os.path.join(work, name), mode=0o700)
        self.env.update(XDG_RUNTIME_DIR=os.path.join(work, "run"),
                        XDG_DATA_HOME=os.path.join(work, "data"),
                        XDG_CONFIG_HOME=os.path.join(work, "config"),
                        HOME=os.path.join(work, "home"), QT_QPA_PLATFORM="offscreen",
                        SKELMORA_HID="vhid:" + socket,
                        QT_LOGGING_RULES="skelmora.discovery.debug=true")
        self.emu = subprocess.Popen([os.path.join(binaries, "skelmora-emu"), "--socket", socket],
                                    stdin=subprocess.PIPE, stdout=subprocess.PIPE, env=self.env)
        if self.emu.stdout.readline().decode().strip() != "ready":
            sys.exit("emulator did not start")
        self.program = None
        self.lines = queue.Queue()
        self.plugged = {device: False for device in DEVICES}
        self.item = {}  # device -> its selector item's index, learnt at its first plug
        self.counts = {"plugs": 0, "unplugs": 0, "faults": 0, "sends": 0}
        self.failures = []

    def command(self, text):
        self.emu.stdin.write((text + "\n").encode())
        self.emu.stdin.flush()
        answer = self.emu.stdout.readline().decode().strip()
        if answer != "ok":
            sys.exit(f"emulator answered {answer!r} to {text!r}")

    def start_program(self):
        self.program = subprocess.Popen([os.path.join(self.binaries, "skelmora")],
                                        stderr=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                        env=self.env)
        threading.Thread(target=reader, args=(self.program.stderr, self.lines),
                         daemon=True).start()
        if wait_line(self.lines, lambda line: "No_device_Link shown" in line, 30) is None:
            sys.exit("the program did not start")

    def plug(self, device):
        drain(self.lines)
        self.command("plug " + device)
        self.counts["plugs"] += 1
        self.plugged[device] = True
        known = self.item.get(device)
        want = (lambda line: f"selector item {known} shown" in line) if known is not None else \
            (lambda line: "selector item" in line and line.endswith("shown"))
        line = wait_line(self.lines, want)
        if line is None:
            self.failures.append(f"{device} not shown after plug {self.counts['plugs']}")
            return
        if known is None:
            self.item[device] = int(line.split("selector item")[1].split()[0])

    def unplug(self, device):
        drain(self.lines)
        self.command("unplug " + device)
        self.counts["unplugs"] += 1
        self.plugged[device] = False
        known = self.item.get(device)
        if known is not None and wait_line(
                self.lines, lambda line: f"selector item {known} hidden" in line) is None:
            self.failures.append(f"{device} not hidden after unplug {self.counts['unplugs']}")

    def fault(self):
        device = random.choice([d for d in DEVICES if self.plugged[d]] or [None])
        if device is None:
            return
        command = random.choice(FAULT_COMMANDS)
        self.command(f"fault {device} {command} -1 {random.choice(FAULTS)} {random.randint(1, 3)}")
        self.counts["faults"] += 1

    def send(self):
        message = random.choice(SEND_MESSAGES)
        result = subprocess.run([os.path.join(self.binaries, "skelmora-send"), *message],
                                env=self.env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        self.counts["sends"] += 1
        if result.returncode != 0:
            self.failures.append(f"skelmora-send {' '.join(message)} exited {result.returncode}")

    def settle(self):
        """Every device plugged, its faults cleared and its connection done."""
        for device in DEVICES:
            if not self.plugged[device]:
                self.plug(device)
            self.command("clear-faults " + device)
        time.sleep(3.0)

    def run(self):
        args = self.args
        self.start_program()
        self.settle()
        samples = [sample(self.program.pid)]
        report(0, samples[0], None)
        end = time.monotonic() + args.minutes * 60
        next_sample = time.monotonic() + 60
        next_send = time.monotonic() + random.uniform(5, 20)
        while time.monotonic() < end:
            time.sleep(args.plug_seconds * random.uniform(0.5, 1.5))
            device = random.choice(DEVICES)
            if self.plugged[device]:
                self.unplug(device)
            else:
                self.plug(device)
            if random.random() < 0.8:
                self.fault()
            if time.monotonic() >= next_send:
                self.send()
                next_send = time.monotonic() + random.uniform(5, 20)
            if time.monotonic() >= next_sample:
                self.settle()
                samples.append(sample(self.program.pid))
                report(len(samples) - 1, samples[-1], samples[-2])
                next_sample = time.monotonic() + 60
        if time.monotonic() - samples[-1]["wall"] > 30:  # the last minute too
            self.settle()
            samples.append(sample(self.program.pid))
            report(len(samples) - 1, samples[-1], samples[-2])
        self.check(samples)

    def check(self, samples):
        base = samples[1] if len(samples) > 1 else samples[0]
        for index, later in enumerate(samples[2:], start=2):
            if later["rss_kb"] > base["rss_kb"] + RSS_SLACK_KB:
                self.failures.append(f"RSS grew by {later['rss_kb'] - base['rss_kb']} KB "
                                     f"between minute 1 and minute {index}")
            for what in ("fds", "threads"):
                if later[what] != base[what]:
                    self.failures.append(f"{what} {base[what]} at minute 1, {later[what]} at "
                                         f"minute {index}")
        if self.program.poll() is not None:
            self.failures.append(f"the program ended with status {self.program.returncode}")
        print(f"{self.counts['plugs']} plugs, {self.counts['unplugs']} unplugs, "
              f"{self.counts['faults']} faults injected, {self.counts['sends']} skelmora-send; "
              f"RSS {samples[0]['rss_kb'] / 1024:.1f} -> {samples[-1]['rss_kb'] / 1024:.1f} MB, "
              f"descriptors {samples[0]['fds']} -> {samples[-1]['fds']}, "
              f"threads {samples[0]['threads']} -> {samples[-1]['threads']}")
        for failure in self.failures:
            print("FAILED: " + failure)
        print("soak: " + ("no growth, every device shown again" if not self.failures
                          else f"{len(self.failures)} failures"))

    def stop(self):
        if self.program and self.program.poll() is None:
            self.program.terminate()
            self.program.wait(timeout=10)
        self.command("quit")
        self.emu.wait(timeout=10)


def report(minute, now, before):
    cpu = ""
    if before is not None:
        cpu = f", CPU {100.0 * (now['cpu'] - before['cpu']) / (now['wall'] - before['wall']):.2f}%"
    print(f"minute {minute}: RSS {now['rss_kb'] / 1024:.1f} MB{cpu}, descriptors {now['fds']}, "
          f"threads {now['threads']}", flush=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--minutes", type=float, default=10.0)
    parser.add_argument("--plug-seconds", type=float, default=3.0,
                        help="mean time between two plugs or unplugs")
    parser.add_argument("--seed", type=int, default=None)
    args = parser.parse_args()
    random.seed(args.seed)
    soak = Soak(args)
    try:
        soak.run()
    finally:
        soak.stop()
    sys.exit(1 if soak.failures else 0)


if __name__ == "__main__":
    main()
