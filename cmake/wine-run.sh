#!/usr/bin/env bash
# Runs a Windows program of this build tree under Wine, in a Wine prefix that
# belongs to the build tree. CMake uses it as CMAKE_CROSSCOMPILING_EMULATOR, so
# CTest (and GoogleTest discovery) call it as:  wine-run.sh PROGRAM.exe ARGS...
#
# Usage
#   wine-run.sh PROGRAM [ARGS...]   run PROGRAM (an .exe path, or a Wine built-in
#                                   such as `reg` or `regedit`); the program's exit
#                                   code is passed through (124 on time-out)
#   wine-run.sh --setup             create the prefix (and display) if missing
#   wine-run.sh --prefix            print the prefix path (creating it if missing)
#   wine-run.sh --env               print the environment as `export` lines
#   wine-run.sh --shell CMD...      run a host command in that environment, e.g.
#                                   --shell wineserver -k   or   --shell ln -s ...
#   wine-run.sh --stop              stop this tree's wineserver and Xvfb
#
# Examples for tests (the prefix path is also in $WINEPREFIX inside every run):
#   wine-run.sh reg query "HKLM\Software\Ambergate Studio\Korvo" /v VX7R_setup
#   wine-run.sh --shell ln -sfn /some/folder '$WINEPREFIX/dosdevices/d:'   (then
#   wine-run.sh --shell wineserver -k  so that the new drive is seen)
#
# Where things live (STATE = <build tree>/wine):
#   STATE/template   the pristine prefix, made once per build tree under a lock
#   STATE/prefix     the prefix every run uses by default (a copy of the template)
#   STATE/home       HOME and the XDG folders of every run
#   STATE/log        output of prefix creation, Xvfb and wineserver
#
# Environment it reads
#   KORVO_BUILD_DIR     the build tree; otherwise the nearest folder above the
#                       program (or the current folder) holding CMakeCache.txt
#   KORVO_WINEPREFIX    use this prefix instead of STATE/prefix; it is created as
#                       a copy of the template when missing (a fresh prefix per
#                       scenario: point it at a new folder)
#   KORVO_WINE_TIMEOUT  seconds before a run is killed (default 300)
#   DISPLAY             used when set; otherwise one Xvfb per build tree is
#                       started and kept (its display number is in STATE/display)
set -u

die() { echo "wine-run.sh: $*" >&2; exit 125; }

find_build_dir() {
    local dir
    for dir in "$@"; do
        [ -n "$dir" ] || continue
        dir=$(cd "$dir" 2>/dev/null && pwd -P) || continue
        while [ "$dir" != "/" ]; do
            if [ -f "$dir/CMakeCache.txt" ]; then
                echo "$dir"
                return 0
            fi
            dir=$(dirname "$dir")
        done
    done
    return 1
}

# ---- the build tree and the state folder -----------------------------------
program_dir=""
case "${1:-}" in
--*|"") ;;
*) [ -e "$1" ] && program_dir=$(dirname "$1") ;;
esac
if [ -n "${KORVO_BUILD_DIR:-}" ]; then
    build_dir=$KORVO_BUILD_DIR
else
    build_dir=$(find_build_dir "$program_dir" "$PWD") || die "no build tree found (set KORVO_BUILD_DIR)"
fi
state=$build_dir/wine
mkdir -p "$state/home" "$state/log" || die "cannot create $state"
state=$(cd "$state" && pwd -P)

export HOME=$state/home
export XDG_CONFIG_HOME=$HOME/.config
export XDG_DATA_HOME=$HOME/.local/share
export XDG_CACHE_HOME=$HOME/.cache
export XDG_STATE_HOME=$HOME/.local/state
export XDG_RUNTIME_DIR=$HOME/.runtime
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
template=$state/template
export WINEPREFIX=${KORVO_WINEPREFIX:-$state/prefix}
timeout_s=${KORVO_WINE_TIMEOUT:-300}

# ---- display -----------------------------------------------------------------
display_alive() {
    if command -v xdpyinfo >/dev/null 2>&1; then
        xdpyinfo -display "$1" >/dev/null 2>&1
    else
        [ -S "/tmp/.X11-unix/X${1#:}" ] && [ -s "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null
    fi
}

ensure_display() {
    if [ -n "${DISPLAY:-}" ]; then
        return 0
    fi
    (
        flock 8
        if [ -s "$state/display" ] && display_alive ":$(cat "$state/display")"; then
            exit 0
        fi
        rm -f "$state/display"
        # -displayfd picks a free display number and writes it once the server
        # is ready. The server is detached from our output so that CTest, which
        # waits for every writer of a test's output to go away, is not held up.
        : >"$state/display.new"
        # It must not inherit the lock's descriptor 8, or it would hold the lock.
        setsid Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp -noreset \
            9>"$state/display.new" 8>&- </dev/null >>"$state/log/xvfb.log" 2>&1 &
        echo $! >"$state/xvfb.pid"
        for _ in $(seq 1 100); do
            if [ -s "$state/display.new" ]; then
                tr -dc '0-9' <"$state/display.new" >"$state/display"
                rm -f "$state/display.new"
                exit 0
            fi
            sleep 0.1
        done
        exit 1
    ) 8>"$state/display.lock" || die "Xvfb did not start (see $state/log/xvfb.log)"
    DISPLAY=":$(cat "$state/display")"
    export DISPLAY
}

# ---- prefix --------------------------------------------------------------------
write_settings_reg() {
    cat <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="N"

[HKEY_CURRENT_USER\Software\Wine\Direct3D]
"VideoMemorySize"="64"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
EOF
}

# Builds the pristine prefix in $template. Runs under the prefix lock.
create_template() {
    local log=$state/log/prefix.log tmp=$state/template.new
    rm -rf "$tmp"
    echo "wine-run.sh: creating the Wine prefix of $build_dir (once)" >&2
    # The lock's descriptor 8 is closed here: the wineserver started by wineboot
    # outlives this function and must not hold the lock.
    (
        exec 8>&-
        export WINEPREFIX=$tmp
        timeout 300 wineboot -i </dev/null >>"$log" 2>&1 || exit 1
        mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
        cp -f /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
        write_settings_reg | sed 's/$/\r/' >"$state/settings.reg"
        timeout 120 wine regedit /S "$(winepath -w "$state/settings.reg" 2>/dev/null)" </dev/null >>"$log" 2>&1 ||
            exit 1
        # The user folders (Desktop, Documents, ...) are links into $HOME: make
        # them real folders so that anything a program puts there stays inside.
        local link
        for link in "$WINEPREFIX"/drive_c/users/*/*; do
            if [ -L "$link" ]; then
                rm -f "$link" && mkdir -p "$link"
            fi
        done
        # The registry files are written only when the server ends.
        timeout 60 wineserver -k </dev/null >>"$log" 2>&1
        timeout 60 wineserver -w </dev/null >>"$log" 2>&1
        exit 0
    ) || {
        rm -rf "$tmp"
        die "prefix creation failed (see $log)"
    }
    mv "$tmp" "$template"
}

# Makes sure $template and $WINEPREFIX exist.
ensure_prefix() {
    [ -f "$WINEPREFIX/.korvo-ready" ] && return 0
    (
        flock 8
        if [ ! -f "$template/.korvo-ready" ]; then
            rm -rf "$template"
            create_template
            touch "$template/.korvo-ready"
        fi
        if [ ! -f "$WINEPREFIX/.korvo-ready" ]; then
            # Copied beside it and renamed, so a half copy is never taken for ready.
            rm -rf "$WINEPREFIX" "$WINEPREFIX.new"
            mkdir -p "$(dirname "$WINEPREFIX")"
            cp -a "$template" "$WINEPREFIX.new" && mv "$WINEPREFIX.new" "$WINEPREFIX" || exit 1
        fi
    ) 8>"$state/prefix.lock" || die "cannot set up the prefix $WINEPREFIX"
}

# Keeps the prefix's wineserver up between the runs of a test suite (each run
# would otherwise start it anew), detached from our output.
start_wineserver() {
    wineserver -p60 </dev/null >>"$state/log/wineserver.log" 2>&1 || true
}

stop_all() {
    local p
    # Every prefix of this build tree, the tests' own ones included.
    for p in "$state"/*/ "${KORVO_WINEPREFIX:-}"; do
        [ -n "$p" ] && [ -f "$p/system.reg" ] && WINEPREFIX=${p%/} timeout 30 wineserver -k >/dev/null 2>&1
    done
    if [ -s "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null
        rm -f "$state/xvfb.pid" "$state/display"
    fi
    return 0
}

# ---- commands --------------------------------------------------------------------
case "${1:-}" in
"")
    die "usage: wine-run.sh PROGRAM [ARGS...] | --setup | --prefix | --env | --shell CMD... | --stop"
    ;;
--setup)
    ensure_display
    ensure_prefix
    exit 0
    ;;
--prefix)
    ensure_prefix
    echo "$WINEPREFIX"
    exit 0
    ;;
--env)
    ensure_display
    ensure_prefix
    for v in HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_STATE_HOME XDG_RUNTIME_DIR \
        WINEARCH WINEDEBUG WINEDLLOVERRIDES WINEPREFIX DISPLAY; do
        printf 'export %s=%q\n' "$v" "${!v}"
    done
    exit 0
    ;;
--shell)
    shift
    ensure_display
    ensure_prefix
    [ $# -gt 0 ] || die "--shell needs a command"
    # Arguments may name the prefix as the literal text $WINEPREFIX.
    args=()
    for a in "$@"; do args+=("${a//\$WINEPREFIX/$WINEPREFIX}"); done
    exec timeout --kill-after=10 "$timeout_s" "${args[@]}"
    ;;
--stop)
    stop_all
    exit 0
    ;;
esac

ensure_display
ensure_prefix
start_wineserver

# Wine starts helper processes (services, the desktop) that outlive the
# program and inherit its output descriptors; CTest would wait for them to
# go away. So the program writes to files that are passed on when it ends.
out=$(mktemp "$state/log/run.XXXXXX") || die "cannot create a temporary file"
err=$out.err
timeout --kill-after=10 "$timeout_s" wine "$@" </dev/null >"$out" 2>"$err"
rc=$?
listing=0
for a in "$@"; do
    [ "$a" = "--gtest_list_tests" ] && listing=1
done
if [ $listing -eq 1 ]; then
    # Console output arrives with CRLF line ends; test discovery wants LF.
    tr -d '\r' <"$out"
else
    cat "$out"
fi
cat "$err" >&2
rm -f "$out" "$err"
[ $rc -eq 124 ] && echo "wine-run.sh: $1 timed out after ${timeout_s}s" >&2
exit $rc
