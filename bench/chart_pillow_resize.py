#!/usr/bin/env python3
"""Baseline for chart_bench: times Pillow's Image.resize with its Lanczos filter on a PPM picture.

Usage: chart_pillow_resize.py PICTURE.ppm REPETITIONS WIDTHxHEIGHT [WIDTHxHEIGHT ...]
Prints one line per size: "WIDTHxHEIGHT median_ms". Pillow resizes on one thread.
"""
import statistics
import sys
import time

from PIL import Image


def main():
    picture, reps, sizes = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
    im = Image.open(picture)
    im.load()
    for size in sizes:
        w, h = (int(v) for v in size.split("x"))
        im.resize((w, h), Image.LANCZOS)  # warm-up
        times = []
        for _ in range(reps):
            start = time.perf_counter()
            out = im.resize((w, h), Image.LANCZOS)
            times.append((time.perf_counter() - start) * 1000.0)
            del out
        print(f"{size} {statistics.median(times):.3f}", flush=True)


if __name__ == "__main__":
    main()
