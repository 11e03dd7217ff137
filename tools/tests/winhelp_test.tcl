# Checks of the help-file generator: tclsh winhelp_test.tcl <winhelp.tcl> <source root> <work folder>
# Writes the board's help file from docs/help, reads it back as a viewer would (file header, directory
# tree, |SYSTEM, |TOPIC records, |CONTEXT, |TTLBTREE, |CTXOMAP) and checks that every help context
# number of the board's windows (app/*.form) and each named topic lead to a topic.
lassign $argv tool root work
file mkdir $work
source [file join [file dirname [info script]] check.tcl]

proc generate {dst args} {
    catch {exec [info nameofexecutable] $::tool $dst "yOZ Help" {*}$args 2>@1} msg opts
    return [list [dict get $opts -code] $msg]
}

# --- reading a help file ---------------------------------------------------------------------------

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

# --- the board's help file -------------------------------------------------------------------------

set hlp [file join $work yOZ.hlp]
lassign [generate $hlp {*}[lsort [glob [file join $root docs help *.txt]]]] code msg
check "generate: exit ($msg)" $code 0
set help [readHelp $hlp]
check "title" [dict get $help title] "yOZ Help"
check "directory" [dict keys [dict get $help files]] {|CONTEXT |CTXOMAP |FONT |KWBTREE |KWDATA |KWMAP |SYSTEM |TOPIC |TTLBTREE}

# Topic offsets -> titles, from the topic records; the title tree says the same.
set titleAt {}
foreach t [dict get $help topics] { dict set titleAt [lindex $t 0] [lindex $t 1] }
check "title tree" [dict get $help titles] $titleAt
check "contents first" [lindex [dict get $help topics] 0 1] "yOZ Help"

# The six named topics are found by their context strings (and their hashes as context numbers).
foreach {name title} {Contents "yOZ Help" Installation "Installing yOZ" Displaying_your_settings "Your settings"
                      Administer_departments "Administering departments" Administer_statuses "Administering statuses"
                      Administer_Users "Administering users"} {
    set h [hash $name]
    set off [expr {[dict exists [dict get $help context] $h] ? [dict get [dict get $help context] $h] : -1}]
    check "context $name" [expr {[dict exists $titleAt $off] ? [dict get $titleAt $off] : "none"}] $title
    check "hash number $name" [expr {[dict exists [dict get $help map] $h] ? [dict get [dict get $help map] $h] : -1}] $off
}

# The viewer's Index lists every topic: each has keywords, in order regardless of case, each keyword
# leading to its one topic.
set keywords [dict get $help keywords]
check "keywords sorted" [dict keys $keywords] [lsort -nocase [dict keys $keywords]]
set indexed {}
foreach {k offs} $keywords {
    check "keyword $k: one topic" [llength $offs] 1
    check "keyword $k: leads to a topic" [dict exists $titleAt [lindex $offs 0]] 1
    dict set indexed [lindex $offs 0] 1
}
check "every topic in the index" [lsort -integer [dict keys $indexed]] [lsort -integer [dict keys $titleAt]]
check "keyword of the users topic" [dict get $titleAt [lindex [dict get $keywords "users, administering"] 0]] \
    "Administering users"
check "keyword of the messages topic" [dict get $titleAt [lindex [dict get $keywords "InBox"] 0]] "Messages"

# Every help context number a window uses opens a topic.
set used {}
foreach form [glob [file join $root app *.form]] {
    set f [open $form]
    foreach {-> n} [regexp -all -inline {HelpContext = (\d+)} [read $f]] { dict set used $n [file tail $form] }
    close $f
}
check "some windows use help" [expr {[dict size $used] >= 10}] 1
foreach n [lsort -integer [dict keys $used]] {
    set off [expr {[dict exists [dict get $help map] $n] ? [dict get [dict get $help map] $n] : -1}]
    check "context $n of [dict get $used $n] has a topic" [dict exists $titleAt $off] 1
}
check "settings sheets" [lmap n {7 9 10} { dict get $titleAt [dict get [dict get $help map] $n] }] \
    [lrepeat 3 "Your settings"]

# --- the source format -----------------------------------------------------------------------------

proc topicSource {name text} {
    set p [file join $::work $name.txt]
    set f [open $p w]
    fconfigure $f -encoding utf-8
    puts -nonewline $f $text
    close $f
    return $p
}
set a [topicSource a "Context: First\nTitle: First topic\nMap: 1\n\nOne \u00e9 line\njoined. See {the second|Second}.\n\n## Heading\n- item one\n- item two\n"]
set b [topicSource b "Context: Second\r\nTitle: Second\r\nMap: 2 3\r\n\r\nBody.\r\n"]
set small [file join $work small.hlp]
lassign [generate $small $a $b] code msg
check "small: exit ($msg)" $code 0
set help [readHelp $small]
check "small: topics" [dict get $help topics] [list [list 0 "First topic" \
    "First topic One \xe9 line joined. See the second. Heading \x95 item one \x95 item two"] \
    [list [lindex [dict get $help topics] 1 0] Second "Second Body."]]
check "small: map" [lsort -integer [dict keys [dict get $help map]]] [lsort -integer [list 1 2 3 [hash First] [hash Second]]]

# Many topics spill over several 4 KB blocks; every one is still found by its context string.
set many {}
for {set i 0} {$i < 40} {incr i} {
    lappend many [topicSource m$i "Context: T$i\nTitle: Topic $i\n\n[string repeat "Words of topic $i. " 20]\n"]
}
lassign [generate [file join $work many.hlp] {*}$many] code msg
set help [readHelp [file join $work many.hlp]]
set titleAt {}
foreach t [dict get $help topics] { dict set titleAt [lindex $t 0] [lindex $t 1] }
check "many: blocks" [expr {[llength [dict get $help topics]] == 40 && [lindex [dict get $help topics] end 0] > 0x8000}] 1
set found 0
for {set i 0} {$i < 40} {incr i} {
    if {[dict get $titleAt [dict get [dict get $help context] [hash T$i]]] eq "Topic $i"} { incr found }
}
check "many: found" $found 40

# Faults in the sources stop the build and write nothing.
foreach {name text pattern} {
    nocontext "Title: x\n\nBody\n" {missing or bad Context}
    badmap "Context: x\nTitle: x\nMap: seven\n\nBody\n" {bad context number seven}
    jump "Context: x\nTitle: x\n\nSee {y|Nowhere}.\n" {jump to unknown topic Nowhere}
    emptykeyword "Context: x\nTitle: x\nKeywords: a;;b\n\nBody\n" {empty keyword}
} {
    set dst [file join $work $name.hlp]
    lassign [generate $dst [topicSource $name $text]] code msg
    check "$name: exit" $code 1
    check "$name: message" [string match "*$pattern*" $msg] 1
    check "$name: no output" [file exists $dst] 0
}
# A keyword given to two topics (whatever its case) stops the build: the viewer would open neither.
set k1 [topicSource k1 "Context: K1\nTitle: K1\nKeywords: Users\n\nBody\n"]
set k2 [topicSource k2 "Context: K2\nTitle: K2\nKeywords: other; users\n\nBody\n"]
lassign [generate [file join $work kw.hlp] $k1 $k2] code msg
check "keyword twice" [list $code [string match {*keyword "users" is also a keyword of K1*} $msg]] {1 1}
lassign [generate [file join $work twice.hlp] $b $b] code msg
check "twice mapped" [list $code [string match "*hashes like*" $msg]] {1 1}

finish
