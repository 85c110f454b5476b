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
version="$(sed -n 's/^project(Vestok VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")"
grep -q "<release version=\"$version\"" "$share/metainfo/$id.metainfo.xml" || fail "the metadata names another release than $version"
if ! command -v desktop-file-validate >/dev/null || ! command -v appstreamcli >/dev/null; then
  echo "install layout: desktop-file-validate or appstreamcli missing (scripts/setup installs them); not validated"
  exit 77
fi
desktop-file-validate "$desktop" || fail "the desktop entry does not validate"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" >/dev/null || fail "the metadata does not validate"
