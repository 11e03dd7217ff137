#!/usr/bin/env tclsh
# Draws the board's own pictures: the status and command images, the frames of the new-message
# animation and the program icon; or, with --spin, the spin edit's four arrow pictures.
#
#   tclsh images.tcl <output folder>
#   tclsh images.tcl --spin <output folder>
#
# Writes SmallPics.imgl and NewMail.imgl (image-list data: int32 width, height and count, then one
# 32-bit BMP holding the images side by side, its alpha byte marking transparency) and yOZ.ico
# (32 x 32 and 16 x 16, 32-bit with alpha).
#
# Every picture is a list of shapes on a 16 x 16 grid, painted in order with 4 x 4 samples a pixel so
# edges come out smooth at any size.

set SS 4  ;# samples per pixel along each axis

# --- shapes: each answers whether the point x,y (grid units) lies inside ---------------------------

proc inside {shape x y} {
    set args [lassign $shape kind]
    switch -- $kind {
        circle {
            lassign $args cx cy r
            return [expr {($x-$cx)*($x-$cx) + ($y-$cy)*($y-$cy) <= $r*$r}]
        }
        ring {
            lassign $args cx cy r w
            set d [expr {hypot($x-$cx, $y-$cy)}]
            return [expr {abs($d - $r) <= $w / 2.0}]
        }
        arc {
            # ring part from angle a0 to a1 (degrees, counter-clockwise from east, y pointing down)
            lassign $args cx cy r w a0 a1
            set d [expr {hypot($x-$cx, $y-$cy)}]
            if {abs($d - $r) > $w / 2.0} { return 0 }
            set a [expr {atan2($cy-$y, $x-$cx) * 180.0 / 3.14159265358979}]
            if {$a < 0} { set a [expr {$a + 360.0}] }
            if {$a0 <= $a1} { return [expr {$a >= $a0 && $a <= $a1}] }
            return [expr {$a >= $a0 || $a <= $a1}]
        }
        rect {
            lassign $args x0 y0 x1 y1 rad
            if {$rad eq ""} { set rad 0 }
            if {$x < $x0 || $x > $x1 || $y < $y0 || $y > $y1} { return 0 }
            if {$rad <= 0} { return 1 }
            set cx [expr {$x < $x0 + $rad ? $x0 + $rad : ($x > $x1 - $rad ? $x1 - $rad : $x)}]
            set cy [expr {$y < $y0 + $rad ? $y0 + $rad : ($y > $y1 - $rad ? $y1 - $rad : $y)}]
            return [expr {($x-$cx)*($x-$cx) + ($y-$cy)*($y-$cy) <= $rad*$rad}]
        }
        line {
            lassign $args x0 y0 x1 y1 w
            set dx [expr {$x1 - $x0}]
            set dy [expr {$y1 - $y0}]
            set l2 [expr {$dx*$dx + $dy*$dy}]
            set t [expr {$l2 > 0 ? (($x-$x0)*$dx + ($y-$y0)*$dy) / double($l2) : 0.0}]
            if {$t < 0} { set t 0.0 } elseif {$t > 1} { set t 1.0 }
            set px [expr {$x0 + $t*$dx - $x}]
            set py [expr {$y0 + $t*$dy - $y}]
            return [expr {$px*$px + $py*$py <= $w*$w/4.0}]
        }
        poly {
            set pts [lindex $args 0]
            set in 0
            set n [expr {[llength $pts] / 2}]
            for {set i 0; set j [expr {$n-1}]} {$i < $n} {set j $i; incr i} {
                set xi [lindex $pts [expr {2*$i}]]; set yi [lindex $pts [expr {2*$i+1}]]
                set xj [lindex $pts [expr {2*$j}]]; set yj [lindex $pts [expr {2*$j+1}]]
                if {(($yi > $y) != ($yj > $y)) && ($x < ($xj-$xi) * ($y-$yi) / double($yj-$yi) + $xi)} {
                    set in [expr {!$in}]
                }
            }
            return $in
        }
        default { error "unknown shape $kind" }
    }
}

# --- painting -------------------------------------------------------------------------------------

proc hexcolor {c} {
    scan [string range $c 1 end] %2x%2x%2x r g b
    return [list $r $g $b]
}

# Paints a picture (list of {colour shape ?shape...?}) at Size x Size pixels; returns a list of
# rows top first, each a list of {r g b a} with a 0..255.
proc paint {picture size} {
    global SS
    set scale [expr {16.0 / $size}]
    set px {}
    for {set i 0} {$i < $size * $size} {incr i} { lappend px {0 0 0 0.0} }
    foreach op $picture {
        set shapes [lassign $op colour]
        lassign [hexcolor $colour] cr cg cb
        for {set y 0} {$y < $size} {incr y} {
            for {set x 0} {$x < $size} {incr x} {
                set hits 0
                for {set sy 0} {$sy < $SS} {incr sy} {
                    for {set sx 0} {$sx < $SS} {incr sx} {
                        set gx [expr {($x + ($sx + 0.5) / $SS) * $scale}]
                        set gy [expr {($y + ($sy + 0.5) / $SS) * $scale}]
                        foreach s $shapes {
                            if {[inside $s $gx $gy]} { incr hits; break }
                        }
                    }
                }
                if {$hits == 0} continue
                set a [expr {double($hits) / ($SS * $SS)}]
                set k [expr {$y * $size + $x}]
                lassign [lindex $px $k] r g b da
                # straight-alpha "over"
                set oa [expr {$a + $da * (1.0 - $a)}]
                set r [expr {($cr * $a + $r * $da * (1.0 - $a)) / $oa}]
                set g [expr {($cg * $a + $g * $da * (1.0 - $a)) / $oa}]
                set b [expr {($cb * $a + $b * $da * (1.0 - $a)) / $oa}]
                lset px $k [list $r $g $b $oa]
            }
        }
    }
    set rows {}
    for {set y 0} {$y < $size} {incr y} {
        set row {}
        for {set x 0} {$x < $size} {incr x} {
            lassign [lindex $px [expr {$y * $size + $x}]] r g b a
            set a8 [expr {int(round($a * 255))}]
            # Nearly invisible edge samples would make a visible fringe once alpha is cut to on/off by
            # older image lists; drop them.
            if {$a8 < 40} { set a8 0; set r 0; set g 0; set b 0 }
            lappend row [list [expr {int(round($r))}] [expr {int(round($g))}] [expr {int(round($b))}] $a8]
        }
        lappend rows $row
    }
    return $rows
}

# --- files ----------------------------------------------------------------------------------------

# BGRA bytes of the rows, bottom row first (BMP order).
proc bgra {rows} {
    set out ""
    foreach row [lreverse $rows] {
        foreach p $row {
            lassign $p r g b a
            append out [binary format cccc $b $g $r $a]
        }
    }
    return $out
}

# One 32-bit BMP file of several pictures (each a list of rows) side by side.
proc bmpstrip {pictures size} {
    set n [llength $pictures]
    set w [expr {$n * $size}]
    set rows {}
    for {set y 0} {$y < $size} {incr y} {
        set row {}
        foreach p $pictures { lappend row {*}[lindex $p $y] }
        lappend rows $row
    }
    set pixels [bgra $rows]
    set header [binary format iiissiiiiii 40 $w $size 1 32 0 [string length $pixels] 2835 2835 0 0]
    set fileheader [binary format a2iss "BM" [expr {14 + 40 + [string length $pixels]}] 0 0]
    append fileheader [binary format i [expr {14 + 40}]]
    return "$fileheader$header$pixels"
}

proc writefile {name data} {
    set f [open $name wb]
    puts -nonewline $f $data
    close $f
}

proc imagelist {name pictures size} {
    set painted {}
    foreach p $pictures { lappend painted [paint $p $size] }
    writefile $name "[binary format iii $size $size [llength $pictures]][bmpstrip $painted $size]"
}

# An icon file with one 32-bit image per size (alpha plus a matching AND mask).
proc iconfile {name picture sizes} {
    set images {}
    foreach s $sizes {
        set rows [paint $picture $s]
        set xor [bgra $rows]
        set mask ""
        set stride [expr {(($s + 31) / 32) * 4}]
        foreach row [lreverse $rows] {
            set bits ""
            foreach p $row { append bits [expr {[lindex $p 3] == 0 ? 1 : 0}] }
            while {[string length $bits] < $stride * 8} { append bits 0 }
            append mask [binary format B* $bits]
        }
        set dib [binary format iiissiiiiii 40 $s [expr {2 * $s}] 1 32 0 [string length $xor$mask] 0 0 0 0]
        lappend images $s "$dib$xor$mask"
    }
    set n [expr {[llength $images] / 2}]
    set out [binary format sss 0 1 $n]
    set offset [expr {6 + 16 * $n}]
    set data ""
    foreach {s img} $images {
        set b [expr {$s >= 256 ? 0 : $s}]
        append out [binary format ccccssii $b $b 0 0 1 32 [string length $img] $offset]
        incr offset [string length $img]
        append data $img
    }
    writefile $name "$out$data"
}

# --- the pictures ---------------------------------------------------------------------------------

# A round status badge: dark rim, coloured face, then the symbol.
proc badge {face rim symbol} {
    return [concat [list [list $rim {circle 8 8 7.5}] [list $face {circle 8 8 6.3}]] $symbol]
}

set W #ffffff
set pics [dict create]

# 0 At lunch: a plate with knife and fork.
dict set pics 0 [list \
    {#8a6d3b {circle 8 9 6.6}} {#fff8e8 {circle 8 9 5.6}} {#f0d9a8 {circle 8 9 3.4}} \
    {#5a5a5a {line 2 1 2 6 1} {line 1 1 1 4 0.7} {line 3 1 3 4 0.7} {line 2 5 2 15 1.2}} \
    {#5a5a5a {rect 13 1 14.6 8 0.8} {line 13.8 7 13.8 15 1.2}}]
# 1 Available: a green badge with a tick.
dict set pics 1 [badge #3cb043 #1e6b24 [list [list $W {line 4.5 8.3 7 10.8 1.9} {line 7 10.8 11.6 5.2 1.9}]]]
# 2 Away from desk: an amber clock.
dict set pics 2 [badge #ffd34d #a67c00 [list {#5a4300 {line 8 8 8 4 1.4} {line 8 8 11 9.5 1.4} {circle 8 8 1}}]]
# 3 Do not disturb: a red badge with a white bar.
dict set pics 3 [badge #e23b2e #8c1a12 [list [list $W {rect 3.5 6.6 12.5 9.4 0.6}]]]
# 4 Gone home: a house.
dict set pics 4 [list \
    {#7a2e1a {poly {8 1 15.5 8 13.5 8 13.5 15 2.5 15 2.5 8 0.5 8}}} \
    {#f4e4c1 {rect 3.6 8 12.4 14 0}} {#c0392b {poly {8 2.6 13.6 7.8 2.4 7.8}}} \
    {#6d4c2f {rect 6.5 10 9.5 14 0}} {#5dade2 {rect 10.5 9.2 12 10.8 0}}]
# 5 In meeting: three heads around a table.
dict set pics 5 [list \
    {#2c3e50 {circle 3.4 6 2.2} {circle 8 3.6 2.2} {circle 12.6 6 2.2}} \
    {#5d7fa3 {circle 3.4 6 1.5} {circle 8 3.6 1.5} {circle 12.6 6 1.5}} \
    {#6d4c2f {rect 1 9.5 15 14.5 2}} {#a0744a {rect 2 10.5 14 13.5 1.4}}]
# 6 On holiday: sun over the sea.
dict set pics 6 [list \
    {#f39c12 {line 8 0.5 8 3 1} {line 2.5 3 4 4.5 1} {line 13.5 3 12 4.5 1} {line 0.8 8.2 3 8.2 1} {line 13 8.2 15.2 8.2 1}} \
    {#f1c40f {circle 8 8.5 4}} {#1f78b4 {rect 0 10 16 15.5 0}} \
    {#a6cee3 {line 2 12 6 12 0.8} {line 9 13.7 14 13.7 0.8}}]
# 7 Out of office: a briefcase.
dict set pics 7 [list \
    {#4e342e {rect 5 2 11 6 1.2}} {#efebe9 {rect 6.4 3.4 9.6 6 0.4}} \
    {#4e342e {rect 1 5 15 14.5 1.5}} {#8d6e63 {rect 2 6 14 13.5 1}} \
    {#4e342e {rect 1.5 8.8 14.5 9.8 0}} {#f9a825 {rect 7 8 9 10.6 0.3}}]
# 8 Exit: an open door and an arrow out of it.
dict set pics 8 [list \
    {#5d4037 {rect 1.5 1 9.5 15 0}} {#ffe0b2 {rect 2.7 2.2 8.3 15 0}} \
    {#8d6e63 {poly {2.7 2.2 7.5 3.6 7.5 15 2.7 15}}} {#3e2723 {circle 6.3 9 0.7}} \
    {#c62828 {line 8.5 8.5 13 8.5 2} {poly {12 5 15.8 8.5 12 12}}}]
# 9 Other (custom) status: a blue speech bubble with three dots.
dict set pics 9 [list \
    {#1a4f8b {rect 0.5 2 15.5 11.5 3} {poly {3.5 10 3 15 8 10.5}}} \
    {#4a90d9 {rect 1.5 3 14.5 10.5 2.3} {poly {4.4 10 4.2 13 6.8 10.4}}} \
    [list $W {circle 4.8 6.8 1.1} {circle 8 6.8 1.1} {circle 11.2 6.8 1.1}]]
# 10 Off sick: a thermometer.
dict set pics 10 [list \
    {#555555 {rect 5.6 0.8 10.4 11 2.4} {circle 8 12.5 3.4}} {#ffffff {rect 6.6 1.8 9.4 11 1.4}} \
    {#d32f2f {rect 7.2 5 8.8 12 0.6} {circle 8 12.5 2.5}} \
    {#555555 {line 9.4 3.5 10.8 3.5 0.5} {line 9.4 5.5 10.8 5.5 0.5} {line 9.4 7.5 10.8 7.5 0.5}}]
# 11 Offline: a grey badge with a dash ring.
dict set pics 11 [badge #bdbdbd #757575 [list {#f5f5f5 {ring 8 8 3.2 1.4}}]]
# 12 Comment: a note and a pencil.
dict set pics 12 [list \
    {#9e9e9e {rect 1 1 12 15 0.5}} {#fffde7 {rect 2 2 11 14 0}} \
    {#90a4ae {line 3.5 5 9.5 5 0.7} {line 3.5 7.5 9.5 7.5 0.7} {line 3.5 10 7 10 0.7}} \
    {#37474f {line 14.5 4.5 8 13 2.6}} {#ffb300 {line 14.2 4.9 8.3 12.6 1.5}} \
    {#ffccbc {poly {7 14.6 6.6 12.3 8.6 13.8}}}]
# 13 (not used by any command) a grey dot.
dict set pics 13 [list {#9e9e9e {circle 8 8 2}}]
# 14 Settings: a gear.
set gear {}
for {set i 0} {$i < 8} {incr i} {
    set a [expr {$i * 3.14159265358979 / 4}]
    lappend gear [list line [expr {8 + 4*cos($a)}] [expr {8 + 4*sin($a)}] [expr {8 + 7*cos($a)}] [expr {8 + 7*sin($a)}] 2.6]
}
dict set pics 14 [list [concat #546e7a $gear [list {circle 8 8 5.3}]] {#90a4ae {circle 8 8 4.2}} {#546e7a {circle 8 8 2.4}} {#eceff1 {circle 8 8 1.5}}]
# 15 Users: a person.
dict set pics 15 [list \
    {#1b5e20 {circle 8 4.6 3.6} {rect 2 9 14 15.5 4}} \
    {#ffcc80 {circle 8 4.6 2.6}} {#43a047 {rect 3 10 13 15.5 3}}]
# 16 Departments: a tree of boxes.
dict set pics 16 [list \
    {#37474f {line 8 4 8 8 1} {line 3.5 8 12.5 8 1} {line 3.5 8 3.5 11 1} {line 12.5 8 12.5 11 1}} \
    {#1565c0 {rect 4.5 0.5 11.5 5 0.6}} {#6a1b9a {rect 0.5 10.5 6.5 15 0.6}} {#ef6c00 {rect 9.5 10.5 15.5 15 0.6}}]
# 17 Statuses: a list with coloured bullets.
dict set pics 17 [list \
    {#9e9e9e {rect 0.5 0.5 15.5 15.5 1}} {#ffffff {rect 1.5 1.5 14.5 14.5 0.6}} \
    {#3cb043 {circle 4 4.5 1.5}} {#e23b2e {circle 4 8 1.5}} {#ffd34d {circle 4 11.5 1.5}} \
    {#607d8b {line 7 4.5 12.5 4.5 1} {line 7 8 12.5 8 1} {line 7 11.5 12.5 11.5 1}}]
# 18 Send message: an envelope with an arrow.
dict set pics 18 [list \
    {#6d6d6d {rect 0.5 4 12.5 14 0.6}} {#fffaf0 {rect 1.4 4.9 11.6 13.1 0}} \
    {#6d6d6d {line 1.4 5 6.5 9.5 0.8} {line 11.6 5 6.5 9.5 0.8}} \
    {#2e7d32 {line 9 2.5 13 2.5 1.8} {poly {12 0 15.8 2.5 12 5}}}]
# 19 Delete message: a letter struck out by a red cross.
dict set pics 19 [list \
    {#6d6d6d {rect 0.5 3 12.5 13 0.6}} {#fffaf0 {rect 1.4 3.9 11.6 12.1 0}} \
    {#6d6d6d {line 1.4 4 6.5 8.5 0.8} {line 11.6 4 6.5 8.5 0.8}} \
    {#c62828 {line 7.5 7.5 15 15 2.2} {line 15 7.5 7.5 15 2.2}}]
# 20 Retain message: a letter held by a blue clip.
dict set pics 20 [list \
    {#6d6d6d {rect 0.5 3 12.5 13 0.6}} {#fffaf0 {rect 1.4 3.9 11.6 12.1 0}} \
    {#6d6d6d {line 1.4 4 6.5 8.5 0.8} {line 11.6 4 6.5 8.5 0.8}} \
    {#1565c0 {rect 11 0.5 14.5 11 1.6}} {#fffaf0 {rect 12.2 1.7 13.3 9.6 0.5}}]
# 21 In-box: a tray holding a letter.
dict set pics 21 [list \
    {#fffaf0 {rect 4 1 12 9 0}} {#9e9e9e {line 5.5 3.5 10.5 3.5 0.7} {line 5.5 5.5 10.5 5.5 0.7}} \
    {#1565c0 {poly {0.5 8 4 8 5.5 10.5 10.5 10.5 12 8 15.5 8 15.5 15 0.5 15}}} \
    {#64b5f6 {poly {1.5 9 3.5 9 5 11.5 11 11.5 12.5 9 14.5 9 14.5 14 1.5 14}}}]
# 22 Filter: a funnel.
dict set pics 22 [list \
    {#4a148c {poly {0.5 1.5 15.5 1.5 9.8 8.5 9.8 14.8 6.2 12.8 6.2 8.5}}} \
    {#ab47bc {poly {2.3 2.5 13.7 2.5 8.8 8.2 8.8 13.3 7.2 12.3 7.2 8.2}}}]
# 23 Refresh: a circular arrow.
dict set pics 23 [list {#2e7d32 {arc 8 8.5 5.5 2.6 110 400} {poly {2 0.5 7.6 2.4 3 6.8}}} \
    {#66bb6a {arc 8 8.5 5.5 1.2 115 395}}]
# 24 Help: a question mark in a blue badge.
dict set pics 24 [badge #1e88e5 #0d47a1 [list [list $W {arc 8 6.2 2.4 1.7 320 170} {line 9.6 8 8 9.5 1.7} {line 8 9.5 8 10.3 1.7} {circle 8 12.5 1.1}]]]
# 25 (not used by any command) a grey dot.
dict set pics 25 [dict get $pics 13]
# 26 Alert: a bell.
dict set pics 26 [list \
    {#b8860b {poly {8 1.2 10.2 2.6 11.5 6 12 10.5 14.5 12.8 1.5 12.8 4 10.5 4.5 6 5.8 2.6}} {circle 8 14 1.8}} \
    {#ffd54f {poly {8 2.3 9.7 3.4 10.6 6.2 11 10.8 12.5 12 3.5 12 5 10.8 5.4 6.2 6.3 3.4}}} \
    {#fff59d {line 6.5 4.5 6 9.5 0.8}}]

# New-message frames: an envelope whose flap lifts and a red dot that pulses.
proc envelope {flapUp dot} {
    set p [list {#5d4037 {rect 0.5 5 15.5 15 0.8}} {#fff3e0 {rect 1.5 6 14.5 14 0}}]
    if {$flapUp} {
        lappend p {#5d4037 {poly {0.5 5.5 8 0.5 15.5 5.5}}} {#ffe0b2 {poly {2.3 5.5 8 1.7 13.7 5.5}}} \
                  {#8d6e63 {line 1.5 6 8 10.5 0.8} {line 14.5 6 8 10.5 0.8}}
    } else {
        lappend p {#8d6e63 {line 1.5 6 8 11 0.9} {line 14.5 6 8 11 0.9}}
    }
    if {$dot > 0} {
        lappend p [list #b71c1c [list circle 12.5 3.5 [expr {$dot + 0.7}]]] [list #ef5350 [list circle 12.5 3.5 $dot]]
    }
    return $p
}
set mail [list [envelope 0 0] [envelope 0 1.6] [envelope 1 2.6] [envelope 0 1.6]]

# The program icon: an in/out board, three rows of people with their status lights.
set icon [list {#0d3c61 {rect 0.3 0.3 15.7 15.7 2.5}} {#1976d2 {rect 1.2 1.2 14.8 14.8 1.8}} \
    {#3cb043 {circle 4 4.4 1.7}} {#e23b2e {circle 4 8 1.7}} {#ffd34d {circle 4 11.6 1.7}} \
    {#ffffff {rect 6.6 3.6 13 5.2 0.8} {rect 6.6 7.2 11.5 8.8 0.8} {rect 6.6 10.8 12.2 12.4 0.8}}]

# --- the spin edit's arrows -------------------------------------------------------------------------
# Each picture holds two glyphs side by side, enabled then disabled, drawn pixel for pixel: at 9 pixels
# wide an arrow must be crisp. The bottom-left pixel is the colour a button leaves transparent.

set spinColours [dict create . {255 0 255} X {0 0 0} g {128 128 128} w {255 255 255}]

# A 24-bit BMP of rows of characters (top row first), colours from spinColours.
proc pixelbmp {rows} {
    global spinColours
    set w [string length [lindex $rows 0]]
    set h [llength $rows]
    set pad [expr {(4 - ($w * 3) % 4) % 4}]
    set pixels ""
    foreach row [lreverse $rows] {
        foreach c [split $row ""] {
            lassign [dict get $spinColours $c] r g b
            append pixels [binary format ccc $b $g $r]
        }
        append pixels [string repeat "\0" $pad]
    }
    set header [binary format iiissiiiiii 40 $w $h 1 24 0 [string length $pixels] 2835 2835 0 0]
    set fileheader [binary format a2iss "BM" [expr {14 + 40 + [string length $pixels]}] 0 0]
    append fileheader [binary format i [expr {14 + 40}]]
    return "$fileheader$header$pixels"
}

# The disabled glyph: the arrow embossed, grey with a white shadow one pixel down and right.
proc disabled {rows} {
    set h [llength $rows]
    set w [string length [lindex $rows 0]]
    set out {}
    for {set y 0} {$y < $h} {incr y} {
        set line ""
        for {set x 0} {$x < $w} {incr x} {
            set c "."
            if {[string index [lindex $rows $y] $x] eq "X"} {
                set c g
            } elseif {$x > 0 && $y > 0 && [string index [lindex $rows [expr {$y - 1}]] [expr {$x - 1}]] eq "X"} {
                set c w
            }
            append line $c
        }
        lappend out $line
    }
    return $out
}

proc spinpicture {rows} {
    set both {}
    foreach a $rows b [disabled $rows] { lappend both "$a$b" }
    return [pixelbmp $both]
}

set spinUp {
    "........."
    "....X...."
    "...XXX..."
    "..XXXXX.."
    ".XXXXXXX."
    "........."
}
set spinLeft {
    "........."
    ".....X..."
    "....XX..."
    "...XXX..."
    "..XXXX..."
    "...XXX..."
    "....XX..."
    ".....X..."
    "........."
}

proc spinfiles {out} {
    global spinUp spinLeft
    writefile [file join $out SpinUp.bmp] [spinpicture $spinUp]
    writefile [file join $out SpinDown.bmp] [spinpicture [lreverse $spinUp]]
    writefile [file join $out SpinLeft.bmp] [spinpicture $spinLeft]
    set right {}
    foreach row $spinLeft { lappend right [string reverse $row] }
    writefile [file join $out SpinRight.bmp] [spinpicture $right]
}

# --- output ---------------------------------------------------------------------------------------

if {[lindex $argv 0] eq "--spin" && [llength $argv] == 2} {
    file mkdir [lindex $argv 1]
    spinfiles [lindex $argv 1]
    exit 0
}

if {[llength $argv] != 1} {
    puts stderr "usage: tclsh images.tcl ?--spin? <output folder>"
    exit 2
}
set out [lindex $argv 0]
file mkdir $out
set small {}
for {set i 0} {$i <= 26} {incr i} { lappend small [dict get $pics $i] }
imagelist [file join $out SmallPics.imgl] $small 16
imagelist [file join $out NewMail.imgl] $mail 16
iconfile [file join $out yOZ.ico] $icon {32 16}
# A preview for people: every picture at 16 px, enlarged four times, on a light background.
set preview [concat $small $mail [list $icon]]
set painted {}
foreach p $preview { lappend painted [paint $p 16] }
set big {}
foreach p $painted {
    set rows {}
    foreach row $p {
        set r {}
        foreach px $row {
            lassign $px cr cg cb a
            set k [expr {$a / 255.0}]
            set q [list [expr {int($cr*$k + 240*(1-$k))}] [expr {int($cg*$k + 240*(1-$k))}] [expr {int($cb*$k + 240*(1-$k))}] 255]
            lappend r $q $q $q $q
        }
        lappend rows $r $r $r $r
    }
    lappend big $rows
}
writefile [file join $out preview.bmp] [bmpstrip $big 64]
