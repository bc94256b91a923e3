#!/usr/bin/env python3
"""Where one pass's time goes, from a probe's output and Wine's trace of the
same run (WINEDEBUG=+timestamp,+loaddll,+process): both use Wine's monotonic
clock in milliseconds.

    breakdown.py PROBE_OUTPUT TRACE    prints name=milliseconds lines
"""
import re
import sys

LINE = re.compile(r"^(\d+\.\d+):([0-9a-f]+):trace:(\w+):\S+ (.*)$")


def probe_values(path):
    values = {}
    for line in open(path, encoding="utf-8", errors="replace"):
        key, _, value = line.strip().partition("=")
        if value:
            values[key] = float(value)
    return values


def main(probe_path, trace_path):
    probe = probe_values(probe_path)
    image = ocx_first = ocx_last = driver = None
    for raw in open(trace_path, encoding="utf-8", errors="replace"):
        m = LINE.match(raw.strip())
        if not m:
            continue
        at, thread, channel, text = float(m.group(1)) * 1000.0, m.group(2), m.group(3), m.group(4)
        low = text.lower()
        if channel == "loaddll" and text.startswith("Loaded") and "trevanil.exe" in low and image is None:
            image, main_thread = at, thread
        elif image is None or thread != main_thread:
            continue  # the probe's own lines, or another thread's
        elif channel == "loaddll" and text.startswith("Loaded") and "winex11.drv" in low and driver is None:
            driver = at  # the window system's display driver: the first window, or the common controls
        elif channel == "loaddll" and text.startswith("Loaded") and ".ocx" in low:
            ocx_first = at if ocx_first is None else ocx_first
        elif channel == "loaddll" and text.startswith("Unloaded") and ".ocx" in low:
            ocx_last = at
    missing = [n for n, v in (("image", image), ("winex11.drv", driver), ("components", ocx_first)) if v is None]
    if missing:
        sys.exit("breakdown: not in the trace: " + ", ".join(missing))
    shown = probe.get("window_at", -1) >= 0
    # A window never shown (/S) gives no moment between the window made and
    # the timer: those two phases are one, less the timer's second.
    phases = [
        ("process_start", probe["t0_at"], image),
        ("start_up_to_the_window_system", image, driver),
        ("window_system_window_and_controls", driver, probe["window_at"] if shown else ocx_first - 1000.0),
        ("timer_lateness_copies_and_ole_start", probe["window_at"] + 1000.0 if shown else None, ocx_first),
        ("registrations", ocx_first, ocx_last),
        # The desktop shell starts the viewer, in a process of its own: the
        # program's trace shows no mark between the launch and the exit.
        ("log_close_viewer_launch_and_exit", ocx_last, probe["exit_at"]),
    ]
    for name, start, end in phases:
        if start is not None:
            print(f"{name}={end - start:.1f}")


if __name__ == "__main__":
    main(*sys.argv[1:3])
