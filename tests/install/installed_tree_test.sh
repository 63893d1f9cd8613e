#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed programs from there: the
# console tool and the editor start, and a serial firmware upgrade against the installed
# stand-in receiver finds the flash subroutine in share/pelorus, not beside the programs.
set -euo pipefail
build=$1  # and "gui" or "no-gui"
work=$(mktemp -d)
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
export LD_LIBRARY_PATH=$(dirname "$(find "$prefix" -name 'libPelorusLZW.so.*' | head -n 1)")
cli=$prefix/bin/pelorus-cli

[ ! -e "$prefix/bin/tarnflash.sbr" ] || { echo "subroutines installed beside the programs"; exit 1; }
[ -f "$prefix/share/pelorus/tarnflash.sbr" ] || { echo "no share/pelorus/tarnflash.sbr"; exit 1; }

"$cli" --version | grep -q '^pelorus-cli [0-9]' || { echo "pelorus-cli --version"; exit 1; }
# A build without the desktop program (the sanitizers' build) installs the rest only.
if [ "${2:-gui}" = gui ]; then
  QT_QPA_PLATFORM=offscreen "$prefix/bin/Pelorus" --version | grep -q '^Pelorus [0-9]' \
    || { echo "Pelorus --version"; exit 1; }
fi

# One channel record: the tag, a frequency, and a name at byte 32.
python3 - "$work/one.dvb" <<'PY'
import struct, sys
record = bytearray(64)
record[0:4] = b"DVSO"
struct.pack_into(">H", record, 8, 11778)
record[32:36] = b"Test"
open(sys.argv[1], "wb").write(record)
PY
"$cli" list "$work/one.dvb" | grep -q 'Test' || { echo "pelorus-cli list"; exit 1; }

"$prefix/bin/pelorus-receiver-sim" --serial-link "$work/tty" --log "$work/sim.log" &
sim_pid=$!
for _ in $(seq 50); do [ -e "$work/tty" ] && break; sleep 0.1; done
head -c 20000 /dev/urandom > "$work/fw.bin"
"$cli" serial firmware "$work/fw.bin" --port "$work/tty" --options "$work/options.ini" \
  2> "$work/errors.txt" || { cat "$work/errors.txt"; exit 1; }
grep -q 'Firmware upgrade completed' "$work/errors.txt" || { cat "$work/errors.txt"; exit 1; }
echo "installed tree: ok"
