#!/usr/bin/env bash
# The plan check beside the plan dialog under a real window manager: on screens of 1024x768,
# 1280x800, 1366x768 and 1920x1080, its outer frame, title bar included, covers no part of the
# dialog's and stays on the screen. Measured from the window system: each client window's place and
# size, and the frame extents that the window manager announces (_NET_FRAME_EXTENTS). Once the user
# has moved the window (wmctrl, where it is installed), it stays there.
#   test_plan_check_frame.sh path/to/plan_check_frames [folder for screenshots]
# Exits with 77 (skipped) when Xvfb, openbox, xwininfo or xprop is missing.
set -u
for tool in Xvfb openbox xwininfo xprop; do
    command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is missing (Debian packages xvfb, openbox, x11-utils)"; exit 77; }
done
program=$(realpath "$1")
shots=${2:-}
dialog="Generating Flightplan"
check="Plan check"

work=$(mktemp -d)
pids=()
stop() { [ -n "${1:-}" ] && kill "$1" 2>/dev/null && wait "$1" 2>/dev/null; }
cleanup() { for pid in "${pids[@]}"; do stop "$pid"; done; rm -rf "$work"; }
trap cleanup EXIT

# The outer frame of the window titled $1 as "x y width height".
frame_of() {
    local info extents left=0 right=0 top=0 bottom=0 x y width height
    info=$(xwininfo -name "$1" 2>/dev/null) || return 1
    extents=$(xprop -name "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ,)
    [ -n "$extents" ] || return 1 # not framed yet
    read -r left right top bottom <<<"$extents"
    x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    width=$(sed -n 's/^ *Width: *//p' <<<"$info")
    height=$(sed -n 's/^ *Height: *//p' <<<"$info")
    echo "$((x - left)) $((y - top)) $((width + left + right)) $((height + top + bottom))"
}

failed=0
for screen in 1024x768 1280x800 1366x768 1920x1080; do
    sw=${screen%x*} sh=${screen#*x}
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 "${screen}x24" -noreset -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb=$!
    pids+=("$xvfb")
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || { cat "$work/xvfb.log"; echo "FAILED: Xvfb did not start"; exit 1; }
    # TMPDIR: the program is stopped, not closed, and leaves its scratch folder where cleanup finds it.
    export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work" TMPDIR="$work"
    openbox >>"$work/openbox.log" 2>&1 &
    wm=$!
    pids+=("$wm")
    sleep 0.5
    (cd "$work" && exec "$program") 2>"$work/program.log" &
    app=$!
    pids+=("$app")
    # Until both frames have stood still for half a second, at most 15 s.
    d="" c="" last=""
    for _ in $(seq 150); do
        d=$(frame_of "$dialog") || d=""
        c=$(frame_of "$check") || c=""
        if [ -n "$d" ] && [ -n "$c" ] && [ "$d|$c" = "$last" ]; then break; fi
        last="$d|$c"
        sleep 0.5
    done
    if [ -z "$d" ] || [ -z "$c" ]; then
        echo "FAILED: $screen: the windows did not come up (dialog: ${d:-none}, check: ${c:-none})"
        cat "$work/program.log"
        failed=1
    else
        read -r dx dy dw dh <<<"$d"
        read -r cx cy cw ch <<<"$c"
        apart=$((cx >= dx + dw || cx + cw <= dx || cy >= dy + dh || cy + ch <= dy))
        onscreen=$((cx >= 0 && cy >= 0 && cx + cw <= sw && cy + ch <= sh))
        if [ "$apart" = 1 ] && [ "$onscreen" = 1 ]; then
            echo "passed: $screen: dialog $d, plan check $c"
        else
            echo "FAILED: $screen: dialog $d, plan check $c (apart: $apart, on the screen: $onscreen)"
            failed=1
        fi
        # Once the user has moved it, it stays where the user put it.
        if [ "$screen" = 1920x1080 ] && command -v wmctrl >/dev/null; then
            wmctrl -r "$check" -e 0,1000,600,-1,-1
            sleep 1.5
            moved=$(xwininfo -name "$check" 2>/dev/null | sed -n 's/.*Absolute upper-left [XY]: *//p' | tr '\n' ' ')
            if [ "$moved" = "1000 600 " ]; then
                echo "passed: $screen: moved by the user, the client stays at $moved"
            else
                echo "FAILED: $screen: moved by the user to 1000 600, the client measured at ${moved:-no window}"
                failed=1
            fi
        fi
        # Time to paint, which takes a while under Wine.
        [ -n "$shots" ] && command -v import >/dev/null && sleep 3 && import -window root "$shots/plan-check-$screen.png"
    fi
    stop "$app"
    stop "$wm"
    stop "$xvfb"
done
exit $failed
