#!/usr/bin/env tclsh
# Builds a kit string table ("STR0" resource data) from a readable source file.
#
#   tclsh strtable.tcl <source.txt> <output.bin>
#
# Source: one entry per line, `<id> "<text>"`; blank lines and lines starting with # are ignored.
# The text is UTF-8 and may use the escapes \\ \" \n \r \t and \uXXXX. Identifiers are 32-bit signed
# integers and must be unique; their order in the source is free (the table is written sorted).
#
# Output (all integers little-endian): "STR0", the entry count, then per entry its identifier, the byte
# offset of its text from the start of the data and its length in UTF-16 code units, then the texts as
# UTF-16LE without terminators.

proc fail {file line msg} {
    puts stderr "$file:$line: $msg"
    exit 1
}

proc unescape {file line s} {
    set out ""
    set n [string length $s]
    for {set i 0} {$i < $n} {incr i} {
        set c [string index $s $i]
        if {$c ne "\\"} { append out $c; continue }
        incr i
        set e [string index $s $i]
        switch -- $e {
            "\\" { append out "\\" }
            "\"" { append out "\"" }
            n { append out "\n" }
            r { append out "\r" }
            t { append out "\t" }
            u {
                set hex [string range $s [expr {$i + 1}] [expr {$i + 4}]]
                if {![regexp {^[0-9A-Fa-f]{4}$} $hex]} { fail $file $line "bad \\u escape" }
                append out [format %c [scan $hex %x]]
                incr i 4
            }
            default { fail $file $line "unknown escape \\$e" }
        }
    }
    return $out
}

# UTF-16LE bytes of a string; characters beyond the basic plane become surrogate pairs.
proc utf16le {s} {
    set out ""
    foreach c [split $s ""] {
        scan $c %c cp
        if {$cp > 0xFFFF} {
            set v [expr {$cp - 0x10000}]
            append out [binary format ss [expr {0xD800 | ($v >> 10)}] [expr {0xDC00 | ($v & 0x3FF)}]]
        } else {
            append out [binary format s $cp]
        }
    }
    return $out
}

if {[llength $argv] != 2} {
    puts stderr "usage: strtable.tcl <source.txt> <output.bin>"
    exit 2
}
lassign $argv src dst

set f [open $src r]
fconfigure $f -encoding utf-8
set lines [split [read $f] "\n"]
close $f

array set texts {}
set lineNo 0
foreach l $lines {
    incr lineNo
    set l [string trimright $l "\r"]
    if {[string trim $l] eq "" || [string index [string trimleft $l] 0] eq "#"} continue
    if {![regexp {^\s*(-?[0-9]+)\s+"((?:[^"\\]|\\.)*)"\s*$} $l -> id text]} {
        fail $src $lineNo "expected: <id> \"<text>\""
    }
    set id [scan $id %d]
    if {$id < -2147483648 || $id > 2147483647} { fail $src $lineNo "identifier out of range" }
    if {[info exists texts($id)]} { fail $src $lineNo "duplicate identifier $id" }
    set texts($id) [utf16le [unescape $src $lineNo $text]]
}

set ids [lsort -integer [array names texts]]
set count [llength $ids]
set offset [expr {8 + 12 * $count}]
set index ""
set data ""
foreach id $ids {
    set t $texts($id)
    append index [binary format iii $id $offset [expr {[string length $t] / 2}]]
    append data $t
    incr offset [string length $t]
}

set tmp "$dst.tmp"
set f [open $tmp w]
fconfigure $f -translation binary
puts -nonewline $f "STR0[binary format i $count]$index$data"
close $f
file rename -force $tmp $dst
