#!/usr/bin/env bash
# Real tools read what pinwright-cli writes: Icarus Verilog, Verilator and Yosys take the .v,
# a Tcl reading of the .qsf and .sdc with stub commands matches them against its ports, tidy
# finds no errors in the .htm, and the pin lists validate against docs/pins.schema.json
# (python3-jsonschema), read as CSV and name the .qsf's pins in its order. One project per
# configuration below. Then the top level and testbench in each language: GHDL analyses,
# elaborates and runs the VHDL, Verilator lints the SystemVerilog, Icarus runs the
# Verilog-family testbenches, and the tools see equal ports in the three top levels.
# Usage: tools.sh PATH-TO-pinwright-cli   (exit 77 when a tool is missing)
set -u

cli=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
for tool in iverilog vvp verilator yosys tclsh tidy ghdl python3 xmllint rsvg-convert; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done
if ! python3 -c 'import jsonschema' 2>/dev/null; then
  echo "SKIP: python3-jsonschema is not installed"
  exit 77
fi
schema=$here/../../docs/pins.schema.json

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SOURCE_DATE_EPOCH=1742047533
failures=0
fail() {
  printf 'FAIL: %b\n' "$*"
  failures=$((failures + 1))
}

# NAME|OPTIONS: the project name is the module name.
configs=(
  "defaults|"
  "everything|--with all"
  "nothing|--without all"
  "default_pair|--gpio0 1 --gpio1 1"
  "everything_cards|--with all --gpio0 13 --prefix0 L_ --gpio1 67 --prefix1 R_"
  "same_card|--gpio0 55 --prefix0 A_ --gpio1 55 --prefix1 B_"
  "user_cards|--cards $here/../cards/files --with all --gpio0 1001 --prefix0 A_ --gpio1 2040"
  "user_alone|--card $here/../cards/files/acme_strip.toml --without all --gpio1 1001"
)
# Every card on each header: card i on GPIO-0, card i+1 on GPIO-1, prefixed apart from each
# other and from the on-board names.
cards=(1 12 13 55 62 63 66 67 68 69 76)
for i in "${!cards[@]}"; do
  next=${cards[$(((i + 1) % ${#cards[@]}))]}
  configs+=("cards_${cards[$i]}_${next}|--gpio0 ${cards[$i]} --prefix0 G0_ --gpio1 $next --prefix1 G1_")
done
# Each card alone on a header, unprefixed, beside the on-board parts that leave it room.
for card in "${cards[@]}"; do
  configs+=("alone_$card|--without all --with OSC --gpio1 $card")
done

qpfs=()
yosys_script=""
for config in "${configs[@]}"; do
  name=${config%%|*}
  qpf=$work/$name/$name.qpf
  # shellcheck disable=SC2086
  if ! "$cli" generate --pins json,csv ${config#*|} "$qpf" >"$work/.out" 2>&1; then
    fail "$name: generate failed\n$(<"$work/.out")"
    continue
  fi
  qpfs+=("$qpf")
  v=$work/$name/$name.v

  iverilog -o /dev/null "$v" >"$work/.out" 2>&1 || fail "$name: iverilog\n$(<"$work/.out")"
  # The module body is empty by design: its outputs are undriven and its inputs unused.
  verilator --lint-only -Wall -Wno-UNUSED -Wno-UNDRIVEN --top-module "$name" "$v" \
    >"$work/.out" 2>&1 || fail "$name: verilator\n$(<"$work/.out")"
  tidy -q -e "$work/$name/$name.htm" >"$work/.out" 2>&1
  (($? < 2)) || fail "$name: tidy found errors\n$(<"$work/.out")"
  yosys_script+="read_verilog $v; hierarchy -check -top $name; design -reset; "
done

# The checker itself must notice faults: each copy of the defaults project below breaks one
# rule and must be refused.
broken=(
  "s/^(set_global_assignment -name SDC_FILE )([^.]+)\\.sdc/\\1\\2.SDC/I|SDC_FILE"
  "s/^(set_global_assignment -name TOP_LEVEL_ENTITY )\"[^\"]+\"/\\1\"other\"/|TOP_LEVEL_ENTITY"
  "s/^(set_location_assignment PIN_[A-Z0-9]+ -to LED\\[1)\\]/\\1/|.qsf"
  "s/^(set_location_assignment PIN_[A-Z0-9]+ -to LED\\[0\\])/\\1\\r\\nset_instance_assignment -name WEAK_PULL_UP_RESISTOR ON -to LEDX/|pull-up"
)
for case in "${broken[@]}"; do
  rm -rf "$work/broken"
  cp -r "$work/defaults" "$work/broken"
  for ext in qpf v sdc htm qsf; do mv "$work/broken/defaults.$ext" "$work/broken/broken.$ext"; done
  sed -i -E "s/\\bdefaults\\b/broken/g; ${case%%|*}" "$work/broken/broken.qsf" "$work/broken/broken.v"
  if tclsh "$here/check_project.tcl" "$work/broken/broken.qpf" >"$work/.out" 2>&1; then
    fail "the checker accepted a project with a broken ${case#*|} rule"
  elif ! grep -q "${case#*|}" "$work/.out"; then
    fail "the checker missed the broken ${case#*|} rule:\n$(<"$work/.out")"
  fi
done

# check_pins.py must notice faults too: each copy of the defaults pin lists breaks one rule.
broken_pins=(
  "json|s/\"location\": \"[A-Z0-9]+\"/\"location\": \"A1\"/|JSON pins differ"
  "json|s/\"direction\": \"input\"/\"direction\": \"in\"/|schema"
  "csv|3{h;d};4G|CSV pins differ"
  "csv|s/^(LED\[0\]),Output,/\1,Input,/|CSV directions"
)
for case in "${broken_pins[@]}"; do
  IFS='|' read -r ext script want <<<"$case"
  rm -rf "$work/broken"
  cp -r "$work/defaults" "$work/broken"
  sed -i -E "$script" "$work/broken/defaults.pins.$ext"
  tclsh "$here/check_project.tcl" --triples "$work/broken/defaults.qpf" >"$work/.triples"
  if python3 "$here/check_pins.py" "$schema" "$work/.triples" "$work/broken/defaults.qpf" \
    >"$work/.out" 2>&1; then
    fail "check_pins.py accepted a pin list with a broken rule: $want"
  elif ! grep -q "$want" "$work/.out"; then
    fail "check_pins.py missed the broken rule '$want':\n$(<"$work/.out")"
  fi
done

yosys -q -p "$yosys_script" >"$work/.out" 2>&1 || fail "yosys\n$(<"$work/.out")"
tclsh "$here/check_project.tcl" "${qpfs[@]}" || fail "Tcl cannot read a project as Quartus does"
tclsh "$here/check_project.tcl" --triples "${qpfs[@]}" >"$work/.triples" ||
  fail "the .qsf or .sdc could not be read for the pin lists"
python3 "$here/check_pins.py" "$schema" "$work/.triples" "${qpfs[@]}" ||
  fail "the pin lists do not validate or do not agree with the .qsf"

# The three languages, each with its testbench, over a spread of configurations.
hdl_configs=(
  "defaults|"
  "everything_cards|--with all --gpio0 13 --prefix0 L_ --gpio1 67 --prefix1 R_"
  "default_pair|--gpio0 1 --gpio1 1"
  "nothing|--without all"
  "user_cards|--cards $here/../cards/files --with all --gpio0 1001 --prefix0 A_ --gpio1 2040"
)
# A testbench passes when its simulator ends cleanly after printing the finish line.
finished() { # NAME LANGUAGE COMMAND...
  local label="$1: the $2 testbench"
  shift 2
  if ! "$@" >"$work/.out" 2>&1; then
    fail "$label failed\n$(<"$work/.out")"
  elif ! grep -qx 'Testbench finished' "$work/.out"; then
    fail "$label did not print its finish line\n$(<"$work/.out")"
  fi
}
for config in "${hdl_configs[@]}"; do
  name=${config%%|*}
  for language in verilog systemverilog vhdl; do
    # shellcheck disable=SC2086
    if ! "$cli" generate ${config#*|} --hdl "$language" --testbench \
      "$work/hdl/$language/$name.qpf" >"$work/.out" 2>&1; then
      fail "$name: generate --hdl $language failed\n$(<"$work/.out")"
      continue 2
    fi
  done
  v=$work/hdl/verilog/$name
  sv=$work/hdl/systemverilog/$name
  vhd=$work/hdl/vhdl/$name

  iverilog -o "$v.vvp" "$v.v" "${v}_tb.v" >"$work/.out" 2>&1 ||
    fail "$name: iverilog on the testbench\n$(<"$work/.out")"
  finished "$name" Verilog vvp -n "$v.vvp"

  verilator --lint-only -Wall -Wno-UNUSED -Wno-UNDRIVEN --top-module "$name" "$sv.sv" \
    >"$work/.out" 2>&1 || fail "$name: verilator on the .sv\n$(<"$work/.out")"
  iverilog -g2012 -o "$sv.vvp" "$sv.sv" "${sv}_tb.sv" >"$work/.out" 2>&1 ||
    fail "$name: iverilog -g2012\n$(<"$work/.out")"
  finished "$name" SystemVerilog vvp -n "$sv.vvp"

  mkdir -p "$vhd.lib"
  ghdl=(--std=08 "--workdir=$vhd.lib")
  if ghdl -a "${ghdl[@]}" "$vhd.vhd" "${vhd}_tb.vhd" >"$work/.out" 2>&1 &&
    ghdl -e "${ghdl[@]}" "$name" >>"$work/.out" 2>&1 &&
    ghdl -e "${ghdl[@]}" "${name}_tb" >>"$work/.out" 2>&1; then
    finished "$name" VHDL ghdl -r "${ghdl[@]}" "${name}_tb"
  else
    fail "$name: ghdl\n$(<"$work/.out")"
  fi

  # The ports as the tools see them: Yosys reads the .v and the .sv, and GHDL's own netlist
  # of the VHDL entity.
  ghdl --synth "${ghdl[@]}" --out=verilog "$name" >"$vhd.netlist.v" 2>"$work/.out" ||
    fail "$name: ghdl --synth\n$(<"$work/.out")"
  for top in "$v.v" "$sv.sv" "$vhd.netlist.v"; do
    yosys -q -p "read_verilog -sv $top; hierarchy -top $name; write_json $top.json" \
      >"$work/.out" 2>&1 || fail "$name: yosys on $top\n$(<"$work/.out")"
  done
  python3 - "$v.v.json" "$sv.sv.json" "$vhd.netlist.v.json" >"$work/.out" 2>&1 <<'PY' ||
import json, sys
def ports(path):
    module = next(iter(json.load(open(path))["modules"].values()))
    return [(name, port["direction"], len(port["bits"])) for name, port in module["ports"].items()]
verilog, systemverilog, vhdl = map(ports, sys.argv[1:])
if systemverilog != verilog:
    sys.exit(f"SystemVerilog: {systemverilog}\nVerilog: {verilog}")
# The netlist lists the ports in an order of its own.
if sorted(vhdl) != sorted(verilog):
    sys.exit(f"VHDL: {sorted(vhdl)}\nVerilog: {sorted(verilog)}")
PY
    fail "$name: the top levels' ports differ\n$(<"$work/.out")"

  # The rest of the project is the same in every language, but for the settings file
  # naming a SystemVerilog or VHDL top level.
  for ext in sdc htm; do
    { cmp -s "$v.$ext" "$sv.$ext" && cmp -s "$v.$ext" "$vhd.$ext"; } ||
      fail "$name: the .$ext differs by language"
  done
  named() { # QSF ASSIGNMENT...: the .qsf is the Verilog one with these lines added
    local qsf=$1 line
    shift
    diff <(grep -v -E 'SYSTEMVERILOG_FILE|VHDL_' "$qsf") "$v.qsf" >/dev/null || return 1
    for line in "$@"; do grep -qxF "set_global_assignment -name $line"$'\r' "$qsf" || return 1; done
  }
  named "$sv.qsf" "SYSTEMVERILOG_FILE $name.sv" ||
    fail "$name: the SystemVerilog .qsf does not name $name.sv alone"
  named "$vhd.qsf" "VHDL_FILE $name.vhd" "VHDL_INPUT_VERSION VHDL_2008" ||
    fail "$name: the VHDL .qsf does not name $name.vhd as VHDL-2008 alone"
  ! grep -q '_tb' "$v.qsf" "$sv.qsf" "$vhd.qsf" || fail "$name: a .qsf names the testbench"
  # Pinwright's own check of each project against its top level in each language, with the
  # card files it was generated with: nothing found. Importing each .qsf with them gives back
  # the settings record (LPDDR4-A cleared beside HPS, which brings it along).
  read -ra card_options <<<"$(grep -oE -- '--cards? [^ ]+' <<<"${config#*|}" | tr '\n' ' ')"
  # shellcheck disable=SC2086
  "$cli" config ${config#*|} --project "$name" "$work/hdl/$name.cfg" >"$work/.out" 2>&1 ||
    fail "$name: config failed\n$(<"$work/.out")"
  if "$cli" show "${card_options[@]}" "$work/hdl/$name.cfg" | grep -q HPS; then
    "$cli" config "${card_options[@]}" --config "$work/hdl/$name.cfg" --without LPDDR4A \
      "$work/hdl/$name.cfg" >/dev/null
  fi
  for top in "$v.v" "$sv.sv" "$vhd.vhd"; do
    "$cli" check "${card_options[@]}" --top "$top" "${top%.*}.qsf" >"$work/.out" 2>&1 ||
      fail "$name: check --top $top found faults\n$(<"$work/.out")"
    [[ ! -s $work/.out ]] || fail "$name: check --top $top printed\n$(<"$work/.out")"
    "$cli" import "${card_options[@]}" "${top%.*}.qsf" "$work/hdl/back.cfg" >"$work/.out" 2>&1 ||
      fail "$name: import ${top%.*}.qsf failed\n$(<"$work/.out")"
    cmp -s "$work/hdl/$name.cfg" "$work/hdl/back.cfg" ||
      fail "$name: import of ${top%.*}.qsf did not give back the record\n$(<"$work/.out")"
  done
done

# The header pictures, of every card and of a project's headers, are valid SVG 1.1 that a
# renderer draws.
svg_dtd=/usr/share/xml/w3c-sgml-lib/schema/dtd/REC-SVG11-20110816/svg11.dtd
pictures=()
for card in 1 12 13 55 62 63 66 67 68 69 76 1001 2040; do
  pictures+=("$work/svg/card_$card.svg")
  mkdir -p "$work/svg"
  "$cli" card picture --cards "$here/../cards/files" "$card" "$work/svg/card_$card.svg" \
    >"$work/.out" 2>&1 || fail "card picture $card\n$(<"$work/.out")"
done
for picture in "${pictures[@]}"; do
  xmllint --noout --dtdvalid "$svg_dtd" "$picture" >"$work/.out" 2>&1 ||
    fail "$picture is not valid SVG 1.1\n$(head -20 "$work/.out")"
  rsvg-convert -o "${picture%.svg}.png" "$picture" >"$work/.out" 2>&1 ||
    fail "rsvg-convert cannot draw $picture\n$(<"$work/.out")"
done
grep -q '<title>Position 1: ACME_CLK, input, 3.3-V LVTTL, ball ' "$work/svg/card_1001.svg" ||
  fail "the picture of card 1001 lacks the title of position 1"

if ((failures > 0)); then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all ${#qpfs[@]} projects passed"
