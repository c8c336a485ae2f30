# Sourced by the scripts that run Windows programs: the project's private Wine
# prefixes and, on a machine without a screen, an Xvfb display. Nothing is written
# outside the build folder: HOME and the XDG folders point inside it too, because
# the prefix links Desktop and Documents to $HOME.
ovn_root=${OVN_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree="

# Each Windows tree runs in a prefix, a display and a server of its own:
#   win64  build/wine,   a 64-bit Windows
#   win32  build/wine32, a 32-bit Windows (not a 64-bit one running the program
#          through its 32-bit layer): the system older Windows players have.
# Sourcing selects $OVN_TREE (win64 when unset); ovn_use_tree switches later.
ovn_use_tree() {
    case "$1" in
    win64) export OVN_WINE_ROOT=$ovn_root/build/wine WINEARCH=win64 ;;
    win32) export OVN_WINE_ROOT=$ovn_root/build/wine32 WINEARCH=win32 ;;
    *) echo "wine-env: unknown Windows tree '$1'" >&2; return 2 ;;
    esac
    export OVN_TREE=$1
    export WINEPREFIX=$OVN_WINE_ROOT/prefix
    export HOME=$OVN_WINE_ROOT/home
    export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
    export XDG_RUNTIME_DIR=$OVN_WINE_ROOT/run
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    # The caller's own screen, when there is one, serves every tree; otherwise each
    # tree gets an Xvfb of its own (ovn_ensure_display), not the previous tree's.
    [ -n "${OVN_OWN_DISPLAY+set}" ] || export OVN_OWN_DISPLAY=${DISPLAY:-}
    if [ -n "$OVN_OWN_DISPLAY" ]; then export DISPLAY=$OVN_OWN_DISPLAY; else unset DISPLAY; fi
}
ovn_use_tree "${OVN_TREE:-win64}" || return

# Writes a per-user registry value (the user's hive is the same for 32- and
# 64-bit programs).
ovn_reg_add() {
    wine reg add "$@" /f >/dev/null 2>&1
}

# "wine reg" on a machine-wide value, in the 64-bit and the 32-bit view: with the
# 32-bit Wine installed, `wine reg` is the 32-bit reg.exe, which in a 64-bit
# prefix writes the 32-bit programs' view (WOW6432Node) that a 64-bit Ovn.exe
# never reads. A 32-bit prefix has only the one view.
ovn_reg_hklm() {
    wine reg "$@" /reg:64 >/dev/null 2>&1
    wine reg "$@" /reg:32 >/dev/null 2>&1
}

# Values the program reads from the registry that the tests need to be there.
ovn_seed_registry() {
    # Each HKLM value goes into both registry views: with Wine's 32-bit half
    # installed, a bare "wine reg" writes the 32-bit one, and the 64-bit and
    # 32-bit programs each read their own. The plug-in's version key keeps the
    # start's old-plug-in question away from every test but the one about it.
    ovn_reg_hklm add 'HKLM\SOFTWARE\Macromedia\FlashPlayer' /v CurrentVersion /t REG_SZ /d '11,2,202,235' /f
    # A crashing test process must end as on Windows without a debugger, not wait in
    # winedbg: the automatic debugger named here does not exist, so the process ends.
    ovn_reg_hklm add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d 'no-debugger-here.exe %ld %ld' /f
    ovn_reg_hklm add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /t REG_SZ /d '1' /f
    # No window manager on Xvfb: Wine's managed mode then makes every closing window
    # wait about 2 s, and moving a window after another closed can kill the process.
    ovn_reg_add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d 'N'
    # The program's Chinese texts: link the UI font to a CJK font Debian ships.
    ovn_reg_hklm add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f
    ovn_reg_hklm add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v 'MS Shell Dlg' /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f
    ovn_reg_add 'HKCU\Software\Wine\Fonts\Replacements' /v '微软雅黑' /t REG_SZ /d 'WenQuanYi Micro Hei'
    ovn_reg_add 'HKCU\Software\Wine\Fonts\Replacements' /v '宋体' /t REG_SZ /d 'WenQuanYi Micro Hei' 
}

# Makes the prefix once; later calls find it ready. Safe when several start at once.
# Bump when ovn_seed_registry changes: an existing prefix is then seeded again.
ovn_seed_version=6

ovn_ensure_prefix() {
    # A 64-bit prefix made before the 32-bit Wine was installed has no 32-bit
    # half, and the loader that is then the default cannot start in it: made anew.
    if [ "$WINEARCH" = win64 ] && [ -x /usr/lib/wine/wine ] && [ -f "$WINEPREFIX/.ovn-ready" ] &&
       [ ! -e "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
        wineserver -k >/dev/null 2>&1 || true
        rm -rf "$WINEPREFIX"
    fi
    [ -f "$WINEPREFIX/.ovn-ready" ] && [ -f "$WINEPREFIX/.ovn-seeded-$ovn_seed_version" ] && return 0
    mkdir -p "$OVN_WINE_ROOT"
    (
        flock 9
        if [ -f "$WINEPREFIX/.ovn-ready" ]; then
            [ -f "$WINEPREFIX/.ovn-seeded-$ovn_seed_version" ] && exit 0
            ovn_seed_registry && touch "$WINEPREFIX/.ovn-seeded-$ovn_seed_version"
            exit 0
        fi
        local start=$(date +%s.%N)
        wineboot -i >/dev/null 2>&1 || { echo "wine-env: wineboot failed" >&2; exit 1; }
        ovn_seed_registry
        wineserver -w
        local took=$(echo "$(date +%s.%N) - $start" | bc 2>/dev/null || echo "?")
        echo "$took" > "$OVN_WINE_ROOT/prefix-boot-seconds"
        touch "$WINEPREFIX/.ovn-ready" "$WINEPREFIX/.ovn-seeded-$ovn_seed_version"
    ) 9>"$OVN_WINE_ROOT/.prefix.lock"
}

# Starts Xvfb when there is no screen; the display is reused by later calls.
ovn_ensure_display() {
    if [ -n "${DISPLAY:-}" ] && [ -z "${OVN_FORCE_XVFB:-}" ]; then return 0; fi
    mkdir -p "$OVN_WINE_ROOT"
    (
        flock 9
        if [ -f "$OVN_WINE_ROOT/xvfb.pid" ] && kill -0 "$(cat "$OVN_WINE_ROOT/xvfb.pid")" 2>/dev/null; then exit 0; fi
        # Another checkout may pick the same free number at the same moment; the
        # loser's Xvfb ends at once, and it tries the next number.
        local n=90 pid
        while :; do
            while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
            # The lock descriptor must not live on in Xvfb, or the next caller waits forever.
            Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 9>&- &
            pid=$!
            for _ in $(seq 50); do
                { [ -e "/tmp/.X11-unix/X$n" ] || ! kill -0 "$pid" 2>/dev/null; } && break
                sleep 0.1
            done
            kill -0 "$pid" 2>/dev/null && break
            n=$((n + 1))
        done
        echo "$pid" > "$OVN_WINE_ROOT/xvfb.pid"
        echo ":$n" > "$OVN_WINE_ROOT/xvfb.display"
    ) 9>"$OVN_WINE_ROOT/.display.lock"
    export DISPLAY=$(cat "$OVN_WINE_ROOT/xvfb.display")
}

# One wineserver for a whole run: every Wine start then skips the server start.
# Wine's own services (services.exe, winedevice.exe) start with the first program
# and inherit its output: started here, with no output, they cannot hold a test
# runner's pipe open after the test has ended.
# (A server already running for the prefix answers non-zero: that is fine too.)
ovn_keep_wineserver() {
    wineserver -p >/dev/null 2>&1 || true
    wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
    ovn_keep_desktop
}

# Wine closes its desktop a moment after the last program on it ends; a program
# starting while it closes cannot make windows. Test programs run one after the
# other, so a small hidden program holds the desktop for the whole run (it ends
# with the server). Detached from any output, like the services.
ovn_keep_desktop() {
    local keeper="$ovn_root/build/$OVN_TREE/tests/ovn_desktop_keeper.exe"
    [ -f "$keeper" ] || return 0
    local pidfile="$OVN_WINE_ROOT/keeper.pid"
    if [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null; then return 0; fi
    wine "$keeper" </dev/null >/dev/null 2>&1 &
    echo $! > "$pidfile"
}

# Whether ovn_keep_wineserver has this prefix's server (and its desktop keeper) running.
ovn_wineserver_kept() {
    local pidfile="$OVN_WINE_ROOT/keeper.pid"
    [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null
}

# Stops this tree's server and display; safe under set -e when either is gone already.
ovn_stop_wine() {
    wineserver -k >/dev/null 2>&1 || true
    rm -f "$OVN_WINE_ROOT/keeper.pid"
    if [ -f "$OVN_WINE_ROOT/xvfb.pid" ]; then
        kill "$(cat "$OVN_WINE_ROOT/xvfb.pid")" 2>/dev/null || true
        rm -f "$OVN_WINE_ROOT/xvfb.pid" "$OVN_WINE_ROOT/xvfb.display"
    fi
}
