# Checks of the string-table generator: tclsh strtable_test.tcl <strtable.tcl> <work folder>
lassign $argv tool work
file mkdir $work
source [file join [file dirname [info script]] check.tcl]

# Runs the generator on a source text; returns {exit-code output-bytes-as-hex message}.
proc generate {name text} {
    set src [file join $::work $name.txt]
    set dst [file join $::work $name.str0]
    file delete -force $dst
    set f [open $src w]
    fconfigure $f -encoding utf-8
    puts -nonewline $f $text
    close $f
    set code [catch {exec [info nameofexecutable] $::tool $src $dst 2>@1} msg]
    set hex ""
    if {[file exists $dst]} {
        set f [open $dst rb]
        binary scan [read $f] H* hex
        close $f
    }
    return [list $code $hex $msg]
}

proc le32 {v} { binary scan [binary format i $v] H* h; return $h }
proc u16 {s} { set h ""; foreach c [split $s ""] { scan $c %c v; append h [format %02x%02x [expr {$v & 255}] [expr {$v >> 8}]] }; return $h }
set sig [binary encode hex STR0]

# Sorted by identifier whatever the source order; negative ids sort first; offsets count from the start.
lassign [generate order "# comment\n\n30 \"c\"\n-2 \"neg\"\n 7 \"\"\r\n"] code hex
check "order: exit" $code 0
set idx [expr {8 + 3 * 12}]
check "order: bytes" $hex "$sig[le32 3][le32 -2][le32 $idx][le32 3][le32 7][le32 [expr {$idx + 6}]][le32 0][le32 30][le32 [expr {$idx + 6}]][le32 1][u16 neg][u16 c]"

# Escapes and characters beyond ASCII become UTF-16LE code units.
lassign [generate escapes "1 \"a\\\"b\\\\c\\n\\r\\t\\u00e9\u00fc\"\n"] code hex
check "escapes: exit" $code 0
check "escapes: text" [string range $hex [expr {2 * 20}] end] [u16 "a\"b\\c\n\r\t\u00e9\u00fc"]

# An empty source gives an empty table.
lassign [generate empty "# nothing yet\n"] code hex
check "empty" $hex "$sig[le32 0]"

# Faults in the source stop the build with the file and line, and write nothing.
foreach {name text pattern} {
    duplicate "1 \"a\"\n2 \"b\"\n1 \"c\"\n" {duplicate.txt:3: duplicate identifier 1}
    unquoted "1 abc\n" {unquoted.txt:1: expected}
    escape "1 \"a\\qb\"\n" {escape.txt:1: unknown escape}
    range "4294967296 \"big\"\n" {range.txt:1: identifier out of range}
} {
    lassign [generate $name $text] code hex msg
    check "$name: exit" $code 1
    check "$name: no output" $hex ""
    check "$name: message" [string match "*$pattern*" $msg] 1
}

finish
