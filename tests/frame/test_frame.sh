#!/usr/bin/env bash
# The main window under a real window manager: the outer frame, title bar included, stands at the
# screen's top-left corner, 800 by 600 pixels, also when the window manager frames the window only
# after it is up; once the user has moved it, a frame that changes leaves it there. Measured from the window system: the
# client window's place and size, and the frame's extents that the window manager announces
# (_NET_FRAME_EXTENTS).
#   test_frame.sh path/to/legwise
# Exits with 77 (skipped) when Xvfb, openbox, xwininfo, xprop or wmctrl is missing.
set -u
for tool in Xvfb openbox xwininfo xprop wmctrl; do
    command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is missing (Debian packages xvfb, openbox, x11-utils, wmctrl)"; exit 77; }
done
legwise=$(realpath "$1")
title="Legwise (Light) / 2.0"

work=$(mktemp -d)
pids=()
stop() { [ -n "${1:-}" ] && kill "$1" 2>/dev/null && wait "$1" 2>/dev/null; }
cleanup() { for pid in "${pids[@]}"; do stop "$pid"; done; rm -rf "$work"; }
trap cleanup EXIT

# -noreset: the server would otherwise reset when its last client leaves, and a client connecting in
# that moment fails. -displayfd: the server takes a free display and names it, so runs side by side
# do not collide.
Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { cat "$work/xvfb.log"; echo "FAILED: Xvfb did not start"; exit 1; }
display=$(head -n1 "$work/display")
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work"
cd "$work" || exit 1

# The outer frame as "x y width height" and the title bar's height, as the window system has them.
measure() {
    local info extents left=0 right=0 top=0 bottom=0
    info=$(xwininfo -name "$title" 2>/dev/null) || return 1
    extents=$(xprop -name "$title" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ,)
    [ -n "$extents" ] && read -r left right top bottom <<<"$extents"
    local x y width height
    x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    width=$(sed -n 's/^ *Width: *//p' <<<"$info")
    height=$(sed -n 's/^ *Height: *//p' <<<"$info")
    echo "$((x - left)) $((y - top)) $((width + left + right)) $((height + top + bottom)) title bar $top"
}

# Waits up to 10 s for the frame to stand at 0 0 800 600, with a title bar when `framed` is yes and
# without one when it is no, and to stay there.
expect_frame() {
    local case=$1 framed=$2 got=""
    for _ in $(seq 100); do
        got=$(measure) || got=""
        if [[ "$got" == "0 0 800 600 title bar "* ]]; then
            local bar=${got##* }
            if { [ "$framed" = no ] && [ "$bar" -eq 0 ]; } || { [ "$framed" = yes ] && [ "$bar" -gt 0 ]; }; then
                sleep 0.5
                [ "$(measure)" = "$got" ] && { echo "passed: $case: $got"; return 0; }
            fi
        fi
        sleep 0.1
    done
    echo "FAILED: $case: expected the frame 0 0 800 600 (title bar framed: $framed), measured: ${got:-no window}"
    return 1
}

# Starts openbox with the frames of `theme`, in place of the one running.
openbox_with() {
    printf '<?xml version="1.0"?>\n<openbox_config xmlns="http://openbox.org/3.4/rc"><theme><name>%s</name></theme></openbox_config>\n' \
        "$1" >"$work/$1.xml"
    openbox --replace --config-file "$work/$1.xml" >>"$work/openbox.log" 2>&1 &
    pids+=($!)
}

# Waits up to 10 s for the client window to stand at `x y`.
expect_client() {
    local case=$1 got=""
    for _ in $(seq 100); do
        got=$(xwininfo -name "$title" 2>/dev/null | sed -n 's/.*Absolute upper-left [XY]: *//p' | tr '\n' ' ')
        [ "$got" = "$2 " ] && { echo "passed: $case: the client at $got"; return 0; }
        sleep 0.1
    done
    echo "FAILED: $case: expected the client at $2, measured: ${got:-no window}"
    return 1
}

failed=0
"$legwise" 2>"$work/legwise1.log" &
app=$!
pids+=("$app")
expect_frame "no window manager: the client area is the whole window" no || failed=1
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
expect_frame "a window manager that frames the window after it is up" yes || failed=1
stop "$app"

"$legwise" 2>"$work/legwise2.log" &
app=$!
pids+=("$app")
expect_frame "a window manager running before the start" yes || failed=1
wmctrl -r "$title" -e 0,100,80,-1,-1
expect_client "moved by the user" "100 80" || failed=1
openbox_with Nightmare # a title bar of another height
for _ in $(seq 100); do [[ "$(measure)" == *" title bar 16" ]] && break; sleep 0.1; done
sleep 1 # time to move the window back, were it to do that
expect_client "a frame that changes after the user moved the window" "100 80" || failed=1
stop "$app"
exit $failed
