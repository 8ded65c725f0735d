#!/bin/bash
# The bootstrap on a machine whose package mirror fails: stand-ins for apt-get,
# dpkg and dpkg-query first on PATH (tests/bootstrap/standin) play the
# failures, and the real tools/bootstrap.sh and tools/x86-probe run against
# them from a copy (so the failure they keep stays in a temporary folder).
# Last, the real run.sh runs with the same stand-ins and must demonstrate the
# x64 half and end with status 0.
#   bootstrap_test.sh [--no-run]     --no-run leaves the run.sh part out
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
work="$(mktemp -d)"
failure="$root/build/wine32-install-failure"
kept="$work/kept-failure"
# run.sh's bootstrap keeps its failure under build/: what was there is put back.
[ -f "$failure" ] && cp -p "$failure" "$kept"
cleanup() {
  rm -f "$failure"; [ -f "$kept" ] && cp -p "$kept" "$failure"
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/bin" "$work/copy/tools"
for tool in apt-get dpkg dpkg-query; do ln -s "$here/standin" "$work/bin/$tool"; done
cp "$root/tools/bootstrap.sh" "$root/tools/x86-probe" "$work/copy/tools/"
real_path="$PATH"
export PATH="$work/bin:$PATH"
unset SUITE_X86

passed=0 failed=0
check() {  # check <description> <command...>
  local what="$1"; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL $what"; fi
}
has() { grep -qF -- "$2" <<<"$1" || { echo "    missing: $2"; return 1; }; }
lacks() { ! grep -qF -- "$2" <<<"$1" || { echo "    unwanted: $2"; return 1; }; }
count() { grep -cE -- "$2" <<<"$1"; }

# A fresh package database and mirror for one scenario: play <file>... sets
# STANDIN_DIR; each argument "name=line" adds the line to the file.
play() {
  export STANDIN_DIR="$work/$1"; shift
  mkdir -p "$STANDIN_DIR"
  local entry
  for entry; do echo "${entry#*=}" >>"$STANDIN_DIR/${entry%%=*}"; done
}
bootstrap() { output="$("$work/copy/tools/bootstrap.sh" 2>&1)"; status=$?; log="$(cat "$STANDIN_DIR/log")"; }
probe() { "$work/copy/tools/x86-probe"; }

mirror="File has unexpected size (374820 != 376004). Mirror sync in progress?"
held="E: Unable to correct problems, you have held broken packages."

echo "== a mirror in the middle of a sync, and wine32 refused as held broken"
play mirror update-fails= held=wine32:i386
bootstrap
check "the bootstrap goes on (status $status)" test "$status" -eq 0
check "the failed update is a warning with its status and first error" \
  has "$output" "bootstrap: warning: apt-get update failed on some index (exit status 100: E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  $mirror"
check "the 64-bit tools are installed in a transaction of their own" \
  has "$log" "apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=120 cmake ninja-build"
check "the 64-bit tools are installed" grep -qx wine64 "$STANDIN_DIR/installed"
check "the i386 architecture is added" has "$log" "dpkg --add-architecture i386"
check "the 32-bit side is said to be left out, with apt's first error" \
  has "$output" "bootstrap: the 32-bit side could not be installed (wine32:i386: $held); the x86 half will be built but not run, the x64 half goes on"
check "the held packages are not retried as a transient failure" test "$(count "$log" 'install .*wine32:i386')" -eq 1
check "the probe says why" test "$(probe)" = "none: wine32 could not be installed: $held"
check "nothing is said to have failed" lacks "$output" "bootstrap: failed"

echo "== a 64-bit package the lists do not have"
play unknown update-fails= unknown=libclang-rt-14-dev
bootstrap
check "the bootstrap fails (status $status)" test "$status" -eq 1
check "it names the package and apt's reason" \
  has "$output" "bootstrap: failed: the 64-bit tools could not be installed: libclang-rt-14-dev: E: Unable to locate package libclang-rt-14-dev"
check "the install is retried once after a fresh update" \
  test "$(count "$log" '^apt-get update')/$(count "$log" '^apt-get install -y')" = 2/2
check "the 32-bit side is not touched" lacks "$log" "i386"

echo "== a fetch that fails once"
play flaky flaky=
mkdir -p "$work/copy/build" && echo "$held" >"$work/copy/build/wine32-install-failure"
bootstrap
check "the bootstrap succeeds (status $status)" test "$status" -eq 0
check "after a fresh update" test "$(count "$log" '^apt-get update')" -ge 2
check "both sides are installed" grep -qx wine32:i386 "$STANDIN_DIR/installed"
check "nothing is said to have failed" lacks "$output" "could not"
check "the kept failure is gone with it" test ! -e "$work/copy/build/wine32-install-failure"
check "the probe runs the 32-bit program again" lacks "$(probe)" "could not be installed"

echo "== SUITE_X86=off on the failing mirror"
play off update-fails=
SUITE_X86=off bootstrap
check "the bootstrap goes on (status $status)" test "$status" -eq 0
check "the 32-bit side is never touched" lacks "$log" "i386"
check "dpkg is not asked about architectures" lacks "$log" "dpkg "

if [ "${1:-}" != --no-run ]; then
  echo "== run.sh on the failing mirror with wine32 refused"
  play run update-fails= held=wine32:i386
  # A prefix of its own, kept between runs: the shared one serves the other
  # tests. It is made first without the stand-ins, so that winenv copies it
  # from (or makes) the fresh prefix it keeps for this machine as it is.
  wine_root="$root/build/bootstrap-wine"
  (PATH="$real_path" SUITE_WINE_ROOT="$wine_root"; source "$root/tools/winenv.sh" && suite_wine_up && suite_wine_down) ||
    check "a Wine prefix for run.sh" false
  output="$(SUITE_WINE_ROOT="$wine_root" "$root/run.sh" 2>&1)"; status=$?
  check "run.sh ends with status 0 (it was $status)" test "$status" -eq 0
  check "it says the 32-bit side was left out" has "$output" "bootstrap: the 32-bit side could not be installed (wine32:i386: $held)"
  check "the x64 half is demonstrated" has "$output" "Demo finished: all four libraries answered (AMD64)"
  check "the x86 demo is left out with the reason" has "$output" "== no x86 demo: none: wine32 could not be installed: $held"
  check "no x86 DLL is registered" lacks "$output" "registering the x86 DLLs"
  [ "$failed" -eq 0 ] || sed 's/^/    run.sh: /' <<<"$output" | tail -n 40
fi

echo "bootstrap: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
