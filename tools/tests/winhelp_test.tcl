# Checks of the help-file generator: tclsh winhelp_test.tcl <winhelp.tcl> <source root> <work folder>
# Writes the board's help file from docs/help, reads it back as a viewer would (file header, directory
# tree, |SYSTEM, |TOPIC records, |CONTEXT, |TTLBTREE, |CTXOMAP) and checks that every help context
# number of the board's windows (app/*.form) and each named topic lead to a topic.
lassign $argv tool root work
file mkdir $work
source [file join [file dirname [info script]] check.tcl]
source [file join [file dirname [info script]] helpfile.tcl]

proc generate {dst args} {
    catch {exec [info nameofexecutable] $::tool $dst "yOZ Help" {*}$args 2>@1} msg opts
    return [list [dict get $opts -code] $msg]
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

# The same sources as web pages: jumps as links, bullets as one list, text escaped; a fresh build
# leaves no page of an earlier one.
set pages [file join $work small-pages]
file mkdir $pages
close [open [file join $pages Old.html] w]
set c [topicSource c "Context: Third\nTitle: A & B\n\nx < y\n"]
catch {exec [info nameofexecutable] $tool -html $pages $small "yOZ Help" $a $b $c 2>@1} msg opts
check "small pages: exit ($msg)" [dict get $opts -code] 0
proc readPage {name} {
    set f [open [file join $::pages $name]]
    fconfigure $f -encoding utf-8
    set t [read $f]
    close $f
    return $t
}
set first [readPage First.html]
check "small pages: files" [lsort [glob -directory $pages -tails *]] {First.html Second.html Third.html contexts.txt keyword-index.html}
check "small pages: link" [string match {*See <a href="Second.html">the second</a>.*} $first] 1
check "small pages: list" [string match "*<h2>Heading</h2>\n<ul>\n<li>item one</li>\n<li>item two</li>\n</ul>*" $first] 1
check "small pages: text" [string match "*<p>One \u00e9 line joined.*" $first] 1
check "small pages: escaped" [regexp {<title>A &amp; B</title>.*<p>x &lt; y</p>} [readPage Third.html]] 1
check "small pages: contexts" [readPage contexts.txt] "contents First.html\nindex keyword-index.html\n[join [lsort -integer -index 0 [list "1 First.html" "2 Second.html" "3 Second.html" "[hash First] First.html" "[hash Second] Second.html" "[hash Third] Third.html"]] \n]\n"

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
    catch {exec [info nameofexecutable] $tool -html $dst-pages $dst "yOZ Help" [topicSource $name $text] 2>@1} msg opts
    check "$name: exit" [dict get $opts -code] 1
    check "$name: message" [string match "*$pattern*" $msg] 1
    check "$name: no output" [list [file exists $dst] [file exists $dst-pages]] {0 0}
}
# A keyword given to two topics (whatever its case) stops the build: the viewer would open neither.
set k1 [topicSource k1 "Context: K1\nTitle: K1\nKeywords: Users\n\nBody\n"]
set k2 [topicSource k2 "Context: K2\nTitle: K2\nKeywords: other; users\n\nBody\n"]
lassign [generate [file join $work kw.hlp] $k1 $k2] code msg
check "keyword twice" [list $code [string match {*keyword "users" is also a keyword of K1*} $msg]] {1 1}
lassign [generate [file join $work twice.hlp] $b $b] code msg
check "twice mapped" [list $code [string match "*hashes like*" $msg]] {1 1}

finish
