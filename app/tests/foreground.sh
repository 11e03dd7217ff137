#!/usr/bin/env bash
# Boxes the board raises while the user types in another program, where a program cannot take the
# foreground: a display of its own run by a window manager that refuses focus stealing (xfwm4 with its
# prevention on), not Wine's virtual desktop. Another X program holds the keyboard; a message from a
# second machine arrives, then that machine's user changes status (an alert). Each box must stand above
# the other program in the window manager's stacking order, the keys typed there must stay there, the
# board must call for attention, and the box answered with the pointer lets the board go on.
# Screenshots land in <build>/app-foreground/.
set -euo pipefail
build=$1
tag=foreground
source "$(dirname "$0")/machines.sh"

# The display, taken free by Xvfb itself, and the window manager on it. xfwm4 reads its settings
# through xfconf, which needs a session bus: one of its own, ended with the window manager.
number=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
pids+=($!)
until_true grep -q '^[0-9]' "$number" || fail "Xvfb did not start"
export DISPLAY=":$(head -1 "$number")"
rm -f "$number"
config=$out/config
mkdir -p "$config/xfce4/xfconf/xfce-perchannel-xml"
cat >"$config/xfce4/xfconf/xfce-perchannel-xml/xfwm4.xml" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfwm4" version="1.0">
  <property name="general" type="empty">
    <property name="prevent_focus_stealing" type="bool" value="true"/>
  </property>
</channel>
EOF
XDG_CONFIG_HOME=$config NO_AT_BRIDGE=1 dbus-run-session -- sh -c 'echo $$ >"$0"; exec xfwm4 --compositor=off' \
  "$out/wm.pid" >"$out/wm.out" 2>&1 &
until_true test -s "$out/wm.pid" || fail "the window manager did not start"
pids+=("$(cat "$out/wm.pid")")
until_true sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || fail "no window manager on $DISPLAY"

# The other program: an entry holding the keyboard, its window over part of the board. As toolkit
# programs do, it notes each key and click as the user's last action (_NET_WM_USER_TIME), by which
# the window manager judges focus stealing; its text goes to a file after each key.
typed=$out/typed.txt
cat >"$out/typing.tcl" <<'EOF'
set out [lindex $argv 0]
wm title . "typing here"
# Over the left of the board (where its boxes come), the entry above the board's top edge.
wm geometry . 600x700+100+180
entry .e -width 40
pack .e
proc usertime {t} { exec xprop -name {typing here} -f _NET_WM_USER_TIME 32c -set _NET_WM_USER_TIME $t }
proc save {} { set f [open $::out.tmp w]; puts -nonewline $f [.e get]; close $f; file rename -force $::out.tmp $::out }
bind .e <KeyPress> {usertime %t}
bind .e <ButtonPress> {usertime %t}
bind .e <KeyRelease> save
bind .e <Escape> {.e delete 0 end}
focus .e
EOF

xwin() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }
hex() { printf '0x%x\n' "$1"; }
# click_on <X window> <dx> <dy>: the pointer pressed at that point of the window.
click_on() {
  local x y
  x=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {print $4}')
  y=$(xwininfo -id "$1" | awk '/Absolute upper-left Y/ {print $4}')
  xdotool mousemove $((x + $2)) $((y + $3)) click 1
}
focused() { [ "$(xdotool getwindowfocus)" = "$1" ]; }
typed_is() { [ "$(cat "$typed" 2>/dev/null)" = "$1" ]; }
# above <a> <b>: window a lies above window b in the window manager's stacking order.
above() {
  local order
  order=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g' | tr ' ' '\n')
  local ia ib
  ia=$(grep -nx "$(hex "$1")" <<<"$order" | cut -d: -f1)
  ib=$(grep -nx "$(hex "$2")" <<<"$order" | cut -d: -f1)
  [ -n "$ia" ] && [ -n "$ib" ] && [ "$ia" -gt "$ib" ]
}
demands_attention() { xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_DEMANDS_ATTENTION; }

seed_and_start() {
  settings "$M1" 560 400
  drive "$M1" alice seed 'Y:\' 'ALICE:1:Sales:' 'BOB:0:Support:' || fail "seeding the shared folder"
  # Alice watches Bob, seen available.
  printf 'BOB\r\nBOB\r\nAvailable\r\n' >"$M1/drive_c/windows/ALICE.yOZ"
  start_board 1 1
  alice wait "$all" 30000 || fail "the board did not come up"
  until_shows '^BOB\|Available\|' alice board "$all" || fail "the board does not show BOB"
}

# unasked_box <name> <box text pattern> <command...>: the user works on the board, then types in the
# other program; the command (another machine's change) makes the board raise a box.
unasked_box() {
  local name=$1 pattern=$2 board entry box
  shift 2
  board=$(xwin "$all")
  entry=$(xwin "typing here")
  # Where the entry does not cover it: the window manager judges the board's windows by this click.
  click_on "$board" 480 200
  until_true focused "$board" || fail "the board did not take the click ($name)"
  click_on "$entry" 30 10
  until_true focused "$entry" || fail "the other program did not take the keyboard ($name)"
  xdotool key Escape
  xdotool type --delay 20 "before"
  until_true typed_is "before" || fail "the other program did not get the keys ($name)"

  "$@" || fail "the other machine's change ($name)"
  until_true eval '[ -n "$(xwin Information)" ]' || fail "no box came ($name)"
  box=$(xwin Information)
  until_true above "$box" "$entry" || { shot "$name-below"; fail "the box ($name) is below the other program"; }
  shot "$name-box"
  xdotool type --delay 20 " after"
  until_true typed_is "before after" || fail "keys typed into the other program went elsewhere ($name): '$(cat "$typed")'"
  focused "$entry" || fail "the box ($name) took the keyboard from the other program"
  until_true demands_attention "$board" || fail "the board does not call for attention ($name)"
  # The box answered with the pointer at its OK button.
  local text
  text=$(alice box Information 20000) || fail "the box ($name) cannot be read"
  grep -Eq "$pattern" <<<"$text" || fail "the box says '$text' ($name)"
  local client button
  client=$(alice client-rect '#32770') || fail "the box's place ($name)"
  button=$(alice rect Information Button) || fail "the box's button ($name)"
  local cx cy bx by bw bh
  IFS=, read -r cx cy _ _ <<<"$client"
  IFS=, read -r bx by bw bh <<<"$button"
  xdotool mousemove $((cx + bx + bw / 2)) $((cy + by + bh / 2)) click 1
  until_true eval '[ -z "$(xwin Information)" ]' || fail "the box ($name) stays after its OK was clicked"
  # The board answers and takes input again.
  alice answers "$all" 10000 || fail "the board does not answer after the box ($name)"
  [ "$(alice enabled "$all")" = 1 ] || fail "the board stays blocked after the box ($name)"
  until_true eval '! demands_attention "$board"' || fail "the board still calls for attention after the box ($name)"
  echo "ok: $name"
}

seed_and_start
wish "$out/typing.tcl" "$typed" >"$out/typing.out" 2>&1 &
pids+=($!)
until_true eval '[ -n "$(xwin "typing here")" ]' || fail "the other program did not show"

unasked_box message 'You have a new yOZ message' bob send 'Y:\' ALICE BOB Lunch 'At one?'
unasked_box alert 'Status update from yOZ at .*BOB has changed status from "Available" to "At lunch"' \
  bob set-status 'Y:\' 'At lunch'
grep -c '^Information|OK|OK|' "$out/dialogs-1.log" | grep -qx 2 || fail "the dialog log does not show both boxes answered OK"
echo "ok: boxes raised by other machines' changes stand above the program in use and leave its keys alone"
