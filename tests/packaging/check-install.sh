#!/usr/bin/env bash
# The installed program as the Debian package holds it: its file list, the desktop entry and the
# file type valid for the desktop's tools, and the programs running from the installed folder.
# Usage: check-install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build="$(cd "$1" && pwd)"
source="$(cd "$2" && pwd)"
here="$source/tests/packaging"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

DESTDIR="$root/pkg" cmake --install "$build" --prefix /usr >/dev/null
cd "$root/pkg"
installed="$(find . \( -type f -o -type l \) | sed 's#^\./##' | sort)"

# Every listed file is there; nothing outside the listed folders is there unlisted.
folders=()
while IFS= read -r line; do
    [[ -z "$line" || "$line" == \#* ]] && continue
    if [[ "$line" == */ ]]; then folders+=("$line"); continue; fi
    [[ -e "$line" || -L "$line" ]] || fail "missing from the installation: $line"
done <"$here/installed-files.txt"
while IFS= read -r file; do
    grep -qxF "$file" "$here/installed-files.txt" && continue
    inside=no
    for folder in "${folders[@]}"; do [[ "$file" == "$folder"* ]] && inside=yes; done
    [[ $inside == yes ]] || fail "installed but not listed: $file"
done <<<"$installed"

# The desktop's tools accept the entry and the type, and the type claims *.dsc.
desktop-file-validate usr/share/applications/kalvero.desktop || fail "desktop entry"
grep -qx 'Exec=kalvero %f' usr/share/applications/kalvero.desktop || fail "the entry opens no file"
grep -qx 'MimeType=application/x-kalvero-dsc;' usr/share/applications/kalvero.desktop || fail "entry type"
out="$(xmllint --noout --relaxng "$here/shared-mime-info.rng" usr/share/mime/packages/kalvero.xml 2>&1)" ||
    fail "MIME type: $out"
grep -q '<comment>Файл системы ДСК</comment>' usr/share/mime/packages/kalvero.xml || fail "type comment"
cp -r usr/share/mime "$root/mime"
out="$(XDG_DATA_DIRS="$root" update-mime-database "$root/mime" 2>&1)"
[[ -z "$out" ]] || fail "update-mime-database: $out"
grep -q 'application/x-kalvero-dsc:\*\.dsc' "$root/mime/globs2" || fail "the type has no *.dsc glob"

# The links in bin reach the programs, and they find their library and drivers beside them.
[[ "$(readlink usr/bin/kalvero)" == ../lib/kalvero/kalvero ]] || fail "bin/kalvero link"
for program in usr/lib/kalvero/kalvero usr/lib/kalvero/kalvero-cli; do
    readelf -d "$program" | grep -q 'RUNPATH.*\[\$ORIGIN\]' || fail "$program has no \$ORIGIN run path"
done
env -u LD_LIBRARY_PATH usr/bin/kalvero-cli --help | grep -q 'Usage: kalvero-cli' || fail "kalvero-cli --help"
config="$(env -u LD_LIBRARY_PATH usr/bin/kalvero-cli --data-dir "$root/data" config --json)"
grep -q "\"fApplicationPath\": *\"$root/pkg/usr/lib/kalvero/\"" <<<"$config" || fail "program folder: $config"
echo "installation checked: $(wc -l <<<"$installed") files"
