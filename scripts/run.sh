#!/usr/bin/env bash
# Installs what is missing, builds, starts a virtual VELD module in the
# background and the panel on it as COM1. The module stops when the panel
# exits. Arguments go to the panel.
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

VELD_COM1="$link" build/bin/veld "$@"
