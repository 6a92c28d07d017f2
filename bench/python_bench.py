#!/usr/bin/env python3
"""Times the Python module imset against imset-query on the same questions.

    /usr/bin/python3 bench/python_bench.py [--build build/release] [--queries 100000] [--calls 200000] [--runs 3]

Goals: imset.implies at least 50,000 calls/s on five variables, and
imset.ask_many on the random queries within twice imset-query --json's
time on a file of the same queries. Medians of the runs.
"""
import argparse
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time


def random_statement(rng):
    elements = list(range(5))
    rng.shuffle(elements)
    a = rng.randint(1, 4)
    b = rng.randint(1, 5 - a)
    c = rng.randint(0, 5 - a - b)
    side = lambda s: "".join(str(e) for e in sorted(s))
    text = side(elements[:a]) + "," + side(elements[a:a + b])
    return text + ("|" + side(elements[a + b:a + b + c]) if c else "")


def random_query(rng):
    asked = {}
    for _ in range(rng.randint(1, 4)):
        asked.setdefault(random_statement(rng), rng.choice("++-"))
    # The same statement written twice with its sides swapped would be asked to hold and fail.
    seen = {}
    for s, sign in asked.items():
        a, rest = s.split(",")
        key = (frozenset([a, rest.split("|")[0]]), rest.partition("|")[2])
        seen.setdefault(key, sign + s)
    return " ".join(seen.values())


def median_time(runs, work):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        work()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default="build/release")
    parser.add_argument("--queries", type=int, default=100_000)
    parser.add_argument("--calls", type=int, default=200_000)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    sys.path.insert(0, os.path.join(args.build, "python"))
    import imset

    rng = random.Random(args.seed)
    queries = [random_query(rng) for _ in range(args.queries)]
    imset.ask("+0,1")  # loads the rays

    with tempfile.NamedTemporaryFile("w", suffix=".txt") as file:
        file.write("\n".join(queries) + "\n")
        file.flush()
        program = [os.path.join(args.build, "imset-query"), "-q", "--json", file.name]
        program_s = median_time(args.runs, lambda: subprocess.run(program, check=True, stdout=subprocess.DEVNULL))
    module_s = median_time(args.runs, lambda: imset.ask_many(queries))

    def key(statement):
        a, rest = statement.split(",")
        return frozenset([a, rest.split("|")[0]]), rest.partition("|")[2]

    # Premises of one to three random statements, and a statement not among them.
    pairs = []
    while len(pairs) < 1000:
        premises = [random_statement(rng) for _ in range(rng.randint(1, 3))]
        statement = random_statement(rng)
        if key(statement) not in map(key, premises):
            pairs.append((" ".join("+" + p for p in premises), statement))
    per_pass = len(pairs)
    passes = max(1, args.calls // per_pass)

    def implies_calls():
        for premises, statement in pairs * passes:
            imset.implies(premises, statement)

    implies_rate = per_pass * passes / median_time(args.runs, implies_calls)

    # The program on the same questions, each "premises -statement": it
    # also finds a witness and a ray, which implies does not.
    with tempfile.NamedTemporaryFile("w", suffix=".txt") as file:
        file.write("".join(f"{premises} -{statement}\n" for premises, statement in pairs) * passes)
        file.flush()
        program = [os.path.join(args.build, "imset-query"), "-q", file.name]
        program_rate = per_pass * passes / median_time(
            args.runs, lambda: subprocess.run(program, check=True, stdout=subprocess.DEVNULL))

    def as_tuple(statement):
        a, rest = statement.split(",")
        b, _, c = rest.partition("|")
        return ([int(e) for e in a], [int(e) for e in b], [int(e) for e in c])

    tuple_pairs = [([as_tuple(p[1:]) for p in premises.split()], as_tuple(statement)) for premises, statement in pairs]

    def tuple_calls():
        for premises, statement in tuple_pairs * passes:
            imset.implies(premises, statement)

    tuple_rate = per_pass * passes / median_time(args.runs, tuple_calls)

    print("| measure | value | goal |")
    print("| --- | ---: | --- |")
    print(f"| imset-query --json, {args.queries:,} queries (rays loaded, file read, JSON written) | {program_s:.3f} s | - |")
    print(f"| imset.ask_many, same queries (rays already loaded) | {module_s:.3f} s | - |")
    ratio = module_s / program_s
    print(f"| ask_many / imset-query | {ratio:.2f}x | at most 2x: {'met' if ratio <= 2 else 'NOT met'} |")
    print(f"| imset.implies, strings, {per_pass * passes:,} calls | {implies_rate:,.0f} calls/s | at least 50,000: "
          f"{'met' if implies_rate >= 50_000 else 'NOT met'} |")
    print(f"| imset.implies, tuples of indices, same calls | {tuple_rate:,.0f} calls/s | - |")
    print(f"| imset-query, the same questions as \"premises -statement\" lines | {program_rate:,.0f} queries/s | - |")


if __name__ == "__main__":
    main()
