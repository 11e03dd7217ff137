# Sourced by the help checks: readHelp reads a WinHelp file back as a viewer would, hash is WinHelp's
# context-string hash. Needs check (check.tcl).

proc u16 {data at} { binary scan $data @${at}su v; return $v }
proc u32 {data at} { binary scan $data @${at}iu v; return $v }
proc s32 {data at} { binary scan $data @${at}i v; return $v }
proc cstr {data at} { string range $data $at [expr {[string first "\0" $data $at] - 1}] }

# The entries of a one-level B+ tree: key and value readers give {value next-offset}.
proc btree {data at keyReader valueReader} {
    if {[u16 $data $at] != 0x293B} { error "bad B+ tree magic at $at" }
    set pageSize [u16 $data [expr {$at + 4}]]
    set root [u16 $data [expr {$at + 26}]]
    if {[u16 $data [expr {$at + 32}]] != 1} { error "more than one level" }
    set page [expr {$at + 38 + $root * $pageSize}]
    set n [u16 $data [expr {$page + 2}]]
    set p [expr {$page + 8}]
    set out {}
    for {set i 0} {$i < $n} {incr i} {
        lassign [$keyReader $data $p] key p
        lassign [$valueReader $data $p] value p
        lappend out $key $value
    }
    return $out
}
proc readStr {data at} { set s [cstr $data $at]; list $s [expr {$at + [string length $s] + 1}] }
proc readS32 {data at} { list [s32 $data $at] [expr {$at + 4}] }
proc readKeywordPlace {data at} { list [list [u16 $data $at] [u32 $data [expr {$at + 2}]]] [expr {$at + 6}] }

# The help file as a dict: title, files (name -> offset), topics (list of {offset title text}),
# context (hash -> offset), titles (offset -> title), map (number -> offset).
proc readHelp {path} {
    set f [open $path rb]
    set d [read $f]
    close $f
    if {[u32 $d 0] != 0x35F3F} { error "not a help file" }
    check "file size" [u32 $d 12] [string length $d]
    set files [btree $d [expr {[u32 $d 4] + 9}] readStr readS32]
    set at {}
    foreach {name off} $files {
        if {[u32 $d $off] < [u32 $d [expr {$off + 4}]] + 9} { error "$name: reserved space too small" }
        dict set at $name [expr {$off + 9}]
    }
    set help [dict create files $files]
    set sys [dict get $at |SYSTEM]
    check "|SYSTEM magic and version" [list [u16 $d $sys] [u16 $d [expr {$sys + 2}]] [u16 $d [expr {$sys + 4}]]] {876 21 1}
    dict set help title [cstr $d [expr {$sys + 12 + 4}]]

    # |TOPIC: 4 KB blocks, each a 12-byte header and data; records chained by their TOPICPOS.
    set top [dict get $at |TOPIC]
    set size [u32 $d [expr {$top - 5}]]
    set stream ""
    for {set b 0} {$b * 4096 < $size} {incr b} {
        append stream [string range $d [expr {$top + $b * 4096 + 12}] [expr {$top + $b * 4096 + 4095}]]
    }
    set topics {}
    set pos 12
    set block -1
    set chars 0
    while {$pos != 0xFFFFFFFF} {
        set b [expr {($pos - 12) >> 14}]
        set r [expr {$b * 4084 + (($pos - 12) & 0x3FFF)}]
        if {$b != $block} { set block $b; set chars 0 }
        set len1 [u32 $stream [expr {$r + 16}]]
        set data2 [string range $stream [expr {$r + $len1}] [expr {$r + [u32 $stream $r] - 1}]]
        switch [scan [string index $stream [expr {$r + 20}]] %c] {
            2 { lappend topics [list [expr {$b * 0x8000 + $chars}] [cstr $data2 0] ""] }
            32 {
                # the text pieces make the paragraph; its character count follows the size
                set text [string map {"\0" ""} $data2]
                set t [lindex $topics end]
                lset topics end 2 [string trim "[lindex $t 2] $text"]
                set c [scan [string index $stream [expr {$r + 21 + 2}]] %c]
                incr chars [expr {$c & 1 ? [u16 $stream [expr {$r + 23}]] >> 1 : $c >> 1}]
            }
            default { error "unknown record type at $pos" }
        }
        set pos [u32 $stream [expr {$r + 12}]]
    }
    dict set help topics $topics
    dict set help context [btree $d [dict get $at |CONTEXT] readS32 readS32]
    dict set help titles [btree $d [dict get $at |TTLBTREE] readS32 readStr]
    set m [dict get $at |CTXOMAP]
    set map {}
    for {set i 0} {$i < [u16 $d $m]} {incr i} {
        dict set map [s32 $d [expr {$m + 2 + 8 * $i}]] [s32 $d [expr {$m + 6 + 8 * $i}]]
    }
    dict set help map $map
    # The keyword index: keyword -> the topic offsets its |KWDATA entries name.
    set keywords {}
    if {[dict exists $at |KWBTREE]} {
        set kwdata [dict get $at |KWDATA]
        foreach {k v} [btree $d [dict get $at |KWBTREE] readStr readKeywordPlace] {
            lassign $v count place
            set offs {}
            for {set i 0} {$i < $count} {incr i} { lappend offs [s32 $d [expr {$kwdata + $place + 4 * $i}]] }
            dict set keywords $k $offs
        }
        check "keyword map: one page" [list [u16 $d [dict get $at |KWMAP]] [u32 $d [expr {[dict get $at |KWMAP] + 2}]]] {1 0}
    }
    dict set help keywords $keywords
    return $help
}

# WinHelp's context-string hash: the value of each character is its place in this table.
proc hash {s} {
    set h 0
    foreach c [split [string tolower $s] ""] {
        set x [string first $c "#1234567890#._###abcdefghijklmnopqrstuvwxyz"]
        if {$x > 0 && $c ne "#"} { set h [expr {($h * 43 + $x) & 0xFFFFFFFF}] }
    }
    expr {$h >= 0x80000000 ? $h - 0x100000000 : $h}
}
