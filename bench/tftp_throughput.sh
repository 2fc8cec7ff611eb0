#!/usr/bin/env bash
# Throughput of `quorvel-cli get` and `put` against Debian's tftpd-hpa on loopback, beside Debian's
# own TFTP clients (tftp-hpa's tftp and atftp) moving the same file in the same run.
#
#   bench/tftp_throughput.sh [SIZE_MIB] [ROUNDS]      (defaults: 32 MiB, 3 rounds; best round counts)
#
# Prints one line per client with MiB/s and the ratio to quorvel-cli. Needs build/bin/quorvel-cli
# (scripts/test or scripts/run builds it) and the packages tftpd-hpa, tftp-hpa and atftp
# (scripts/deps installs them). Everything stays on 127.0.0.1.
set -euo pipefail
cd "$(dirname "$0")/.."
size_mib=${1:-32}
rounds=${2:-3}
cli=build/bin/quorvel-cli
[ -x "$cli" ] || { echo "missing $cli: build first (cmake --preset default && cmake --build --preset default)" >&2; exit 1; }
for tool in /usr/sbin/in.tftpd tftp atftp; do
    command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/deps" >&2; exit 1; }
done

work=$(mktemp -d)
server_pid=""
cleanup() { [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

root=$work/root
mkdir -p "$root" "$work/out"
chmod 777 "$root"
head -c $((size_mib * 1024 * 1024)) /dev/urandom >"$root/big.bin"
chmod 666 "$root/big.bin"
port=$(python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
user=$(id -un)
[ "$(id -u)" -eq 0 ] && id tftp >/dev/null 2>&1 && user=tftp
/usr/sbin/in.tftpd -L -a "127.0.0.1:$port" -s -c -u "$user" -p "$root" &
server_pid=$!
sleep 0.3

# best_seconds CMD...: the fastest of $rounds runs, checking the copy byte for byte each time.
best_seconds() {
    local best="" t0 t1 s
    for _ in $(seq "$rounds"); do
        rm -f "$work/out/big.bin"
        t0=$(date +%s.%N)
        (cd "$work/out" && "$@") >/dev/null 2>&1
        t1=$(date +%s.%N)
        cmp -s "$root/big.bin" "$work/out/big.bin" || { echo "copy differs: $*" >&2; exit 1; }
        s=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", b - a }')
        if [ -z "$best" ] || awk -v s="$s" -v b="$best" 'BEGIN { exit !(s < b) }'; then best=$s; fi
    done
    echo "$best"
}

abs_cli=$(pwd)/$cli
echo "get of ${size_mib} MiB from tftpd-hpa on 127.0.0.1:$port, blksize 512, best of $rounds"
q=$(best_seconds "$abs_cli" get big.bin big.bin --host 127.0.0.1 --port "$port" --yes --quiet)
h=$(best_seconds tftp -m binary 127.0.0.1 "$port" -c get big.bin big.bin)
a=$(best_seconds atftp --option "blksize 512" --get -r big.bin -l big.bin 127.0.0.1 "$port")
report() {
    awk -v n="$1" -v m="$size_mib" -v s="$2" -v q="$q" \
        'BEGIN { printf "%-22s %8.2f MiB/s   speed %5.2fx of quorvel-cli\n", n, m / s, q / s }'
}
report "quorvel-cli get" "$q"
report "tftp (tftp-hpa) get" "$h"
report "atftp get" "$a"
