#!/usr/bin/env bash
# pinwright-cli.exe under Wine, as a Windows user meets it: Windows paths with drive letters
# and backslashes in and out, a user folder with a non-ASCII name, replacing files that
# exist, the exit status classes, and the golden projects byte for byte.
# Usage: windows.sh PATH-TO-pinwright-cli.exe   (exit 77 when Wine is missing)
set -u

cli=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
golden=$here/../build/golden
wine=$(command -v wine || command -v /usr/lib/wine/wine64) || {
  echo "SKIP: Wine is not installed"
  exit 77
}
export WINEDEBUG=-all
# Wine turns the arguments and the file names between UTF-8 and Windows' wide characters
# after the locale.
export LC_ALL=C.UTF-8

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  printf 'FAIL: %s\n' "$*"
  failures=$((failures + 1))
}

# The Windows path of a folder or file of this machine (drive Z: is its root).
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# run ARGS...: runs the program under Wine in $RUN_DIR (default: the work folder); sets rc,
# and out and err with the console's CR LF line ends read as plain ones.
run() {
  (cd "${RUN_DIR:-$work}" && exec "$wine" "$cli" "$@") >"$work/.out" 2>"$work/.err"
  rc=$?
  out=$(tr -d '\r' <"$work/.out")
  err=$(tr -d '\r' <"$work/.err")
}

expect() {
  local want=$1
  shift
  run "$@"
  [[ $rc == "$want" ]] || fail "exit $rc instead of $want: $*"$'\n'"stdout: $out"$'\n'"stderr: $err"
}

has() { [[ $1 == *"$2"* ]] || fail "expected to find '$2' in:"$'\n'"$1"; }
lacks() { [[ $1 != *"$2"* ]] || fail "did not expect '$2' in:"$'\n'"$1"; }

unset SOURCE_DATE_EPOCH

# --- The program starts alone and tells usage errors apart --------------------------------
expect 0 --version
[[ $out == "pinwright-cli 1.0.0" ]] || fail "version: $out"
expect 2
has "$err" "Usage: pinwright-cli generate"
expect 2 generate --gpio0 "Nonexistent Card"
has "$err" "--gpio0: unknown card 'Nonexistent Card'"
SOURCE_DATE_EPOCH=abc expect 2 generate
has "$err" "SOURCE_DATE_EPOCH"

# --- The golden projects, byte for byte, from Windows paths -------------------------------
export SOURCE_DATE_EPOCH=1742047533 # the instant the golden files were made at
goldens=(
  "defaults|LARKSPUR|"
  "everything|FULL_BOARD|--with all --gpio0 13 --prefix0 LCD_ --gpio1 67 --prefix1 RF_"
  "gpio_default_pair|GPIO_PAIR|--gpio0 1 --gpio1 1"
  "no_groups|EMPTY|--without all"
)
for case in "${goldens[@]}"; do
  IFS='|' read -r folder project options <<<"$case"
  # shellcheck disable=SC2086
  expect 0 generate $options "$(winpath "$work/golden/$folder")\\$project.qpf"
  for ext in qpf qsf v sdc htm; do
    cmp -s "$golden/$folder/$project.$ext" "$work/golden/$folder/$project.$ext" ||
      fail "$folder/$project.$ext differs from the golden file"
  done
done

# --- Paths a Windows user sees ------------------------------------------------------------
# The default project folder, under the current one, shown with backslashes.
mkdir -p "$work/default"
RUN_DIR=$work/default expect 0 generate --project Blinky
has "$out" "The project is located in the folder:"$'\n'"$(winpath "$work/default")\\CodeGenerated\\LARKSPUR\\Blinky\\"
[[ $(find "$work/default/CodeGenerated/LARKSPUR/Blinky" -type f | wc -l) == 5 ]] ||
  fail "the default project folder does not hold exactly five files"

# A relative path with forward slashes comes out with backslashes too.
mkdir -p "$work/relative"
RUN_DIR=$work/relative expect 0 generate sub/deeper/demo.qpf
has "$out" "$(winpath "$work/relative")\\sub\\deeper\\"
[[ -s $work/relative/sub/deeper/demo.v ]] || fail "sub/deeper/demo.v missing"

# A user folder whose name is not ASCII: arguments, files and messages keep it.
user=$work/Users/Jürgen
mkdir -p "$user"
expect 0 config --project Umlaut --gpio0 12 "$(winpath "$user")\\Einstellungen.cfg"
[[ $(stat -c %s "$user/Einstellungen.cfg") == 416 ]] || fail "no 416-byte .cfg in Jürgen's folder"
expect 0 show "$(winpath "$user")\\Einstellungen.cfg"
has "$out" 'Project:     "Umlaut"'
has "$out" "GPIO-0:      12 Corvel - 5M Pixel Camera"
expect 0 generate --config "$(winpath "$user")\\Einstellungen.cfg" "$(winpath "$user")\\Projekte\\cam.qpf"
has "$out" "$(winpath "$user")\\Projekte\\"
for ext in qpf qsf v sdc htm; do
  [[ -s $user/Projekte/cam.$ext ]] || fail "cam.$ext missing in Jürgen's folder"
done
lacks "$(find "$user" -name '.*tmp')" "tmp" # no temporary file left behind
expect 1 show "$(winpath "$user")\\Fehlt.cfg"
has "$err" "cannot read $(winpath "$user")\\Fehlt.cfg: no such file"

# --- Replacing what exists: the project files go, every other file stays -----------------
echo keep >"$user/Projekte/notes.txt"
SOURCE_DATE_EPOCH=0 expect 0 generate --config "$(winpath "$user")\\Einstellungen.cfg" \
  "$(winpath "$user")\\Projekte\\cam.qpf"
grep -q '^DATE = "00:00:00 01 01, 1970"' "$user/Projekte/cam.qpf" || fail "cam.qpf not replaced"
[[ $(<"$user/Projekte/notes.txt") == keep ]] || fail "regenerating touched another file"
expect 0 config --project Again "$(winpath "$user")\\Einstellungen.cfg"
expect 0 show "$(winpath "$user")\\Einstellungen.cfg"
has "$out" 'Project:     "Again"'

# --- Files that cannot be read or written: exit 1 with the reason -------------------------
head -c 100 "$user/Einstellungen.cfg" >"$work/short.cfg"
expect 1 show "$(winpath "$work")\\short.cfg"
has "$err" "Invalid File Size."
: >"$work/blocker"
expect 1 generate "$(winpath "$work")\\blocker\\x.qpf"
has "$err" "cannot create folder $(winpath "$work")\\blocker"
mkdir -p "$work/clash/c.qpf"
expect 1 generate "$(winpath "$work")\\clash\\c.qpf"
has "$err" "Failed to generate Quartus project: c.qpf."
expect 1 config "$(winpath "$work")\\blocker\\x.cfg"
has "$err" "Failed to create file."

# --- Card files: Windows paths in the errors, a picture beside the file, a project --------
cards=$here/../cards/files
mkdir -p "$user/Karten"
cp "$cards/acme_strip.toml" "$user/Karten/"
printf 'format = "pinwright-card"\r\nversion = 1\r\nid = 12\r\n' >"$user/Karten/falsch.toml"
expect 1 card check "$(winpath "$user")\Karten\acme_strip.toml" "$(winpath "$user")\Karten\falsch.toml"
has "$err" "$(winpath "$user")\Karten\falsch.toml:3:6: error: id must be from 1000 to 9999"
has "$out" 'card 1001 "Acme 8-LED Strip" passes the checks'
SOURCE_DATE_EPOCH=0 expect 0 generate --cards "$(winpath "$user")\Karten" --gpio0 1001 \
  --prefix0 A_ --pinout "$(winpath "$user")\Projekte\karte.qpf"
grep -q 'WEAK_PULL_UP_RESISTOR ON -to A_ACME_KEY_n' "$user/Projekte/karte.qsf" ||
  fail "the card file's pull-up is missing from karte.qsf"
grep -q '<title>Position 1: A_ACME_CLK' "$user/Projekte/karte.pinout.svg" ||
  fail "karte.pinout.svg lacks the card's first position"

if ((failures > 0)); then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
