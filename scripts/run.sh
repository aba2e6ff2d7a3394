#!/usr/bin/env bash
# Installs what building and running need when it is missing, builds, starts a
# virtual VELD module in the background and the panel on it, and stops the
# module when the panel exits. Arguments go to the panel.
#
# The panel gets a settings folder of its own, kept from one try-out to the
# next: $XDG_STATE_HOME/veld-try-out (~/.local/state/veld-try-out), given to
# it as XDG_CONFIG_HOME, so the user's own ~/.config/VELD is neither read nor
# written. Key COM1 of group [Ports] in its VELD/VELD.conf leads to the module,
# as "Comm Setting > Assign Ports..." stores it, so the dialog can be tried;
# no VELD_COMn variable reaches the panel.
set -euo pipefail
cd "$(dirname "$0")/.."

state_home=${XDG_STATE_HOME:-}
[[ $state_home == /* ]] || state_home=$HOME/.local/state
try_out=$state_home/veld-try-out
echo "Try-out settings folder: $try_out (the panel's own, kept between try-outs;" \
    "~/.config/VELD is left alone)"

scripts/install-deps.sh
scripts/build.sh build

# The same link path at every try-out, so that the stored COM1 stays right. A
# path with characters that QSettings would quote or escape is not used.
link=${XDG_RUNTIME_DIR:-}/veld-try-out-module
if [[ -z ${XDG_RUNTIME_DIR:-} || ! $link =~ ^[A-Za-z0-9/._+-]+$ ]]; then
    link=/tmp/veld-try-out-module-$(id -u)
fi

# A try-out that did not end cleanly (its module killed outright, its display
# gone) leaves the link behind, and its pseudo-terminal number may since have
# gone to another program, which veld-module rightly refuses to replace. The
# link is removed here unless a running veld-module names it.
module_names_link() {
    local cmdline args i
    for cmdline in /proc/[0-9]*/cmdline; do
        mapfile -d '' -t args <"$cmdline" 2>/dev/null || continue
        [[ ${args[0]:-} == *veld-module ]] || continue
        for ((i = 1; i + 1 < ${#args[@]}; i++)); do
            [[ ${args[i]} == --link && ${args[i + 1]} == "$link" ]] && return 0
        done
    done
    return 1
}
if [[ -L $link ]] && ! module_names_link; then
    rm -f "$link"
fi

# Key COM1 of group [Ports] is set to the link when it is missing or says
# otherwise; every other line of the file stays as it is. A new key goes after
# the group's last key; the file is replaced by a rename, only when it changes.
settings=$try_out/VELD/VELD.conf
mkdir -p "$try_out/VELD"
touch "$settings"
awk -v value="$link" '
    function put() { print "COM1=" value; done = 1 }
    function flush() { printf "%s", blanks; blanks = "" }
    /^\[.*\][[:space:]]*$/ {
        if (ports && !done) put()
        flush()
        ports = ($0 ~ /^\[Ports\][[:space:]]*$/)
        print
        next
    }
    ports && /^[[:space:]]*$/ { blanks = blanks $0 "\n"; next }
    ports && /^COM1[[:space:]]*=/ { flush(); if (!done) put(); next }
    { flush(); print }
    END {
        if (ports && !done) put()
        flush()
        if (!done) { if (NR) print ""; print "[Ports]"; put() }
    }
' "$settings" >"$settings.new"
if cmp -s "$settings" "$settings.new"; then
    rm -f "$settings.new"
else
    mv -f "$settings.new" "$settings"
fi

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
echo "Virtual VELD module on $device, linked as $link: COM1 in $settings"

env -u VELD_COM1 -u VELD_COM2 -u VELD_COM3 -u VELD_COM4 -u VELD_COM5 \
    XDG_CONFIG_HOME="$try_out" build/bin/veld "$@"
