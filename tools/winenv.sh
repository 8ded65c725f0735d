# Sourced by the scripts that run Windows programs: one private Wine prefix per
# checkout, one Xvfb display and one persistent Wine server for all of them.
# Safe to source from several processes at once (setup runs under a lock).

SUITE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SUITE_WINE_ROOT="${SUITE_WINE_ROOT:-$SUITE_ROOT/build/wine}"
export WINE="${WINE:-$(command -v wine64 || echo /usr/lib/wine/wine64)}"
[ -x "$WINE" ] || WINE=/usr/lib/wine/wine64
export WINESERVER="${WINESERVER:-$(command -v wineserver || echo /usr/lib/wine/wineserver)}"
export WINEPREFIX="$SUITE_WINE_ROOT/prefix"
export HOME="$SUITE_WINE_ROOT/home"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="
export WINEARCH=win64

suite_wine_up() {
  # Wine's trash lives under ~/.local/share; without it a file sent to the
  # recycle bin is deleted for good.
  mkdir -p "$SUITE_WINE_ROOT" "$HOME/.local/share"
  exec 9>"$SUITE_WINE_ROOT/.lock"
  # Every program started while the lock is held must not inherit it (9>&-).
  flock -w 120 9
  # The display must exist before the Wine server starts.
  local display_file="$SUITE_WINE_ROOT/display" pid_file="$SUITE_WINE_ROOT/xvfb.pid"
  if ! { [ -f "$pid_file" ] && kill -0 "$(cat "$pid_file")" 2>/dev/null; }; then
    local fd_file="$SUITE_WINE_ROOT/xvfb.fd"
    rm -f "$fd_file"
    Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >"$fd_file" 2>/dev/null 9>&- &
    echo $! >"$pid_file"
    for _ in $(seq 100); do [ -s "$fd_file" ] && break; sleep 0.05; done
    echo ":$(head -1 "$fd_file")" >"$display_file"
  fi
  export DISPLAY="$(cat "$display_file")"
  # The prefix is made once. One without the 32-bit side (syswow64's
  # programs) is kept while this machine runs no 32-bit programs, and made
  # anew once it does (wine32 installed, or a handler registered, since).
  # wineboot starts the server itself; the server refuses to start before the
  # prefix folder exists.
  local runs_x86=yes answer
  answer="$(SUITE_X86= "$SUITE_ROOT/tools/x86-probe")"
  [ "${answer%%:*}" = none ] && runs_x86=no
  if [ ! -f "$WINEPREFIX/.suite-ready" ] || { [ ! -f "$(suite_syswow64)/cscript.exe" ] && [ "$runs_x86" = yes ]; }; then
    rm -rf "$WINEPREFIX"
    "$WINESERVER" -k >/dev/null 2>&1 </dev/null 9>&- || true
    # The tests that need a prefix of their own start from a copy of a fresh
    # one: wineboot takes minutes where 32-bit programs are emulated.
    local template="$SUITE_ROOT/build/wine-template"
    if [ -f "$template/.suite-ready" ] && [ "$(cat "$template/.suite-ready")" = "$answer" ]; then
      mkdir -p "$WINEPREFIX" && cp -a "$template/." "$WINEPREFIX/"
    else
      "$WINE" wineboot --init >/dev/null 2>&1 </dev/null 9>&- || true
      "$WINESERVER" -w 9>&- || true
      if [ ! -f "$WINEPREFIX/drive_c/windows/system32/cscript.exe" ] ||
         { [ "$runs_x86" = yes ] && [ ! -f "$(suite_syswow64)/cscript.exe" ]; }; then
        echo "winenv: wineboot left the prefix $WINEPREFIX without $([ "$runs_x86" = yes ] && echo "its 32-bit side (is wine32 installed?)" || echo "its programs")" >&2
        flock -u 9; exec 9>&-
        return 1
      fi
      # A virtual desktop: windows show and hide at once and display modes exist.
      "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 9>&-
      "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1 9>&-
      echo "$answer" >"$WINEPREFIX/.suite-ready"
      "$WINESERVER" -w 9>&- || true
      rm -rf "$template.$$"
      cp -a "$WINEPREFIX" "$template.$$" && rm -rf "$template" && mv -T "$template.$$" "$template" || rm -rf "$template.$$"
    fi
  fi
  # One persistent server for the whole session; its output must not hold a
  # pipe of ours open.
  "$WINESERVER" -p >/dev/null 2>&1 </dev/null 9>&- || true
  # Wine's background programs (services, the desktop) are started here with
  # their output sent nowhere: started later by a test, they would inherit the
  # test runner's pipe and keep it waiting.
  if ! suite_desktop_running; then
    "$WINE" cmd /c exit >/dev/null 2>&1 </dev/null 9>&-
    ("$WINE" explorer.exe /desktop=Default,1024x768 >/dev/null 2>&1 </dev/null 9>&- &)
    for _ in $(seq 100); do suite_desktop_running && break; sleep 0.05; done
  fi
  flock -u 9
  exec 9>&-
}

suite_desktop_running() {
  local pid
  for pid in $(pgrep -f 'explorer.exe /desktop' 2>/dev/null); do
    tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qx "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}

suite_wine_down() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  local pid_file="$SUITE_WINE_ROOT/xvfb.pid"
  if [ -f "$pid_file" ]; then kill "$(cat "$pid_file")" 2>/dev/null || true; rm -f "$pid_file"; fi
}

# Windows form of a Unix path (the prefix maps / to Z:).
suite_winpath() { local p; p="$(readlink -f "$1")"; echo "Z:${p//\//\\}"; }

# The 32-bit programs of the prefix (Unix path).
suite_syswow64() { echo "$WINEPREFIX/drive_c/windows/syswow64"; }

# The Windows programs that load one bitness's DLLs: regsvr32 and cscript of
# system32 for x64, of syswow64 for x86.
suite_regsvr32() { [ "$1" = x86 ] && echo 'C:\windows\syswow64\regsvr32.exe' || echo regsvr32; }
suite_cscript() { [ "$1" = x86 ] && echo 'C:\windows\syswow64\cscript.exe' || echo cscript; }

# The bitnesses whose timings mean something here: x86 only where the kernel
# runs 32-bit programs itself (emulated timings say nothing about ours).
# Prints the list; says on stderr why x86 is left out.
suite_bench_arches() {
  local x86; x86="$("$SUITE_ROOT/tools/x86-probe")"
  if [ "${x86%%:*}" = native ]; then echo "x64 x86"; return; fi
  echo "x86 figures left out: $x86" >&2
  echo x64
}
