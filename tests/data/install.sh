#!/usr/bin/env bash
# The installed program as a user meets it: installed into a temporary prefix that is then
# made read-only, run with HOME in a temporary folder. pinwright-cli writes under the
# current folder; the window, driven by keys on a virtual display, keeps its settings in
# ~/.config/pinwright/ and makes its default project folder under HOME; nothing is written
# into the prefix.
#   install.sh BUILD_DIR
set -euo pipefail
self=$(readlink -f "$0")

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

drive_window() {
  # Started as a file manager starts it for a settings file.
  "$prefix/bin/pinwright" "$work/typed.cfg" &
  local program=$!
  local window
  window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Larkspur V1\.0\.0$' | head -n 1) ||
    { kill "$program"; fail "the window did not appear"; }
  xdotool windowfocus --sync "$window"
  xdotool key --clearmodifiers alt+g
  for _ in $(seq 200); do
    [ -d "$HOME/CodeGenerated/LARKSPUR/typed" ] && break
    sleep 0.1
  done
  [ -d "$HOME/CodeGenerated/LARKSPUR/typed" ] ||
    { kill "$program"; fail "no default project folder under HOME while the dialog is open"; }
  sleep 0.5
  xdotool key Escape
  sleep 0.5
  xdotool windowfocus --sync "$window"
  xdotool key --clearmodifiers alt+x
  for _ in $(seq 100); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$program" 2>/dev/null; then
    kill "$program"
    fail "Exit did not end the program"
  fi
  wait "$program"
}

if [ "${1:-}" = --drive ]; then
  drive_window
  exit 0
fi

build=$1
for tool in Xvfb xdotool xvfb-run gio update-mime-database update-desktop-database; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done

scratch=$(mktemp -d)
cleanup() {
  chmod -R u+w "$scratch" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
prefix=$scratch/prefix
home=$scratch/home
work=$scratch/work
mkdir -p "$home" "$work"

cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/pinwright bin/pinwright-cli \
  share/applications/io.github.pinwright.Pinwright.desktop \
  share/mime/packages/io.github.pinwright.Pinwright.xml \
  share/icons/hicolor/scalable/apps/io.github.pinwright.Pinwright.svg \
  share/metainfo/io.github.pinwright.Pinwright.metainfo.xml \
  share/man/man1/pinwright.1.gz share/man/man1/pinwright-cli.1.gz \
  share/bash-completion/completions/pinwright-cli; do
  [ -f "$prefix/$file" ] || fail "cmake --install did not put $file in place"
done

listing() { (cd "$prefix" && find . -printf '%p %s %T@\n' | sort); }
before=$(listing)
chmod -R a-w "$prefix"

export HOME=$home
unset XDG_CONFIG_HOME

# The desktop program answers --help and --version without a display and opens no window.
help=$(DISPLAY= WAYLAND_DISPLAY= "$prefix/bin/pinwright" --help)
[[ $help == "Usage: pinwright [--cards DIR] [--card FILE.toml] [FILE.cfg]"* ]] || fail "pinwright --help did not print its usage"
[ "$(DISPLAY= WAYLAND_DISPLAY= "$prefix/bin/pinwright" --version)" = "pinwright 1.0.0" ] ||
  fail "pinwright --version did not print its version"
# A usage error is told without a display too, with the usage error's exit status.
status=0
DISPLAY= WAYLAND_DISPLAY= "$prefix/bin/pinwright" --frobnicate 2>/dev/null || status=$?
[ "$status" = 2 ] || fail "pinwright --frobnicate without a display did not exit 2"

# The command-line tool: its default folder stays relative to the current folder.
(cd "$work" && SOURCE_DATE_EPOCH=0 "$prefix/bin/pinwright-cli" generate --project demo >/dev/null) ||
  fail "the installed pinwright-cli could not generate"
[ -f "$work/CodeGenerated/LARKSPUR/demo/demo.qpf" ] || fail "pinwright-cli did not write under the current folder"

# The bash completion offers what the installed program knows: commands, options, cards by
# name and ID, components, and settings files.
completions() {
  (
    set +eu
    source /usr/share/bash-completion/bash_completion
    source "$prefix/share/bash-completion/completions/pinwright-cli"
    PATH=$prefix/bin:$PATH
    cd "$work"
    local line=$1
    read -ra COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_LINE=$line COMP_POINT=${#line} COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _pinwright_cli pinwright-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd'|'
  ) 2>/dev/null
}
if [ -f /usr/share/bash-completion/bash_completion ]; then
  touch "$work/board.cfg" "$work/notes.txt"
  while IFS='=' read -r line expected; do
    got=$(completions "$line")
    [ "$got" = "$expected" ] || fail "completing '$line' gave '$got', not '$expected'"
  done <<'CASES'
pinwright-cli =--help|--version|-h|card|cards|check|config|generate|help|import|show
pinwright-cli generate --gp=--gpio0|--gpio1
pinwright-cli generate --t=--testbench
pinwright-cli generate --hdl v=verilog|vhdl
pinwright-cli generate --gpio1 Cor=Corvel\ -\ 5M\ Pixel\ Camera
pinwright-cli config --gpio0 6=62|63|66|67|68|69
pinwright-cli config --gpio0 sand=Sandrel\ -\ 4.3\"\ LCD\ and\ Touch
pinwright-cli config --gpio0 n=None|none
pinwright-cli generate --with LED,SD=LED,SDRAM
pinwright-cli generate --without H=HPS|HdmiTx
pinwright-cli show =CodeGenerated|board.cfg
pinwright-cli help =card|cards|check|config|generate|import|show
pinwright-cli generate --pins j=json|json,csv
pinwright-cli show --=--help|--json
pinwright-cli check --=--card|--cards|--help|--json|--top
pinwright-cli import x.qsf =CodeGenerated|board.cfg
pinwright-cli import --card c.toml x.qsf =CodeGenerated|board.cfg
pinwright-cli import --j=--json
pinwright-cli import --f=--force
pinwright-cli config --fo=--force
pinwright-cli card picture --h=--header|--help
pinwright-cli card export --h=--help
pinwright-cli card picture --header =0|1
CASES
fi

# The settings files' type as a desktop sees it through shared-mime-info and GIO: known by
# the record's first bytes whatever the file's name, not by the name alone, and opened with
# the installed Pinwright.
xdg=$scratch/xdg
mkdir -p "$xdg/mime/packages" "$xdg/applications"
cp "$prefix/share/mime/packages/io.github.pinwright.Pinwright.xml" "$xdg/mime/packages/"
cp "$prefix/share/applications/io.github.pinwright.Pinwright.desktop" "$xdg/applications/"
update-mime-database "$xdg/mime" 2>/dev/null
update-desktop-database "$xdg/applications"
"$prefix/bin/pinwright-cli" config --project typed "$work/typed.cfg" >/dev/null
cp "$work/typed.cfg" "$work/saved-settings"
printf 'key = value\n' >"$work/notes.cfg"
head -c 416 /dev/zero >"$work/zeros.cfg"
gio_here() { PATH=$prefix/bin:$PATH XDG_DATA_HOME=$xdg XDG_DATA_DIRS=/usr/share GIO_USE_VFS=local gio "$@"; }
type=application/x-pinwright-settings
while read -r file expected; do
  got=$(gio_here info -a standard::content-type "$work/$file" | sed -n 's/^ *standard::content-type: //p')
  { [ "$expected" = yes ] && [ "$got" = "$type" ]; } || { [ "$expected" = no ] && [ "$got" != "$type" ]; } ||
    fail "$file has the content type '$got'"
done <<'FILES'
typed.cfg yes
saved-settings yes
notes.cfg no
zeros.cfg no
FILES
apps=$(gio_here mime "$type")
# The first line names the default application, whatever quotes the locale gives its type.
[[ ${apps%%$'\n'*} == "Default application for"*": io.github.pinwright.Pinwright.desktop" ]] ||
  fail "$type does not open with Pinwright: $apps"

# The window: Generate (the project dialog is cancelled), then Exit, both by their mnemonics,
# on a virtual display; this script runs itself there.
export prefix work
(cd "$work" && QT_QPA_PLATFORM=xcb xvfb-run -a -s '-screen 0 1280x800x24' bash "$self" --drive) ||
  fail "driving the window failed"

[ ! -e "$HOME/CodeGenerated" ] || fail "the cancelled Generate left its empty folders behind"
[ "$(stat -c %s "$HOME/.config/pinwright/default.cfg" 2>/dev/null)" = 416 ] ||
  fail "Exit did not write ~/.config/pinwright/default.cfg"
grep -q typed "$HOME/.config/pinwright/default.cfg" ||
  fail "the settings file named on the command line was not shown"
grep -q '^MainBoard=43' "$HOME/.config/pinwright/pinwright.INI" ||
  fail "no board in ~/.config/pinwright/pinwright.INI"
[ "$before" = "$(listing)" ] || fail "something was written into the installed prefix"
[ ! -e "$work/default.cfg" ] && [ ! -e "$work/CodeGenerated/LARKSPUR/typed" ] ||
  fail "the window wrote into the current folder"
echo "install: passed"
