#!/usr/bin/env bash
# The Windows stage: cross-builds both COM servers with mingw-w64, then runs
# the test server (corvane_simulated.exe, on the simulated controller) under
# Wine in a fresh private prefix against real automation clients: VBScript
# and JScript through Wine's cscript, and a C++ IDispatch client. It
# registers and unregisters the server and checks the events it wrote.
# Then the production corvane.exe runs the same VBScript suite on a
# stand-in netapi32.dll built from the simulated controller, and its
# events are read from Wine's event-log trace. Last, the release zip is
# installed from its own contents, registered per user and for all users,
# used once and removed without a trace.
#
# Wine rules this script keeps: every Wine command runs under `timeout`
# with its output in files (a COM-started server inherits the client's
# output and would hold a pipe open); cscript prints nothing and exits 0 on
# an uncaught script error, so a client passes only when it printed its
# "N passed, 0 failed" line.
#
# Exits non-zero unless every client and every check of this script passed.
# Environment: CORVANE_MINGW_BUILD (build directory, default build/mingw).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${CORVANE_MINGW_BUILD:-$root/build/mingw}
work=$build/wine-tests
logs=$work/logs

install_packages() {
  local packages=(cmake make g++-mingw-w64-x86-64-posix mingw-w64-tools wine
                  wine64 libwine-dev)
  local missing=() package
  for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null |
      grep -q "ok installed" || missing+=("$package")
  done
  ((${#missing[@]})) || return 0
  local sudo_cmd=""
  [[ $(id -u) -eq 0 ]] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q \
    --no-install-recommends "${missing[@]}"
}

echo "== packages"
install_packages

echo "== cross-build (mingw-w64)"
toolchain=()
# The toolchain is read when the build directory is first configured.
[[ -f $build/CMakeCache.txt ]] ||
  toolchain=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake")
cmake -S "$root" -B "$build" "${toolchain[@]}" -DCMAKE_BUILD_TYPE=Release \
  -DCORVANE_TESTS=OFF -DCORVANE_BENCH=OFF -DCORVANE_WERROR=ON >/dev/null
cmake --build "$build" -j "$(nproc)" \
  --target corvane_server corvane_simulated_server corvane_dispatch_client \
           corvane_server_unit_test
for exe in server/corvane.exe server/corvane_simulated.exe \
           tests/wine/corvane_dispatch_client.exe \
           tests/wine/corvane_server_unit_test.exe; do
  [[ -f $build/$exe ]] || { echo "missing $exe"; exit 1; }
done

# --- the stand-in netapi32.dll for the production server
cmake --build "$build" -j "$(nproc)" --target corvane_netapi32_standin
standin_dll=$build/tests/wine/netapi32_standin/netapi32.dll
[[ -f $standin_dll ]] || { echo "missing netapi32.dll stand-in"; exit 1; }
# --- end of the stand-in

started=$SECONDS
echo "== Wine"
rm -rf "$work"
mkdir -p "$logs"
export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() {
  failed=$((failed + 1))
  echo "FAIL $*"
}

# wine_run <log name> <seconds> <command...>: output to $logs/<name>.out/.err.
wine_run() {
  local name=$1 seconds=$2
  shift 2
  timeout --kill-after=10 "$seconds" "$@" >"$logs/$name.out" 2>"$logs/$name.err" \
    </dev/null
}

# True while a server process is alive (zombies do not count).
server_running() {
  local pid state
  for pid in $(pgrep -f '[c]orvane(_simulated)?\.exe' || true); do
    state=$(ps -o stat= -p "$pid" 2>/dev/null || true)
    [[ -n $state && $state != Z* ]] && return 0
  done
  return 1
}

# Waits (at most 20 s) until no test server runs: the next client must meet
# a server started with its own environment.
wait_for_server_exit() {
  local deadline=$((SECONDS + 20))
  while server_running; do
    if ((SECONDS >= deadline)); then
      fail "$1: the test server did not exit"
      return
    fi
    sleep 0.2
  done
  pass
}

# judge <client> <log>: the client's own verdict, from its summary line.
judge() {
  local client=$1 log=$2
  if grep -Eq '^[0-9]+ passed, 0 failed' "$log"; then
    echo "$client: $(grep -E '^[0-9]+ passed, [0-9]+ failed' "$log")"
    pass
  else
    fail "$client (see $log)"
    sed 's/^/  | /' "$log"
  fi
}

wine_run boot 240 wineboot --init || fail "wineboot --init"
timeout 120 wineserver -w || fail "wineserver -w"

install_dir=$WINEPREFIX/drive_c/corvane
mkdir -p "$install_dir"
cp "$build/server/corvane_simulated.exe" "$build/tests/wine/corvane_dispatch_client.exe" \
   "$build/tests/wine/corvane_server_unit_test.exe" \
   "$root"/tests/wine/*.vbs "$root"/tests/wine/*.js "$install_dir/"
server='C:\corvane\corvane_simulated.exe'
export CORVANE_EVENT_FILE='C:\corvane\events.txt'
events=$install_dir/events.txt

echo "-- server code in-process"
wine_run unit 120 wine 'C:\corvane\corvane_server_unit_test.exe' || true
judge "server unit test" "$logs/unit.out"

echo "-- register"
if wine_run register 60 wine "$server" /RegServer; then pass; else fail "/RegServer"; fi
if wine_run registered 60 wine reg query 'HKCR\Corvane.NTDomain\CLSID' &&
   grep -qi '{0D4F3052-B486-11CF-9C8E-000000000000}' "$logs/registered.out"; then
  pass
else
  fail "ProgID Corvane.NTDomain not registered"
fi

echo "-- VBScript"
wine_run vbscript 120 wine cscript //nologo 'C:\corvane\domain_test.vbs' || true
judge VBScript "$logs/vbscript.out"
wait_for_server_exit VBScript

echo "-- user listing overflow (32,768 accounts)"
CORVANE_SIMULATED_USERS=32768 \
  wine_run overflow 120 wine cscript //nologo 'C:\corvane\overflow_test.vbs' || true
judge "overflow (VBScript)" "$logs/overflow.out"
wait_for_server_exit "overflow (VBScript)"

echo "-- JScript"
wine_run jscript 120 wine cscript //nologo 'C:\corvane\domain_test.js' || true
judge JScript "$logs/jscript.out"
wait_for_server_exit JScript

echo "-- C++ client"
wine_run client 120 wine 'C:\corvane\corvane_dispatch_client.exe' || true
judge "C++ client" "$logs/client.out"
wait_for_server_exit "C++ client"

echo "-- platform check"
lines_before=$(wc -l <"$events" 2>/dev/null || echo 0)
CORVANE_SIMULATED_PLATFORM_ID=1 \
  wine_run platform 120 wine cscript //nologo 'C:\corvane\platform_check.vbs' || true
judge "platform check (VBScript)" "$logs/platform.out"
wait_for_server_exit "platform check (VBScript)"
CORVANE_SIMULATED_PLATFORM_ID=1 \
  wine_run platform-client 120 wine 'C:\corvane\corvane_dispatch_client.exe' \
  platform-check || true
judge "platform check (C++)" "$logs/platform-client.out"
wait_for_server_exit "platform check (C++)"
lines_after=$(wc -l <"$events" 2>/dev/null || echo 0)
if ((lines_after == lines_before)); then pass; else
  fail "a failed creation wrote events"
fi

echo "-- events"
# check_events <file> <domains>: the events servers wrote, one message a
# line, from at least <domains> domain objects.
check_events() {
  local file=$1 domains=$2 pattern starts ends
  for pattern in \
    '^NTDomain object version 2\.6 \(thread #[0-9]+\) initializing\.\.\.$' \
    '^NTDomain object \(thread #[0-9]+\) terminating\.\.\.$' \
    '^Added user dave to CORVANE$' \
    '^Delete user dave from CORVANE$' \
    '^Added user alice to Sales$'; do
    if grep -Eq "$pattern" "$file" 2>/dev/null; then pass; else
      fail "no event matching $pattern in $file"
    fi
  done
  starts=$(grep -c 'initializing\.\.\.$' "$file" 2>/dev/null || true)
  ends=$(grep -c 'terminating\.\.\.$' "$file" 2>/dev/null || true)
  if [[ $starts -ge $domains && $starts == "$ends" ]]; then pass; else
    fail "every domain started must end ($starts started, $ends ended in $file)"
  fi
}
check_events "$events" 3

echo "-- unregister"
if wine_run unregister 60 wine "$server" /UnregServer; then pass; else
  fail "/UnregServer"
fi
if wine_run unregistered 60 wine reg query 'HKCR\Corvane.NTDomain'; then
  fail "ProgID still registered after /UnregServer"
else
  pass
fi

# --- the production server on the stand-in netapi32.dll
# The same VBScript suite against corvane.exe, which imports netapi32 as on
# Windows; a native override makes it load the stand-in from its folder.
# Wine's ReportEventW writes each event to the event-log trace (channel
# eventlog), which the server inherits as the client's standard error: the
# suite counts events there, and the same event checks read it afterwards.
echo "-- production server on the stand-in netapi32"
production='C:\corvane\corvane.exe'
report=$install_dir/standin-report.txt
cp "$build/server/corvane.exe" "$standin_dll" "$install_dir/"
if wine_run override 60 wine reg add 'HKCU\Software\Wine\DllOverrides' \
     /v netapi32 /d native /f; then pass; else fail "netapi32 override"; fi
if wine_run register-production 60 wine "$production" /RegServer; then pass
else fail "/RegServer (corvane.exe)"; fi

# production_client <log name> <script> [VAR=value...]: the script's
# events trace is its standard error.
production_client() {
  local name=$1 script=$2 status=0 begun=$SECONDS
  shift 2
  env "$@" WINEDEBUG=-all,+eventlog \
    CORVANE_EVENT_FILE="Z:${logs//\//\\}\\$name.err" \
    CORVANE_NETAPI_STANDIN_REPORT='C:\corvane\standin-report.txt' \
    timeout --kill-after=10 120 wine cscript //nologo "C:\\corvane\\$script" \
    >"$logs/$name.out" 2>"$logs/$name.err" </dev/null || status=$?
  echo "$name: exit status $status after $((SECONDS - begun)) s" >>"$logs/clients.txt"
  judge "$name" "$logs/$name.out"
  wait_for_server_exit "$name"
}
production_client production-vbscript domain_test.vbs
production_client production-overflow overflow_test.vbs CORVANE_SIMULATED_USERS=32768

production_events=$work/production-events.txt
sed -n 's/^.*:eventlog:ReportEventW L"\(.*\)"$/\1/p' \
  "$logs/production-vbscript.err" "$logs/production-overflow.err" \
  >"$production_events"
check_events "$production_events" 2

# One line per server process: it called the stand-in, released every block
# it was given, released nothing else, and looked SIDs up through it.
processes=$(wc -l <"$report" 2>/dev/null || echo 0)
if ((processes == 2)) &&
   ! grep -Evq '^calls [1-9][0-9]*, blocks outstanding 0, stray releases 0, SID lookup redirected.?$' \
     "$report"; then
  pass
else
  fail "stand-in netapi32 report ($processes server processes):"
  sed 's/^/  | /' "$report" 2>/dev/null || true
fi

if wine_run unregister-production 60 wine "$production" /UnregServer; then
  pass
else
  fail "/UnregServer (corvane.exe)"
fi
# The release check below runs on Wine's own netapi32.
wine_run override-off 60 wine reg delete 'HKCU\Software\Wine\DllOverrides' \
  /v netapi32 /f || fail "netapi32 override removal"
# --- end of the production server
# ---- Release zip: installed from its own contents -------------------------
# Unpacks the Windows release zip into a fresh folder and uses nothing else:
# registers for the current user (keys under HKCU\Software\Classes only),
# removes that, has a registration fail (it must say so and leave nothing),
# registers for all users, runs a first VBScript against the
# production corvane.exe, unregisters, and checks after each step where the
# keys are (release_keys.vbs). Wine's COM reads no per-user classes, so no
# client runs on the per-user registration.
release_zip_check() {
  echo "-- release zip"
  cmake --build "$build" --target corvane_windows_zip >/dev/null
  local zip
  zip=$(find "$build" -maxdepth 1 -name 'corvane-*-windows-x64.zip' | head -1)
  if [[ -z $zip ]]; then
    fail "release zip not built"
    return
  fi
  local unpacked=$WINEPREFIX/drive_c/release
  rm -rf "$unpacked"
  mkdir -p "$unpacked"
  (cd "$unpacked" && cmake -E tar xf "$zip")
  local folder
  folder=$(basename "$zip" .zip)
  local expected
  for expected in corvane.exe register.cmd register.ps1 README.txt; do
    if [[ -f $unpacked/$folder/$expected ]]; then pass; else
      fail "release zip lacks $expected"
    fi
  done
  local script="C:\\release\\$folder\\register.cmd"
  local server_exe="C:\\release\\$folder\\corvane.exe"

  # release_step <log> <expected line> <register.cmd options...>
  release_step() {
    local log=$1 line=$2
    shift 2
    if wine_run "$log" 60 wine cmd /c "$script" "$@" &&
       grep -q "^Corvane: $line succeeded" "$logs/$log.out"; then
      pass
    else
      fail "register.cmd $* (see $logs/$log.out)"
    fi
  }
  release_keys() {
    wine_run "keys-$1" 60 wine cscript //nologo 'C:\corvane\release_keys.vbs' "$1" ||
      true
    judge "registry keys, $1" "$logs/keys-$1.out"
  }

  release_keys none
  release_step release-user "Registration for the current user" /user
  release_keys user
  release_step release-user-remove \
    "Removing the registration for the current user" /remove /user
  release_keys none

  # A registration that fails says so with its code and leaves nothing: the
  # unit test's volatile key, kept while this cmd runs, blocks it.
  release_blocked() {
    local log=$1 line=$2
    shift 2
    if ! wine_run "$log" 60 wine cmd /c 'C:\corvane\corvane_server_unit_test.exe' \
           block-user-registration '&' "$@" &&
       grep -q "$line" "$logs/$log.out"; then
      pass
    else
      fail "$* did not report its failure (see $logs/$log.out)"
    fi
  }
  release_blocked release-failure \
    '^Corvane: Registration for the current user FAILED with code -2147023875\.' \
    "$script" /user
  release_blocked release-failure-direct \
    '^Corvane: registration for the current user failed: .*(0x800703FD)' \
    "$server_exe" /RegServerPerUser
  release_keys none

  release_step release-machine "Registration for all users"
  release_keys machine
  wine_run release-smoke 120 wine cscript //nologo 'C:\corvane\release_smoke.vbs' ||
    true
  judge "release VBScript (corvane.exe)" "$logs/release-smoke.out"
  release_step release-machine-remove "Removing the registration for all users" \
    /remove
  release_keys none

  if wine_run release-usage 60 wine cmd /c "$script" /bogus; then
    fail "register.cmd accepted an unknown option"
  else
    pass
  fi
  # The server itself: says what it did, and refuses an unknown option.
  if wine_run release-direct 60 wine "$server_exe" /UnregServerPerUser &&
     grep -q '^Corvane: unregistered for the current user\.' \
       "$logs/release-direct.out"; then
    pass
  else
    fail "corvane.exe /UnregServerPerUser did not report"
  fi
  if wine_run release-unknown 60 wine "$server_exe" /bogus ||
     ! grep -q '^Corvane: unknown option /bogus' "$logs/release-unknown.out"; then
    fail "corvane.exe accepted or did not report an unknown option"
  else
    pass
  fi
}
release_zip_check
# ---- end of the release zip check -------------------------------------------

timeout 60 wineserver -k || true
echo "Wine stage: $((SECONDS - started)) s"
echo "$passed passed, $failed failed"
((failed == 0))
