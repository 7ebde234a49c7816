#!/usr/bin/env python3
"""Turns channel_fill_bench JSON output into the median and ratio tables.

    channel_fill_bench --benchmark_repetitions=9 --benchmark_report_aggregates_only=true \\
        --benchmark_out=fills.json --benchmark_out_format=json
    python3 bench/compare.py fills.json

Every ratio is between medians of the same run, so machine speed cancels
out.  Exits 1 when a goal is missed, 2 on unusable input.
"""
import json
import sys

TO_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}

# HSV fill time as a multiple of the memcpy of the same output bytes.
HSV_MEMCPY_GOAL = {"240x320": 2.0, "120x160": 3.5}
RGB_MEMCPY_GOAL = 1.0
HSV_REFERENCE_SPEEDUP_GOAL = 8.0
OPENCV_SPEEDUP_GOAL = 3.0


def medians(report):
    """Median real time in ns by benchmark name; single runs when there are no aggregates."""
    by_name, single = {}, {}
    for entry in report["benchmarks"]:
        time_ns = entry["real_time"] * TO_NS[entry.get("time_unit", "ns")]
        if entry.get("run_type") == "aggregate":
            if entry.get("aggregate_name") == "median":
                by_name[entry["run_name"]] = time_ns
        else:
            single.setdefault(entry["name"], time_ns)
    return by_name or single, bool(by_name)


def size_of(name):
    return name.split("/", 1)[0]


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        with open(argv[1]) as stream:
            report = json.load(stream)
    except (OSError, ValueError) as error:
        print("cannot read {}: {}".format(argv[1], error), file=sys.stderr)
        return 2
    times, aggregated = medians(report)
    if not times:
        print("no benchmarks in " + argv[1], file=sys.stderr)
        return 2

    context = report.get("context", {})
    print("Run: {} on {} ({} CPUs, {} MHz), dispatched kernel: {}{}".format(
        context.get("date", "?"), context.get("host_name", "?"), context.get("num_cpus", "?"),
        context.get("mhz_per_cpu", "?"), context.get("dispatched kernel", "?"),
        "" if aggregated else " -- single runs, not medians"))

    sizes = []
    for name in times:
        if size_of(name) not in sizes:
            sizes.append(size_of(name))

    missed = []
    for size in sizes:
        memcpy = times.get(size + "/memcpy")
        print()
        print("### {}".format(size))
        print()
        print("| benchmark | median us | x memcpy | speed-up vs reference |")
        print("| --- | ---: | ---: | ---: |")
        for name, time_ns in times.items():
            if size_of(name) != size:
                continue
            kind = name.split("/")[1]
            reference = times.get("{}/{}/reference".format(size, kind)) if kind in ("rgb", "hsv") else None
            print("| {} | {:.2f} | {} | {} |".format(
                name.split("/", 1)[1], time_ns / 1e3,
                "{:.2f}".format(time_ns / memcpy) if memcpy else "-",
                "{:.1f}x".format(reference / time_ns) if reference else "-"))

        goals = []
        rgb = times.get(size + "/rgb/dispatched")
        hsv = times.get(size + "/hsv/dispatched")
        hsv_reference = times.get(size + "/hsv/reference")
        if memcpy and rgb:
            goals.append(("RGB fill / memcpy", rgb / memcpy, "<=", RGB_MEMCPY_GOAL))
        if memcpy and hsv and size in HSV_MEMCPY_GOAL:
            goals.append(("HSV fill / memcpy", hsv / memcpy, "<=", HSV_MEMCPY_GOAL[size]))
        if hsv and hsv_reference:
            goals.append(("HSV reference / HSV fill", hsv_reference / hsv, ">=", HSV_REFERENCE_SPEEDUP_GOAL))
        for opencv in ("planar", "cvtColor"):
            opencv_time = times.get("{}/opencv/{}".format(size, opencv))
            if hsv and opencv_time:
                goals.append(("OpenCV {} / HSV fill".format(opencv), opencv_time / hsv, ">=", OPENCV_SPEEDUP_GOAL))
        if goals:
            print()
            print("| goal ({}) | ratio | target | met |".format(size))
            print("| --- | ---: | ---: | --- |")
            for label, ratio, relation, target in goals:
                met = ratio <= target if relation == "<=" else ratio >= target
                if not met:
                    missed.append("{} {}".format(size, label))
                print("| {} | {:.2f} | {} {} | {} |".format(label, ratio, relation, target, "yes" if met else "**no**"))

    if missed:
        print()
        print("Missed: " + "; ".join(missed))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
