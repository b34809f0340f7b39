#!/usr/bin/python3
"""Runs the comparison benchmarks of a native build and draws what they measure as SVG plots.

    python3 bench/plots.py [BUILD_DIR] [--rounds N] [--redraw]

The transforms are drawn as time per point against size, ours beside FFTW's two plans (estimate and
measure); the dense routines as time against n, ours beside reference LAPACK and OpenBLAS. Each program
writes the median over its interleaved rounds (--medians=FILE) to BUILD_DIR/bench-medians/; --redraw
only draws again from those files. The plots go to bench/plots/, where the README links them.
"""
import argparse
import csv
import os
import re
import subprocess
import sys

import matplotlib

matplotlib.use("svg")
import matplotlib.pyplot as plt  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
PROGRAMS = ["bench_fft", "bench_eigen", "bench_svd", "bench_nonlinfit"]
PEERS_FFT = [("ours", "ours"), ("fftw", "FFTW estimate"), ("fftw_measure", "FFTW measure")]
PEERS_DENSE = [("ours", "ours"), ("lapack", "reference LAPACK"), ("openblas", "OpenBLAS")]


def run_benchmarks(build, medians, rounds):
    os.makedirs(medians, exist_ok=True)
    for program in PROGRAMS:
        path = os.path.join(build, "bin", program)
        if not os.path.exists(path):
            sys.exit(f"{path} does not exist: build the benchmarks first")
        print(f"running {program} ({rounds} rounds)", flush=True)
        subprocess.run([path, f"--rounds={rounds}", f"--medians={os.path.join(medians, program)}.csv"],
                       check=True, stdout=subprocess.DEVNULL)


def read_medians(medians):
    """{case: {side: seconds}} from every program's file; a case is the name before "/side"."""
    table = {}
    for program in PROGRAMS:
        path = os.path.join(medians, program + ".csv")
        if not os.path.exists(path):
            continue
        with open(path, newline="") as f:
            for row in csv.DictReader(f):
                case, side = row["name"].rsplit("/", 1)
                table.setdefault(case, {})[side] = float(row["seconds"])
    return table


def series(table, pattern, side, size_of):
    """(sizes, seconds) of the cases whose names match pattern, for one side, sorted by size."""
    points = sorted((size_of(m), times[side]) for case, times in table.items()
                    if (m := re.fullmatch(pattern, case)) and side in times)
    return [p[0] for p in points], [p[1] for p in points]


def draw_transforms(table, out):
    kinds = [("complex", "fft_complex", 1), ("real", "fft_real", 1), ("multidim", "fft_multidim (cube)", 3),
             ("real_3d", "fft_real_3d (cube)", 3)]
    fig, axes = plt.subplots(2, 2, figsize=(10, 7.5))
    for ax, (kind, title, power) in zip(axes.flat, kinds):
        for side, label in PEERS_FFT:
            sizes, seconds = series(table, rf"fft {kind} (\d+)(\^3)?", side, lambda m: int(m.group(1)) ** power)
            if sizes:
                ax.plot(sizes, [1e9 * s / n for s, n in zip(seconds, sizes)], marker="o", label=label)
        ax.set_xscale("log", base=2)
        ax.set_title(title)
        ax.set_xlabel("points")
        ax.set_ylabel("ns per point (forward + inverse)")
        ax.set_ylim(bottom=0)
        ax.grid(True, alpha=0.3)
        ax.legend()
    fig.suptitle("Fourier transforms: time per point, one thread (medians of interleaved rounds)")
    fig.tight_layout()
    fig.savefig(out)
    plt.close(fig)


def draw_dense(table, out):
    routines = [("jacobi", r"jacobi (\d+)", "jacobi vs ssyev"),
                ("svd", r"svd (\d+)x\1", "svd_decompose (n×n) vs sgesvd"),
                ("gaussj", r"gaussj (\d+)", "gaussj vs sgesv + sgetri"),
                ("pseudo_inverse", r"pseudo_inverse (\d+)", "pseudo_inverse vs OpenBLAS")]
    fig, axes = plt.subplots(2, 2, figsize=(10, 7.5))
    for ax, (_, pattern, title) in zip(axes.flat, routines):
        for side, label in PEERS_DENSE:
            sizes, seconds = series(table, pattern, side, lambda m: int(m.group(1)))
            if sizes:
                ax.plot(sizes, [1e3 * s for s in seconds], marker="o", label=label)
        ax.set_xscale("log")
        ax.set_yscale("log")
        ax.set_title(title)
        ax.set_xlabel("n")
        ax.set_ylabel("ms per call")
        ax.grid(True, which="both", alpha=0.3)
        ax.legend()
    fig.suptitle("Dense routines: time against n, one thread (medians of interleaved rounds)")
    fig.tight_layout()
    fig.savefig(out)
    plt.close(fig)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("build", nargs="?", default=os.path.join(HERE, "..", "build"))
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--redraw", action="store_true", help="draw from the medians of the last run")
    args = parser.parse_args()
    medians = os.path.join(args.build, "bench-medians")
    if not args.redraw:
        run_benchmarks(args.build, medians, args.rounds)
    table = read_medians(medians)
    if not table:
        sys.exit(f"no medians in {medians}")
    plots = os.path.join(HERE, "plots")
    os.makedirs(plots, exist_ok=True)
    plt.rcParams["svg.hashsalt"] = "tarvel"  # the same figures give the same file
    draw_transforms(table, os.path.join(plots, "transforms.svg"))
    draw_dense(table, os.path.join(plots, "dense.svg"))
    print(f"wrote {plots}/transforms.svg and {plots}/dense.svg")


if __name__ == "__main__":
    main()
