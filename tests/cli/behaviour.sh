#!/usr/bin/env bash
# pinwright-cli as a user meets it: exit status classes, usage errors, .cfg files good and
# hostile, project paths and reproducible output.
# Usage: behaviour.sh PATH-TO-pinwright-cli
set -u

cli=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  printf 'FAIL: %b\n' "$*"
  failures=$((failures + 1))
}

# run ARGS...: runs the tool in $RUN_DIR (default: the work folder); sets rc, out and err.
run() {
  (cd "${RUN_DIR:-$work}" && exec "$cli" "$@") >"$work/.out" 2>"$work/.err"
  rc=$?
  out=$(<"$work/.out")
  err=$(<"$work/.err")
}

# expect EXIT ARGS...: runs and checks the exit status (a crash shows as 128+signal).
expect() {
  local want=$1
  shift
  run "$@"
  [[ $rc == "$want" ]] || fail "exit $rc instead of $want: $*\nstdout: $out\nstderr: $err"
}

has() { [[ $1 == *"$2"* ]] || fail "expected to find '$2' in:\n$1"; }
lacks() { [[ $1 != *"$2"* ]] || fail "did not expect '$2' in:\n$1"; }
empty_dir() {
  local left
  left=$(find "$1" -mindepth 1 2>/dev/null)
  [[ -z $left ]] || fail "expected nothing written in $1, found:\n$left"
}
fresh_dir() {
  rm -rf "$work/$1"
  mkdir -p "$work/$1"
  echo "$work/$1"
}

# patch FILE OFFSET PRINTF-FORMAT: overwrites bytes of a .cfg in place.
patch() {
  printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

export -n SOURCE_DATE_EPOCH
unset SOURCE_DATE_EPOCH

# --- Usage errors: exit 2 with the short usage text -------------------------------------
usage_cases=(
  ""
  "build"
  "--verbose"
  "generate --colour red"
  "generate --project"
  "generate a.qpf b.qpf"
  "generate --with LED,Laser"
  "config"
  "show"
  "show --project x a.cfg"
  "cards extra"
  "help nothing"
  "generate --pins"
  "generate --pins xml"
  "generate --pins json,"
  "generate --json"
  "config --pins json x.cfg"
  "show --pins json a.cfg"
  "generate --hdl vhd"
  "generate --hdl"
  "generate --testbench=yes"
  "config --hdl vhdl x.cfg"
  "config --testbench x.cfg"
  "check"
  "check a.qsf b.qsf"
  "check --top"
  "check --with LED a.qsf"
  "import a.qsf"
  "import --top t.v a.qsf b.cfg"
  "show --top t.v a.cfg"
)
for args in "${usage_cases[@]}"; do
  # shellcheck disable=SC2086
  expect 2 $args
  has "$err" "Usage: pinwright-cli generate"
  [[ -z $out ]] || fail "usage error wrote to stdout: $args"
done

expect 2 generate --gpio0 "Nonexistent Card"
has "$err" "--gpio0: unknown card 'Nonexistent Card'"
has "$err" " 12  Corvel - 5M Pixel Camera"
expect 2 config --config missing.cfg --gpio1 99 x.cfg # found before any file is read
has "$err" "--gpio1: unknown card '99'"
[[ ! -e $work/x.cfg ]] || fail "a usage error wrote x.cfg"

for epoch in abc "" -5 1.5 " 7" 99999999999999; do
  dir=$(fresh_dir epoch)
  SOURCE_DATE_EPOCH=$epoch RUN_DIR=$dir expect 2 generate
  has "$err" "SOURCE_DATE_EPOCH"
  empty_dir "$dir"
done

# --- Help, version, cards ---------------------------------------------------------------
expect 0 --help
has "$out" "Usage: pinwright-cli generate"
has "$out" "--prefix1 TEXT"
for option in "--hdl LANGUAGE      language" "--testbench         also" "--pins LIST         also"; do
  has "$out" "$option"
done
expect 0 --version
[[ $out == "pinwright-cli 1.0.0" ]] || fail "version: $out"
expect 0 help generate
has "$out" "SOURCE_DATE_EPOCH"
expect 0 show --help
has "$out" "pinwright-cli show [--json] FILE.cfg"

expect 0 cards
expected_cards='  0  None
  1  GPIO Default
 12  Corvel - 5M Pixel Camera
 13  Sandrel - 4.3" LCD and Touch
 55  Pavona - Multi-Touch LCD Panel
 62  Wickett - 2.4" LCD and Touch
 63  Pavona2 - Multi-Touch LCD Panel
 66  Tolvane - Servo Motor Kit
 67  Merrow - RF and Sensor
 68  Merrow2 - RF and Sensor
 69  RISC-V
 76  Halcyra-GPIO'
[[ $out == "$expected_cards" ]] || fail "cards:\n$out"

if [[ -w /dev/full ]]; then
  "$cli" cards >/dev/full 2>"$work/.err"
  [[ $? == 1 ]] || fail "cards into a full disk did not exit 1"
fi

# --- User cards -------------------------------------------------------------------------
card_files=$(cd "$(dirname "$0")/../cards/files" && pwd)
expect 0 card check "$card_files/acme_strip.toml" "$card_files/sensor_pod.toml"
has "$out" 'card 1001 "Acme 8-LED Strip" passes the checks'
printf 'format = "pinwright-card"\nversion = 1\nid = 5\n' >"$work/bad.toml"
expect 1 card check "$card_files/acme_strip.toml" "$work/bad.toml"
has "$err" "$work/bad.toml:3:6: error: id must be from 1000 to 9999"
has "$err" "$work/bad.toml:1:1: error: name is missing"
# A FIFO or a folder named as a card file is refused at once, never waited on.
mkfifo "$work/fifo.toml"
mkdir "$work/folder.toml"
ln -s loop.toml "$work/loop.toml"
for row in "fifo.toml|it is not a regular file" "folder.toml|it is not a regular file" \
  "loop.toml|Too many levels of symbolic links" "gone.toml|no such file"; do
  IFS='|' read -r odd reason <<<"$row"
  expect 1 card check "$work/$odd"
  has "$err" "$work/$odd:1:1: error: the file cannot be read: $reason"
done
# The card catalogue: every valid card file is offered (300 here), a file given twice is
# checked once, a --cards folder that is not there is said, a card's name is escaped in every
# output, and a picture must be one and, exported, loads back from anywhere.
python3 - "$card_files/acme_strip.toml" "$work/many" <<'PY'
import pathlib, re, sys
text = pathlib.Path(sys.argv[1]).read_text()
folder = pathlib.Path(sys.argv[2])
folder.mkdir()
for card in range(1000, 1300):
    made = re.sub(r"^id = .*$", f"id = {card}", text, count=1, flags=re.M)
    made = re.sub(r"^name = .*$", f'name = "Card {card}"', made, count=1, flags=re.M)
    (folder / f"c{card}.toml").write_text(made)
PY
expect 0 cards --cards "$work/many"
has "$out" "1299  Card 1299"
lacks "$out" "refused"
expect 0 config --cards "$work/many" --gpio0 1299 --gpio1 "card 1250" --prefix1 B_ "$work/many.cfg"
expect 0 card check "$card_files/acme_strip.toml" "$card_files/../files/acme_strip.toml"
has "$out" 'card 1001 "Acme 8-LED Strip" passes the checks'
expect 0 cards --cards "$work/nowhere"
has "$out" "$work/nowhere:1:1: error: the card folder does not exist"
sed -e 's/^id = .*/id = 1666/' -e '0,/^name = .*/s//name = "<script>alert(1)<\/script> \&amp;"/' \
  "$card_files/acme_strip.toml" >"$work/markup.toml"
dir=$(fresh_dir markup)
expect 0 generate --card "$work/markup.toml" --gpio0 1666 --pinout --pins json "$dir/top.qpf"
has "$(<"$dir/top.htm")" "GPIO connect to &lt;script&gt;alert(1)&lt;/script&gt; &amp;amp;</caption>"
for file in top.htm top.pinout.svg; do
  lacks "$(<"$dir/$file")" "<script>"
done
python3 -c 'import json,sys; assert any(p.get("card") == "<script>alert(1)</script> &amp;" for p in json.load(open(sys.argv[1]))["pins"])' \
  "$dir/top.pins.json" || fail "the card's name does not read back from the pin list"
mkdir -p "$work/pictured/art" "$work/elsewhere"
echo 'no picture at all' >"$work/pictured/art/fake.svg"
cp "$card_files/../../../src/ui/images/gpio_default.svg" "$work/pictured/art/real.svg"
for row in "art/fake.svg|is no SVG picture" 'art/real\u0000.svg|without control characters' \
  "art/real.svg|"; do
  IFS='|' read -r picture problem <<<"$row"
  {
    sed -n '1,/^voltage/p' "$card_files/acme_strip.toml"
    printf 'picture = "%s"\n' "$picture"
    sed '1,/^voltage/d' "$card_files/acme_strip.toml"
  } >"$work/pictured/card.toml"
  if [[ -n $problem ]]; then
    expect 1 card check "$work/pictured/card.toml"
    has "$err" "$problem"
  else
    expect 0 card check "$work/pictured/card.toml"
  fi
done
RUN_DIR=$work/pictured expect 0 card export --card card.toml 1001
has "$out" "picture = \"$work/pictured/art/real.svg\""
printf '%s\n' "$out" >"$work/elsewhere/exported.toml"
RUN_DIR=$work/elsewhere expect 0 card check exported.toml
expect 0 cards --cards "$card_files" --card "$work/bad.toml"
has "$out" "1001  Acme 8-LED Strip  ($card_files/acme_strip.toml)"
has "$out" "2040  Sensor Pod  ($card_files/sensor_pod.toml)"
has "$out" "Card files refused:"
has "$out" "$work/bad.toml:3:6: error:"
# A later --card with the same ID replaces the card, with a note.
sed '0,/^name = .*/s//name = "Acme Replacement"/' "$card_files/acme_strip.toml" >"$work/acme2.toml"
expect 0 cards --cards "$card_files" --card "$work/acme2.toml"
has "$out" "1001  Acme Replacement"
has "$out" "note: $work/acme2.toml replaces card 1001 of $card_files/acme_strip.toml"
# card check also measures the files against the installed cards: another card's name or an
# installed card's ID is an error; the installed file itself checked again is none.
sed 's/^id = 1001/id = 1999/' "$card_files/acme_strip.toml" >"$work/acme_twin.toml"
expect 1 card check --cards "$card_files" "$work/acme_twin.toml" "$work/acme2.toml"
has "$err" "$work/acme_twin.toml:5:8: error: name \"Acme 8-LED Strip\" is already the name of $card_files/acme_strip.toml"
has "$err" "$work/acme2.toml:4:6: error: id 1001 is also the id of $card_files/acme_strip.toml"
expect 0 card check --cards "$card_files" "$card_files/acme_strip.toml"
expect 2 card export 1001
has "$err" "unknown card '1001'"
expect 2 card frobnicate
expect 2 card picture 12
# The picture shows the balls of the header asked for: GPIO-0's unless --header names another.
for row in "13 0 H16" "13 1 BV14" "13 GPIO-1 BV14"; do
  read -r card header ball <<<"$row"
  expect 0 card picture --header "$header" "$card" "$work/picture.svg"
  has "$(<"$work/picture.svg")" "<title>Position 1: SANDREL_ADC_PENIRQ_n, input, 3.3-V LVCMOS, ball $ball</title>"
done
expect 0 card picture 13 "$work/picture.svg"
has "$(<"$work/picture.svg")" "ball H16</title>"
expect 2 card picture --header 2 13 "$work/picture.svg"
has "$err" "--header: unknown header '2' (0 or 1)"

# A .cfg naming a user card: refused where the card file is not found, nothing written.
expect 0 config --cards "$card_files" --gpio0 "acme 8-led strip" --prefix0 A_ --gpio1 2040 user.cfg
[[ $(stat -c %s "$work/user.cfg") == 416 ]] || fail "user.cfg is not 416 bytes"
dir=$(fresh_dir missing_card)
expect 1 generate --config user.cfg "$dir/top.qpf"
has "$err" "No card file with card ID 1001 was found in"
empty_dir "$dir"
expect 0 generate --cards "$card_files" --config user.cfg "$dir/top.qpf"
has "$(<"$dir/top.qsf")" "WEAK_PULL_UP_RESISTOR ON -to A_ACME_KEY_n"
has "$(<"$dir/top.sdc")" 'create_clock -period "25.00000 MHz" [get_ports A_ACME_CLK]'
has "$(<"$dir/top.sdc")" 'create_clock -period "12.28800 MHz" [get_ports POD_SAMPLE_CLK]'
# --pinout: the picture of each header that carries a card, and no file without one.
expect 0 generate --cards "$card_files" --config user.cfg --pinout "$dir/top.qpf"
has "$(<"$dir/top.pinout.svg")" '<title>Position 1: A_ACME_CLK, input, 3.3-V LVTTL, ball '
has "$(<"$dir/top.pinout.svg")" 'GPIO-1: Sensor Pod'
dir=$(fresh_dir no_pinout)
expect 0 generate --pinout "$dir/top.qpf"
[[ ! -e $dir/top.pinout.svg ]] || fail "a pinout was written without a card"
has "$out" "note: No GPIO header carries a card, so no pinout picture was written."

# Every built-in card, exported and loaded back under a user ID and name, gives the same
# project on either header, with and without a prefix, but for the lines naming the card.
export SOURCE_DATE_EPOCH=1742047533
for card in 1 12 13 55 62 63 66 67 68 69 76; do
  expect 0 card export "$card"
  builtin_name=$(sed -n '0,/^name = "\(.*\)"$/s//\1/p' <<<"$out" | sed 's/\\"/"/g')
  sed -e 's/^id = .*/id = 4321/' -e '0,/^name = .*/s//name = "Round Trip Copy"/' <<<"$out" \
    >"$work/copy.toml"
  for variant in "--gpio0 CARD" "--gpio0 CARD --prefix0 L_" "--gpio1 CARD" \
    "--gpio1 CARD --prefix1 R_ --with all"; do
    # shellcheck disable=SC2086
    expect 0 generate ${variant//CARD/$card} "$work/rt_builtin/top.qpf"
    # shellcheck disable=SC2086
    expect 0 generate --card "$work/copy.toml" ${variant//CARD/4321} "$work/rt_user/top.qpf"
    for ext in qpf qsf v sdc htm; do
      if ! diff <(grep -vF "$builtin_name" "$work/rt_builtin/top.$ext") \
        <(grep -vF "Round Trip Copy" "$work/rt_user/top.$ext") >"$work/.diff"; then
        fail "card $card ($variant): top.$ext differs\n$(head -20 "$work/.diff")"
      fi
    done
  done
done
unset SOURCE_DATE_EPOCH

# --- config and show --------------------------------------------------------------------
expect 0 config defaults.cfg
[[ $(stat -c %s "$work/defaults.cfg") == 416 ]] || fail "defaults.cfg is not 416 bytes"
expect 0 show defaults.cfg
expected_show='Board ID:    43
Record size: 416
Project:     "LARKSPUR"
Components:  OSC LED Button Switch ADC HdmiTx UART SDRAM
GPIO-0:      0 None
Prefix 0:    ""
GPIO-1:      0 None
Prefix 1:    ""
Check:       passed'
[[ $out == "$expected_show" ]] || fail "show defaults.cfg:\n$out"

expect 0 config --project Top --with hps,MIPI --without led --gpio0 12 \
  --gpio1 "merrow - rf and sensor" --prefix0 A_ --prefix1=B_ round.cfg
expect 0 show round.cfg
expected_show='Board ID:    43
Record size: 416
Project:     "Top"
Components:  OSC Button Switch ADC HdmiTx MIPI UART SDRAM HPS
GPIO-0:      12 Corvel - 5M Pixel Camera
Prefix 0:    "A_"
GPIO-1:      67 Merrow - RF and Sensor
Prefix 1:    "B_"
Check:       passed'
[[ $out == "$expected_show" ]] || fail "show round.cfg:\n$out"
expect 0 config --config round.cfg round2.cfg
cmp -s "$work/round.cfg" "$work/round2.cfg" || fail "config --config changed the record"
expect 0 config --config round.cfg --without all --with all --gpio1 none all.cfg
expect 0 show all.cfg
has "$out" "Components:  OSC LED Button Switch ADC HdmiTx MIPI LPDDR4A LPDDR4B UART FAN SDRAM HPS"
has "$out" "GPIO-1:      0 None"

# A record from elsewhere: odd board ID and size, bytes after a NUL. It loads as it is and
# the next save puts 43 and 416 back.
cp "$work/defaults.cfg" "$work/odd.cfg"
patch "$work/odd.cfg" 0 '\x07\x00\x00\x00\x10\x00\x00\x00'
patch "$work/odd.cfg" 8 'Odd\x00junk after the NUL'
expect 0 show odd.cfg
has "$out" "Board ID:    7"
has "$out" "Record size: 16"
has "$out" 'Project:     "Odd"'
has "$out" "Check:       passed"
expect 0 config --config odd.cfg odd2.cfg
expect 0 show odd2.cfg
has "$out" "Board ID:    43"
has "$out" "Record size: 416"
cmp -s -i 8 -n 408 "$work/odd.cfg" "$work/odd2.cfg" ||
  fail "config --config changed more than the board ID and size"

# show --json: the settings, and the pin list of settings that pass; no file written.
dir=$(fresh_dir showjson)
RUN_DIR=$dir expect 0 show --json ../round.cfg
empty_dir "$dir"
python3 -c '
import json, sys
d = json.load(sys.stdin)
s, m = d["settings"], d["manifest"]
assert d["check"] == {"passed": True}
assert s["project"] == "Top" and s["board_id"] == 43 and "HPS" in s["components"]
assert s["gpio1"] == {"card_id": 67, "card": "Merrow - RF and Sensor", "prefix": "B_"}
assert m["project"] == "Top" and m["format"] == "pinwright-pins"
assert any(p.get("header") == "GPIO-0" and p["port"].startswith("A_") for p in m["pins"])
' <"$work/.out" || fail "show --json round.cfg:\n$out"

# --- Files that cannot be read ----------------------------------------------------------
head -c 100 "$work/defaults.cfg" >"$work/short.cfg"
: >"$work/empty.cfg"
cat "$work/defaults.cfg" "$work/defaults.cfg" >"$work/long.cfg"
for bad in short.cfg empty.cfg long.cfg; do
  dir=$(fresh_dir out)
  expect 1 generate --config "$bad" "$dir/sub/x.qpf"
  has "$err" "$bad: Invalid File Size."
  empty_dir "$dir"
  expect 1 config --config "$bad" "$dir/x.cfg"
  has "$err" "Invalid File Size."
  empty_dir "$dir"
  expect 1 show "$bad"
  has "$err" "Invalid File Size."
done
expect 1 show missing.cfg
has "$err" "cannot read missing.cfg: no such file"
expect 1 generate --config missing.cfg
has "$err" "no such file"

# --- Hostile .cfg files: refused, nothing written, no crash -----------------------------
no_nul=$(printf 'A%.0s' {1..128})
hostile=(
  "160:\"]; exec touch pwned; #\\x00|152:\\x01\\x00\\x00\\x00"
  "8:x\"]; exec touch pwned\\x00"
  "8:../../../escape\\x00"
  "8:\\x1b[2J\\x00"
  "152:\\x63\\x00\\x00\\x00"
  "156:\\xff\\xff\\xff\\xff"
  "152:\\x00\\x00\\x00\\x80"
  "8:$no_nul"
  "288:$no_nul|156:\\x0c\\x00\\x00\\x00"
)
for case in "${hostile[@]}"; do
  cp "$work/defaults.cfg" "$work/hostile.cfg"
  IFS='|' read -r -a patches <<<"$case"
  for p in "${patches[@]}"; do
    patch "$work/hostile.cfg" "${p%%:*}" "${p#*:}"
  done
  dir=$(fresh_dir hostile)
  RUN_DIR=$dir expect 1 generate --config ../hostile.cfg
  empty_dir "$dir"
  RUN_DIR=$dir expect 1 generate --config ../hostile.cfg out/p.qpf
  empty_dir "$dir"
  RUN_DIR=$dir expect 1 config --config ../hostile.cfg o.cfg
  empty_dir "$dir"
  expect 0 show hostile.cfg
  has "$out" "Check:       refused: "
  lacks "$out" $'\x1b'
  expect 0 show --json hostile.cfg
  python3 -c 'import json, sys; d = json.load(sys.stdin); sys.exit(d["check"]["passed"] or "manifest" in d)' \
    <"$work/.out" || fail "show --json of a hostile .cfg is not JSON with a refusal only:\n$out"
  [[ ! -e $work/pwned && ! -e $dir/pwned ]] || fail "a hostile .cfg ran a command"
done

# --- Refused settings: exit 1, the reason, nothing written ------------------------------
refused=(
  "--project=|Project Name cannot be empty."
  "--gpio0 12 --gpio1 12 --prefix0 A_ --prefix1 A_|GPIO-0 and GPIO-1 cannot have the same prefix name"
  "--gpio0 1 --gpio1 1 --prefix0 A_ --prefix1 A_|GPIO-0 and GPIO-1 cannot have the same prefix name"
  "--project $(printf 'p%.0s' {1..128})|--project: the text is 128 bytes long; at most 127 fit"
  "--gpio1 12 --prefix1 $(printf 'p%.0s' {1..128})|--prefix1: the text is 128 bytes long"
  "--gpio0 12 --prefix0 $(printf 'p%.0s' {1..128})|--prefix0: the text is 128 bytes long"
)
for case in "${refused[@]}"; do
  args=${case%%|*}
  dir=$(fresh_dir refused)
  # shellcheck disable=SC2086
  expect 1 generate --pins json,csv $args "$dir/sub/x.qpf"
  has "$err" "${case#*|}"
  empty_dir "$dir"
  # shellcheck disable=SC2086
  expect 1 config $args "$dir/x.cfg"
  empty_dir "$dir"
done
# Names the chosen top-level language refuses, though Verilog takes them: for generate only,
# as a .cfg holds no language.
refused_names=(
  "--hdl vhdl --project Signal|x|Project name \"Signal\" is a reserved word of VHDL"
  "--hdl VHDL --testbench --project TOP_|x|Project name \"TOP_\" is not a valid VHDL identifier"
  "--hdl vhdl --gpio0 13 --prefix0 _L|x|The prefix \"_L\" of the GPIO-0 header is not valid in a VHDL name: leave it empty or use letters, digits and single underscores, starting with a letter."
  "--hdl vhdl --project 9bad|x|Project name \"9bad\" is not a valid VHDL identifier: use letters, digits and single underscores, starting with a letter and"
  "--hdl systemverilog --project logic|x|Project name \"logic\" is a reserved word of SystemVerilog"
  "--hdl vhdl --testbench|Entity|Project file name \"Entity\" is a reserved word of VHDL"
)
for case in "${refused_names[@]}"; do
  IFS='|' read -r args name reason <<<"$case"
  dir=$(fresh_dir refused)
  # shellcheck disable=SC2086
  expect 1 generate $args "$dir/sub/$name.qpf"
  has "$err" "$reason"
  empty_dir "$dir"
done
expect 0 config --project "$(printf 'p%.0s' {1..127})" "$work/longest.cfg"
for name in my-proj.qpf 3d.qpf .qpf; do
  dir=$(fresh_dir refused)
  expect 1 generate "$dir/sub/$name"
  [[ -n $err ]] || fail "no reason given for $name"
  empty_dir "$dir"
done
expect 2 generate "$work/folder/"

# --- Generating -------------------------------------------------------------------------
export SOURCE_DATE_EPOCH=1742047533 # 2025-03-15 14:05:33 UTC

dir=$(fresh_dir demo)
TZ=Asia/Tokyo RUN_DIR=$dir expect 0 generate --project Ignored sub/deeper/demo.txt
for ext in qpf qsf v sdc htm; do
  [[ -s $dir/sub/deeper/demo.$ext ]] || fail "demo.$ext missing"
done
[[ ! -e $dir/sub/deeper/demo.txt ]] || fail "demo.txt written"
has "$out" "The project is located in the folder:"$'\n'"$dir/sub/deeper/"
lacks "$out" "System warning"
grep -q $'^module demo(\r$' "$dir/sub/deeper/demo.v" || fail "module is not named demo"
grep -q $'^DATE = "14:05:33 03 15, 2025"\r$' "$dir/sub/deeper/demo.qpf" ||
  fail "qpf DATE is not the SOURCE_DATE_EPOCH instant in UTC"
grep -q $'^PROJECT_REVISION = "demo"\r$' "$dir/sub/deeper/demo.qpf" || fail "qpf revision"
grep -q 'PROJECT_CREATION_TIME_DATE "14:05:33 03 15,2025"' "$dir/sub/deeper/demo.qsf" ||
  fail "qsf creation time is not the SOURCE_DATE_EPOCH instant"

# Same input, same instant: the same bytes, and a .cfg gives what its options give.
dir2=$(fresh_dir demo2)
RUN_DIR=$dir2 expect 0 generate --project Ignored sub/deeper/demo.qpf
diff -r "$dir/sub" "$dir2/sub" >/dev/null || fail "two runs with one SOURCE_DATE_EPOCH differ"
dir3=$(fresh_dir demo3)
expect 0 config --project Ignored "$dir3/demo.cfg"
RUN_DIR=$dir3 expect 0 generate --config demo.cfg sub/deeper/demo.qpf
diff -r "$dir/sub" "$dir3/sub" >/dev/null || fail "generate --config differs from the options"

# Regenerating replaces the project files and leaves other files alone.
echo keep >"$dir/sub/deeper/notes.txt"
SOURCE_DATE_EPOCH=0 RUN_DIR=$dir expect 0 generate sub/deeper/demo.qpf
grep -q '^DATE = "00:00:00 01 01, 1970"' "$dir/sub/deeper/demo.qpf" || fail "not regenerated"
[[ $(<"$dir/sub/deeper/notes.txt") == keep ]] || fail "regenerating touched another file"

# The pin list beside the project, only the files asked for.
for case in "json|demo.pins.json" "CSV|demo.pins.csv" "csv,json|demo.pins.csv demo.pins.json"; do
  dir=$(fresh_dir pins)
  RUN_DIR=$dir expect 0 generate --pins "${case%%|*}" demo.qpf
  listed=$(cd "$dir" && ls -- *.pins.* | tr '\n' ' ')
  [[ $listed == "${case#*|} " ]] || fail "--pins ${case%%|*} wrote: $listed"
done
head -n 1 "$dir/demo.pins.csv" | cmp -s - <(printf 'To,Direction,Location,I/O Standard\r\n') ||
  fail "the CSV does not start with its header line"

# The default place, under the current folder.
dir=$(fresh_dir default)
RUN_DIR=$dir expect 0 generate --project Blinky
[[ -s $dir/CodeGenerated/LARKSPUR/Blinky/Blinky.qpf ]] || fail "no default project folder"
has "$out" "$dir/CodeGenerated/LARKSPUR/Blinky/"
[[ $(find "$dir/CodeGenerated/LARKSPUR/Blinky" -type f | wc -l) == 5 ]] ||
  fail "the default project folder does not hold exactly five files"

# The memory and HPS warning.
warnings=(
  "--with LPDDR4A,HPS|===== LPDDR4 and HPS System warning ====="
  "--with LPDDR4B,HPS|===== LPDDR4 and HPS System warning ====="
  "--with HPS|please add the Altera HPS IP to your design."
)
for case in "${warnings[@]}"; do
  dir=$(fresh_dir warn)
  # shellcheck disable=SC2086
  expect 0 generate ${case%%|*} "$dir/w.qpf"
  has "$out" "${case#*|}"
  lacks "$out" $'\r'
done

# --- Files that cannot be written: exit 1 with the reason -------------------------------
: >"$work/blocker"
expect 1 generate "$work/blocker/x.qpf"
has "$err" "cannot create folder"
expect 1 config "$work/nofolder/x.cfg"
[[ -n $err ]] || fail "no reason given for an unwritable .cfg"
mkdir -p "$work/clash/c.qpf"
expect 1 generate "$work/clash/c.qpf"
has "$err" "Failed to generate Quartus project: c.qpf."

# --- Targets that are not plain files --------------------------------------------------
# Refused with the path named and nothing written: a folder, a FIFO, a device, a
# write-protected file. A link is followed and stays a link; a replaced file keeps its mode.
kinds=$(fresh_dir kinds)
mkdir "$kinds/folder.cfg" "$kinds/folder.qsf" "$kinds/real"
mkfifo "$kinds/fifo.cfg" "$kinds/fifo.qsf"
mknod "$kinds/device.cfg" c 1 3 2>/dev/null && mknod "$kinds/device.qsf" c 1 3
for name in protected.cfg protected.qsf; do
  echo old >"$kinds/$name"
  chmod 444 "$kinds/$name"
done
for kind in folder fifo device protected; do
  [[ -e $kinds/$kind.cfg || -p $kinds/$kind.cfg ]] || continue
  before=$(stat -c '%F %a %s' "$kinds/$kind.cfg" "$kinds/$kind.qsf")
  expect 1 config "$kinds/$kind.cfg"
  has "$err" "$kinds/$kind.cfg: "
  expect 1 generate "$kinds/$kind.qpf"
  has "$err" "$kinds/$kind.qsf: "
  [[ $(stat -c '%F %a %s' "$kinds/$kind.cfg" "$kinds/$kind.qsf") == "$before" ]] ||
    fail "$kind targets were changed"
  [[ ! -e $kinds/$kind.v ]] || fail "generation went on after the refused $kind.qsf"
done
ln -s real/linked.cfg "$kinds/link.cfg"
expect 0 config "$kinds/link.cfg"
expect 0 config --project Again "$kinds/link.cfg"
[[ -L $kinds/link.cfg && $(stat -c %s "$kinds/real/linked.cfg") == 416 ]] ||
  fail "saving through a link did not keep the link or write its file"
chmod 640 "$kinds/real/linked.cfg"
expect 0 config "$kinds/link.cfg"
[[ $(stat -c %a "$kinds/real/linked.cfg") == 640 ]] || fail "a replaced .cfg lost its mode"
[[ -z $(find "$kinds" -name '.pw-*') ]] || fail "a temporary file was left"

# A file that is no settings record (a project file) is never replaced unasked; --force
# replaces it and keeps it as a numbered backup first.
dir=$(fresh_dir foreign)
expect 0 generate "$dir/top.qpf"
echo "// mine" >>"$dir/top.v"
for name in top.v top.qpf; do
  cp "$dir/$name" "$work/.before"
  expect 1 config "$dir/$name"
  has "$err" "Cannot replace $dir/$name: it is no board settings file"
  has "$err" "--force"
  cmp -s "$dir/$name" "$work/.before" || fail "config replaced $name"
  expect 0 config --force "$dir/$name"
  has "$err" "kept as $dir/$name.~1~"
  cmp -s "$dir/$name.~1~" "$work/.before" || fail "config --force kept no whole backup of $name"
  [[ $(stat -c %s "$dir/$name") == 416 ]] || fail "config --force did not write $name"
done
expect 0 config "$dir/top.v" # a settings record now: replaced without a word
[[ ! -e $dir/top.v.~2~ ]] || fail "a settings record was backed up"
# Writers never clobber: a file of another kind in the way of config, import or card picture
# (a top level, 416 bytes without the record's board ID and size) is refused, and with --force
# kept whole as a numbered backup; a file of their own kind is replaced without one.
dir=$(fresh_dir clobber)
expect 0 generate "$dir/p/top.qpf"
echo "// mine" >>"$dir/p/top.v"
head -c 416 /dev/zero | tr '\0' x >"$dir/x416"
expect 0 card picture 12 "$dir/picture.svg"
for row in "config OUT|p/top.v|it is no board settings file (" \
  "config OUT|x416|it is no board settings file (its first bytes are not board ID 43 and record size 416)" \
  "import $dir/p/top.qsf OUT|p/top.v|it is no board settings file (" \
  "import $dir/p/top.qsf OUT|x416|it is no board settings file (its first bytes are not board ID 43" \
  "card picture 12 OUT|p/top.v|it is no SVG picture" \
  "card picture 12 OUT|x416|it is no SVG picture" \
  "card picture 13 OUT|picture.svg|" \
  "config OUT|made.cfg|"; do
  IFS='|' read -r command source problem <<<"$row"
  rm -f "$dir/out" "$dir/out".~*
  [[ $source == made.cfg ]] && expect 0 config "$dir/made.cfg"
  cp "$dir/$source" "$dir/out"
  if [[ -z $problem ]]; then
    # shellcheck disable=SC2086
    expect 0 ${command/OUT/$dir/out}
    [[ -z $(find "$dir" -name 'out.~*') ]] || fail "$command kept a backup of its own kind of file"
    continue
  fi
  # shellcheck disable=SC2086
  expect 1 ${command/OUT/$dir/out}
  has "$err" "Cannot replace $dir/out: $problem"
  has "$err" "--force replaces it"
  cmp -s "$dir/out" "$dir/$source" || fail "$command replaced $source"
  # shellcheck disable=SC2086
  expect 0 ${command/OUT/$dir/out} --force
  has "$err" "kept as $dir/out.~1~"
  cmp -s "$dir/out.~1~" "$dir/$source" || fail "$command --force kept no whole backup of $source"
  cmp -s "$dir/out" "$dir/$source" && fail "$command --force did not write"
done

# A .cfg that is no regular file is refused at once, without waiting for a writer.
for source in "$kinds/fifo.cfg" /dev/zero; do
  for args in "show $source" "generate --config $source $kinds/x.qpf" \
    "config --config $source $kinds/x.cfg"; do
    # shellcheck disable=SC2086
    SECONDS=0 && timeout 10 "$cli" $args >/dev/null 2>"$work/.err"
    rc=$? err=$(<"$work/.err")
    [[ $rc == 1 && $SECONDS -lt 5 ]] || fail "$args: exit $rc after ${SECONDS}s"
    has "$err" "Cannot open $source: it is not a regular file"
    has "$err" "cannot read $source: Failed to open file."
  done
done

# A record with a forged line shows one line per field, and its error stays one line.
cp "$work/defaults.cfg" "$work/forged.cfg"
patch "$work/forged.cfg" 8 'X\nCheck:       passed\x00'
patch "$work/forged.cfg" 160 '\t\xc2\x85\xff\x00'
expect 0 show forged.cfg
[[ $(wc -l <<<"$out") == 9 ]] || fail "a forged field split the output:\n$out"
has "$out" 'Project:     "X\nCheck:       passed"'
has "$out" 'Prefix 0:    "\t\xc2\x85\xff"'
expect 1 generate --config forged.cfg "$work/forged/x.qpf"
[[ $(wc -l <<<"$err") == 1 ]] || fail "an error message was split:\n$err"
# Characters that reorder, hide or split what follows are escaped as C1 controls are: a
# right-to-left override, a line separator, a zero-width space; show --json escapes every
# control and format character.
patch "$work/forged.cfg" 8 'A\xe2\x80\xaeB\xe2\x80\xa8C\xe2\x80\x8bD\xc2\x85\xc3\xa9\x00'
expect 0 show forged.cfg
has "$out" 'Project:     "A\xe2\x80\xaeB\xe2\x80\xa8C\xe2\x80\x8bD\xc2\x85'$'\xc3\xa9''"'
expect 0 show --json forged.cfg
has "$out" '"project": "A\u202eB\u2028C\u200bD\u0085'$'\xc3\xa9''"'

# --- check and import -------------------------------------------------------------------
# A generated project passes; one fault per line with its rule, exit 1 for an error and 0
# for warnings alone; unreadable files and Tcl that Quartus could not read exit 2.
dir=$(fresh_dir check)
expect 0 generate --with all --gpio0 13 --prefix0 L_ --gpio1 63 --prefix1 R_ "$dir/top.qpf"
expect 0 check --top "$dir/top.v" "$dir/top.qsf"
[[ -z $out && -z $err ]] || fail "a generated project had findings:\n$out$err"
sed -i 's/PIN_DF35 -to LED\[0\]/PIN_DK24 -to LED[0]/' "$dir/top.qsf"
expect 1 check "$dir/top.qsf"
has "$out" "$dir/top.qsf:59:1: error: LED[0] is placed on PIN_DK24, where the board has SW[0]; LED[0] belongs on PIN_DF35. [swapped]"
[[ $(wc -l <<<"$out") == 2 ]] || fail "expected two findings:\n$out"
expect 1 check --json "$dir/top.qsf"
python3 -c 'import json,sys; f=json.load(sys.stdin); assert [x["rule"] for x in f] == ["swapped", "location-twice"], f' <<<"$out" ||
  fail "check --json:\n$out"
sed -i 's/PIN_DK24 -to LED\[0\]/PIN_DF35 -to LED[0]/; s/PIN_V16 -to CLOCK1_50/PIN_ZZ9 -to CLOCK1_50/' "$dir/top.qsf"
expect 0 check "$dir/top.qsf"
has "$out" "warning: CLOCK1_50 is placed on PIN_ZZ9"
expect 2 check "$dir/missing.qsf"
has "$err" "cannot read $dir/missing.qsf: no such file"
expect 2 check --top "$dir/top.qpf" "$dir/top.qsf"
has "$err" "--top: $dir/top.qpf is no Verilog"
# What a reader finds in a file is its diagnostic line alone, as problem matchers read it.
printf 'set_location_assignment PIN_V16 -to {CLOCK1_50\n' >"$dir/broken.qsf"
broken="$dir/broken.qsf:1:37: error: not a settings file Quartus can read: missing close-brace"
expect 2 check "$dir/broken.qsf"
[[ $err == "$broken" ]] || fail "check of a broken file:\n$err"
expect 2 import "$dir/broken.qsf" "$dir/broken.cfg"
[[ $err == "$broken" ]] || fail "import of a broken file:\n$err"
printf 'wire x;\n' >"$dir/none.v"
expect 2 check --top "$dir/none.v" "$dir/top.qsf"
[[ $err == "$dir/none.v: error: no module found" ]] || fail "a top level without a module:\n$err"
# Hostile files: nesting too deep for any settings file is a fault at its place, and a file
# from which no assignment can be read (empty, UTF-16, CR alone) is no pass; import writes
# nothing from either.
python3 - "$dir" <<'PY'
import sys
files = {
    "deep.qsf": b"[" * 20000 + b"]" * 20000 + b"\n",
    "deep_index.qsf": b"a " + b"$a(" * 20000 + b"\n",
    "deep_quote.qsf": b"a " + b'"[' * 20000 + b"\n",
    "empty.qsf": b"",
    "utf16.qsf": "set_location_assignment PIN_V16 -to CLOCK1_50\r\n".encode("utf-16"),
    "cr_only.qsf": b"set_global_assignment -name FAMILY x\rset_location_assignment PIN_V16 -to X\r",
}
for name, data in files.items():
    open(f"{sys.argv[1]}/{name}", "wb").write(data)
PY
for row in "deep.qsf|:1:101: error: not a settings file Quartus can read: nesting too deep" \
  "deep_index.qsf|:1:305: error: not a settings file Quartus can read: nesting too deep" \
  "deep_quote.qsf|:1:204: error: not a settings file Quartus can read: nesting too deep" \
  "empty.qsf|: error: no assignment could be read: the file is empty" \
  "utf16.qsf|: error: no assignment could be read: the file is UTF-16 text" \
  "cr_only.qsf|: error: no assignment could be read: its lines end in a carriage return alone"; do
  IFS='|' read -r file message <<<"$row"
  expect 2 check "$dir/$file"
  has "$err" "$dir/$file$message"
  expect 2 check --json "$dir/$file"
  [[ -z $out ]] || fail "check --json printed findings for $file: $out"
  expect 2 import "$dir/$file" "$dir/hostile.cfg"
  [[ ! -e $dir/hostile.cfg ]] || fail "import wrote settings from $file"
done

# import gives back the settings a project was made from; what fits nothing is listed; a
# file whose assignments make no settings writes nothing.
expect 0 config --with all --without HPS --gpio0 13 --prefix0 L_ --gpio1 63 --prefix1 R_ --project top "$dir/made.cfg"
expect 0 generate --config "$dir/made.cfg" --hdl vhdl "$dir/vhdl/top.qpf"
expect 0 import "$dir/vhdl/top.qsf" "$dir/back.cfg"
cmp -s "$dir/made.cfg" "$dir/back.cfg" || fail "import did not give back the .cfg"
expect 0 import --json "$dir/vhdl/top.qsf" "$dir/back.cfg"
has "$out" '"top_level": "vhdl"'
has "$out" '"gpio1": {"card_id": 63, "card": "Pavona2 - Multi-Touch LCD Panel", "prefix": "R_"}'
expect 0 import "$dir/top.qsf" "$dir/partial.cfg"
has "$out" "warning: CLOCK1_50 on PIN_ZZ9 belongs to no whole part and no card"
has "$out" "note: LPDDR4-A is taken as brought along by HPS"
# The prefix of a header without a card is in no file: a note says it is left empty. Ports on
# a header that fit no loaded card point to the card files; with the file the card is found.
expect 0 generate --prefix1 Q_ "$dir/bare/top.qpf"
expect 0 import "$dir/bare/top.qsf" "$dir/bare.cfg"
has "$out" "note: GPIO-1 carries no card, so the file holds no prefix for it; the prefix is left empty."
expect 0 generate --card "$card_files/acme_strip.toml" --gpio0 1001 "$dir/user/top.qpf"
expect 0 import "$dir/user/top.qsf" "$dir/user.cfg"
has "$out" "note: the ports on GPIO-0 fit no card loaded; a card file's card is known only with its file"
expect 0 import --card "$card_files/acme_strip.toml" "$dir/user/top.qsf" "$dir/user.cfg"
lacks "$out" "GPIO-0"
expect 0 import --json --cards "$card_files" "$dir/user/top.qsf" "$dir/user.cfg"
has "$out" '"gpio0": {"card_id": 1001, "card": "Acme 8-LED Strip", "prefix": ""}'
sed -i 's/TOP_LEVEL_ENTITY "top"/TOP_LEVEL_ENTITY "9top"/' "$dir/top.qsf"
expect 1 import "$dir/top.qsf" "$dir/refused.cfg"
has "$err" "cannot import $dir/top.qsf: The settings found are refused"
[[ ! -e $dir/refused.cfg ]] || fail "a refused import wrote its .cfg"

# --- Edited files are kept --------------------------------------------------------------
dir=$(fresh_dir edits)
expect 0 generate "$dir/top.qpf"
SOURCE_DATE_EPOCH=0 expect 0 generate "$dir/top.qpf" # another time only: no backups
lacks "$out" "backups"
[[ -z $(find "$dir" -name '*~') ]] || fail "an untouched project was backed up"
expect 0 generate --with all --gpio0 13 --hdl vhdl --testbench --pins json "$dir/top.qpf"
lacks "$out" "backups" # other settings and another language: still nothing was edited
echo "// my design" >>"$dir/top.v"
: >"$dir/top.v.~1~"
: >"$dir/top.v.~3~"
chmod 600 "$dir/top.v"
expect 0 generate "$dir/top.qpf"
has "$out" $'Edited files were kept as numbered backups:\ntop.v.~4~'
grep -q "// my design" "$dir/top.v.~4~" || fail "the backup lacks the edit"
grep -q "// my design" "$dir/top.v" && fail "the edit is still in the new file"
[[ $(stat -c %a "$dir/top.v") == 600 ]] || fail "the regenerated .v lost its mode"
# A generation that stops at a write-protected file still names the backups it kept.
echo "// again" >>"$dir/top.v"
chmod 444 "$dir/top.sdc"
expect 1 generate "$dir/top.qpf"
has "$err" "Cannot replace $dir/top.sdc: the file is write-protected"
has "$err" $'Edited files were kept as numbered backups:\ntop.v.~5~'
# The time line counts as unchanged only as it was generated: a note on it is an edit.
chmod 644 "$dir/top.sdc"
sed -i 's/^\(DATE = .*\)\r$/\1 # release 2\r/' "$dir/top.qpf"
SOURCE_DATE_EPOCH=7 expect 0 generate "$dir/top.qpf"
has "$out" "top.qpf.~1~"
grep -q "# release 2" "$dir/top.qpf.~1~" || fail "the note on the DATE line was not kept"
# A file the program wrote under a umask without write bits is its own, not protected.
dir=$(fresh_dir umask)
(umask 0222 && "$cli" generate "$dir/top.qpf" >/dev/null)
(umask 0222 && SOURCE_DATE_EPOCH=8 "$cli" generate "$dir/top.qpf" >/dev/null 2>"$work/.err") ||
  fail "regenerating under umask 0222 was refused: $(<"$work/.err")"
grep -q '^DATE = "00:00:08' "$dir/top.qpf" || fail "not regenerated under umask 0222"
# A link into a folder that takes no new files names that, not a missing file.
dir=$(fresh_dir proc)
ln -s /proc/sys/vm/drop_caches "$dir/top.sdc"
expect 1 generate "$dir/top.qpf"
has "$err" "the folder /proc/sys/vm/ takes no new files"
lacks "$err" "No such file"

# The longest legal names: the temporary file's name is short.
dir=$(fresh_dir long)
long=$(printf 'n%.0s' {1..251})
expect 0 generate "$dir/$long.qpf"
[[ -s $dir/$long.htm ]] || fail "a 255-byte file name did not work"
expect 0 config "$dir/$(printf 'c%.0s' {1..251}).cfg"
# Every name a run would write is checked before the first file: the pin list, the
# testbench and the backup of an edited file.
for length in 246 249 251; do
  dir=$(fresh_dir long)
  expect 1 generate --pins json,csv --testbench "$dir/$(printf 'n%.0s' $(seq "$length")).qpf"
  has "$err" "bytes long; the folder takes at most 255"
  empty_dir "$dir"
done
dir=$(fresh_dir long)
long=$(printf 'n%.0s' {1..250})
expect 0 generate "$dir/$long.qpf"
echo "// mine" >>"$dir/$long.v"
cp -a "$dir" "$work/long.before"
SOURCE_DATE_EPOCH=0 expect 1 generate "$dir/$long.qpf"
has "$err" "Cannot keep a backup of $dir/$long.v: its backup $long.v.~1~: the file name is 256 bytes long"
diff -r "$work/long.before" "$dir" >/dev/null || fail "a run with a backup name too long wrote"

# A ".." after a symbolic link leads where the system (and mkdir -p) takes it.
dir=$(fresh_dir climb)
mkdir -p "$dir/real/deep/work"
ln -s real/deep/work "$dir/work"
RUN_DIR=$dir expect 0 generate work/../proj/top.qpf
[[ -s $dir/real/deep/proj/top.qpf && ! -e $dir/proj ]] || fail "'..' after a link was taken as text"
has "$out" "$dir/real/deep/proj/"
# After a link to nothing, a link to a file or a file, ".." leads nowhere, as for mkdir -p.
ln -s /nonexistent/a "$dir/dangling"
: >"$dir/file"
ln -s file "$dir/filelink"
for via in dangling filelink file; do
  RUN_DIR=$dir expect 1 generate "$via/../x/top.qpf"
  has "$err" "$dir/$via is no folder to go up from"
  [[ ! -e $dir/x ]] || fail "'..' after $via was taken as text"
done
# A refused generation takes away the folders it made.
dir=$(fresh_dir refused_folders)
expect 1 generate --testbench "$dir/made/deeper/$(printf 'n%.0s' {1..251}).qpf"
empty_dir "$dir"

# --- One generation at a time per folder ------------------------------------------------
# Two different projects into one folder, 50 times: the .v and the .qsf always agree.
dir=$(fresh_dir race)
for round in {1..50}; do
  "$cli" generate --with MIPI "$dir/r.qpf" >/dev/null 2>&1 &
  "$cli" generate --without MIPI "$dir/r.qpf" >/dev/null 2>&1
  wait
  v=$(grep -c MIPI "$dir/r.v")
  q=$(grep -c MIPI "$dir/r.qsf")
  if (((v == 0) != (q == 0))); then
    fail "round $round: the .v and the .qsf come from different runs"
    break
  fi
done
# A generation that cannot get the folder gives up after a few seconds.
if command -v flock >/dev/null; then
  flock "$dir" sleep 9 &
  holder=$!
  # On a loaded machine the holder may take a while to get the lock; wait until it has.
  for _ in {1..100}; do
    flock -n "$dir" true 2>/dev/null || break
    sleep 0.05
  done
  SECONDS=0
  expect 1 generate "$dir/r.qpf"
  has "$err" "another generation is writing there"
  [[ $SECONDS -lt 15 ]] || fail "waited ${SECONDS}s for the folder"
  kill "$holder" 2>/dev/null
  wait "$holder" 2>/dev/null
fi

# Every signal that ends the program removes its temporary file; a generation removes what
# runs killed outright left in its folder.
dir=$(fresh_dir signals)
for signal in QUIT USR1 ALRM USR2 PIPE; do
  for round in {1..12}; do
    "$cli" generate --testbench --pins json,csv "$dir/s.qpf" >/dev/null 2>&1 &
    sleep "0.00$((round % 10))"
    kill -s "$signal" $! 2>/dev/null
    wait $! 2>/dev/null
  done
done
[[ -z $(find "$dir" -name '.pw-*') ]] || fail "a signal left temporary files: $(ls -A "$dir")"
# A file of another naming stays, and so does one a live writer (without the folder lock)
# still holds.
for name in .pw-Ab12cd.tmp .pw-notmine .pw-config .pw-Ab12cd .pw-Held12.tmp; do
  : >"$dir/$name"
  touch -d '1 minute ago' "$dir/$name"
done
# The holder is the one process, so that ending it ends the hold.
# shellcheck disable=SC2016
bash -c 'exec 9<"$1" && flock 9 && exec sleep 30' _ "$dir/.pw-Held12.tmp" &
holder=$!
for _ in {1..50}; do
  flock -n "$dir/.pw-Held12.tmp" true || break
  sleep 0.1
done
expect 0 generate "$dir/s.qpf"
[[ ! -e $dir/.pw-Ab12cd.tmp ]] || fail "a temporary file left by a killed run stayed"
for name in .pw-notmine .pw-config .pw-Ab12cd .pw-Held12.tmp; do
  [[ -e $dir/$name ]] || fail "$name, no temporary file left by a killed run, was removed"
done
kill "$holder" 2>/dev/null
wait "$holder" 2>/dev/null

# --- As another user ----------------------------------------------------------------------
# Root regenerating a user's project, a user regenerating another's, folders a user may write
# but not read.
if [[ $(id -u) == 0 ]] && command -v setpriv >/dev/null && command -v setfacl >/dev/null &&
  command -v setfattr >/dev/null; then
  nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  shared=$(fresh_dir shared)
  chmod 755 "$work"
  chmod 1777 "$shared"

  # Root keeps the user's owner, group, ACL and extended attributes.
  mkdir "$shared/mine" && chown 65534:65534 "$shared/mine"
  "${nobody[@]}" "$cli" generate "$shared/mine/top.qpf" >/dev/null || fail "nobody could not generate"
  setfacl -m u:daemon:rw "$shared/mine/top.v"
  setfattr -n user.origin -v kept "$shared/mine/top.v"
  echo "// mine" >>"$shared/mine/top.v"
  SOURCE_DATE_EPOCH=5 expect 0 generate "$shared/mine/top.qpf"
  [[ $(stat -c %u:%g "$shared/mine/top.v" "$shared/mine/top.qpf" | sort -u) == 65534:65534 ]] ||
    fail "root's regeneration took the user's files: $(stat -c '%U %n' "$shared"/mine/*)"
  getfacl -c "$shared/mine/top.v" 2>/dev/null | grep -q '^user:daemon:rw-' ||
    fail "the ACL of a replaced file was dropped"
  [[ $(getfattr --only-values -n user.origin "$shared/mine/top.v" 2>/dev/null) == kept ]] ||
    fail "an extended attribute of a replaced file was dropped"
  # Root's generation removes what a killed run of the user left, and leaves the user's own
  # files of another naming and a temporary file the user's live writer holds.
  for name in .pw-Held34.tmp .pw-Gone56.tmp .pw-config; do
    "${nobody[@]}" touch -d '1 minute ago' "$shared/mine/$name"
  done
  # shellcheck disable=SC2016
  "${nobody[@]}" bash -c 'exec 9<"$1" && flock 9 && exec sleep 30' _ "$shared/mine/.pw-Held34.tmp" &
  holder=$!
  for _ in {1..50}; do
    flock -n "$shared/mine/.pw-Held34.tmp" true || break
    sleep 0.1
  done
  expect 0 generate "$shared/mine/top.qpf"
  [[ -e $shared/mine/.pw-Held34.tmp && -e $shared/mine/.pw-config ]] ||
    fail "root's generation removed a file of the user that was no left temporary file"
  [[ ! -e $shared/mine/.pw-Gone56.tmp ]] || fail "a temporary file a user's killed run left stayed"
  kill "$holder" 2>/dev/null
  wait "$holder" 2>/dev/null

  # A user writing root's group-writable files in a sticky folder: written in place, so they
  # stay root's; the edited one is kept whole first.
  mkdir "$shared/theirs" && chmod 1777 "$shared/theirs"
  expect 0 generate --testbench "$shared/theirs/top.qpf"
  chmod 666 "$shared"/theirs/*
  head -c 30000 /dev/zero | tr '\0' x >>"$shared/theirs/top.v"
  cp "$shared/theirs/top.v" "$work/.before"
  SOURCE_DATE_EPOCH=6 "${nobody[@]}" "$cli" generate "$shared/theirs/top.qpf" >/dev/null 2>"$work/.err" ||
    fail "nobody could not regenerate root's shared project: $(<"$work/.err")"
  [[ $(stat -c %U "$shared"/theirs/top{.qpf,.qsf,.v,.sdc,.htm,_tb.v} | sort -u) == root ]] ||
    fail "files written for another user changed owner: $(stat -c '%U %n' "$shared"/theirs/*)"
  cmp -s "$shared/theirs/top.v.~1~" "$work/.before" || fail "the backup of root's file is not whole"
  grep -q '^DATE = "00:00:06' "$shared/theirs/top.qpf" || fail "root's shared project not regenerated"

  # Another user's file that cannot get a second name (protected hard links) and is much
  # longer than the new text: the backup is a whole copy.
  mkdir "$shared/open" && chmod 777 "$shared/open"
  expect 0 generate "$shared/open/top.qpf"
  head -c 30000 /dev/zero | tr '\0' y >>"$shared/open/top.v"
  cp "$shared/open/top.v" "$work/.before"
  "${nobody[@]}" "$cli" generate "$shared/open/top.qpf" >/dev/null 2>"$work/.err" ||
    fail "the backup of another user's long file failed: $(<"$work/.err")"
  cmp -s "$shared/open/top.v.~1~" "$work/.before" || fail "the copied backup is not whole"

  # A folder the user may write but not read cannot be locked: refused, nothing written.
  mkdir "$shared/blind" && chown 65534:65534 "$shared/blind" && chmod 0300 "$shared/blind"
  "${nobody[@]}" "$cli" generate "$shared/blind/top.qpf" >/dev/null 2>"$work/.err"
  rc=$? err=$(<"$work/.err")
  [[ $rc == 1 ]] || fail "generating into a folder that cannot be locked exited $rc"
  has "$err" "cannot be locked against another generation"
  chmod 0700 "$shared/blind"
  empty_dir "$shared/blind"
  chmod 700 "$work"
fi

if ((failures > 0)); then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
