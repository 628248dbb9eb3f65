#!/usr/bin/python3
"""GP benchmark: posy against cvxopt's solvers.gp.

Problems: the classic test set (../shared/gp-testset) and seeded random GPs
that are feasible by construction (every constraint is 0.5 at x = 1, every
variable bounded to [0.1, 10]) with NVAR = 10, 30, 100, 300, 1000, few terms
per posynomial, sparse exponents and about as many constraints as variables.

Per problem: posy's GLP iterations, wall time and peak memory (/usr/bin/time
-v, median of the runs), cvxopt's time (median; tolerances 1e-8), the time
ratio posy/cvxopt and the relative difference of the two optima.  Runs
beyond 5 s are not repeated.

usage: /usr/bin/python3 bench/gp_bench.py POSY_BINARY [--runs N]
       [--sizes 10,30,...] [--no-testset] [--itmax N]
(needs python3-cvxopt: /usr/bin/python3 has it)
"""
import argparse
import json
import math
import os
import random
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from cvxopt import matrix, solvers

HERE = os.path.dirname(os.path.abspath(__file__))
TESTSET = os.path.normpath(os.path.join(HERE, "..", "..", "shared", "gp-testset"))


# ---- problems -------------------------------------------------------------

class Gp:
    """posynomials[p] = list of (coefficient, {var: exponent}); p = 0 is the
    objective.  lb/ub: {var: bound}."""

    def __init__(self, name, nvar, posys, lb=None, ub=None):
        self.name, self.nvar, self.posys = name, nvar, posys
        self.lb, self.ub = lb or {}, ub or {}

    def write(self, path):
        with open(path, "w") as f:
            f.write(" %-30s\n" % self.name[:30])
            f.write(" %d %d\n" % (self.nvar, len(self.posys) - 1))
            f.write(" " + " ".join(str(len(p)) for p in self.posys) + "\n")
            for p in self.posys:
                for c, ex in p:
                    f.write("\n %d %.17e\n" % (len(ex), c))
                    for v, a in ex.items():
                        f.write("  %d %.17e\n" % (v, a))
            for bounds in (self.lb, self.ub):
                f.write("\n %d\n" % len(bounds))
                for v, b in sorted(bounds.items()):
                    f.write(" %d %.17e\n" % (v, b))


def read_dat(path):
    with open(path) as f:
        name = f.readline()[1:].strip()
        toks = f.read().replace("D", "E").replace("d", "e").split()
    it = iter(toks)
    nxt = lambda: next(it)
    nvar, mcon = int(nxt()), int(nxt())
    kt = [int(nxt()) for _ in range(mcon + 1)]
    posys = []
    for k in kt:
        p = []
        for _ in range(k):
            napp, c = int(nxt()), float(nxt())
            ex = {}
            for _ in range(napp):
                v, a = int(nxt()), float(nxt())
                ex.setdefault(v, a)  # the first pair of a variable counts
            p.append((c, ex))
        posys.append(p)
    lb, ub = {}, {}
    for bounds in (lb, ub):
        for _ in range(int(nxt())):
            v, b = int(nxt()), float(nxt())
            bounds[v] = b
    return Gp(name, nvar, posys, lb, ub)


def random_gp(nvar, seed):
    rng = random.Random(seed)
    mcon = min(nvar, 999)  # posy takes at most 1000 posynomials

    def term(k):
        vs = rng.sample(range(1, nvar + 1), min(nvar, rng.randint(1, 3)))
        return {v: rng.choice([-1, -0.5, 0.5, 1]) for v in vs}

    posys = []
    for p in range(mcon + 1):
        nt = rng.randint(2, 4)
        w = [rng.uniform(0.2, 1.0) for _ in range(nt)]
        scale = (1.0 if p == 0 else 0.5) / sum(w)
        posys.append([(wi * scale, term(p)) for wi in w])
    lb = {v: 0.1 for v in range(1, nvar + 1)}
    ub = {v: 10.0 for v in range(1, nvar + 1)}
    return Gp("RANDOM GP NVAR=%d SEED=%d" % (nvar, seed), nvar, posys, lb, ub)


# ---- solvers ----------------------------------------------------------------

def run_posy(posy, gp, itmax, workdir):
    dat = os.path.join(workdir, "P.DAT")
    gp.write(dat)
    t0 = time.perf_counter()
    res = subprocess.run(["/usr/bin/time", "-v", posy], cwd=workdir,
                         input="2\nP.DAT\n%d 0\n" % itmax, text=True,
                         capture_output=True)
    wall = time.perf_counter() - t0
    m = re.search(r"Maximum resident set size \(kbytes\): (\d+)", res.stderr)
    peak = int(m.group(1)) if m else float("nan")
    out = open(os.path.join(workdir, "P.OUT")).read()
    ending = "?"
    for key, label in (("****TERMINATED: OPTIMUM", "optimum"),
                       ("AND/OR CONVERGENCE CRITERION CANNOT", "cannot-be-met"),
                       ("****TERMINATED: END OF", "iteration-limit"),
                       ("TERMINATED____ SOLUTION UNBOUNDED", "unbounded"),
                       ("TERMINATED____ INCONSISTENT DATA", "inconsistent")):
        if key in out:
            ending = label
    num = lambda pat: (float(re.findall(pat, out)[-1])
                       if re.findall(pat, out) else float("nan"))
    return dict(ending=ending, wall=wall, peak_kb=peak,
                obj=num(r"\n ?PRIMAL SOLUTION +(\S+)"),
                iters=num(r"TOTAL NUMBER OF ITERATIONS = *(\d+)"),
                cols=num(r"TOTAL NUMBER OF COLUMNS GENERATED= *(\d+)"))


def run_cvxopt(gp):
    """solvers.gp in the variables y = log x; bounds as monomial constraints."""
    rows, g, K = [], [], []
    posys = list(gp.posys)
    for v, b in gp.lb.items():
        posys.append([(b, {v: -1.0})])
    for v, b in gp.ub.items():
        posys.append([(1.0 / b, {v: 1.0})])
    for p in posys:
        K.append(len(p))
        for c, ex in p:
            r = [0.0] * gp.nvar
            for v, a in ex.items():
                r[v - 1] = a
            rows.append(r)
            g.append(math.log(c))
    F = matrix(rows).T
    solvers.options.update(dict(show_progress=False, abstol=1e-8,
                                reltol=1e-8, feastol=1e-8, maxiters=100))
    t0 = time.perf_counter()
    try:
        sol = solvers.gp(K, F, matrix(g))
        status = sol["status"]
        y = sol["x"]
        obj = sum(c * math.exp(sum(a * y[v - 1] for v, a in ex.items()))
                  for c, ex in gp.posys[0])
    except Exception as e:  # rank errors, domain errors
        status, obj = "error", float("nan")
    return dict(status=status, obj=obj, time=time.perf_counter() - t0)


# ---- table ------------------------------------------------------------------

def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("posy")
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--sizes", default="10,30,100,300,1000")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--itmax", type=int, default=5000)
    ap.add_argument("--no-testset", action="store_true")
    ap.add_argument("--only", default="")
    args = ap.parse_args()
    posy = os.path.abspath(args.posy)

    problems = []
    if not args.no_testset and os.path.isdir(TESTSET):
        for f in sorted(os.listdir(TESTSET)):
            if f.endswith(".DAT"):
                problems.append((f[:-4], read_dat(os.path.join(TESTSET, f))))
    for n in [int(s) for s in args.sizes.split(",") if s]:
        problems.append(("RND%d" % n, random_gp(n, args.seed * 1000 + n)))
    if args.only:
        problems = [p for p in problems if p[0] in args.only.split(",")]

    hdr = ("%-7s %5s %5s %-15s %6s %7s %9s %9s %10s %-8s %8s %7s %9s" %
           ("problem", "nvar", "mcon", "posy ending", "iters", "cols",
            "posy s", "peak MB", "cvxopt s", "status", "ratio", "faster",
            "rel.diff"))
    print(hdr)
    print("-" * len(hdr))
    work = tempfile.mkdtemp(prefix="posy_gp_bench_")
    try:
        for name, gp in problems:
            # Several runs each (medians); one only for runs beyond 5 s.
            pr = [run_posy(posy, gp, args.itmax, work)]
            while len(pr) < args.runs and pr[0]["wall"] < 5.0:
                pr.append(run_posy(posy, gp, args.itmax, work))
            cr = [run_cvxopt(gp)]
            while len(cr) < args.runs and cr[0]["time"] < 5.0:
                cr.append(run_cvxopt(gp))
            pt = statistics.median(r["wall"] for r in pr)
            ct = statistics.median(r["time"] for r in cr)
            peak = statistics.median(r["peak_kb"] for r in pr) / 1024.0
            p, c = pr[0], cr[0]
            diff = (abs(p["obj"] - c["obj"]) / abs(c["obj"])
                    if c["obj"] == c["obj"] and c["obj"] != 0 else float("nan"))
            print("%-7s %5d %5d %-15s %6.0f %7.0f %9.4f %9.1f %10.4f %-8s %8.2f %7s %9.2e" %
                  (name, gp.nvar, len(gp.posys) - 1, p["ending"], p["iters"],
                   p["cols"], pt, peak, ct, c["status"][:8], pt / ct,
                   "posy" if pt < ct else "cvxopt", diff), flush=True)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
