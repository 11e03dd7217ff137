#!/usr/bin/env tclsh
# Writes a WinHelp 3.1 help file from topic texts kept as plain text.
#
#   tclsh winhelp.tcl [-html <folder>] <output.hlp> <title> <topic.txt>...
#
# With -html the same topics are also written as plain web pages into the folder (made afresh): one
# <Context>.html per topic with the same jumps as links, keyword-index.html listing the keywords, and
# contexts.txt telling which page opens for a help request: "contents <page>", "index <page>" and one
# "<context number> <page>" line for every number the help file maps (the hashes included). A program
# with no WinHelp viewer shows these pages instead.
#
# Topic source (UTF-8; written to the help file in code page 1252): header lines, a blank line, then
# the body.
#   Context: Administer_Users       the topic's context string (what HelpJump names)
#   Title: Administering users      the title shown in the topic's heading and kept in the title tree
#   Map: 5 12                       help context numbers (HelpContext of the windows) opening this topic
#   Keywords: users; deleting users the topic's entries in the viewer's keyword index, separated by ";"
# Body: paragraphs separated by blank lines (lines of one paragraph are joined); "## text" is a
# sub-heading, "- text" a bulleted paragraph; {text|Context} is a jump to another topic. The topics keep
# the order of the command line; the first is the contents topic.
#
# The file is uncompressed (no phrase table, no LZ77): the internal file system with its B+ tree
# directory, |SYSTEM, |FONT, |TOPIC in 4 KB blocks, |CONTEXT (hash -> topic), |TTLBTREE (topic ->
# title), |CTXOMAP (context number -> topic) and the keyword index |KWBTREE (keyword -> its place in
# |KWDATA), |KWDATA (topics of each keyword) and |KWMAP. All integers are little-endian.

proc fail {msg} {
    puts stderr "winhelp.tcl: $msg"
    exit 1
}

# --- numbers ---------------------------------------------------------------------------------------

proc u8 {v} { binary format c $v }
proc u16 {v} { binary format s $v }
proc u32 {v} { binary format i $v }

# The help compiler's variable-length numbers: the low bit of the first byte tells the long form.
proc cushort {v} {
    if {$v < 0x80} { return [u8 [expr {$v * 2}]] }
    return [u16 [expr {$v * 2 + 1}]]
}
proc cshort {v} {
    if {$v >= -0x40 && $v < 0x40} { return [u8 [expr {($v + 0x40) * 2}]] }
    return [u16 [expr {($v + 0x4000) * 2 + 1}]]
}
proc clong {v} {
    if {$v >= -0x4000 && $v < 0x4000} { return [u16 [expr {($v + 0x4000) * 2}]] }
    return [u32 [expr {(($v + 0x40000000) * 2 + 1) & 0xFFFFFFFF}]]
}

# WinHelp's hash of a context string: letters (either case), digits, '.' and '_' count, others are
# skipped; 32-bit signed.
proc hash {s} {
    set h 0
    foreach c [split $s ""] {
        scan $c %c v
        if {$v >= 65 && $v <= 90} { set x [expr {$v - 65 + 17}]
        } elseif {$v >= 97 && $v <= 122} { set x [expr {$v - 97 + 17}]
        } elseif {$v >= 49 && $v <= 57} { set x [expr {$v - 48}]
        } elseif {$c eq "0"} { set x 10
        } elseif {$c eq "."} { set x 12
        } elseif {$c eq "_"} { set x 13
        } else { continue }
        set h [expr {($h * 43 + $x) & 0xFFFFFFFF}]
    }
    expr {$h >= 0x80000000 ? $h - 0x100000000 : $h}
}

# --- topic sources ---------------------------------------------------------------------------------

# Reads one topic source into a dict: context, title, map (list), paras (list of {kind text}).
proc readTopic {path} {
    set f [open $path r]
    fconfigure $f -encoding utf-8
    set lines [split [string map {"\r" ""} [read $f]] "\n"]
    close $f
    set topic [dict create context "" title "" map {} keywords {} paras {} file $path]
    set i 0
    for {} {$i < [llength $lines]} {incr i} {
        set l [lindex $lines $i]
        if {[string trim $l] eq ""} { incr i; break }
        if {![regexp {^(Context|Title|Map|Keywords):\s*(.*?)\s*$} $l -> key value]} {
            fail "$path:[expr {$i + 1}]: expected Context:, Title:, Map: or Keywords:"
        }
        if {$key eq "Keywords"} {
            foreach k [split $value ";"] {
                set k [string trim $k]
                if {$k eq ""} { fail "$path:[expr {$i + 1}]: empty keyword" }
                dict lappend topic keywords $k
            }
        } elseif {$key eq "Map"} {
            foreach n $value {
                if {![string is integer -strict $n] || $n <= 0} { fail "$path:[expr {$i + 1}]: bad context number $n" }
                dict lappend topic map $n
            }
        } else {
            dict set topic [string tolower $key] $value
        }
    }
    if {![regexp {^[A-Za-z0-9._]+$} [dict get $topic context]]} { fail "$path: missing or bad Context:" }
    if {[dict get $topic title] eq ""} { fail "$path: missing Title:" }
    # Body: blank lines end a paragraph; "- " starts one; "## " is a paragraph of its own line.
    set paras {}
    set kind body
    set text ""
    foreach l [concat [lrange $lines $i end] [list ""]] {
        set t [string trim $l]
        if {$t eq "" || [string match "## *" $t] || [string match "- *" $t]} {
            if {$text ne ""} { lappend paras [list $kind $text] }
            set kind body
            set text ""
            if {[string match "## *" $t]} { lappend paras [list heading [string range $t 3 end]]; continue }
            if {[string match "- *" $t]} { set kind bullet; set t [string range $t 2 end] }
        }
        if {$t ne ""} { set text [string trim "$text $t"] }
    }
    dict set topic paras $paras
    return $topic
}

proc cp1252 {s} { encoding convertto cp1252 $s }

# --- |TOPIC records --------------------------------------------------------------------------------

# Fonts of |FONT: 0 body text, 1 topic heading, 2 sub-heading. Their numbers are used below.
set fontBody 0
set fontTitle 1
set fontHeading 2

# One paragraph record: LinkData1 (sizes, paragraph attributes, format commands) and LinkData2 (the
# text pieces, each ended by a NUL where the next format command applies). Spacing and indent are in
# half points. Returns {data1 data2 chars}.
proc paragraph {font text {spaceBelow 12} {indent 0}} {
    set pieces {}      ;# {text command} pairs
    lappend pieces [list "" [u8 0x80][u16 $font]]
    set rest $text
    while {[regexp {^(.*?)\{([^|{}]+)\|([A-Za-z0-9._]+)\}(.*)$} $rest -> before label target after]} {
        lappend pieces [list $before [u8 0xE3][u32 [hash $target]]]
        lappend pieces [list $label [u8 0x89]]
        lappend ::jumps $target
        set rest $after
    }
    lappend pieces [list $rest [u8 0x82]]
    set data2 ""
    set commands ""
    set chars 0
    foreach p $pieces {
        lassign $p t c
        set b [cp1252 $t]
        append data2 $b "\0"
        append commands $c
        incr chars [string length $b]
    }
    incr chars   ;# the paragraph mark
    append commands [u8 0xFF]
    set bits 0x0004
    set attrs [cshort $spaceBelow]
    if {$indent} { set bits [expr {$bits | 0x0010}]; append attrs [cshort $indent] }
    # unknown byte, biased byte (0), paragraph id, the attribute bits and their values
    set data1 [clong [string length $data2]][cushort $chars][u8 0][u8 0x80][u16 0][u16 $bits]$attrs$commands
    return [list $data1 $data2 $chars]
}

set jumps {}

set htmlFolder ""
if {[lindex $argv 0] eq "-html"} { set argv [lassign $argv -> htmlFolder] }
if {[llength $argv] < 3} {
    puts stderr "usage: winhelp.tcl \[-html <folder>\] <output.hlp> <title> <topic.txt>..."
    exit 2
}
set argv [lassign $argv dst helpTitle]
set topics {}
foreach path $argv { lappend topics [readTopic $path] }

# Every topic becomes a header record followed by its paragraph records.
# records: list of dicts {type data1 data2 chars topic}
set records {}
set seen {}
set mapped {}
set number 0
foreach t $topics {
    set ctx [dict get $t context]
    if {[dict exists $seen [hash $ctx]]} { fail "[dict get $t file]: context $ctx hashes like [dict get $seen [hash $ctx]]" }
    dict set seen [hash $ctx] $ctx
    foreach n [dict get $t map] {
        if {[dict exists $mapped $n]} { fail "[dict get $t file]: context number $n is also mapped to [dict get $mapped $n]" }
        dict set mapped $n $ctx
    }
    lappend records [dict create type 2 title [cp1252 [dict get $t title]] topic $number]
    lassign [paragraph $fontTitle [dict get $t title] 16] d1 d2 n
    lappend records [dict create type 0x20 data1 $d1 data2 $d2 chars $n topic $number]
    foreach p [dict get $t paras] {
        lassign $p kind text
        switch -- $kind {
            heading { lassign [paragraph $fontHeading $text 6] d1 d2 n }
            bullet  { lassign [paragraph $fontBody "\u2022 $text" 6 24] d1 d2 n }
            default { lassign [paragraph $fontBody $text] d1 d2 n }
        }
        lappend records [dict create type 0x20 data1 $d1 data2 $d2 chars $n topic $number]
    }
    incr number
}
# Every topic is also reachable by the number that is its context string's hash: viewers that run no
# macros sent from programs (Wine's) still open a named topic through HELP_CONTEXT.
foreach t $topics {
    set ctx [dict get $t context]
    set n [hash $ctx]
    if {[dict exists $mapped $n]} { fail "[dict get $t file]: the hash of $ctx is context number $n of [dict get $mapped $n]" }
    dict set mapped $n $ctx
}
foreach j $jumps {
    if {![dict exists $seen [hash $j]]} { fail "jump to unknown topic $j" }
}

set TopicBlockSize 4096
set BlockData [expr {$TopicBlockSize - 12}]
set LinkHeaderSize 21
set TopicHeaderSize 28

# Sizes first (a topic header's size does not depend on positions), then positions.
set i 0
foreach r $records {
    if {[dict get $r type] == 2} {
        dict set r data2 "[dict get $r title]\0"
        dict set r data1 [string repeat "\0" $TopicHeaderSize]
    }
    dict set r size [expr {$LinkHeaderSize + [string length [dict get $r data1]] + [string length [dict get $r data2]]}]
    lset records $i $r
    incr i
}

# A record's place: its byte offset in the topic data (block headers left out), the TOPICPOS
# (block * 0x4000 + offset in the block counting its 12-byte header) and, for topic headers, the
# TOPICOFFSET (block * 0x8000 + characters of the block's earlier paragraphs) that jumps name.
proc topicpos {offset} {
    expr {($offset / $::BlockData) * 0x4000 + 12 + $offset % $::BlockData}
}
set offset 0
set block -1
set chars 0
set i 0
foreach r $records {
    set b [expr {$offset / $BlockData}]
    if {$b != $block} { set block $b; set chars 0 }
    dict set r at $offset
    dict set r pos [topicpos $offset]
    if {[dict get $r type] == 2} {
        dict set r topicoffset [expr {$b * 0x8000 + $chars}]
    } else {
        incr chars [dict get $r chars]
    }
    incr offset [dict get $r size]
    lset records $i $r
    incr i
}
set dataSize $offset

# Topic starts by topic number, and where each topic's records end.
set starts {}
set i 0
foreach r $records {
    if {[dict get $r type] == 2} { lappend starts $i }
    incr i
}
lappend starts [llength $records]

set stream ""
set i 0
foreach r $records {
    set prev [expr {$i > 0 ? [dict get [lindex $records [expr {$i - 1}]] pos] : -1}]
    set next [expr {$i + 1 < [llength $records] ? [dict get [lindex $records [expr {$i + 1}]] pos] : -1}]
    set data1 [dict get $r data1]
    if {[dict get $r type] == 2} {
        set n [dict get $r topic]
        set first [lindex $starts $n]
        set end [lindex $starts [expr {$n + 1}]]
        set size 0
        for {set k $first} {$k < $end} {incr k} { incr size [dict get [lindex $records $k] size] }
        set nextTopic [expr {$end < [llength $records] ? [dict get [lindex $records $end] pos] : -1}]
        set scroll [expr {$first + 1 < $end ? [dict get [lindex $records [expr {$first + 1}]] pos] : -1}]
        # size, browse back and forward (no browse sequence), topic number, non-scrolling region
        # (none), scrolling region, next topic header
        set data1 [u32 $size][u32 -1][u32 -1][u32 $n][u32 -1][u32 $scroll][u32 $nextTopic]
    }
    set data2 [dict get $r data2]
    set len1 [expr {$LinkHeaderSize + [string length $data1]}]
    append stream [u32 [dict get $r size]][u32 [string length $data2]][u32 $prev][u32 $next][u32 $len1]
    append stream [u8 [dict get $r type]] $data1 $data2
    incr i
}

# Cut into blocks, each with its header: the last record starting before the block, the first record
# starting in it and the last topic header starting before it (-1 where there is none).
set topicFile ""
set blocks [expr {($dataSize + $BlockData - 1) / $BlockData}]
for {set b 0} {$b < $blocks} {incr b} {
    set lastBefore -1
    set firstIn -1
    set headerBefore -1
    foreach r $records {
        set at [dict get $r at]
        if {$at < $b * $BlockData} {
            set lastBefore [dict get $r pos]
            if {[dict get $r type] == 2} { set headerBefore [dict get $r pos] }
        } elseif {$firstIn == -1 && $at < ($b + 1) * $BlockData} {
            set firstIn [dict get $r pos]
        }
    }
    set chunk [string range $stream [expr {$b * $BlockData}] [expr {($b + 1) * $BlockData - 1}]]
    append topicFile [u32 $lastBefore][u32 $firstIn][u32 $headerBefore] $chunk
    append topicFile [string repeat "\0" [expr {$BlockData - [string length $chunk]}]]
}

# --- the other internal files ----------------------------------------------------------------------

set offsetOf {}
foreach r $records {
    if {[dict get $r type] == 2} {
        dict set offsetOf [dict get [lindex $topics [dict get $r topic]] context] [dict get $r topicoffset]
    }
}
set contentsOffset [dict get $offsetOf [dict get [lindex $topics 0] context]]

proc record {type data} { return [u16 $type][u16 [string length $data]]$data }
# |SYSTEM: version 3.1 (minor 21), no compression; title, copyright and the contents topic.
set system [u16 0x036C][u16 21][u16 1][u32 0][u16 0]
append system [record 1 "[cp1252 $helpTitle]\0"] [record 2 "\0"] [record 3 [u32 $contentsOffset]]

# |FONT: one face, three descriptors (attributes, half points, family swiss, face, colours).
set face "Arial[string repeat "\0" 15]"
set font [u16 1][u16 3][u16 8][u16 [expr {8 + [string length $face]}]]$face
foreach {attr halfPoints r g b} {0 20 0 0 0  1 28 0 0 128  1 22 0 0 0} {
    append font [u8 $attr][u8 $halfPoints][u8 3][u16 0][u8 $r][u8 $g][u8 $b][u8 255][u8 255][u8 255]
}

# A B+ tree of one leaf page (enough for the few entries here): header, then the page padded to size.
proc btree {structure pageSize entries {flags 0x0002}} {
    set page ""
    foreach e $entries { append page $e }
    set free [expr {$pageSize - 8 - [string length $page]}]
    if {$free < 0} { fail "B+ tree page overflow" }
    set head [u16 0x293B][u16 $flags][u16 $pageSize]
    append head $structure [string repeat "\0" [expr {16 - [string length $structure]}]]
    # must be zero, page splits, root page, must be -1, pages, levels, entries
    append head [u16 0][u16 0][u16 0][u16 -1][u16 1][u16 1][u32 [llength $entries]]
    return "$head[u16 $free][u16 [llength $entries]][u16 -1][u16 -1]$page[string repeat "\0" $free]"
}

# |CONTEXT: context-string hash -> TOPICOFFSET, sorted by the signed hash.
set ctx {}
foreach t $topics {
    lappend ctx [list [hash [dict get $t context]] [dict get $offsetOf [dict get $t context]]]
}
set entries {}
foreach e [lsort -integer -index 0 $ctx] { lappend entries [u32 [lindex $e 0]][u32 [lindex $e 1]] }
set context [btree L4 2048 $entries]

# |TTLBTREE: TOPICOFFSET -> title.
set entries {}
foreach r $records {
    if {[dict get $r type] == 2} { lappend entries [u32 [dict get $r topicoffset]][dict get $r title]\0 }
}
set titles [btree Lz 2048 $entries]

# |CTXOMAP: help context number -> TOPICOFFSET.
set ctxomap [u16 [dict size $mapped]]
foreach n [lsort -integer [dict keys $mapped]] {
    append ctxomap [u32 $n][u32 [dict get $offsetOf [dict get $mapped $n]]]
}

# |KWBTREE: keyword (sorted without regard to case) -> how many topics and where their offsets start
# in |KWDATA; |KWDATA: those TOPICOFFSETs; |KWMAP: the first keyword of each leaf page (one page here).
# A keyword names one topic: Wine's viewer opens no keyword that names several, so a keyword given to
# two topics stops the build.
set keywordTopic {}
foreach t $topics {
    foreach k [dict get $t keywords] {
        set lower [string tolower $k]
        if {[dict exists $keywordTopic $lower]} {
            fail "[dict get $t file]: keyword \"$k\" is also a keyword of [lindex [dict get $keywordTopic $lower] 1]"
        }
        dict set keywordTopic $lower [list $k [dict get $t context]]
    }
}
set kwdata ""
set entries {}
foreach lower [lsort [dict keys $keywordTopic]] {
    lassign [dict get $keywordTopic $lower] k kwContext
    lappend entries "[cp1252 $k]\0[u16 1][u32 [string length $kwdata]]"
    append kwdata [u32 [dict get $offsetOf $kwContext]]
}
set kwbtree [btree z24 2048 $entries]
set kwmap [u16 1][u32 0][u16 0]

# --- the internal file system ----------------------------------------------------------------------

# Each internal file: reserved size (with this 9-byte header), used size, flags; then the data.
proc internal {data} { return [u32 [expr {[string length $data] + 9}]][u32 [string length $data]][u8 4]$data }

set files [dict create |SYSTEM $system |FONT $font |TOPIC $topicFile |CONTEXT $context \
               |TTLBTREE $titles |CTXOMAP $ctxomap]
if {[dict size $keywordTopic]} {
    dict set files |KWBTREE $kwbtree
    dict set files |KWDATA $kwdata
    dict set files |KWMAP $kwmap
}
set body ""
set dir {}
foreach name [lsort [dict keys $files]] {
    lappend dir "$name\0[u32 [expr {16 + [string length $body]}]]"
    append body [internal [dict get $files $name]]
}
set dirStart [expr {16 + [string length $body]}]
append body [internal [btree z4 1024 $dir 0x0402]]
set out [u32 0x00035F3F][u32 $dirStart][u32 -1][u32 [expr {16 + [string length $body]}]]$body

set tmp "$dst.tmp"
set f [open $tmp w]
fconfigure $f -translation binary
puts -nonewline $f $out
close $f
file rename -force $tmp $dst

# --- the web pages ---------------------------------------------------------------------------------

proc html {s} { string map {& &amp; < &lt; > &gt; \" &quot;} $s }
# A paragraph's text with its jumps as links to the pages of their topics.
proc htmlText {text} {
    set out ""
    while {[regexp {^(.*?)\{([^|{}]+)\|([A-Za-z0-9._]+)\}(.*)$} $text -> before label target after]} {
        append out [html $before] "<a href=\"[html $target].html\">[html $label]</a>"
        set text $after
    }
    append out [html $text]
}
proc writeUtf8 {path text} {
    set f [open $path w]
    fconfigure $f -encoding utf-8 -translation lf
    puts -nonewline $f $text
    close $f
}
set contentsPage "[dict get [lindex $topics 0] context].html"
set indexPage keyword-index.html
proc page {title body} {
    set nav "<p class=\"nav\"><a href=\"$::contentsPage\">Contents</a> | <a href=\"$::indexPage\">Index</a></p>"
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>[html $title]</title>\n<style>\nbody { font-family: Arial, sans-serif; font-size: 10pt; margin: 1em 2em; max-width: 50em; }\nh1 { font-size: 14pt; color: #000080; }\nh2 { font-size: 11pt; }\n.nav { font-size: 9pt; }\n</style>\n</head>\n<body>\n$nav\n<h1>[html $title]</h1>\n$body</body>\n</html>\n"
}

if {$htmlFolder ne ""} {
    set tmp "$htmlFolder.tmp"
    file delete -force $tmp
    file mkdir $tmp
    foreach t $topics {
        set body ""
        set inList 0
        foreach p [dict get $t paras] {
            lassign $p kind text
            if {$kind eq "bullet" && !$inList} { append body "<ul>\n"; set inList 1 }
            if {$kind ne "bullet" && $inList} { append body "</ul>\n"; set inList 0 }
            switch -- $kind {
                heading { append body "<h2>[htmlText $text]</h2>\n" }
                bullet  { append body "<li>[htmlText $text]</li>\n" }
                default { append body "<p>[htmlText $text]</p>\n" }
            }
        }
        if {$inList} { append body "</ul>\n" }
        writeUtf8 [file join $tmp "[dict get $t context].html"] [page [dict get $t title] $body]
    }
    set body "<ul>\n"
    foreach lower [lsort [dict keys $keywordTopic]] {
        lassign [dict get $keywordTopic $lower] k kwContext
        append body "<li><a href=\"[html $kwContext].html\">[html $k]</a></li>\n"
    }
    append body "</ul>\n"
    writeUtf8 [file join $tmp $indexPage] [page "Index" $body]
    set map "contents $contentsPage\nindex $indexPage\n"
    foreach n [lsort -integer [dict keys $mapped]] { append map "$n [dict get $mapped $n].html\n" }
    writeUtf8 [file join $tmp contexts.txt] $map
    file delete -force $htmlFolder
    file rename $tmp $htmlFolder
}
