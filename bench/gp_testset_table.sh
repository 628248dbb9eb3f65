#!/usr/bin/env bash
# gp_testset_table.sh — the classic GP test set through the posy program, one
# table line per problem: ending, final objective, reference optimum, relative
# error, GLP iterations, columns generated, wall time, and a verdict: "ok"
# when a problem the reference solved ends on the optimum path within 1e-6
# of the reference optimum, and for a
# hard case (reference status unknown or error) when it ends on any
# termination message; "MISS" otherwise.  Exits 1 when a problem misses.
# Needs only bash and the usual shell utilities (grep, sed, awk, date).
# A problem gets two hours (CL31, the largest, takes the better part of one).
#
# usage: bench/gp_testset_table.sh [POSY_BINARY] [TESTSET_DIR] [ITMAX]
#   defaults: build/release/driver/posy, ../shared/gp-testset, 20000
set -u
here=$(cd "$(dirname "$0")" && pwd)
posy=$(realpath "${1:-$here/../build/release/driver/posy}")
dir=$(realpath "${2:-$here/../../shared/gp-testset}")
itmax=${3:-20000}
misses=0
ref="$dir/reference.json"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '%-6s %-15s %16s %16s %9s %6s %7s %9s  %s\n' problem ending objective \
  reference rel.err iters cols time_s verdict
for f in "$dir"/CL*.DAT; do
  name=$(basename "$f" .DAT)
  cp "$f" "$work/"
  start=$(date +%s.%N)
  (cd "$work" && printf '2\n%s\n%d 0\n' "$name.DAT" "$itmax" |
     timeout 7200 "$posy" > /dev/null 2>&1)
  end=$(date +%s.%N)
  out="$work/$name.OUT"
  ending="crash/none"
  grep -qF -- '****TERMINATED: OPTIMUM' "$out" 2>/dev/null && ending=optimum
  grep -qF -- 'AND/OR CONVERGENCE CRITERION CANNOT' "$out" 2>/dev/null && ending=cannot-be-met
  grep -qF -- '****TERMINATED: END OF' "$out" 2>/dev/null && ending=iteration-limit
  grep -qF -- 'TERMINATED____ SOLUTION UNBOUNDED' "$out" 2>/dev/null && ending=unbounded
  grep -qF -- 'TERMINATED____ INCONSISTENT DATA' "$out" 2>/dev/null && ending=inconsistent
  obj=$(awk '/^ ?PRIMAL SOLUTION  /{v=$NF} END{print (v==""?"-":v)}' "$out" 2>/dev/null)
  its=$(awk -F= '/TOTAL NUMBER OF ITERATIONS =/{v=$2} END{gsub(/ /,"",v); print (v==""?"-":v)}' "$out" 2>/dev/null)
  cols=$(awk -F= '/TOTAL NUMBER OF COLUMNS GENERATED=/{v=$2} END{gsub(/ /,"",v); print (v==""?"-":v)}' "$out" 2>/dev/null)
  entry=$(tr -d '\n' < "$ref" | grep -o "\"$name\": *{[^}]*}")
  refv=$(printf '%s' "$entry" | sed -n 's/.*"cvxopt_objective": *\([-0-9.eE+]*\).*/\1/p')
  refs=$(printf '%s' "$entry" | sed -n 's/.*"cvxopt_status": *"\([a-z]*\).*/\1/p')
  [ -z "$refv" ] && refv="-"
  rel=$(awk -v a="$obj" -v b="$refv" 'BEGIN{ if (a=="-"||b=="-"||b==0) print "-"; else { d=(a-b)/b; if (d<0) d=-d; printf "%.2e", d } }')
  t=$(awk -v s="$start" -v e="$end" 'BEGIN{printf "%.3f", e-s}')
  verdict=ok
  if [ "$refs" = optimal ]; then
    [ "$ending" = optimum ] || verdict=MISS
    awk -v r="$rel" 'BEGIN{exit !(r!="-" && r < 1e-6)}' || verdict=MISS
  elif [ "$ending" = crash/none ]; then
    verdict=MISS
  fi
  [ "$verdict" = ok ] || misses=$((misses + 1))
  printf '%-6s %-15s %16s %16s %9s %6s %7s %9s  %s (reference %s)\n' "$name" "$ending" \
    "$obj" "$refv" "$rel" "$its" "$cols" "$t" "$verdict" "$refs"
done
echo "$misses problem(s) missed"
[ "$misses" -eq 0 ]
