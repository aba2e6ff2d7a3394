#!/usr/bin/env bash
# Installs what is missing, builds, starts a virtual VELD module in the
# background and the panel on it. Every COM item leads to the module, so a
# port stored by an earlier run with real hardware does not open the real
# device. The module stops when the panel exits. Arguments go to the panel.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build

link="${XDG_RUNTIME_DIR:-/tmp}/veld-module-$$"

# The module prints its device path once the link is in place.
exec {module_out}< <(exec build/bin/veld-module --link "$link")
module_pid=$!
stop_module() {
    kill "$module_pid" 2>/dev/null || true
    wait "$module_pid" 2>/dev/null || true
}
trap stop_module EXIT

if ! read -r -t 10 device <&"$module_out"; then
    echo "run.sh: the virtual module did not start" >&2
    exit 1
fi
echo "Virtual VELD module on $device, linked as $link"

for n in 1 2 3 4 5; do export "VELD_COM$n=$link"; done
build/bin/veld "$@"
