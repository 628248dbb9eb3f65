#!/usr/bin/env bash
# glpk_compare.sh — posy-lp against GLPK's primal simplex on the Netlib LPs.
#
#   bench/glpk_compare.sh [-n RUNS] [-b POSY_LP] [-d NETLIB_DIR] [PROBLEM...]
#
# Runs `posy-lp FILE` and `glpsol --mps FILE --primal` RUNS times each (default
# 5) on every problem (default: every problem of NETLIB_DIR/optima.txt) and
# prints, per problem, the iterations of each solver, the median wall time of
# each (process start to end: reading, solving, writing) and the ratio
# posy/glpk.  Problems where either solver does not reach an optimum are
# listed with their statuses and left out of the totals.  The last line is
# the ratio of the summed medians.
set -u
runs=5
posy=""
netlib=""
while getopts "n:b:d:h" opt; do
  case $opt in
    n) runs=$OPTARG ;;
    b) posy=$OPTARG ;;
    d) netlib=$OPTARG ;;
    *) sed -n '2,12p' "$0"; exit 1 ;;
  esac
done
shift $((OPTIND - 1))
here=$(cd "$(dirname "$0")" && pwd)
[ -n "$netlib" ] || netlib="$here/../../shared/netlib"
if [ -z "$posy" ]; then
  for b in "$here/../build/release/tools/posy-lp" "$here"/../build*/tools/posy-lp; do
    [ -x "$b" ] && { posy=$b; break; }
  done
fi
command -v glpsol >/dev/null || { echo "glpsol not found (apt-get install glpk-utils)"; exit 1; }
[ -x "$posy" ] || { echo "posy-lp not found; build it or pass -b"; exit 1; }
[ -d "$netlib" ] || { echo "no Netlib collection at $netlib"; exit 1; }

if [ $# -gt 0 ]; then problems=("$@"); else
  mapfile -t problems < <(awk '{print $1}' "$netlib/optima.txt")
fi

now() { date +%s.%N; }
median() { sort -g | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }

printf "%-10s %9s %9s %11s %11s %8s\n" problem posy_it glpk_it posy_s glpk_s ratio
total_p=0; total_g=0; count=0; skipped=()
for name in "${problems[@]}"; do
  f="$netlib/$name.mps"
  [ -f "$f" ] || continue
  pt=(); gt=(); pstat=""; pit=""; gstat=""; git=""
  for ((r = 0; r < runs; r++)); do
    t0=$(now); out=$(timeout 300 "$posy" "$f" 2>&1); t1=$(now)
    pt+=("$(echo "$t1 - $t0" | bc -l)")
    pstat=$(sed -n 's/^Status: *//p' <<<"$out"); pit=$(sed -n 's/^Iterations: *\([0-9]*\).*/\1/p' <<<"$out")
    # No -o: glpsol removes its output file before writing it.
    t0=$(now); out=$(timeout 300 glpsol --mps "$f" --primal 2>&1); t1=$(now)
    gt+=("$(echo "$t1 - $t0" | bc -l)")
    if grep -q "OPTIMAL LP SOLUTION FOUND" <<<"$out"; then gstat=optimal
    elif grep -q "NO PRIMAL FEASIBLE SOLUTION" <<<"$out"; then gstat=infeasible
    elif grep -q "UNBOUNDED" <<<"$out"; then gstat=unbounded
    else gstat=other; fi
    git=$(grep -E '^[ *] +[0-9]+:' <<<"$out" | tail -1 | sed -E 's/^[ *] +([0-9]+):.*/\1/')
    [ "$pstat" = optimal ] && [ "$gstat" = optimal ] || break
  done
  if [ "$pstat" != optimal ] || [ "$gstat" != optimal ]; then
    skipped+=("$name (posy: ${pstat:-stopped}, glpk: $gstat)")
    continue
  fi
  pm=$(printf "%s\n" "${pt[@]}" | median); gm=$(printf "%s\n" "${gt[@]}" | median)
  printf "%-10s %9s %9s %11.4f %11.4f %8.2f\n" "$name" "$pit" "$git" "$pm" "$gm" "$(echo "$pm / $gm" | bc -l)"
  total_p=$(echo "$total_p + $pm" | bc -l); total_g=$(echo "$total_g + $gm" | bc -l); count=$((count + 1))
done
printf "%-10s %9s %9s %11.4f %11.4f %8.2f   (%d problems, %d runs each)\n" total "" "" \
  "$total_p" "$total_g" "$(echo "$total_p / $total_g" | bc -l)" "$count" "$runs"
for s in "${skipped[@]}"; do echo "not compared: $s"; done
