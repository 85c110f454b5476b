#!/usr/bin/env bash
# cmake --install into a fresh prefix: the program folder is self-contained,
# the desktop entry starts the installed program and validates, and so does
# the AppStream metadata, with the version of the build.
set -euo pipefail
build="$1"
# Staged under DESTDIR, so that a build configured for the package (desktop
# files under /usr) writes nothing into the system either.
stage="$(mktemp -d /tmp/vestok-install.XXXXXX)"
trap 'rm -rf "$stage"' EXIT
fail() { echo "install layout: $*" >&2; exit 1; }
prefix=/opt/vestok-layout-check
DESTDIR="$stage" cmake --install "$build" --prefix "$prefix" >/dev/null
folder="$stage$prefix"
share="$(dirname "$(dirname "$(find "$stage" -name '*.desktop' -path '*/share/applications/*' | head -n 1)")")"
[ -d "$share" ] || fail "no desktop entry installed"
for f in vestok vestok-cli ecrsim README.md sample/items.csv sample/settings.csv; do
  [ -e "$folder/$f" ] || fail "$f is missing from the program folder"
done
[ -x "$folder/vestok" ] && [ -x "$folder/vestok-cli" ] || fail "the programs are not executable"
id=ro.vestok.Vestok
desktop="$share/applications/$id.desktop"
grep -qx "Exec=$prefix/vestok" "$desktop" || fail "the desktop entry does not start $prefix/vestok"
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry names another icon"
[ -f "$share/icons/hicolor/scalable/apps/$id.svg" ] || fail "no scalable icon"
for s in 16 32 48 64 128 256; do
  [ -f "$share/icons/hicolor/${s}x${s}/apps/$id.png" ] || fail "no ${s}x${s} icon"
done
# On the PATH: a link to the program, which still reads the settings beside
# its target wherever it is started from; its pages and its completion.
[ "$(readlink "$(dirname "$share")/bin/vestok-cli")" = "$prefix/vestok-cli" ] || fail "bin/vestok-cli is not a link to $prefix/vestok-cli"
mkdir -p "$stage/path"
ln -s "$folder/vestok-cli" "$stage/path/vestok-cli"
printf '[Communication]\r\nPort=7\r\nBaud=4\r\n' > "$folder/Vestok.ini"
shown="$(cd / && "$stage/path/vestok-cli" settings)" || fail "vestok-cli settings failed through the link"
grep -qE '^Port=(COM)?7\b' <<< "$shown" || fail "through the link vestok-cli did not read $prefix/Vestok.ini: $shown"
man="$share/man/man1"
for page in vestok vestok-cli ecrsim; do
  [ -f "$man/$page.1.gz" ] || fail "no manual page for $page"
  zcat "$man/$page.1.gz" | grep -q '^\.SH NAME' || fail "the manual page of $page has no NAME"
done
doc="$share/doc/vestok"
for f in copyright changelog.gz FLEET.md examples/fleet/vestok-fleet.yml examples/fleet/cron.d/vestok-cli; do
  [ -f "$doc/$f" ] || fail "no $f in the documents"
done
zcat "$doc/changelog.gz" | head -n 1 | grep -q "^vestok ($(sed -n 's/^project(Vestok VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt"))" ||
  fail "the changelog does not begin with this version"

# Completion: what the shell offers at a few points of a command line, and
# every command of --help among the commands it completes.
completion="$share/bash-completion/completions/vestok-cli"
[ -f "$completion" ] || fail "no bash completion"
complete_at() {
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
           _vestok_cli; printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "' _ "$completion" "$folder/vestok-cli" "$@"
}
[ "$(complete_at dow)" = "download " ] || fail "completion of a command: $(complete_at dow)"
[ "$(complete_at upload item)" = "item-sales items " ] || fail "completion of a table: $(complete_at upload item)"
[ "$(complete_at fiscal --variant "")" = "A S " ] || fail "completion of a variant: $(complete_at fiscal --variant "")"
[ "$(complete_at fiscal --port=rfc)" = "rfc2217:// " ] || fail "completion of --port=: $(complete_at fiscal --port=rfc)"
[[ "$(complete_at fiscal --js)" == "--json "* ]] || fail "completion of an option: $(complete_at fiscal --js)"
offered="$(complete_at "")"
for c in $("$folder/vestok-cli" --help | sed -n 's/^  \([a-z][a-z-]*\)\( .*\)\?$/\1/p'); do
  [[ " $offered " == *" $c "* ]] || fail "the completion does not offer the command $c"
done

version="$(sed -n 's/^project(Vestok VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")"
grep -q "<release version=\"$version\"" "$share/metainfo/$id.metainfo.xml" || fail "the metadata names another release than $version"
if ! command -v desktop-file-validate >/dev/null || ! command -v appstreamcli >/dev/null; then
  echo "install layout: desktop-file-validate or appstreamcli missing (scripts/setup installs them); not validated"
  exit 77
fi
desktop-file-validate "$desktop" || fail "the desktop entry does not validate"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" >/dev/null || fail "the metadata does not validate"
