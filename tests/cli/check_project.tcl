# Reads generated projects from disk the way Quartus does: the .qsf and .sdc are run by the real
# Tcl interpreter with stub commands, so a quoting or bracket fault fails here. Then it checks
# what only the project folder shows: the module is named after the project, the .qsf holds the
# required assignments and only assignment commands, TOP_LEVEL_ENTITY is the module, SDC_FILE
# names a file of the folder with exactly that name, and the .sdc uses only constraint
# commands. How the pins, ports and constraints fit the board model is checked, for every
# configuration, by CheckProject (tests/support/projectchecks.h).
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

# The module name of a top-level .v.
proc read_module {path} {
  set text [string map {"\r" ""} [read_text $path]]
  if {![regexp {module\s+(\S+?)\s*\(} $text -> module]} {
    error "$path: no module header"
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
  set module [read_module [file join $folder $name.v]]
  if {$module ne $name} {
    lappend problems "module $module is not named after the project $name"
  }

  run_script [file join $folder $name.qsf]
  array set globals {}
  array set located {}
  set pullups {}
  foreach call $::calls {
    lassign $call command arguments
    switch -- $command {
      set_global_assignment {
        set globals([option_value $arguments -name]) [lindex $arguments end]
      }
      set_instance_assignment {
        set setting [option_value $arguments -name]
        if {$setting eq "WEAK_PULL_UP_RESISTOR"} {
          lappend pullups [option_value $arguments -to] [lindex $arguments 2]
        } elseif {$setting ne "IO_STANDARD"} {
          lappend problems "unexpected instance assignment in the .qsf: $setting"
        }
      }
      set_location_assignment {
        set located([option_value $arguments -to]) 1
      }
      default {
        lappend problems "unexpected command in the .qsf: $command"
      }
    }
  }
  foreach {target value} $pullups {
    if {$value ne "ON" || ![info exists located($target)]} {
      lappend problems "pull-up $value on $target, which has no location"
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
      get_ports - create_clock - derive_pll_clocks - derive_clock_uncertainty {}
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
        # The pins are the I/O standard lines; a pull-up is a setting of a pin already listed.
        if {[option_value $arguments -name] eq "IO_STANDARD"} {
          lappend order $target
          set standards($target) [lindex $arguments 2]
        }
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
