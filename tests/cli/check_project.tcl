# Reads generated projects the way Quartus does, with stub commands, and checks that the .qsf
# and .sdc fit the top-level .v: every assignment and get_ports names a port bit, every port
# bit has exactly one location and one I/O standard, no location is used twice, the entity is
# the module, and SDC_FILE names a file that exists with exactly that name.
# Usage: tclsh check_project.tcl PROJECT.qpf ...   Exit status 1 when any check fails.
#        tclsh check_project.tcl --triples PROJECT.qpf ...   prints, tab-separated, each
#        project's pins in .qsf order ("QPF pin PORT PIN_LOCATION STANDARD") and its clocks
#        ("QPF clock PORT PERIOD"), for comparing with other pin lists.

proc read_text {path} {
  set channel [open $path rb]
  set text [read $channel]
  close $channel
  return $text
}

# The module name and the port bits of a top-level .v: "input [7:0] LED" gives LED[7]..LED[0].
# Sets the arrays bits(NAME) -> direction and bases(BASE) -> 1.
proc read_ports {path} {
  upvar bits bits bases bases
  set text [string map {"\r" ""} [read_text $path]]
  if {![regexp {module\s+(\S+?)\s*\((.*?)\);} $text -> module ports]} {
    error "$path: no module header"
  }
  foreach line [split $ports "\n"] {
    regsub {//.*$} $line "" line
    set line [string trim $line]
    if {$line eq ""} continue
    if {![regexp {^(input|output|inout)\s*(?:\[(-?\d+):(-?\d+)\])?\s*([A-Za-z_][A-Za-z0-9_$]*)\s*,?$} \
            $line -> direction msb lsb name]} {
      error "$path: cannot read the port declaration '$line'"
    }
    if {[info exists bases($name)]} {
      error "$path: port $name declared twice"
    }
    set bases($name) 1
    if {$msb eq ""} {
      set bits($name) $direction
    } else {
      set low [expr {min($msb, $lsb)}]
      set high [expr {max($msb, $lsb)}]
      for {set i $low} {$i <= $high} {incr i} {
        set bits($name\[$i\]) $direction
      }
    }
  }
  return $module
}

# Runs a .qsf or .sdc in a safe interpreter whose only commands are the stubs; every call is
# appended to the list ::calls as {command arguments}.
proc run_script {path} {
  set ::calls {}
  set slave [interp create -safe]
  foreach command {set_global_assignment set_instance_assignment set_location_assignment
                   create_clock derive_pll_clocks derive_clock_uncertainty} {
    interp alias $slave $command {} record_call $command
  }
  interp alias $slave get_ports {} stub_get_ports
  # Quartus reads "-to LED[0]" as the name LED[0]; in plain Tcl "[0]" would call a command
  # named 0, so an integer command gives back its own brackets.
  interp alias $slave unknown {} stub_unknown
  set failed [catch {$slave eval [read_text $path]} message]
  interp delete $slave
  if {$failed} {
    error "$path: $message"
  }
}

proc record_call {command args} {
  lappend ::calls [list $command $args]
  return ""
}

proc stub_get_ports {args} {
  lappend ::calls [list get_ports $args]
  return [lindex $args end]
}

proc stub_unknown {command args} {
  if {[string is integer -strict $command] && [llength $args] == 0} {
    return "\[$command\]"
  }
  error "unknown command '$command'"
}

# The value of "-name VALUE" or "-to VALUE" in an argument list.
proc option_value {arguments option} {
  set index [lsearch -exact $arguments $option]
  if {$index < 0 || $index + 1 >= [llength $arguments]} {
    return ""
  }
  return [lindex $arguments [expr {$index + 1}]]
}

proc check_project {qpf} {
  set problems {}
  set folder [file dirname $qpf]
  set name [file rootname [file tail $qpf]]
  array set bits {}
  array set bases {}
  set module [read_ports [file join $folder $name.v]]
  if {$module ne $name} {
    lappend problems "module $module is not named after the project $name"
  }

  run_script [file join $folder $name.qsf]
  array set globals {}
  array set standards {}
  array set locations {}
  array set owners {}
  foreach call $::calls {
    lassign $call command arguments
    switch -- $command {
      set_global_assignment {
        set globals([option_value $arguments -name]) [lindex $arguments end]
      }
      set_instance_assignment {
        if {[option_value $arguments -name] ne "IO_STANDARD"} {
          lappend problems "unexpected instance assignment: $arguments"
          continue
        }
        set target [option_value $arguments -to]
        if {![info exists bits($target)]} {
          lappend problems "IO_STANDARD for $target, which is not a port bit"
        }
        lappend standards($target) [lindex $arguments 2]
      }
      set_location_assignment {
        set location [lindex $arguments 0]
        set target [option_value $arguments -to]
        if {![info exists bits($target)]} {
          lappend problems "location $location for $target, which is not a port bit"
        }
        lappend locations($target) $location
        lappend owners($location) $target
      }
      default {
        lappend problems "unexpected command in the .qsf: $command"
      }
    }
  }
  foreach bit [lsort [array names bits]] {
    set count [expr {[info exists locations($bit)] ? [llength $locations($bit)] : 0}]
    if {$count != 1} {
      lappend problems "port bit $bit has $count locations"
    }
    set count [expr {[info exists standards($bit)] ? [llength $standards($bit)] : 0}]
    if {$count != 1} {
      lappend problems "port bit $bit has $count I/O standards"
    }
  }
  foreach location [lsort [array names owners]] {
    if {[llength $owners($location)] > 1} {
      lappend problems "location $location is assigned to [join $owners($location) {, }]"
    }
    if {![regexp {^PIN_[A-Z]+[0-9]+$} $location]} {
      lappend problems "location $location is not a package pin"
    }
  }
  foreach required {FAMILY DEVICE TOP_LEVEL_ENTITY SDC_FILE} {
    if {![info exists globals($required)]} {
      lappend problems "no $required assignment"
    }
  }
  if {[info exists globals(TOP_LEVEL_ENTITY)] && $globals(TOP_LEVEL_ENTITY) ne $module} {
    lappend problems "TOP_LEVEL_ENTITY $globals(TOP_LEVEL_ENTITY) is not the module $module"
  }
  if {[info exists globals(SDC_FILE)]} {
    # glob, not file exists: the name must match with its letter case on any file system.
    set present [glob -nocomplain -tails -directory $folder *]
    if {[lsearch -exact $present $globals(SDC_FILE)] < 0} {
      lappend problems "SDC_FILE $globals(SDC_FILE) is not a file of the project folder"
    }
  }

  run_script [file join $folder $name.sdc]
  foreach call $::calls {
    lassign $call command arguments
    switch -- $command {
      get_ports {
        foreach port $arguments {
          if {![info exists bits($port)] && ![info exists bases($port)]} {
            lappend problems "get_ports $port names no port"
          } elseif {[info exists bits($port)] && $bits($port) ne "input"} {
            lappend problems "clock port $port is not an input"
          }
        }
      }
      create_clock - derive_pll_clocks - derive_clock_uncertainty {}
      default {
        lappend problems "unexpected command in the .sdc: $command"
      }
    }
  }
  return $problems
}

proc print_triples {qpf} {
  set base [file rootname $qpf]
  run_script $base.qsf
  set order {}
  array set standards {}
  array set locations {}
  foreach call $::calls {
    lassign $call command arguments
    set target [option_value $arguments -to]
    switch -- $command {
      set_instance_assignment {
        lappend order $target
        set standards($target) [lindex $arguments 2]
      }
      set_location_assignment {
        set locations($target) [lindex $arguments 0]
      }
    }
  }
  foreach target $order {
    set location [expr {[info exists locations($target)] ? $locations($target) : ""}]
    puts [join [list $qpf pin $target $location $standards($target)] "\t"]
  }
  run_script $base.sdc
  foreach call $::calls {
    lassign $call command arguments
    if {$command eq "create_clock"} {
      puts [join [list $qpf clock [lindex $arguments end] [option_value $arguments -period]] "\t"]
    }
  }
}

if {[lindex $argv 0] eq "--triples"} {
  foreach qpf [lrange $argv 1 end] {
    print_triples $qpf
  }
  exit 0
}

set failed 0
foreach qpf $argv {
  if {[catch {check_project $qpf} problems]} {
    set problems [list $problems]
  }
  foreach problem $problems {
    puts "FAIL [file tail $qpf]: $problem"
    set failed 1
  }
}
exit $failed
