#!/usr/bin/env bash
# Installs what building and running need when it is missing, builds the three
# programs (not the tests or benchmarks), starts a virtual VELD module in the
# background and the panel on it; the module outlives the panel until its own
# window is closed (or Ctrl+C). Arguments go to the panel.
#
# The panel gets a settings folder of its own, kept from one try-out to the
# next: $XDG_STATE_HOME/veld-try-out (~/.local/state/veld-try-out), given to
# it as XDG_CONFIG_HOME, so the user's own ~/.config/VELD is neither read nor
# written. Its COM1 is assigned to the module with `veldctl assign`, as
# "Comm Setting > Assign Ports..." would, so the dialog can be tried; no
# VELD_COMn variable reaches the panel.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

state_home=${XDG_STATE_HOME:-}
[[ $state_home == /* ]] || state_home=$HOME/.local/state
try_out=$state_home/veld-try-out
mkdir -p "$try_out"

# The build's output goes to a log; only a failure shows its end.
log=$try_out/build.log
echo "Building veld, veldctl and veld-module into build/bin (output in $log)"
if ! {
    scripts/install-deps.sh &&
        cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
        cmake --build build -j"$(nproc)" --target veld veldctl veld-module
} >"$log" 2>&1; then
    tail -n 30 "$log" >&2
    echo "run.sh: the build failed; all of its output is in $log" >&2
    exit 1
fi

# The same link path at every try-out, so that the stored COM1 stays right.
link=${XDG_RUNTIME_DIR:-}/veld-try-out-module
if [[ -z ${XDG_RUNTIME_DIR:-} || ! $link =~ ^[A-Za-z0-9/._+-]+$ ]]; then
    link=/tmp/veld-try-out-module-$(id -u)
fi

# A link left by a try-out that did not end cleanly is replaced by the module
# itself: it holds a lock beside its link while it runs.
XDG_CONFIG_HOME=$try_out build/bin/veldctl assign COM1 "$link" >>"$log"

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
veldctl=$root/build/bin/veldctl
echo "Virtual VELD module on $device, linked as $link: the panel's COM1."
echo "Settings folder of the try-out: $try_out (~/.config/VELD is left alone)."
echo "Try from another shell (while the panel is open, veldctl goes through it):"
printf '    %q --port %q text 12.34\n' "$veldctl" "$link"
printf '    %q --port %q temp\n' "$veldctl" "$link"
echo "(the module's display then shows 12.34; temp prints the module's temperature,"
echo "25 until you change it in its window). Starting the panel."

status=0
env -u VELD_COM1 -u VELD_COM2 -u VELD_COM3 -u VELD_COM4 -u VELD_COM5 \
    XDG_CONFIG_HOME="$try_out" build/bin/veld --beside-module "$@" || status=$?
if kill -0 "$module_pid" 2>/dev/null; then
    echo "The panel is closed; the module runs on until its window is closed (or Ctrl+C)."
    wait "$module_pid" || true
fi
exit "$status"
