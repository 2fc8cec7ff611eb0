#!/usr/bin/env bash
# quorvel-cli.exe under Wine against the Linux simulator, over UDP on loopback and over the
# serial line: get and put must be byte-exact and the wake-up must be answered. Everything runs in
# a folder whose name has letters beyond ASCII, with such file names too: they go to the device
# in the code page (Windows-1252 here), and a name that code page cannot hold is refused.
#
#   cli_against_host_sim.sh CLI_EXE HOST_SIM WINEPREFIX
#
# The serial line is the simulator's pseudo-terminal, reached as COM1 and as \\.\COM12: the
# prefix maps those ports to the links PREFIX/com1 and PREFIX/com12, which point at it here.
set -euo pipefail
cli=$1 sim=$2
# File names and arguments in UTF-8 on the Linux side, Windows-1252 as Wine's code page.
export WINEPREFIX=$3 WINEDEBUG=-all LC_ALL=C.UTF-8
work=$(mktemp -d -t "Außendienst-Süd.XXXXXX")
sim_pid=""
cleanup() {
    [ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null || true
    rm -f "$WINEPREFIX/com1" "$WINEPREFIX/com12"
    rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/device" "$work/local"
head -c 200000 /dev/urandom >"$work/device/big.bin"
head -c 1024 /dev/urandom >"$work/local/exact.bin" # a whole number of 512-byte blocks
cp "$work/device/big.bin" "$work/local/up.bin"

start_sim() { # the simulator's first line (where it listens) is in $first once it is there
    "$sim" "$@" "$work/device" >"$work/sim.log" 2>&1 &
    sim_pid=$!
    # Up to 30 s: on a loaded machine the simulator can take longer than a moment to start.
    for _ in $(seq 300); do
        [ -s "$work/sim.log" ] && break
        sleep 0.1
    done
    first=$(head -1 "$work/sim.log")
}
stop_sim() {
    kill "$sim_pid"
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=""
}
cli() { (cd "$work/local" && timeout 120 wine "$cli" "$@" </dev/null); }
same() {
    cmp "$1" "$2" || { echo "FAIL: $1 and $2 differ" >&2; exit 1; }
}
passed=0
check() {
    echo "--- $*"
    passed=$((passed + 1))
}

start_sim --port 0
port=${first##*:}
for size in 512 1428 8192 65464; do
    cli get big.bin "got-$size.bin" --host 127.0.0.1 --port "$port" --blksize "$size" --quiet
    same "$work/local/got-$size.bin" "$work/device/big.bin"
    cli put up.bin "put-$size.bin" --host 127.0.0.1 --port "$port" --blksize "$size" --quiet
    same "$work/device/put-$size.bin" "$work/local/up.bin"
    check "UDP get and put with blocks of $size"
done
cli put exact.bin --host 127.0.0.1 --port "$port" --quiet
same "$work/device/exact.bin" "$work/local/exact.bin"
check "UDP put of whole blocks"
# A file of the technician's, sent under its own name and fetched into a folder of such a name.
cp "$work/local/exact.bin" "$work/local/Prüfprotokoll-Süd.bin"
cli put Prüfprotokoll-Süd.bin --host 127.0.0.1 --port "$port" --quiet
same "$work/device/$(printf 'Pr\xfcfprotokoll-S\xfcd.bin')" "$work/local/exact.bin"
mkdir "$work/local/Empfang-Ä"
cli get Prüfprotokoll-Süd.bin Empfang-Ä --host 127.0.0.1 --port "$port" --quiet
same "$work/local/Empfang-Ä/Prüfprotokoll-Süd.bin" "$work/local/exact.bin"
check "UDP put and get of names beyond ASCII, in the code page on the device"
cp "$work/local/exact.bin" "$work/local/Győr.bin"
if refusal=$(cli put Győr.bin --host 127.0.0.1 --port "$port" 2>&1); then
    echo "FAIL: a name beyond the code page was sent" >&2
    exit 1
fi
grep -q 'its character "ő" has no place' <<<"$refusal" || { echo "FAIL: $refusal" >&2; exit 1; }
[ -z "$(find "$work/device" -name 'Gy*')" ] || { echo "FAIL: something arrived" >&2; exit 1; }
check "a name the code page cannot hold is refused, naming its character"
status=0
usage=$(cli get x --host 127.0.0.1 --port 9999999999 2>&1) || status=$?
[ "$status" -eq 2 ] && grep -q 'must be a number from 1 to 65535' <<<"$usage" ||
    { echo "FAIL: --port 9999999999 gave $status: $usage" >&2; exit 1; }
check "a number beyond 32 bits is a usage error"
stop_sim

# Many devices from one simulator: each device's file in a folder named after it (a name beyond
# ASCII too), a refusing device failed in the report, and the others served all the same.
start_sim --port 0 --devices 3 --device-fault 2:error=2:Read-only
port=${first##*:}
printf '127.0.0.1:%s Mast Nord\n127.0.0.1:%s Mast Süd # refuses\n127.0.0.1:%s\n' \
    "$port" $((port + 1)) $((port + 2)) >"$work/local/hosts.txt"
cp "$work/device/big.bin" "$work/device/device-1/"
cp "$work/device/big.bin" "$work/device/device-3/"
mkdir "$work/local/fleet"
status=0
cli get big.bin fleet --hosts hosts.txt --report fleet.csv --quiet >/dev/null 2>&1 || status=$?
[ "$status" -eq 1 ] || { echo "FAIL: a fleet with a refusing device gave $status" >&2; exit 1; }
same "$work/local/fleet/Mast Nord/big.bin" "$work/device/big.bin"
same "$work/local/fleet/127.0.0.1_$((port + 2))/big.bin" "$work/device/big.bin"
grep -q "^Mast Süd;127.0.0.1;$((port + 1));failed;" "$work/local/fleet.csv" ||
    { echo "FAIL: report: $(cat "$work/local/fleet.csv")" >&2; exit 1; }
check "many devices over UDP: their own folders, a refusing one failed in the report"
stop_sim

start_sim --serial
line=${first##* }
ln -sfn "$line" "$WINEPREFIX/com1"
ln -sfn "$line" "$WINEPREFIX/com12"
for com in 1 12; do
    cli get big.bin "serial-$com.bin" --com "$com" --yes --quiet
    same "$work/local/serial-$com.bin" "$work/device/big.bin"
    cli put up.bin "serial-$com.bin" --com "$com" --quiet
    same "$work/device/serial-$com.bin" "$work/local/up.bin"
    check "serial get and put on COM$com"
done
mkdir "$work/local/lines"
cli get big.bin lines --com 1,12 --jobs 1 --yes --quiet --report lines.csv >/dev/null
same "$work/local/lines/COM1_/big.bin" "$work/device/big.bin"
same "$work/local/lines/COM12/big.bin" "$work/device/big.bin"
check "several serial lines, one after another"
[ "$(cli wake --com 1 | tr -d '\r')" = "transfer mode on" ] || { echo "FAIL: no wake-up answer" >&2; exit 1; }
check "wake-up on the serial line"
if cli get big.bin --com 7 --yes >/dev/null 2>&1; then
    echo "FAIL: COM7 has no line and must fail" >&2
    exit 1
fi
check "a COM port without a line fails"
echo "$passed passed, 0 failed"
