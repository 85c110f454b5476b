#!/usr/bin/env bash
# vestok-cli.exe under wine against ecrsim on the Linux side: wine's COM3 is a
# link to the simulator's pseudo-terminal, in a wine prefix of the test's own.
# The Windows program must put the same bytes on the wire as the Linux one,
# and write the same table bytes. Its network ports reach the simulator
# through ser2net on the Linux side.
#   windows_cli_test.sh <vestok-cli.exe> <Linux build dir> <work dir> <source dir>
set -uo pipefail
exe="$1"
linux="$2"
work="$3"
src="$4"
ecrsim="$linux/src/sim/ecrsim"
cli_linux="$linux/src/app/vestok-cli"
wine="${VESTOK_WINE:-/usr/lib/wine/wine64}"
wineserver="$(dirname "$wine")/wineserver"
for f in "$ecrsim" "$cli_linux" "$wine" "$exe"; do
  if [ ! -x "$f" ]; then
    echo "windows_cli_test: $f is missing (the Linux build's ecrsim and vestok-cli, and wine64, are needed)"
    exit 1
  fi
done

export WINEPREFIX="$work/wine"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$WINEPREFIX" "$work/app"
# The program as a user unpacks it: vestok-cli.exe and Vestok.ini side by side.
cp "$exe" "$work/app/vestok-cli.exe"
printf '[Communication]\r\nPort=3\r\nBaud=4\r\nLogicNo=1\r\nCableLen=50\r\n' > "$work/app/Vestok.ini"
app="$work/app/vestok-cli.exe"

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
sim_pid=""
stop_sim() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
    sim_pid=""
  fi
}
net_pid=""
stop_net() {
  if [ -n "$net_pid" ]; then
    kill "$net_pid" 2>/dev/null
    wait "$net_pid" 2>/dev/null
    net_pid=""
  fi
}
cleanup() {
  stop_net
  stop_sim
  "$wineserver" -k 2>/dev/null
}
trap cleanup EXIT

# One wine server for the whole test, its own output discarded: it reports
# its state when the simulator's end of the line goes away.
"$wineserver" -p >/dev/null 2>&1
# The first start of a new prefix sets it up (several seconds).
"$wine" cmd /c exit >/dev/null 2>&1

# start_sim <link> <trace file> <ecrsim options...>
start_sim() {
  local link="$1" trace="$2"
  shift 2
  rm -f "$link"
  "$ecrsim" --link "$link" --quiet --trace "$@" >"$trace" 2>&1 &
  sim_pid=$!
  for _ in $(seq 1 100); do
    [ -L "$link" ] && return 0
    sleep 0.05
  done
  fail "ecrsim did not start"
  return 1
}
com3="$WINEPREFIX/dosdevices/com3"
pty="$work/ecr-linux"
items="$src/data/sample/items.csv"

# The wire of one frame trace without its time column.
wire() { sed -E 's/^ *[0-9]+\.[0-9]+ //' "$1"; }

# Fiscal number through Port=3 of Vestok.ini.
start_sim "$com3" "$work/fiscal.trace"
out=$("$wine" "$app" fiscal 2>"$work/fiscal.err")
rc=$?
[ $rc -eq 0 ] || fail "fiscal: exit $rc"
[ "$out" = "RO0000001" ] || fail "fiscal: '$out'"
stop_sim

# One upload on both platforms: the same bytes on the wire, frame by frame.
start_sim "$pty" "$work/upload-linux.trace"
"$cli_linux" upload items "$items" --port "$pty" --speed 9600 >/dev/null 2>"$work/upload-linux.err"
rc=$?
stop_sim
[ $rc -eq 0 ] || fail "upload on Linux: exit $rc"
start_sim "$com3" "$work/upload-windows.trace"
"$wine" "$app" upload items "$items" >/dev/null 2>"$work/upload-windows.err"
rc=$?
stop_sim
[ $rc -eq 0 ] || fail "upload under wine: exit $rc"
if ! diff <(wire "$work/upload-linux.trace") <(wire "$work/upload-windows.trace") >"$work/upload.diff"; then
  fail "the upload's wire differs from Linux:"
  head -20 "$work/upload.diff"
fi
[ "$(grep -c 'PC->ECR command' "$work/upload-windows.trace")" -ge 10 ] || fail "upload: too few commands on the wire"
# The messages are text: the Windows console's line ends are CR LF.
diff "$work/upload-linux.err" <(tr -d '\r' <"$work/upload-windows.err") >/dev/null ||
  fail "upload: the progress lines differ from Linux"

# A table through the standard output: the same bytes (no CR added).
start_sim "$pty" "$work/sales-linux.trace" --load "$src/data/sample"
"$cli_linux" download item-sales - --port "$pty" --speed 9600 >"$work/sales-linux.csv" 2>/dev/null
stop_sim
start_sim "$com3" "$work/sales-windows.trace" --load "$src/data/sample"
"$wine" "$app" download item-sales - >"$work/sales-windows.csv" 2>"$work/sales-windows.err"
rc=$?
stop_sim
[ $rc -eq 0 ] || fail "download item-sales - under wine: exit $rc"
[ -s "$work/sales-windows.csv" ] || fail "download item-sales -: nothing written"
cmp -s "$work/sales-linux.csv" "$work/sales-windows.csv" || fail "download item-sales -: bytes differ from Linux"
grep -q $'\r\r' "$work/sales-windows.csv" && fail "download item-sales -: CR added before CR LF"

# A backup into a folder and its restore: the backup's check reads the
# folder's files by name (openat and fstatat on a folder descriptor).
start_sim "$com3" "$work/backup.trace" --load "$src/data/sample"
rm -rf "$work/backup"
"$wine" "$app" backup "$work/backup" >/dev/null 2>"$work/backup.err" || fail "backup: exit $?"
"$wine" "$app" restore "$work/backup" >/dev/null 2>"$work/restore.err" || fail "restore: exit $?"
stop_sim
cmp -s "$work/backup/items.csv" "$src/data/sample/items.csv" ||
  [ "$(grep -c . "$work/backup/items.csv")" -eq "$(grep -c . "$src/data/sample/items.csv")" ] ||
  fail "backup: items.csv does not hold the register's items"

# A register that does not answer: the attempts and their time-outs, exit 2.
start_sim "$com3" "$work/silent.trace" --silent
start=$(date +%s%N)
"$wine" "$app" fiscal >/dev/null 2>&1
rc=$?
ms=$((($(date +%s%N) - start) / 1000000))
stop_sim
[ $rc -eq 2 ] || fail "silent register: exit $rc, not 2"
# RetryCmd 3 selections, each waiting CableLen 50 x 10 ms.
[ $ms -ge 1400 ] || fail "silent register: gave up after $ms ms, before three waits of 500 ms"
[ "$(grep -c 'PC->ECR select' "$work/silent.trace")" -eq 3 ] || fail "silent register: not three selections"

# The spreadsheet commands need libraries the Windows build has not: --help
# says so, and the command is refused as a wrong command line.
"$wine" "$app" --help 2>/dev/null | grep -q 'import si export lipsesc' || fail "--help does not say import and export are missing"
"$wine" "$app" import items a.xlsx b.csv >/dev/null 2>&1
rc=$?
[ $rc -eq 64 ] || fail "import: exit $rc, not 64"

# A port that does not exist: exit 3.
"$wine" "$app" fiscal --port COM199 >/dev/null 2>"$work/noport.err"
rc=$?
[ $rc -eq 3 ] || fail "COM199: exit $rc, not 3"

# A network port: ser2net on the Linux side in front of the simulator, raw
# (tcp://) and Telnet with COM-PORT-CONTROL (rfc2217://); the fiscal number
# comes through Winsock as through a COM port.
ser2net=/usr/sbin/ser2net
listening() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
# A TCP port on 127.0.0.1 that nobody listens on.
closed_port() {
  local p
  for _ in $(seq 1 50); do
    p=$((20000 + RANDOM % 20000))
    listening "$p" || { echo "$p"; return 0; }
  done
  return 1
}
if [ -x "$ser2net" ]; then
  for scheme in tcp rfc2217; do
    accepter="tcp,127.0.0.1"
    [ "$scheme" = rfc2217 ] && accepter="telnet(rfc2217),tcp,127.0.0.1"
    port=$(closed_port)
    start_sim "$work/ecr-net" "$work/net-$scheme.trace" || continue
    printf 'connection: &line\n  accepter: %s,%s\n  enable: on\n  connector: serialdev,%s,9600n81,local\n' \
      "$accepter" "$port" "$work/ecr-net" >"$work/ser2net-$scheme.yaml"
    "$ser2net" -n -d -u -c "$work/ser2net-$scheme.yaml" -P "$work/ser2net-$scheme.pid" >"$work/ser2net-$scheme.log" 2>&1 &
    net_pid=$!
    for _ in $(seq 1 100); do
      listening "$port" && break
      sleep 0.05
    done
    out=$("$wine" "$app" fiscal --port "$scheme://127.0.0.1:$port" 2>"$work/net-$scheme.err")
    rc=$?
    stop_net
    stop_sim
    [ $rc -eq 0 ] || fail "fiscal over $scheme://: exit $rc ($(tr -d '\r' <"$work/net-$scheme.err" | tail -1))"
    [ "$out" = "RO0000001" ] || fail "fiscal over $scheme://: '$out'"
  done
else
  fail "$ser2net is missing (scripts/setup installs it)"
fi
# Nobody listens on the port: the connection is refused at once, exit 3.
port=$(closed_port)
"$wine" "$app" fiscal --port "tcp://127.0.0.1:$port" >/dev/null 2>"$work/refused.err"
rc=$?
[ $rc -eq 3 ] || fail "refused connection: exit $rc, not 3"
grep -qi "refused\|refuz" "$work/refused.err" || fail "refused connection: '$(tr -d '\r' <"$work/refused.err")'"

# Ctrl+C (wine hands SIGINT to the program as CTRL_C_EVENT): the record in
# progress ends, the verdict is written, exit 130.
start_sim "$com3" "$work/stop.trace" --baud 600
"$wine" "$app" upload items "$items" >/dev/null 2>"$work/stop.err" &
cli_pid=$!
for _ in $(seq 1 100); do
  grep -q 'PC->ECR command' "$work/stop.trace" && break
  sleep 0.05
done
kill -INT "$cli_pid"
wait "$cli_pid"
rc=$?
stop_sim
[ $rc -eq 130 ] || fail "Ctrl+C: exit $rc, not 130"
commands=$(grep -c 'PC->ECR command' "$work/stop.trace")
total=$(($(grep -c . "$items") - 1))
[ "$commands" -lt "$total" ] || fail "Ctrl+C: all $commands records were sent"

if [ $failures -ne 0 ]; then
  echo "windows_cli_test: $failures failures (traces and outputs in $work)"
  exit 1
fi
echo "windows_cli_test: fiscal, upload (same wire as Linux), download to -, backup and restore, silent register, missing port, network ports, Ctrl+C"
