# Sourced by the tools' checks: check compares one result and counts the failures; finish reports them
# and ends with exit code 1 when there were any.
set failures 0

proc check {what got want} {
    if {$got ne $want} {
        puts "FAIL $what\n  got:  $got\n  want: $want"
        incr ::failures
    }
}

proc finish {} {
    if {$::failures} { puts "$::failures failure(s)"; exit 1 }
    puts "all passed"
}
