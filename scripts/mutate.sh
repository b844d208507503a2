#!/usr/bin/env bash
# Breaks the program on purpose, one small change at a time, and reports which changes the tests
# notice. A developer's tool: slow, and not part of the regular test run.
#
# Usage: mutate.sh [--tests "editor gui"] [--list FILE.tsv]... [--only SUBSTRING] [--work DIR]
#                  [--timeout SECONDS]
#   --tests    test programs to build and run, named as ctest names them (default: all)
#   --list     mutant lists to read (default: scripts/mutants/*.tsv); may be given more than once
#   --only     keep only mutants whose line contains SUBSTRING
#   --work     scratch folder (default: build-mutate/); kept between runs, so later runs rebuild little
#   --timeout  limit for one test program's run; a test that hangs counts as having noticed (default 300)
#
# A list holds one mutant per line, four fields separated by tabs:
#   FILE  FIND  REPLACE  WHAT IT BREAKS
# FIND must occur exactly once in FILE. Empty lines and lines starting with # are ignored; a
# "# survivor: why" line above a mutant explains why no test can notice it. "killed K of N"
# counts the mutants that built; bad ones and ones that do not build are listed apart.
# Exit status 0 only when every mutant built and was killed.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tests="" lists=() only="" work=$root/build-mutate limit=300
while [ $# -gt 0 ]; do
  case $1 in
    --tests) tests=$2; shift 2 ;;
    --list) lists+=("$(realpath "$2")"); shift 2 ;;
    --only) only=$2; shift 2 ;;
    --work) work=$(realpath -m "$2"); shift 2 ;;
    --timeout) limit=$2; shift 2 ;;
    -h|--help) sed -n '2,20p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "mutate.sh: unknown argument $1 (try --help)" >&2; exit 2 ;;
  esac
done
if [ ${#lists[@]} -eq 0 ]; then
  shopt -s nullglob; lists=("$root"/scripts/mutants/*.tsv); shopt -u nullglob
fi
[ ${#lists[@]} -gt 0 ] || { echo "mutate.sh: no mutant lists found" >&2; exit 2; }
if [ -z "$tests" ]; then
  tests=$(sed -n 's/^zv_test_folder(\([a-z0-9_]*\) .*/\1/p' "$root/tests/CMakeLists.txt" | tr '\n' ' ')
fi
read -r -a names <<< "$tests"
targets=() regex=""
for n in "${names[@]}"; do
  targets+=("test_$n"); regex+="${regex:+|}$n"
  [ "$n" = tools ] && targets+=(zentrovel-tool)
done
regex="^($regex)\$"

# The tests open windows: run everything under one virtual X server, never on the developer's screen.
if [ -z "${ZV_MUTATE_INNER:-}" ]; then
  mkdir -p "$work/xvfb"
  args=(--tests "$tests" --only "$only" --work "$work" --timeout "$limit")
  for l in "${lists[@]}"; do args+=(--list "$l"); done
  ZV_MUTATE_INNER=1 TMPDIR=$work/xvfb exec xvfb-run -a -s "-screen 0 1024x768x24" \
    bash "${BASH_SOURCE[0]}" "${args[@]}"
fi

src=$work/src build=$work/build logs=$work/logs
mkdir -p "$src" "$build" "$logs" "$work/tmp"
export XDG_CACHE_HOME=$work/tmp/cache XDG_DATA_HOME=$work/tmp/data XDG_CONFIG_HOME=$work/tmp/config
export MESA_SHADER_CACHE_DISABLE=true ZENTROVEL_AUTOMATED=1 DBUS_SESSION_BUS_ADDRESS=disabled:

# Copy the tracked tree as it is on disk now; only files that differ are written, so the build
# stays incremental, and a mutant left behind by an interrupted run is repaired here.
(cd "$root" && git ls-files -z) | tr '\0' '\n' | sort > "$work/files.txt"
while IFS= read -r f; do
  [ -f "$root/$f" ] || continue
  if ! cmp -s "$root/$f" "$src/$f"; then mkdir -p "$src/$(dirname "$f")"; cp "$root/$f" "$src/$f"; fi
done < "$work/files.txt"
(cd "$src" && find . -type f | sed 's|^\./||' | sort) | comm -23 - "$work/files.txt" |
  while IFS= read -r f; do rm -f "$src/$f"; done

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZV_BENCH=OFF "${launcher[@]}" \
  > "$logs/configure.log" 2>&1 || { echo "mutate.sh: configure failed, see $logs/configure.log" >&2; exit 2; }

# build_and_test LOG: 0 = tests pass, 1 = some test failed or hung, 2 = does not build
build_and_test() {
  timeout 1800 cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" > "$1" 2>&1 || return 2
  rm -rf "$work/tmp/ctest"; mkdir -p "$work/tmp/ctest"
  (cd "$build" && TMPDIR=$work/tmp/ctest timeout $((limit * ${#names[@]} + 60)) \
    ctest -R "$regex" --timeout "$limit" --output-on-failure -j"$(nproc)") >> "$1" 2>&1
  [ $? -eq 0 ] && return 0 || return 1
}

echo "mutate.sh: checking that the unchanged tree builds and passes ($tests)"
build_and_test "$logs/baseline.log"
case $? in
  0) ;;
  1) echo "mutate.sh: the tests fail without any mutant, see $logs/baseline.log" >&2; exit 2 ;;
  *) echo "mutate.sh: the unchanged tree does not build, see $logs/baseline.log" >&2; exit 2 ;;
esac

current=""  # the file a mutant is applied to right now; its original waits in $work/original
revert() {
  if [ -n "$current" ]; then cp "$work/original" "$src/$current"; current=""; fi
}
trap 'revert; echo; echo "mutate.sh: interrupted, the scratch tree is restored" >&2; exit 130' INT TERM
trap revert EXIT

results=() killed=0 total=0 index=0
for list in "${lists[@]}"; do
  note=""
  while IFS= read -r line || [ -n "$line" ]; do
    case $line in
      "# survivor:"*) note=explained; continue ;;
      ""|"#"*) continue ;;
    esac
    explained=$note; note=""
    [ -n "$only" ] && [[ $line != *"$only"* ]] && continue
    IFS=$'\t' read -r file find replace what <<< "$line"
    index=$((index + 1)); log=$logs/$index.log
    label="$(basename "$list"):$index $file: $what"
    count=0
    [ -f "$src/$file" ] && count=$(FIND=$find perl -0777 -ne 'print scalar(() = /\Q$ENV{FIND}\E/g)' "$src/$file")
    if [ -z "$find" ] || [ "$count" != 1 ]; then
      result="bad mutant (text found $count times)"
    else
      cp "$src/$file" "$work/original"; current=$file
      FIND=$find REPLACE=$replace perl -0777 -i -pe 's/\Q$ENV{FIND}\E/$ENV{REPLACE}/' "$src/$file"
      build_and_test "$log"
      case $? in
        0) result="survived${explained:+ (explained)}" ;;
        1) result="killed"; killed=$((killed + 1))
           failed=$(sed -n 's/^[[:space:]]*[0-9]\{1,\} - \([a-z0-9_]*\) (.*/\1/p' "$log" | tr '\n' ' ')
           [ -n "$failed" ] && result+=" by ${failed% }" ;;
        *) result="does not build" ;;
      esac
      revert
      case $result in survived*|killed*) total=$((total + 1)) ;; esac
    fi
    results+=("$(printf '%-32s %s' "$result" "$label")")
    echo "${results[-1]}"
  done < "$list"
done

echo
echo "Results (logs in $logs):"
printf '%s\n' "${results[@]}"
pct=0; [ "$total" -gt 0 ] && pct=$((100 * killed / total))
echo "killed $killed of $total ($pct%)"
[ "$killed" -eq "$total" ] && [ "$index" -eq "$total" ]
