#!/usr/bin/env bash
# Builds the Debian package from a configured and built build folder, unpacks
# it into a scratch root and checks what a user would get: the control fields,
# the file list and permissions, stripped programs whose libraries resolve,
# the desktop entry, the AppStream metadata, the icons, the manual pages, the
# bash completion and the changelog, lintian (no tag at all), that the
# unpacked panel starts and ends cleanly and that the unpacked veldctl runs.
#
#   package-test.sh BUILD_DIR APP_ID VERSION WITH_MODULE(0|1)
set -euo pipefail

if (($# != 4)); then
    echo "usage: $0 BUILD_DIR APP_ID VERSION WITH_MODULE" >&2
    exit 2
fi
build_dir=$(cd "$1" && pwd)
app_id=$2
version=$3
with_module=$4

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

for tool in cpack dpkg-deb dpkg-architecture desktop-file-validate appstreamcli lintian file ldd timeout; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/install-deps.sh)" >&2; exit 1; }
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/veld-package-test.XXXXXX")
veld_pid=
trap '[[ -z $veld_pid ]] || kill -KILL "$veld_pid" 2>/dev/null || true; rm -rf "$scratch"' EXIT

# --- Build the package -------------------------------------------------------
# Into the scratch folder, so that parallel runs do not share a staging area.
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
deb_name="veld_${version}_${arch}.deb"
if ! (cd "$build_dir" && cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$scratch/out") \
        >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    echo "FAIL: cpack" >&2
    exit 1
fi
deb="$scratch/out/$deb_name"
if [[ ! -f $deb ]]; then
    ls -l "$scratch/out" >&2
    echo "FAIL: cpack made no $deb_name" >&2
    exit 1
fi
pass "built $deb_name"

# --- Control fields -------------------------------------------------------------
field() { dpkg-deb --field "$deb" "$1"; }
[[ $(field Package) == veld ]] || fail "Package is '$(field Package)'"
[[ $(field Version) == "$version" ]] || fail "Version is '$(field Version)', not $version"
[[ $(field Architecture) == "$arch" ]] || fail "Architecture is '$(field Architecture)'"
[[ $(field Section) == electronics ]] || fail "Section is '$(field Section)'"
maintainer_pattern='^[^<]+ <[^@>]+@[^@>]+\.[^@>]+>$'
[[ $(field Maintainer) =~ $maintainer_pattern ]] || fail "Maintainer '$(field Maintainer)' has no name and address"
[[ -n $(field Homepage) ]] || fail "no Homepage"
description=$(field Description)
description_lines=$(printf '%s\n' "$description" | wc -l)
((description_lines >= 3)) || fail "Description has no extended part"
depends=$(field Depends)
# The C and C++ libraries and Qt come from dpkg-shlibdeps, the platform
# plugins from the package settings.
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 qt6-qpa-plugins; do
    lib_pattern="(^|[ ,])${lib//+/\\+}([ ,(]|\$)"
    [[ $depends =~ $lib_pattern ]] || fail "Depends lacks $lib: $depends"
done
pass "control fields (Depends: $depends)"

# --- File list and permissions -------------------------------------------------
expected_files=(
    ./usr/bin/veld
    ./usr/bin/veldctl
    "./usr/share/applications/$app_id.desktop"
    "./usr/share/metainfo/$app_id.metainfo.xml"
    "./usr/share/icons/hicolor/32x32/apps/$app_id.png"
    "./usr/share/icons/hicolor/48x48/apps/$app_id.png"
    "./usr/share/icons/hicolor/64x64/apps/$app_id.png"
    "./usr/share/icons/hicolor/128x128/apps/$app_id.png"
    "./usr/share/icons/hicolor/256x256/apps/$app_id.png"
    "./usr/share/icons/hicolor/scalable/apps/$app_id.svg"
    ./usr/share/man/man1/veld.1.gz
    ./usr/share/man/man1/veldctl.1.gz
    ./usr/share/bash-completion/completions/veldctl
    ./usr/share/doc/veld/copyright
    ./usr/share/doc/veld/changelog.gz
    ./usr/share/lintian/overrides/veld
)
programs=(./usr/bin/veld ./usr/bin/veldctl)
if [[ $with_module == 1 ]]; then
    expected_files+=(./usr/bin/veld-module ./usr/share/man/man1/veld-module.1.gz)
    programs+=(./usr/bin/veld-module)
fi

# Lines of "dpkg-deb -c": mode owner/group size date time path.
dpkg-deb --contents "$deb" >"$scratch/contents"
actual_files=$(awk '$1 !~ /^d/ { print $6 }' "$scratch/contents" | sort)
wanted_files=$(printf '%s\n' "${expected_files[@]}" | sort)
if [[ $actual_files != "$wanted_files" ]]; then
    fail "file list differs from the expected one:"
    diff <(echo "$wanted_files") <(echo "$actual_files") | sed 's/^/    /' >&2 || true
else
    pass "file list (${#expected_files[@]} files)"
fi

is_program() {
    local p
    for p in "${programs[@]}"; do [[ $1 == "$p" ]] && return 0; done
    return 1
}
failures_before=$failures
while read -r mode owner _size _date _time path _rest; do
    [[ $owner == root/root ]] || fail "$path is owned by $owner"
    if [[ $mode == d* ]]; then
        [[ $mode == drwxr-xr-x ]] || fail "folder $path has mode $mode"
    elif is_program "$path"; then
        [[ $mode == -rwxr-xr-x ]] || fail "program $path has mode $mode"
    else
        [[ $mode == -rw-r--r-- ]] || fail "file $path has mode $mode"
    fi
done <"$scratch/contents"
((failures == failures_before)) && pass "owners and modes"

# --- Unpack ----------------------------------------------------------------------
root="$scratch/root"
dpkg-deb -x "$deb" "$root"
share="$root/usr/share"

failures_before=$failures
for program in "${programs[@]}"; do
    info=$(file -b "$root/$program")
    [[ $info == ELF* ]] || fail "$program is not an ELF file: $info"
    [[ $info == *", stripped"* ]] || fail "$program is not stripped: $info"
    missing=$(ldd "$root/$program" | grep 'not found' || true)
    [[ -z $missing ]] || fail "$program has unresolved libraries: $missing"
done
((failures == failures_before)) && pass "programs are stripped ELF files with every library found"

# --- Desktop entry ---------------------------------------------------------------
desktop="$share/applications/$app_id.desktop"
if desktop-file-validate "$desktop" >"$scratch/dfv.log" 2>&1 && [[ ! -s $scratch/dfv.log ]]; then
    pass "desktop-file-validate"
else
    fail "desktop-file-validate: $(cat "$scratch/dfv.log")"
fi
entry() { sed -n "s/^$1=//p" "$desktop"; }
[[ $(entry Exec) == veld ]] || fail "desktop Exec is '$(entry Exec)'"
[[ -x $root/usr/bin/$(entry Exec) ]] || fail "desktop Exec names no installed program"
[[ $(entry Icon) == "$app_id" ]] || fail "desktop Icon is '$(entry Icon)', not $app_id"
[[ -n $(entry Keywords) ]] || fail "desktop entry has no Keywords"
[[ $(entry Categories) == *Electronics* ]] || fail "desktop Categories lack Electronics"

# --- AppStream metadata ----------------------------------------------------------
metainfo="$share/metainfo/$app_id.metainfo.xml"
if appstreamcli validate --no-net "$metainfo" >"$scratch/as.log" 2>&1; then
    pass "appstreamcli validate"
else
    fail "appstreamcli validate: $(cat "$scratch/as.log")"
fi
grep -q "<id>$app_id</id>" "$metainfo" || fail "metainfo id is not $app_id"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "metainfo launchable does not name $app_id.desktop"
first_release=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n1 | cut -d'"' -f2)
[[ $first_release == "$version" ]] ||
    fail "newest release in the metainfo is '$first_release', the package is $version"

# --- Icons -----------------------------------------------------------------------
for size in 32 48 64 128 256; do
    icon="$share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    [[ $(file -b "$icon") == "PNG image data, $size x $size,"* ]] ||
        fail "icon ${size}x$size is $(file -b "$icon")"
done
svg="$share/icons/hicolor/scalable/apps/$app_id.svg"
[[ $(file -b "$svg") == SVG* ]] || fail "scalable icon is $(file -b "$svg")"
pass "icons"

# --- Manual pages and documentation ----------------------------------------------
man_pages=(veld veldctl)
[[ $with_module == 1 ]] && man_pages+=(veld-module)
for page in "${man_pages[@]}"; do
    gz="$share/man/man1/$page.1.gz"
    if ! gzip -t "$gz"; then
        fail "$page.1.gz is not gzip data"
        continue
    fi
    head_line=$(zcat "$gz" | head -n1 | sed 's/\\-/-/g')
    [[ $head_line == ".TH ${page^^} 1 "* ]] || fail "$page.1 starts with '$head_line'"
    zcat "$gz" | grep -q '^\.SH NAME' || fail "$page.1 has no NAME section"
    if zcat "$gz" | grep -q '@[A-Z_]*@'; then
        fail "$page.1 has an unreplaced @VARIABLE@"
    fi
done
pass "manual pages"

copyright="$share/doc/veld/copyright"
head -n1 "$copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "copyright is not in the machine-readable format"
changelog_top=$(zcat "$share/doc/veld/changelog.gz" | head -n1)
[[ $changelog_top =~ ^veld\ \(([^\)]+)\) ]] || fail "changelog starts with '$changelog_top'"
[[ ${BASH_REMATCH[1]:-} == "$version" ]] ||
    fail "newest changelog entry is '${BASH_REMATCH[1]:-}', the package is $version"
pass "copyright and changelog"

completion="$share/bash-completion/completions/veldctl"
if bash -n "$completion" && bash -c 'source "$1" && complete -p veldctl' _ "$completion" >/dev/null; then
    pass "bash completion for veldctl"
else
    fail "the bash completion does not load or does not complete veldctl"
fi

# --- lintian -----------------------------------------------------------------------
# Every tag fails, an informational one too (the hardening tags are of that
# kind, and so is unused-override, for an override that matches nothing). The
# package's overrides (veld.lintian-overrides, each with its reason) are shown
# as "O:" lines; lintian's --fail-on would count those too, so the tags are
# judged here.
status=0
lintian --display-info --show-overrides --fail-on none "$deb" >"$scratch/lintian.log" 2>&1 ||
    status=$?
if ((status == 0)) && ! grep -qE '^[EWI]: ' "$scratch/lintian.log"; then
    pass "lintian: no tags"
    grep -E '^O: ' "$scratch/lintian.log" | sed 's/^/    overridden: /' || true
else
    fail "lintian (status $status):"
    sed 's/^/    /' "$scratch/lintian.log" >&2
fi

# --- The unpacked panel starts and ends cleanly --------------------------------------
# Offscreen, with its own empty settings and every COM port mapped to a path
# that does not exist: start-up fails to open the port and shows its message
# box, which waits for the user, so the panel stays up until it is sent
# SIGTERM. Any other end (a crash, an abort, an exit of its own) is a fault.
run_home="$scratch/home"
mkdir -p "$run_home/config" "$run_home/runtime"
chmod 0700 "$run_home/runtime"
port_env=()
for n in 1 2 3 4 5; do port_env+=("VELD_COM$n=$scratch/no-such-port-$n"); done
env QT_QPA_PLATFORM=offscreen HOME="$run_home" XDG_CONFIG_HOME="$run_home/config" \
    XDG_RUNTIME_DIR="$run_home/runtime" "${port_env[@]}" \
    "$root/usr/bin/veld" >"$scratch/veld.out" 2>"$scratch/veld.err" </dev/null &
veld_pid=$!
# Running and not yet reaped: kill -0 would also succeed on a zombie.
alive() {
    local state
    state=$(awk '{ print $3 }' "/proc/$veld_pid/stat" 2>/dev/null) && [[ -n $state && $state != Z ]]
}
# Up once start-up has tried COM1 and said why it failed; its message box is
# open then. Waits at most 30 s for a slow machine.
for ((i = 0; i < 300; i++)); do
    grep -q "no-such-port-1" "$scratch/veld.err" && break
    alive || break
    sleep 0.1
done
# A fault soon after start-up would end it within these two seconds.
alive && sleep 2
kill -TERM "$veld_pid" 2>/dev/null || true
for ((i = 0; i < 100; i++)); do
    alive || break
    sleep 0.1
done
kill -KILL "$veld_pid" 2>/dev/null || true
status=0
wait "$veld_pid" || status=$?
if ((status == 128 + 15)); then
    pass "veld ran until SIGTERM"
else
    case $status in
        0) why="it exited by itself with status 0" ;;
        137) why="it ignored SIGTERM and was killed" ;;
        *) if ((status > 128)); then why="it died by signal $((status - 128))"; else why="it exited with status $status"; fi ;;
    esac
    fail "veld did not run until SIGTERM: $why"
    sed 's/^/    stderr: /' "$scratch/veld.err" >&2
fi
# Start-up got as far as the port: the cause names the mapped device.
grep -q "no-such-port-1" "$scratch/veld.err" ||
    fail "veld did not report the unopenable COM1 device on standard error"

# --- Help and version of every program, without a display ---------------------------
programs_run=(veld veldctl)
if [[ $with_module == 1 ]]; then programs_run+=(veld-module); fi
for program in "${programs_run[@]}"; do
    for option in --help --version; do
        status=0
        env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 10 "$root/usr/bin/$program" \
            "$option" >"$scratch/info.out" 2>"$scratch/info.err" </dev/null || status=$?
        if ((status != 0)); then
            fail "$program $option ended with status $status"
            sed 's/^/    stderr: /' "$scratch/info.err" >&2
        elif [[ $option == --help ]] && ! grep -q "^Usage: .*$program" "$scratch/info.out"; then
            fail "$program --help printed no usage"
        elif [[ $option == --version ]] && ! grep -q "$version" "$scratch/info.out"; then
            fail "$program --version did not print $version"
        else
            pass "$program $option"
        fi
    done
done

# --- The unpacked virtual module answers on standard input ----------------------------
if [[ $with_module == 1 ]]; then
    status=0
    printf 'state\nquit\n' |
        timeout --kill-after=5 10 "$root/usr/bin/veld-module" --headless \
            >"$scratch/module.out" 2>"$scratch/module.err" || status=$?
    first_line=$(head -n1 "$scratch/module.out")
    if ((status != 0)); then
        fail "veld-module --headless ended with status $status"
        sed 's/^/    stderr: /' "$scratch/module.err" >&2
    elif [[ $first_line != /dev/* ]]; then
        fail "veld-module printed '$first_line' where the device path belongs"
    elif ! grep -q '^state ' "$scratch/module.out"; then
        fail "veld-module did not answer 'state'"
    else
        pass "veld-module --headless gave its device ($first_line) and its state, and quit"
    fi
fi

if ((failures)); then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "package checks passed"
