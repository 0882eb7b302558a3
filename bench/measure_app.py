#!/usr/bin/env python3
"""Measures the whole program over the virtual HID bus:

  * plug-to-shown: time from the emulator's "plug keyboard" to the program's trace of the
    keyboard's selector item being shown (median and spread of N plugs);
  * lit CPU: the same with host light control on, as shipped (the keyboard page animates its
    keys; the keyboard takes frames only in its sound-driven effects);
  * idle CPU: the program's CPU time over a window of seconds with the keyboard and the
    headset connected and host light control off (no light frames streamed), as a share of
    one core.

  python3 bench/measure_app.py [--build build] [--plugs 20] [--lit-seconds 30]
                               [--idle-seconds 30] [--keyboard-mode N]
                               [--idle-devices keyboard,headset] [--keyboard-active-profile N]
                               [--headset-bank N]

--idle-devices "" measures the program with no device plugged (the machine's baseline).

--same-mode plugs the keyboard, the headset and a mouse (given ids through SKELMORA_TABLE_IDS),
runs the program with --automation and, through skelmora-send's ui requests, puts the
headset's lighting panel in breathing at speed 4 and clicks its same-mode button: the three
devices become members of the synchronised lighting, whose thread is then measured.

  python3 bench/measure_app.py --plugs 0 --lit-seconds 30 --idle-seconds 0 --same-mode

--headset-bank N makes the emulated headset use its light bank N (0: a steady light, 1: breathing
in seven colours, 2: the wave, 5 and 6: the marquees) before the program reads it.

--keyboard-mode N writes a keyboard profile whose light is mode N (29 and 30: the
sound-driven effects) into the temporary data folder before the program starts (for 29 and 30
the emulated keyboard's active record also gets the code 0xFE the program gives those modes,
or the connect read-back would put back the keyboard's own mode);
--audio-mode N sets its music mode's drawing in the same profile (0 level, 1 bars, 2 rhythm,
3 rainbow bars).

--music FILE runs the program with SKELMORA_AUDIO=file:FILE (read in real time, as a sound
server would hand it over); a FILE that does not exist is first written as 75 s of music-like
48 kHz stereo sound (a kick drum, a bass line, chords, a melody and hi-hat noise), longer than
the measuring window, since the file source waits 5 s before it plays a file again. The lit
window then measures the program while music plays:

  python3 bench/measure_app.py --build build-rel --plugs 0 --idle-seconds 0 \
      --idle-devices keyboard --keyboard-mode 29 --audio-mode 2 --music /tmp/music.wav \
      --lit-seconds 60 --threads

--threads adds each of the program's threads' share of the window (by thread name).

--link-program NAME links the keyboard's second profile to NAME before the program starts,
and --sleepers N starts N `sleep` processes of the user for the idle window (the /proc rule
has that many processes to read every two seconds); with --xvfb the program runs on an X
server of its own (Xvfb), where focus events replace the scan:

  python3 bench/measure_app.py --plugs 0 --lit-seconds 0 --idle-devices keyboard \
      --link-program game --sleepers 300 [--xvfb]
"""
import json
import argparse
import os
import queue
import random
import statistics
import subprocess
import sys
import tempfile
import threading
import time


def reader(stream, lines, log=None):
    for raw in iter(stream.readline, b""):
        line = raw.decode("utf-8", "replace").rstrip("\n")
        lines.put((time.monotonic(), line))
        if log:
            log.write(line + "\n")
            log.flush()


def wait_line(lines, text, timeout=10.0):
    deadline = time.monotonic() + timeout
    while True:
        left = deadline - time.monotonic()
        if left <= 0:
            raise TimeoutError(f"no line with {text!r}")
        stamp, line = lines.get(timeout=left)
        if text in line:
            return stamp


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    ticks = os.sysconf("SC_CLK_TCK")
    return (int(fields[11]) + int(fields[12])) / ticks


def thread_cpu_seconds(pid, name):
    """CPU seconds of the program's thread called name (its comm), or None when there is none."""
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/comm") as f:
                if f.read().strip() != name:
                    continue
            with open(f"/proc/{pid}/task/{tid}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
        except FileNotFoundError:
            continue
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    return None


def thread_cpu_by_name(pid):
    """CPU seconds of every thread of the program, summed by thread name."""
    by_name = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/comm") as f:
                name = f.read().strip()
            with open(f"/proc/{pid}/task/{tid}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
        except FileNotFoundError:
            continue
        seconds = (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
        by_name[name] = by_name.get(name, 0.0) + seconds
    return by_name


def write_music(path, seconds=75.0, rate=48000):
    """Music-like sound at 120 beats a minute: kick, bass, chords, melody and hi-hat noise."""
    import array
    import math
    import wave
    two_pi = 2 * math.pi
    chords = [(220.0, 277.2, 329.6), (196.0, 246.9, 293.7), (174.6, 220.0, 261.6),
              (196.0, 246.9, 311.1)]
    melody = [659.3, 587.3, 523.3, 587.3, 659.3, 784.0, 659.3, 523.3]
    samples = array.array("h")
    noise = 1
    beat = rate // 2
    for n in range(int(seconds * rate)):
        t = n / rate
        in_beat = n % beat
        bar = (n // (4 * beat)) % len(chords)
        kick = math.exp(-in_beat / (0.06 * rate)) * math.sin(two_pi * 55.0 * in_beat / rate)
        bass = 0.5 * math.sin(two_pi * chords[bar][0] / 4 * t)
        chord = sum(math.sin(two_pi * f * t) for f in chords[bar]) / 6
        note = melody[(n // (beat // 2)) % len(melody)]
        lead = 0.25 * math.sin(two_pi * note * t) * math.exp(-(n % (beat // 2)) / (0.15 * rate))
        noise = (noise * 1103515245 + 12345) & 0x7FFFFFFF
        hat = 0.15 * (noise / 0x3FFFFFFF - 1.0) * math.exp(-((n + beat // 2) % beat) / (0.02 * rate))
        left = 0.8 * kick + 0.5 * bass + 0.3 * chord + lead + hat
        right = 0.8 * kick + 0.5 * bass + 0.3 * chord + 0.6 * lead + hat
        samples.append(max(-32767, min(32767, int(12000 * left))))
        samples.append(max(-32767, min(32767, int(12000 * right))))
    with wave.open(path, "wb") as f:
        f.setnchannels(2)
        f.setsampwidth(2)
        f.setframerate(rate)
        f.writeframes(samples.tobytes())


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--plugs", type=int, default=20)
    parser.add_argument("--idle-seconds", type=float, default=30.0)
    parser.add_argument("--lit-seconds", type=float, default=30.0)
    parser.add_argument("--idle-devices", default="keyboard,headset",
                        help="devices plugged while lit and idle CPU are measured")
    parser.add_argument("--keyboard-mode", type=int, default=None)
    parser.add_argument("--audio-mode", type=int, default=None,
                        help="the music mode's drawing in the keyboard profile (with "
                             "--keyboard-mode 29)")
    parser.add_argument("--music", default=None,
                        help="a WAV file the program follows as if it played (written first "
                             "when it does not exist)")
    parser.add_argument("--log", default=None, help="copy the program's log into this file")
    parser.add_argument("--threads", action="store_true",
                        help="print each thread's share of the lit and idle windows")
    parser.add_argument("--keyboard-active-profile", type=int, default=None,
                        help="the emulated keyboard's active device profile (its record sets "
                             "the light at connect: 0 the wave, 1 a static colour)")
    parser.add_argument("--headset-bank", type=int, default=None,
                        help="the emulated headset's light bank (0 to 9)")
    parser.add_argument("--perf", default=None,
                        help="also record a cpu-clock profile of the lit window into this file")
    parser.add_argument("--link-program", default="",
                        help="link the keyboard's second profile to this program")
    parser.add_argument("--sleepers", type=int, default=0,
                        help="sleep processes running while idle CPU is measured")
    parser.add_argument("--same-mode", action="store_true",
                        help="three members in same mode (keyboard, headset, mouse)")
    parser.add_argument("--xvfb", action="store_true",
                        help="run the program on an X server of its own (Xvfb)")
    args = parser.parse_args()
    binaries = os.path.join(args.build, "bin")
    work = tempfile.mkdtemp(prefix="skelmora-measure-")
    socket = os.path.join(work, "bus.sock")
    env = dict(os.environ)
    for name in ("run", "data", "config", "home"):
        os.makedirs(os.path.join(work, name), mode=0o700)
    env.update(XDG_RUNTIME_DIR=os.path.join(work, "run"), XDG_DATA_HOME=os.path.join(work, "data"),
               XDG_CONFIG_HOME=os.path.join(work, "config"), HOME=os.path.join(work, "home"),
               QT_QPA_PLATFORM="offscreen", SKELMORA_HID="vhid:" + socket,
               QT_LOGGING_RULES="skelmora.discovery.debug=true;skelmora.audio.debug=true")
    if args.same_mode:
        env["SKELMORA_TABLE_IDS"] = "mouse=320f:5060,mouse-receiver=320f:5061"
        args.idle_devices = "keyboard,headset,mouse"
    if args.keyboard_mode is not None:
        root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
        with open(os.path.join(root, "DefaultData", "keyboard.Json")) as f:
            profile = json.load(f)
        profile["Device"][0]["LightInfo"]["SelectItem"] = args.keyboard_mode
        if args.audio_mode is not None:
            profile["Device"][0]["AudioLightInfo"]["AudioMode"] = args.audio_mode
        folder = os.path.join(work, "data", "TELMA QX-418GRY Device", "keyboard")
        os.makedirs(folder)
        with open(os.path.join(folder, "keyboard.Json"), "w") as f:
            json.dump(profile, f, indent=3)

    if args.music:
        if not os.path.exists(args.music):
            write_music(args.music)
        env["SKELMORA_AUDIO"] = "file:" + os.path.abspath(args.music)

    env.pop("WAYLAND_DISPLAY", None)
    env.pop("DISPLAY", None)
    xvfb = None
    if args.xvfb:
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-nolisten", "tcp"],
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        env["DISPLAY"] = ":" + xvfb.stdout.readline().decode().strip()
    if args.link_program:
        folder = os.path.join(work, "data", "TELMA QX-418GRY Device", "keyboard")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "ProfileList.ini"), "w") as f:
            f.write('{"profileselect":0,"profilelist":['
                    '{"profilename":"desk","profileUUID":"desk","profileislink":false,'
                    '"profilelinkmame":""},'
                    '{"profilename":"game","profileUUID":"game","profileislink":true,'
                    f'"profilelinkmame":"{args.link_program}"}}]}}')
    sleepers = []

    emu = subprocess.Popen([os.path.join(binaries, "skelmora-emu"), "--socket", socket],
                           stdin=subprocess.PIPE, stdout=subprocess.PIPE, env=env)

    def ask(text):
        emu.stdin.write((text + "\n").encode())
        emu.stdin.flush()
        return emu.stdout.readline().decode().strip()

    def command(text):
        answer = ask(text)
        if answer != "ok":
            sys.exit(f"emulator answered {answer!r} to {text!r}")

    if emu.stdout.readline().decode().strip() != "ready":
        sys.exit("emulator did not start")
    program_args = [os.path.join(binaries, "skelmora")] + (["--automation"] if args.same_mode else [])
    program = subprocess.Popen(program_args, stderr=subprocess.PIPE,
                               stdout=subprocess.DEVNULL, env=env)
    lines = queue.Queue()
    log = open(args.log, "w") if args.log else None
    threading.Thread(target=reader, args=(program.stderr, lines, log), daemon=True).start()
    try:
        wait_line(lines, "No_device_Link shown")
        delays = []
        for _ in range(args.plugs if args.plugs > 0 else 0):
            # Plugs land anywhere within the program's discovery period, as a hand's would.
            time.sleep(random.uniform(0.0, 0.1))
            start = time.monotonic()
            command("plug keyboard")
            shown = wait_line(lines, "selector item 1 shown")
            delays.append((shown - start) * 1000.0)
            command("unplug keyboard")
            wait_line(lines, "selector item 1 hidden")
        if delays:
            print(f"plug-to-shown over {args.plugs} plugs: median "
                  f"{statistics.median(delays):.1f} ms, min {min(delays):.1f} ms, "
                  f"max {max(delays):.1f} ms")
        sleepers = [subprocess.Popen(["sleep", "600"]) for _ in range(args.sleepers)]

        devices = [d for d in args.idle_devices.split(",") if d]
        for device in devices:
            command("plug " + device)
            if device == "keyboard" and args.keyboard_active_profile is not None:
                command(f"set keyboard params 0 {args.keyboard_active_profile:02x}")
            if device == "keyboard" and args.keyboard_mode in (29, 30):
                # The keyboard keeps 0xFE as the effect code of a music mode (the host draws
                # it); at connect the program reads the code back and keeps its profile's mode
                # only for that value. Put it in the active record, as the program would have.
                params = bytes.fromhex(ask("dump keyboard params").split()[1])
                command(f"set keyboard params {params[0] * 25 + 1} fe")
            if device == "headset" and args.headset_bank is not None:
                command(f"set headset params 0 {args.headset_bank:02x}")
        if devices:
            wait_line(lines, "row 10 open" if "headset" in devices else "row 0 open")
        members = "no member"
        if args.same_mode:
            time.sleep(2.0)  # the devices connect
            send = os.path.join(binaries, "skelmora-send")
            for request in (["ui", "show", "headset"], ["ui", "item", "light_combo_modeSelect", "2"],
                            ["ui", "value", "deng_speed_slider", "4"],
                            ["ui", "click", "deng_same_mode"]):
                subprocess.run([send] + request, env=env, check=True, stdout=subprocess.DEVNULL)
            members = "three members, breathing at speed 4"

        def measure_cpu(label, seconds, perf=None):
            time.sleep(2.0)
            before, wall = cpu_seconds(program.pid), time.monotonic()
            sync_before = thread_cpu_seconds(program.pid, "sync-light")
            threads_before = thread_cpu_by_name(program.pid)
            if perf:
                subprocess.run(["perf", "record", "-q", "-e", "cpu-clock", "-g", "-o", perf,
                                "-p", str(program.pid), "--", "sleep", str(seconds)],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            else:
                time.sleep(seconds)
            used, elapsed = cpu_seconds(program.pid) - before, time.monotonic() - wall
            print(f"{label} with {' and '.join(devices) or 'no device'}: "
                  f"{100.0 * used / elapsed:.2f}% of one core over {elapsed:.0f} s")
            if args.threads:
                threads_after = thread_cpu_by_name(program.pid)
                for name, seconds in sorted(threads_after.items(), key=lambda item: -item[1]):
                    share = 100.0 * (seconds - threads_before.get(name, 0.0)) / elapsed
                    print(f"  thread {name}: {share:.2f}% of one core")
            sync_after = thread_cpu_seconds(program.pid, "sync-light")
            if sync_before is None or sync_after is None:
                print("  no sync-light thread found")
            else:
                print(f"  of which the sync-light thread ({members}): "
                      f"{100.0 * (sync_after - sync_before) / elapsed:.3f}% of one core")

        if args.lit_seconds > 0:
            measure_cpu("CPU, host light control on,", args.lit_seconds, args.perf)
        subprocess.run([os.path.join(binaries, "skelmora-send"),
                        "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", "1", "0"], env=env, check=True)
        links = (f", a profile linked to {args.link_program!r}, {args.sleepers} sleep processes"
                 f"{', on Xvfb' if args.xvfb else ''}" if args.link_program else "")
        measure_cpu(f"idle CPU, host light control off{links},", args.idle_seconds)
    finally:
        for sleeper in sleepers:
            sleeper.kill()
            sleeper.wait()
        if xvfb:
            xvfb.kill()
            xvfb.wait()
        program.terminate()
        program.wait(timeout=10)
        command("quit")
        emu.wait(timeout=10)


if __name__ == "__main__":
    main()
