#!/usr/bin/env tclsh
# Draws the splitter panel's two drag cursors: 32 x 32 monochrome cursors with a two-way arrow across
# a double line, hot spot in the middle.
#
#   tclsh cursors.tcl <output folder>
#   tclsh cursors.tcl --bars <output folder>
#
# Writes RzSplitHorz.cur (arrows left and right: the bar of side-by-side panes) and RzSplitVert.cur
# (arrows up and down). With --bars it writes the command bars' three customizing-drag cursors instead:
# an arrow carrying a button outline (DxBarDrag.cur), the same with a plus sign (DxBarDragCopy.cur), and
# an arrow with a crossed-out circle (DxBarDragNoDrop.cur), hot spot at the arrow's tip, and the
# cursor for resizing an edit (DxBarEditSizing.cur: a two-way arrow across one line, hot spot in the
# middle).

proc shape {x y} {
    # The splitters' horizontal form; the vertical one is drawn transposed.
    if {($x == 14 || $x == 18) && $y >= 9 && $y <= 23} { return 1 }
    if {$y == 16 && $x >= 5 && $x <= 27} { return 1 }
    foreach {tip dir} {4 1 28 -1} {
        set d [expr {($x - $tip) * $dir}]
        if {$d >= 0 && $d <= 5 && abs($y - 16) <= $d} { return 1 }
    }
    return 0
}

proc arrow {x y} {
    # The pointer: a slanted triangle with a short tail, tip at (1, 1).
    if {$y >= 1 && $y <= 13 && $x >= 1 && 3 * ($x - 1) <= 2 * ($y - 1)} { return 1 }
    if {$y >= 11 && $y <= 17 && $x >= 4 + ($y - 11) / 2 && $x <= 6 + ($y - 11) / 2} { return 1 }
    return 0
}

proc button {x y} {
    # The dragged button: a dotted outline below and right of the pointer.
    if {$x < 9 || $x > 24 || $y < 19 || $y > 29} { return 0 }
    if {$x == 9 || $x == 24 || $y == 19 || $y == 29} { return [expr {($x + $y) % 2 == 0}] }
    return 0
}

proc drag {x y} {
    return [expr {[arrow $x $y] || [button $x $y]}]
}

proc dragcopy {x y} {
    # A white plus sign in a black square at the button's corner.
    if {$x >= 20 && $x <= 30 && $y >= 14 && $y <= 24} {
        set arm [expr {($x == 25 && $y >= 16 && $y <= 22) || ($y == 19 && $x >= 22 && $x <= 28)}]
        return [expr {!$arm}]
    }
    return [drag $x $y]
}

proc nodrop {x y} {
    if {[arrow $x $y]} { return 1 }
    # A ring around (20, 22) with a slash from its top left to its bottom right.
    set d2 [expr {($x - 20) * ($x - 20) + ($y - 22) * ($y - 22)}]
    if {$d2 >= 36 && $d2 <= 64} { return 1 }
    if {$d2 < 36 && abs(($x - 20) - ($y - 22)) <= 1} { return 1 }
    return 0
}

proc editsize {x y} {
    if {$x == 16 && $y >= 10 && $y <= 22} { return 1 }
    if {$y == 16 && $x >= 5 && $x <= 27} { return 1 }
    foreach {tip dir} {4 1 28 -1} {
        set d [expr {($x - $tip) * $dir}]
        if {$d >= 0 && $d <= 5 && abs($y - 16) <= $d} { return 1 }
    }
    return 0
}

proc hsplit {x y} { return [shape $x $y] }
proc vsplit {x y} { return [shape $y $x] }

# Whether a pixel of the named form is black (outside the 32 x 32 square: never).
proc black {x y form} {
    if {$x < 0 || $y < 0 || $x > 31 || $y > 31} { return 0 }
    return [$form $x $y]
}

proc curfile {name form {hotx 16} {hoty 16}} {
    set xor ""
    set and ""
    # Rows bottom-up, 32 pixels = 4 bytes each, most significant bit first.
    for {set y 31} {$y >= 0} {incr y -1} {
        set xbits ""
        set abits ""
        for {set x 0} {$x < 32} {incr x} {
            set b [black $x $y $form]
            set edge 0
            if {!$b} {
                foreach {dx dy} {-1 0 1 0 0 -1 0 1 -1 -1 1 1 -1 1 1 -1} {
                    if {[black [expr {$x + $dx}] [expr {$y + $dy}] $form]} { set edge 1 }
                }
            }
            # black: and 0 xor 0; white outline: and 0 xor 1; elsewhere transparent: and 1 xor 0
            append xbits [expr {$edge ? 1 : 0}]
            append abits [expr {($b || $edge) ? 0 : 1}]
        }
        append xor [binary format B32 $xbits]
        append and [binary format B32 $abits]
    }
    # BITMAPINFOHEADER: size, width, height of both masks, planes and bit count (16-bit), no compression,
    # image size, resolution, two colours
    set header [binary format iiissiiiiii 40 32 64 1 1 0 [string length $xor$and] 0 0 2 0]
    set palette [binary format cccccccc 0 0 0 0 -1 -1 -1 0]
    set image $header$palette$xor$and
    set dir [binary format sss 0 2 1]
    append dir [binary format ccccssii 32 32 0 0 $hotx $hoty [string length $image] 22]
    set f [open $name wb]
    puts -nonewline $f $dir$image
    close $f
}

if {[lindex $argv 0] eq "--bars"} {
    set out [lindex $argv 1]
    file mkdir $out
    curfile [file join $out DxBarDrag.cur] drag 1 1
    curfile [file join $out DxBarDragCopy.cur] dragcopy 1 1
    curfile [file join $out DxBarDragNoDrop.cur] nodrop 1 1
    curfile [file join $out DxBarEditSizing.cur] editsize
    exit
}
set out [lindex $argv 0]
file mkdir $out
curfile [file join $out RzSplitHorz.cur] hsplit
curfile [file join $out RzSplitVert.cur] vsplit
