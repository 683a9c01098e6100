"""A table of Feldman-Cousins limits computed on a Dask cluster, written as
fctable writes it, so that one is checked against the other byte for byte.

The requests (every count n = 0 .. counts - 1 at every background
b = j / per_unit, j = 0 .. backgrounds - 1, at one level) form one Dask
array, cut into chunks; each chunk is one task, a call of fclimits.limits
on a worker. The rows come back in the order of fctable's: n, then b.

    python3 examples/dask_table.py --counts 21 --backgrounds 31 --per-unit 2 --cl 0.9
    fctable limits --n 0:20 --b 0:15:0.5 --cl 0.9

print the same bytes. Without --scheduler the script starts a cluster of
two worker processes on this machine; with --scheduler tcp://host:8786 it
uses a running one (start its workers with --nthreads 1, or pass
--threads 1 and let each worker run a task per core: the module releases
the GIL).
"""

import argparse
import sys

import dask.array as da
import numpy as np
from dask.distributed import Client, LocalCluster

import fclimits


def shortest(x):
    """The shortest text that reads back as x, in fctable's form: fixed or
    exponent notation, whichever is shorter, fixed on a tie ("0.9", "0",
    "1e-07", "1e+05")."""
    fixed = np.format_float_positional(x, unique=True, trim="-")
    exponent = np.format_float_scientific(x, unique=True, trim="-", exp_digits=2)
    return fixed if len(fixed) <= len(exponent) else exponent


def table(client, counts, backgrounds, per_unit, cl, chunk, threads):
    requests = da.arange(counts * backgrounds, chunks=chunk)
    n = requests // backgrounds
    # An exact quotient of whole numbers: the double nearest the decimal, as
    # fctable's ranges give it.
    b = (requests % backgrounds) / per_unit
    limits = da.map_blocks(fclimits.limits, n, b, cl, threads=threads, new_axis=0,
                           chunks=((2,),) + n.chunks, dtype=np.float64)
    lower, upper = client.compute(limits).result()
    return n.compute(), b.compute(), lower, upper


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--counts", type=int, default=21, help="n = 0 .. COUNTS - 1")
    parser.add_argument("--backgrounds", type=int, default=31, help="b = j / PER_UNIT, j < this")
    parser.add_argument("--per-unit", type=int, default=2, help="backgrounds per unit of b")
    parser.add_argument("--cl", type=float, default=0.9)
    parser.add_argument("--chunk", type=int, default=100, help="requests per task")
    parser.add_argument("--threads", type=int, default=None, help="threads per task")
    parser.add_argument("--scheduler", help="a running cluster's address")
    args = parser.parse_args()

    if args.scheduler:
        client = Client(args.scheduler)
    else:
        client = Client(LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                     dashboard_address=None))
    with client:
        n, b, lower, upper = table(client, args.counts, args.backgrounds, args.per_unit,
                                   args.cl, args.chunk, args.threads)
    out = sys.stdout
    out.write("n,b,cl,lower,upper\n")
    level = shortest(args.cl)
    for row in zip(n, b, lower, upper):
        out.write(f"{row[0]},{shortest(row[1])},{level},{shortest(row[2])},{shortest(row[3])}\n")


if __name__ == "__main__":
    main()
