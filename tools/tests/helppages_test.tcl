# Checks the built help file against its web pages: tclsh helppages_test.tcl <file.hlp> <pages folder>
# Every topic of the help file has its page (named by its context string, headed by its title), every
# link of every page leads to a page of the folder, the keyword index page lists every keyword of the
# help file with a link to its topic's page, and contexts.txt sends every context number of the help
# file, and the contents request, to the page of the same topic.
lassign $argv hlp folder
source [file join [file dirname [info script]] check.tcl]
source [file join [file dirname [info script]] helpfile.tcl]

proc readText {path} {
    set f [open $path r]
    fconfigure $f -encoding utf-8
    set t [read $f]
    close $f
    return $t
}
proc unhtml {s} { string map {&lt; < &gt; > &quot; \" &amp; &} $s }

set help [readHelp $hlp]
set titleAt {}
foreach t [dict get $help topics] { dict set titleAt [lindex $t 0] [encoding convertfrom cp1252 [lindex $t 1]] }
set context [dict get $help context]

# The topic a page stands for: the one its name, as a context string, leads to in the help file.
proc topicOf {page} {
    set h [hash [file rootname $page]]
    expr {[dict exists $::context $h] ? [dict get $::context $h] : -1}
}

set pages [lsort [lmap p [glob -directory $folder -tails *.html] { set p }]]
set index keyword-index.html
check "the index page is there" [expr {$index in $pages}] 1
set paged {}
foreach page $pages {
    set text [readText [file join $folder $page]]
    regexp {<title>([^<]*)</title>} $text -> title
    if {$page ne $index} {
        set at [topicOf $page]
        check "$page is a topic's page" [dict exists $titleAt $at] 1
        if {![dict exists $titleAt $at]} continue
        check "$page: title" [unhtml $title] [dict get $titleAt $at]
        check "$page: heading" [regexp "<h1>[regsub -all {[][\\.*+?(){}^$|]} $title {\\&}]</h1>" $text] 1
        check "$page: one page per topic" [dict exists $paged $at] 0
        dict set paged $at $page
    }
    foreach {-> href} [regexp -all -inline {<a href="([^"]*)"} $text] {
        check "$page: link $href leads to a page" [expr {[unhtml $href] in $pages}] 1
    }
}
check "every topic has its page" [lsort -integer [dict keys $paged]] [lsort -integer [dict keys $titleAt]]

# The keyword index page: the help file's keywords, in its order, each linked to its topic's page.
set listed {}
foreach {-> href label} [regexp -all -inline {<li><a href="([^"]*)">([^<]*)</a></li>} [readText [file join $folder $index]]] {
    lappend listed [encoding convertto cp1252 [unhtml $label]] [topicOf [unhtml $href]]
}
set keywords {}
foreach {k offs} [dict get $help keywords] { lappend keywords $k [lindex $offs 0] }
check "the index page lists the keywords" $listed $keywords

# contexts.txt: the page of every context number is the page of the topic the help file maps it to.
set map {}
foreach line [split [string trim [readText [file join $folder contexts.txt]]] "\n"] {
    lassign $line key page
    check "contexts.txt: $key names a page" [expr {$page in $pages}] 1
    dict set map $key $page
}
check "contents page" [topicOf [dict get $map contents]] [lindex [dict get $help topics] 0 0]
check "index page" [dict get $map index] $index
set numbers [lsort -integer [dict keys [dict get $help map]]]
check "every context number has a page" [lsort -integer [lsearch -all -inline -not -regexp [dict keys $map] {^[a-z]}]] $numbers
foreach n $numbers {
    if {[dict exists $map $n]} {
        check "context number $n: its topic's page" [topicOf [dict get $map $n]] [dict get [dict get $help map] $n]
    }
}

finish
