#!/usr/bin/env tclsh
# Draws the board's own pictures: the status and command images, the frames of the new-message
# animation, the program icon, the about box's two pictures and the clear button's glyph; or, with
# --spin, the spin edit's four arrow pictures.
#
#   tclsh images.tcl <output folder>
#   tclsh images.tcl --spin <output folder>
#
# Writes SmallPics.imgl and NewMail.imgl (image-list data: int32 width, height and count, then one
# 32-bit BMP holding the images side by side, its alpha byte marking transparency) and yOZ.ico
# (32 x 32 and 16 x 16, 32-bit with alpha), About.bmp (150 x 279, 24-bit), Maker.jpg (110 x 41,
# baseline JPEG) and Clear.bmp (16 x 16, 24-bit, fuchsia transparent).
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

# --- the about box's pictures: pictures of any size, drawn in pixel units -------------------------

# The bounding box {x0 y0 x1 y1} of a shape, in the shape's units.
proc shapebox {shape} {
    set args [lassign $shape kind]
    switch -- $kind {
        circle { lassign $args cx cy r; set w 0 }
        ring - arc { lassign $args cx cy r w; set r [expr {$r + $w / 2.0}] }
        rect { lassign $args x0 y0 x1 y1; return [list $x0 $y0 $x1 $y1] }
        line {
            lassign $args x0 y0 x1 y1 w
            set h [expr {$w / 2.0}]
            return [list [expr {min($x0,$x1) - $h}] [expr {min($y0,$y1) - $h}] [expr {max($x0,$x1) + $h}] [expr {max($y0,$y1) + $h}]]
        }
        poly {
            set xs {}; set ys {}
            foreach {x y} [lindex $args 0] { lappend xs $x; lappend ys $y }
            return [list [tcl::mathfunc::min {*}$xs] [tcl::mathfunc::min {*}$ys] [tcl::mathfunc::max {*}$xs] [tcl::mathfunc::max {*}$ys]]
        }
    }
    return [list [expr {$cx - $r}] [expr {$cy - $r}] [expr {$cx + $r}] [expr {$cy + $r}]]
}

# Paints a W x H picture: a vertical gradient from colour Top to colour Bottom, then each
# {colour shape ?shape...?} over it, sampled 3 x 3 a pixel and only inside each shape's box.
# Returns rows top first of {r g b}.
proc paintbox {w h top bottom picture} {
    set ss 3
    lassign [hexcolor $top] tr tg tb
    lassign [hexcolor $bottom] br bg bb
    set px {}
    for {set y 0} {$y < $h} {incr y} {
        set t [expr {$h > 1 ? double($y) / ($h - 1) : 0.0}]
        set c [list [expr {$tr + ($br - $tr) * $t}] [expr {$tg + ($bg - $tg) * $t}] [expr {$tb + ($bb - $tb) * $t}]]
        for {set x 0} {$x < $w} {incr x} { lappend px $c }
    }
    foreach op $picture {
        set shapes [lassign $op colour]
        lassign [hexcolor $colour] cr cg cb
        set x0 $w; set y0 $h; set x1 0; set y1 0
        foreach s $shapes {
            lassign [shapebox $s] a b c d
            set x0 [expr {min($x0, int(floor($a)))}]; set y0 [expr {min($y0, int(floor($b)))}]
            set x1 [expr {max($x1, int(ceil($c)))}]; set y1 [expr {max($y1, int(ceil($d)))}]
        }
        set x0 [expr {max($x0, 0)}]; set y0 [expr {max($y0, 0)}]
        set x1 [expr {min($x1, $w - 1)}]; set y1 [expr {min($y1, $h - 1)}]
        for {set y $y0} {$y <= $y1} {incr y} {
            for {set x $x0} {$x <= $x1} {incr x} {
                set hits 0
                for {set sy 0} {$sy < $ss} {incr sy} {
                    for {set sx 0} {$sx < $ss} {incr sx} {
                        set gx [expr {$x + ($sx + 0.5) / $ss}]
                        set gy [expr {$y + ($sy + 0.5) / $ss}]
                        foreach s $shapes {
                            if {[inside $s $gx $gy]} { incr hits; break }
                        }
                    }
                }
                if {$hits == 0} continue
                set a [expr {double($hits) / ($ss * $ss)}]
                set k [expr {$y * $w + $x}]
                lassign [lindex $px $k] r g b
                lset px $k [list [expr {$cr * $a + $r * (1 - $a)}] [expr {$cg * $a + $g * (1 - $a)}] [expr {$cb * $a + $b * (1 - $a)}]]
            }
        }
    }
    set rows {}
    for {set y 0} {$y < $h} {incr y} {
        set row {}
        for {set x 0} {$x < $w} {incr x} {
            lassign [lindex $px [expr {$y * $w + $x}]] r g b
            lappend row [list [expr {int(round($r))}] [expr {int(round($g))}] [expr {int(round($b))}]]
        }
        lappend rows $row
    }
    return $rows
}

# A 24-bit BMP file of the rows.
proc bmp24 {rows} {
    set h [llength $rows]
    set w [llength [lindex $rows 0]]
    set pad [string repeat \0 [expr {(4 - (3 * $w) % 4) % 4}]]
    set pixels ""
    foreach row [lreverse $rows] {
        foreach p $row { lassign $p r g b; append pixels [binary format ccc $b $g $r] }
        append pixels $pad
    }
    set header [binary format iiissiiiiii 40 $w $h 1 24 0 [string length $pixels] 2835 2835 0 0]
    return "[binary format a2issi BM [expr {54 + [string length $pixels]}] 0 0 54]$header$pixels"
}

# --- a baseline JPEG writer: YCbCr without subsampling, the example tables of the JPEG standard at
# quality 90, one scan ------------------------------------------------------------------------------

set zigzag {0 1 8 16 9 2 3 10 17 24 32 25 18 11 4 5 12 19 26 33 40 48 41 34 27 20 13 6 7 14 21 28
            35 42 49 56 57 50 43 36 29 22 15 23 30 37 44 51 58 59 52 45 38 31 39 46 53 60 61 54 47 55 62 63}
set qluma {16 11 10 16 24 40 51 61 12 12 14 19 26 58 60 55 14 13 16 24 40 57 69 56 14 17 22 29 51 87 80 62
           18 22 37 56 68 109 103 77 24 35 55 64 81 104 113 92 49 64 78 87 103 121 120 101 72 92 95 98 112 100 103 99}
set qchroma [concat {17 18 24 47 99 99 99 99 18 21 26 66 99 99 99 99 24 26 56 99 99 99 99 99 47 66 99 99 99 99 99 99} \
                    [lrepeat 32 99]]
set dcbits(0) {0 1 5 1 1 1 1 1 1 0 0 0 0 0 0 0}
set dcvals(0) {0 1 2 3 4 5 6 7 8 9 10 11}
set dcbits(1) {0 3 1 1 1 1 1 1 1 1 1 0 0 0 0 0}
set dcvals(1) {0 1 2 3 4 5 6 7 8 9 10 11}
set acbits(0) {0 2 1 3 3 2 4 3 5 5 4 4 0 0 1 125}
set acvals(0) {0x01 0x02 0x03 0x00 0x04 0x11 0x05 0x12 0x21 0x31 0x41 0x06 0x13 0x51 0x61 0x07
 0x22 0x71 0x14 0x32 0x81 0x91 0xa1 0x08 0x23 0x42 0xb1 0xc1 0x15 0x52 0xd1 0xf0
 0x24 0x33 0x62 0x72 0x82 0x09 0x0a 0x16 0x17 0x18 0x19 0x1a 0x25 0x26 0x27 0x28
 0x29 0x2a 0x34 0x35 0x36 0x37 0x38 0x39 0x3a 0x43 0x44 0x45 0x46 0x47 0x48 0x49
 0x4a 0x53 0x54 0x55 0x56 0x57 0x58 0x59 0x5a 0x63 0x64 0x65 0x66 0x67 0x68 0x69
 0x6a 0x73 0x74 0x75 0x76 0x77 0x78 0x79 0x7a 0x83 0x84 0x85 0x86 0x87 0x88 0x89
 0x8a 0x92 0x93 0x94 0x95 0x96 0x97 0x98 0x99 0x9a 0xa2 0xa3 0xa4 0xa5 0xa6 0xa7
 0xa8 0xa9 0xaa 0xb2 0xb3 0xb4 0xb5 0xb6 0xb7 0xb8 0xb9 0xba 0xc2 0xc3 0xc4 0xc5
 0xc6 0xc7 0xc8 0xc9 0xca 0xd2 0xd3 0xd4 0xd5 0xd6 0xd7 0xd8 0xd9 0xda 0xe1 0xe2
 0xe3 0xe4 0xe5 0xe6 0xe7 0xe8 0xe9 0xea 0xf1 0xf2 0xf3 0xf4 0xf5 0xf6 0xf7 0xf8 0xf9 0xfa}
set acbits(1) {0 2 1 2 4 4 3 4 7 5 4 4 0 1 2 119}
set acvals(1) {0x00 0x01 0x02 0x03 0x11 0x04 0x05 0x21 0x31 0x06 0x12 0x41 0x51 0x07 0x61 0x71
 0x13 0x22 0x32 0x81 0x08 0x14 0x42 0x91 0xa1 0xb1 0xc1 0x09 0x23 0x33 0x52 0xf0
 0x15 0x62 0x72 0xd1 0x0a 0x16 0x24 0x34 0xe1 0x25 0xf1 0x17 0x18 0x19 0x1a 0x26
 0x27 0x28 0x29 0x2a 0x35 0x36 0x37 0x38 0x39 0x3a 0x43 0x44 0x45 0x46 0x47 0x48
 0x49 0x4a 0x53 0x54 0x55 0x56 0x57 0x58 0x59 0x5a 0x63 0x64 0x65 0x66 0x67 0x68
 0x69 0x6a 0x73 0x74 0x75 0x76 0x77 0x78 0x79 0x7a 0x82 0x83 0x84 0x85 0x86 0x87
 0x88 0x89 0x8a 0x92 0x93 0x94 0x95 0x96 0x97 0x98 0x99 0x9a 0xa2 0xa3 0xa4 0xa5
 0xa6 0xa7 0xa8 0xa9 0xaa 0xb2 0xb3 0xb4 0xb5 0xb6 0xb7 0xb8 0xb9 0xba 0xc2 0xc3
 0xc4 0xc5 0xc6 0xc7 0xc8 0xc9 0xca 0xd2 0xd3 0xd4 0xd5 0xd6 0xd7 0xd8 0xd9 0xda
 0xe2 0xe3 0xe4 0xe5 0xe6 0xe7 0xe8 0xe9 0xea 0xf2 0xf3 0xf4 0xf5 0xf6 0xf7 0xf8 0xf9 0xfa}

# The code of each symbol of a table given by its counts per length and its symbols: a dict
# symbol -> bit string.
proc huffcodes {bits vals} {
    set codes [dict create]
    set code 0
    set k 0
    for {set len 1} {$len <= 16} {incr len} {
        for {set i 0} {$i < [lindex $bits [expr {$len - 1}]]} {incr i} {
            set bin ""
            for {set b [expr {$len - 1}]} {$b >= 0} {incr b -1} { append bin [expr {($code >> $b) & 1}] }
            dict set codes [expr {[lindex $vals $k]}] $bin
            incr code
            incr k
        }
        set code [expr {$code << 1}]
    }
    return $codes
}

proc scaledq {table} {
    set out {}
    foreach q $table { lappend out [expr {max(1, min(255, ($q * 20 + 50) / 100))}] }
    return $out
}

# The value bits of a coefficient: its size (bit count) and the bit string.
proc valuebits {v} {
    set a [expr {abs($v)}]
    set size 0
    while {$a >> $size} { incr size }
    if {$size == 0} { return [list 0 ""] }
    set u [expr {$v < 0 ? $v + (1 << $size) - 1 : $v}]
    set bin ""
    for {set b [expr {$size - 1}]} {$b >= 0} {incr b -1} { append bin [expr {($u >> $b) & 1}] }
    return [list $size $bin]
}

proc jpeg {rows} {
    global zigzag qluma qchroma dcbits dcvals acbits acvals
    set h [llength $rows]
    set w [llength [lindex $rows 0]]
    set q(0) [scaledq $qluma]
    set q(1) [scaledq $qchroma]
    foreach t {0 1} {
        set dc($t) [huffcodes $dcbits($t) $dcvals($t)]
        set ac($t) [huffcodes $acbits($t) $acvals($t)]
    }
    # cos table: c(u,x) = C(u)/2 cos((2x+1)u pi/16)
    for {set u 0} {$u < 8} {incr u} {
        for {set x 0} {$x < 8} {incr x} {
            set cu [expr {$u == 0 ? sqrt(0.5) : 1.0}]
            set c($u,$x) [expr {$cu / 2.0 * cos((2 * $x + 1) * $u * 3.14159265358979 / 16.0)}]
        }
    }
    # Component planes, level-shifted.
    foreach row $rows {
        foreach p $row {
            lassign $p r g b
            lappend plane(0) [expr {0.299 * $r + 0.587 * $g + 0.114 * $b - 128}]
            lappend plane(1) [expr {-0.168736 * $r - 0.331264 * $g + 0.5 * $b}]
            lappend plane(2) [expr {0.5 * $r - 0.418688 * $g - 0.081312 * $b}]
        }
    }
    set bits ""
    set pred(0) 0; set pred(1) 0; set pred(2) 0
    for {set by 0} {$by < $h} {incr by 8} {
        for {set bx 0} {$bx < $w} {incr bx 8} {
            foreach comp {0 1 2} {
                set t [expr {$comp == 0 ? 0 : 1}]
                # The block, edge pixels repeated past the picture.
                set f {}
                for {set y 0} {$y < 8} {incr y} {
                    set yy [expr {min($by + $y, $h - 1)}]
                    for {set x 0} {$x < 8} {incr x} {
                        lappend f [lindex $plane($comp) [expr {$yy * $w + min($bx + $x, $w - 1)}]]
                    }
                }
                # Rows, then columns.
                set r1 {}
                for {set y 0} {$y < 8} {incr y} {
                    for {set u 0} {$u < 8} {incr u} {
                        set s 0.0
                        for {set x 0} {$x < 8} {incr x} { set s [expr {$s + $c($u,$x) * [lindex $f [expr {$y * 8 + $x}]]}] }
                        lappend r1 $s
                    }
                }
                set coef [lrepeat 64 0]
                for {set v 0} {$v < 8} {incr v} {
                    for {set u 0} {$u < 8} {incr u} {
                        set s 0.0
                        for {set y 0} {$y < 8} {incr y} { set s [expr {$s + $c($v,$y) * [lindex $r1 [expr {$y * 8 + $u}]]}] }
                        set k [expr {$v * 8 + $u}]
                        lset coef $k [expr {int(round($s / [lindex $q($t) $k]))}]
                    }
                }
                # DC difference, then the run-length coded AC coefficients in zig-zag order.
                set d [expr {[lindex $coef 0] - $pred($comp)}]
                set pred($comp) [lindex $coef 0]
                lassign [valuebits $d] size vb
                append bits [dict get $dc($t) $size] $vb
                set run 0
                for {set i 1} {$i < 64} {incr i} {
                    set v [lindex $coef [lindex $zigzag $i]]
                    if {$v == 0} { incr run; continue }
                    while {$run > 15} { append bits [dict get $ac($t) 240]; incr run -16 }
                    lassign [valuebits $v] size vb
                    append bits [dict get $ac($t) [expr {($run << 4) | $size}]] $vb
                    set run 0
                }
                if {$run > 0} { append bits [dict get $ac($t) 0] }
            }
        }
    }
    while {[string length $bits] % 8} { append bits 1 }
    set scan [string map [list \xff \xff\x00] [binary format B* $bits]]

    set out [binary format cc 0xFF 0xD8]
    append out [binary format ccSa5cccSScc 0xFF 0xE0 16 "JFIF\0" 1 1 0 1 1 0 0]
    foreach t {0 1} {
        set zz {}
        foreach i $zigzag { lappend zz [lindex $q($t) $i] }
        append out [binary format ccSc 0xFF 0xDB 67 $t] [binary format c* $zz]
    }
    append out [binary format ccScSSc 0xFF 0xC0 17 8 $h $w 3]
    append out [binary format ccc 1 0x11 0] [binary format ccc 2 0x11 1] [binary format ccc 3 0x11 1]
    foreach {class t} {0 0 1 0 0 1 1 1} {
        if {$class == 0} { set b $dcbits($t); set v $dcvals($t) } else { set b $acbits($t); set v $acvals($t) }
        set vals {}
        foreach x $v { lappend vals [expr {$x}] }
        append out [binary format ccSc 0xFF 0xC4 [expr {3 + 16 + [llength $vals]}] [expr {($class << 4) | $t}]]
        append out [binary format c* $b] [binary format c* $vals]
    }
    append out [binary format ccSc 0xFF 0xDA 12 3] [binary format cccccc 1 0x00 2 0x11 3 0x11] [binary format ccc 0 63 0]
    append out $scan [binary format cc 0xFF 0xD9]
    return $out
}

# The about box's side picture (150 x 279): the name over an in/out board, arrows in and out.
set aboutpicture [list \
    {#0a2a45 {rect 13 98 137 237 7}} {#f5f7fa {rect 15 100 135 235 6}} \
    {#ffffff {line 22 35 34 57 6} {line 47 35 28 80 6} {ring 74 53 16 7} \
             {line 98 36 127 36 6} {line 127 36 98 70 6} {line 98 70 127 70 6}} \
    {#3cb043 {circle 32 118 6.5}} {#e23b2e {circle 32 142 6.5}} {#ffd34d {circle 32 166 6.5}} \
    {#4a90d9 {circle 32 190 6.5}} {#bdbdbd {circle 32 214 6.5}} \
    {#90a4ae {rect 46 114 116 122 3} {rect 46 138 101 146 3} {rect 46 162 126 170 3} \
             {rect 46 186 108 194 3} {rect 46 210 94 218 3}} \
    {#66bb6a {line 16 258 56 258 7} {poly {52 246 70 258 52 270}}} \
    {#ef5350 {line 98 258 134 258 7} {poly {100 246 82 258 100 270}}}]
# The maker's mark (110 x 41): "QD" on a blue badge and three coloured bars.
set makerlogo [list \
    {#0d47a1 {rect 3 3 52 38 6}} \
    {#ffffff {ring 17 20.5 9 3.5} {line 20 25 27 32 3} \
             {line 33.5 11.5 33.5 29.5 3.5} {line 33.5 11.5 37 11.5 3.5} {line 33.5 29.5 37 29.5 3.5} \
             {arc 37 20.5 9 3.5 270 90}} \
    {#1e88e5 {rect 58 8 104 13 2.5}} {#43a047 {rect 58 18 94 23 2.5}} {#fb8c00 {rect 58 28 99 33 2.5}}]
# The clear button's glyph (16 x 16 on fuchsia, the transparent colour): a red cross.
set clearglyph [list {#c62828 {line 4 4 12 12 2.4} {line 12 4 4 12 2.4}}]

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
writefile [file join $out About.bmp] [bmp24 [paintbox 150 279 #0d3c61 #1976d2 $aboutpicture]]
writefile [file join $out Maker.jpg] [jpeg [paintbox 110 41 #ffffff #e3e8ee $makerlogo]]
writefile [file join $out Clear.bmp] [bmp24 [paintbox 16 16 #ff00ff #ff00ff $clearglyph]]
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
