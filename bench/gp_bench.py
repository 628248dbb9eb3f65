#!/usr/bin/python3
"""GP benchmark: posy against cvxopt's solvers.gp.

Problems: the classic test set (../shared/gp-testset) and seeded random GPs
that are feasible by construction (every constraint is 0.5 at x = 1, every
variable bounded to [0.1, 10]) with NVAR = 10, 30, 100, 300, 1000, few terms
per posynomial, sparse exponents and about as many constraints as variables.

Both solvers are timed like for like, two ways:
  process  wall time of a whole child process that reads the data file,
           solves and reports: posy itself (under /usr/bin/time -v, which
           also gives its peak memory) and `/usr/bin/python3 gp_bench.py
           --cvxopt-child P.DAT` (interpreter start, cvxopt import, reading,
           building, solving);
  solve    posy's own elapsed time (the " CPU TIME = ..." line closing its
           report; a time-of-day clock with 0.01 s resolution, so solve
           ratios are left out where posy shows 0.00) and the time of the
           solvers.gp call inside the cvxopt child (tolerances 1e-8).
Times are medians of --runs runs; runs beyond 5 s are not repeated.  Ratios
are posy/cvxopt (below 1: posy faster).  rel.diff compares posy's final
PRIMAL SOLUTION with cvxopt's objective; ref.err compares it with the
test set's reference.json value (not certified where that status is not
"optimal").

usage: /usr/bin/python3 bench/gp_bench.py POSY_BINARY [--runs N]
       [--sizes 10,30,...] [--no-testset] [--only CL01,RND10] [--itmax N]
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

def median(xs):
    return statistics.median(xs) if xs else float("nan")


def run_posy(posy, dat, itmax, workdir):
    """One whole posy process on the data file `dat` (inside workdir)."""
    out_path = os.path.join(workdir, "P.OUT")
    if os.path.exists(out_path):
        os.remove(out_path)  # never read a previous run's report
    t0 = time.perf_counter()
    res = subprocess.run(["/usr/bin/time", "-v", posy], cwd=workdir,
                         input="2\n%s\n%d 0\n" % (os.path.basename(dat), itmax),
                         text=True, capture_output=True)
    wall = time.perf_counter() - t0
    m = re.search(r"Maximum resident set size \(kbytes\): (\d+)", res.stderr)
    peak = int(m.group(1)) if m else float("nan")
    out = open(out_path).read() if os.path.exists(out_path) else ""
    ending = "?" if out else "no-report(rc=%d)" % res.returncode
    for key, label in (("****TERMINATED: OPTIMUM", "optimum"),
                       ("AND/OR CONVERGENCE CRITERION CANNOT", "cannot-be-met"),
                       ("****TERMINATED: END OF", "iteration-limit"),
                       ("TERMINATED____ SOLUTION UNBOUNDED", "unbounded"),
                       ("TERMINATED____ INCONSISTENT DATA", "inconsistent")):
        if key in out:
            ending = label

    def last(pat):
        found = re.findall(pat, out)
        return float(found[-1].replace("D", "E")) if found else float("nan")

    num = r"([-+]?[0-9.]+(?:[EeDd][-+]?[0-9]+)?)"
    cols = last(r"TOTAL NUMBER OF COLUMNS GENERATED= *(\d+)")
    if "GENERATED=*****" in out:
        cols = math.inf  # over 99999: the report's 5-column field overflows
    return dict(ending=ending, wall=wall, peak_kb=peak,
                solve=last(r"CPU TIME = *" + num + " SECONDS"),
                obj=last(r"(?m)^ ?PRIMAL SOLUTION +" + num + r" *$"),
                iters=last(r"TOTAL NUMBER OF ITERATIONS = *(\d+)"),
                cols=cols)


def solve_cvxopt(gp):
    """solvers.gp in the variables y = log x; bounds as monomial constraints.
    Returns status, objective and the time of the solvers.gp call alone."""
    from cvxopt import matrix, solvers
    posys = list(gp.posys)
    posys += [[(b, {v: -1.0})] for v, b in sorted(gp.lb.items())]
    posys += [[(1.0 / b, {v: 1.0})] for v, b in sorted(gp.ub.items())]
    K = [len(p) for p in posys]
    F, g = matrix(0.0, (sum(K), gp.nvar)), matrix(0.0, (sum(K), 1))
    row = 0
    for p in posys:
        for c, ex in p:
            for v, a in ex.items():
                F[row, v - 1] = a
            g[row] = math.log(c)
            row += 1
    solvers.options.update(dict(show_progress=False, abstol=1e-8,
                                reltol=1e-8, feastol=1e-8, maxiters=100))
    t0 = time.perf_counter()
    try:
        sol = solvers.gp(K, F, g)
        t = time.perf_counter() - t0
        status, y = sol["status"], sol["x"]
        obj = sum(c * math.exp(sum(a * y[v - 1] for v, a in ex.items()))
                  for c, ex in gp.posys[0])
    except Exception:  # rank errors, domain errors
        t, status, obj = time.perf_counter() - t0, "error", float("nan")
    return dict(status=status, obj=obj, solve=t)


def run_cvxopt(dat):
    """One whole cvxopt process (this script in --cvxopt-child mode)."""
    t0 = time.perf_counter()
    res = subprocess.run(["/usr/bin/python3", os.path.abspath(__file__),
                          "--cvxopt-child", dat], capture_output=True, text=True)
    wall = time.perf_counter() - t0
    try:
        r = json.loads(res.stdout.strip().splitlines()[-1])
    except (IndexError, ValueError):
        r = dict(status="crash", obj=float("nan"), solve=float("nan"))
    r["wall"] = wall
    return r


def repeat(fn, runs, key):
    """`runs` results of fn(), or only the first one when it took over 5 s."""
    rs = [fn()]
    while len(rs) < runs and rs[0][key] < 5.0:
        rs.append(fn())
    return rs


# ---- table ------------------------------------------------------------------

def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--cvxopt-child":
        print(json.dumps(solve_cvxopt(read_dat(sys.argv[2]))))
        return
    ap = argparse.ArgumentParser()
    ap.add_argument("posy")
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--sizes", default="10,30,100,300,1000")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--itmax", type=int, default=20000)
    ap.add_argument("--no-testset", action="store_true")
    ap.add_argument("--only", default="")
    args = ap.parse_args()
    posy = os.path.abspath(args.posy)
    # Without cvxopt every cvxopt run would read as a crash.
    if subprocess.run(["/usr/bin/python3", "-c", "import cvxopt, numpy"],
                      capture_output=True).returncode != 0:
        sys.exit("gp_bench.py: /usr/bin/python3 lacks cvxopt or numpy "
                 "(apt-get install python3-cvxopt python3-numpy)")

    problems, ref = [], {}
    if not args.no_testset and os.path.isdir(TESTSET):
        for f in sorted(os.listdir(TESTSET)):
            if f.endswith(".DAT"):
                problems.append((f[:-4], read_dat(os.path.join(TESTSET, f))))
        with open(os.path.join(TESTSET, "reference.json")) as f:
            ref = json.load(f)
    for n in [int(s) for s in args.sizes.split(",") if s]:
        problems.append(("RND%d" % n, random_gp(n, args.seed * 1000 + n)))
    if args.only:
        problems = [p for p in problems if p[0] in args.only.split(",")]

    cols = ("%-6s %5s %5s %-15s %6s %7s %8s %8s %7s %8s %8s %-8s %7s %7s %9s %9s")
    hdr = cols % ("name", "nvar", "mcon", "posy ending", "iters", "cols",
                  "posy pr", "posy sol", "peak MB", "cvx pr", "cvx sol",
                  "status", "r.proc", "r.solve", "rel.diff", "ref.err")
    print("times in s; pr = whole process, sol = solve alone; "
          "r.* = posy/cvxopt; median of up to %d runs" % args.runs)
    print(hdr)
    print("-" * len(hdr))
    work = tempfile.mkdtemp(prefix="posy_gp_bench_")
    r_proc, r_solve = [], []
    try:
        for name, gp in problems:
            dat = os.path.join(work, "P.DAT")
            gp.write(dat)
            pr = repeat(lambda: run_posy(posy, dat, args.itmax, work),
                        args.runs, "wall")
            cr = repeat(lambda: run_cvxopt(dat), args.runs, "wall")
            p, c = pr[0], cr[0]
            pw, ps = median([r["wall"] for r in pr]), median([r["solve"] for r in pr])
            cw, cs = median([r["wall"] for r in cr]), median([r["solve"] for r in cr])
            peak = median([r["peak_kb"] for r in pr]) / 1024.0
            rel = lambda x, y: (abs(x - y) / abs(y) if y is not None
                                and y == y and y != 0 else float("nan"))
            diff = rel(p["obj"], c["obj"])
            rerr = rel(p["obj"], ref.get(name, {}).get("cvxopt_objective"))
            rp = pw / cw
            rs = ps / cs if ps > 0 else float("nan")  # 0.00: below posy's clock
            r_proc.append(rp)
            if rs == rs:
                r_solve.append(rs)
            fmt = lambda x, f: "-" if x != x else f % x
            print(cols % (name, gp.nvar, len(gp.posys) - 1, p["ending"][:15],
                          fmt(p["iters"], "%.0f"), ">99999" if p["cols"] == math.inf
                          else fmt(p["cols"], "%.0f"),
                          "%.4f" % pw, fmt(ps, "%.2f"), fmt(peak, "%.1f"),
                          "%.4f" % cw, fmt(cs, "%.4f"), c["status"][:8],
                          "%.2f" % rp, fmt(rs, "%.2f"), fmt(diff, "%.2e"),
                          fmt(rerr, "%.2e") if name in ref else "-"),
                  flush=True)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for label, rs in (("process", r_proc), ("solve", r_solve)):
        if rs:
            print("ratio %-7s (posy/cvxopt) over %2d problems: median %.2f, "
                  "geometric mean %.2f, posy faster on %d" %
                  (label, len(rs), median(rs),
                   math.exp(statistics.fmean(math.log(r) for r in rs)),
                   sum(r < 1 for r in rs)))


if __name__ == "__main__":
    main()
