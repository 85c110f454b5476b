#!/usr/bin/env bash
# windows.paced_9600_vs_wire_ratio: vestok-cli.exe under wine uploads 1,000
# items to ecrsim pacing its line at 9600 bit/s, through wine's COM3. The time
# of the transfer (the simulator's first frame to its last, so wine's start
# is not counted) against the wire time of every byte exchanged (10 bit times
# a byte). Run by `scripts/bench windows`; reuses build-windows/ when the
# program is there, and starts wine once before timing.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
exe="$root/build-windows/src/app/vestok-cli.exe"
[ -x "$exe" ] || "$root/scripts/windows" --build >/dev/null
linux="$root/build-bench"
cmake -S "$root" -B "$linux" -DCMAKE_BUILD_TYPE=Release -DVESTOK_BUILD_BENCH=ON -DVESTOK_BUILD_TESTS=OFF >/dev/null
cmake --build "$linux" -j 2 --target ecrsim >/dev/null
ecrsim="$linux/src/sim/ecrsim"
wine="${VESTOK_WINE:-/usr/lib/wine/wine64}"
wineserver="$(dirname "$wine")/wineserver"

work="$root/build-windows/bench"
mkdir -p "$work/app" "$work/wine"
export WINEPREFIX="$work/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
cp "$exe" "$work/app/"
printf '[Communication]\r\nPort=3\r\nBaud=4\r\nLogicNo=1\r\nCableLen=50\r\n' >"$work/app/Vestok.ini"
items="$work/items.csv"
{
  printf '"PLUCode","ItemName","VAT","Barcode","Price","PriceType","Stand","Group","Dummy",\r\n'
  for i in $(seq 1 1000); do
    printf '"%d","ARTICOL %d","1","594%d","%d.5","0","1","2",,\r\n' "$i" "$i" $((1000000000 + i)) $((1 + i % 100))
  done
} >"$items"

"$wineserver" -p >/dev/null 2>&1
trap '"$wineserver" -k 2>/dev/null; [ -n "${sim:-}" ] && kill "$sim" 2>/dev/null' EXIT
"$wine" cmd /c exit >/dev/null 2>&1  # wine's first start, not timed
link="$WINEPREFIX/dosdevices/com3"
rm -f "$link"
"$ecrsim" --link "$link" --quiet --trace --baud 9600 >"$work/trace.txt" 2>&1 &
sim=$!
for _ in $(seq 1 100); do [ -L "$link" ] && break; sleep 0.05; done
if ! "$wine" "$work/app/vestok-cli.exe" upload items "$items" >/dev/null 2>"$work/upload.err"; then
  echo "windows bench: the upload failed (see $work/upload.err)" >&2
  exit 1
fi
kill "$sim"
wait "$sim" 2>/dev/null || true
sim=""
# Each trace line ends with the frame's bytes in hex, without the filler
# bytes (0xFF) the program sends around its frames: 10 before and 5 after a
# deselection or selection, 5 and 5 around a command (ecr/frames.h).
awk '
  NF > 2 && $1 ~ /^[0-9]+\.[0-9]+$/ {
    if (first == "") first = $1
    last = $1
    for (i = NF; i > 2 && $i ~ /^[0-9A-F][0-9A-F]$/; --i) bytes++
    if ($2 == "PC->ECR" && ($3 == "deselect" || $3 == "select")) bytes += 15
    if ($2 == "PC->ECR" && $3 == "command") bytes += 10
  }
  END {
    wire = bytes * 10.0 / 9600
    printf "windows.paced_9600_vs_wire_ratio %.3f ratio\n", (last - first) / 1000.0 / wire
  }' "$work/trace.txt"
