#!/usr/bin/env tclsh
# Draws the splitter panel's two drag cursors: 32 x 32 monochrome cursors with a two-way arrow across
# a double line, hot spot in the middle.
#
#   tclsh cursors.tcl <output folder>
#
# Writes RzSplitHorz.cur (arrows left and right: the bar of side-by-side panes) and RzSplitVert.cur
# (arrows up and down).

proc shape {x y} {
    # The horizontal form; the vertical one is drawn transposed.
    if {($x == 14 || $x == 18) && $y >= 9 && $y <= 23} { return 1 }
    if {$y == 16 && $x >= 5 && $x <= 27} { return 1 }
    foreach {tip dir} {4 1 28 -1} {
        set d [expr {($x - $tip) * $dir}]
        if {$d >= 0 && $d <= 5 && abs($y - 16) <= $d} { return 1 }
    }
    return 0
}

proc black {x y vertical} {
    if {$x < 0 || $y < 0 || $x > 31 || $y > 31} { return 0 }
    if {$vertical} { return [shape $y $x] }
    return [shape $x $y]
}

proc curfile {name vertical} {
    set xor ""
    set and ""
    # Rows bottom-up, 32 pixels = 4 bytes each, most significant bit first.
    for {set y 31} {$y >= 0} {incr y -1} {
        set xbits ""
        set abits ""
        for {set x 0} {$x < 32} {incr x} {
            set b [black $x $y $vertical]
            set edge 0
            if {!$b} {
                foreach {dx dy} {-1 0 1 0 0 -1 0 1 -1 -1 1 1 -1 1 1 -1} {
                    if {[black [expr {$x + $dx}] [expr {$y + $dy}] $vertical]} { set edge 1 }
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
    append dir [binary format ccccssii 32 32 0 0 16 16 [string length $image] 22]
    set f [open $name wb]
    puts -nonewline $f $dir$image
    close $f
}

set out [lindex $argv 0]
file mkdir $out
curfile [file join $out RzSplitHorz.cur] 0
curfile [file join $out RzSplitVert.cur] 1
