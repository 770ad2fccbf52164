# Runs Tcl scripts the way Quartus reads a settings file, with every command a stub that
# prints its words: one line per command, each word "x" and its UTF-8 bytes in hex; an
# integer command alone gives back its own brackets, as Quartus reads LED[0]. After each
# script "E" and Tcl's error message when it failed, then ".".
# Usage: tclsh tclwords.tcl FILE   (FILE holds the scripts, separated by NUL bytes)
set channel [open [lindex $argv 0] r]
fconfigure $channel -translation lf -encoding utf-8 -eofchar {}
set text [read $channel]
close $channel

proc record {command args} {
  if {[string is integer -strict $command] && [llength $args] == 0} {
    return "\[$command\]"
  }
  set words {}
  foreach word [concat [list $command] $args] {
    lappend words "x[binary encode hex [encoding convertto utf-8 $word]]"
  }
  puts [join $words " "]
  return ""
}

foreach script [split $text "\0"] {
  set slave [interp create -safe]
  foreach command [$slave eval {info commands}] {
    interp hide $slave $command
  }
  interp alias $slave unknown {} record
  if {[catch {$slave eval $script} message]} {
    puts "E $message"
  }
  interp delete $slave
  puts "."
}
