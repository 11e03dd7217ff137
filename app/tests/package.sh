#!/usr/bin/env bash
# The Windows Installer package as an office's administrator uses it, on one machine (a copy of the
# test prefix, the share mapped as Y:). scripts/package builds it and msiinfo reads it back; "msiexec
# /i /qn" installs the program, its record library and its help file into Program Files\yOZ with a
# Start-menu shortcut and an entry in the installed programs list; the installed program, started
# through that shortcut, shows the database wizard, and with a database folder set, the board, where
# its user makes the start-up shortcut; a package of a higher version replaces the installed one in
# place and an older one is refused; "msiexec /x /qn" removes what the package installed and leaves
# the database folder, the user's settings, the alert list and the start-up shortcut as they were.
# Logs and screenshots land in <build>/app-package/.
set -euo pipefail
build=$1
tag=package
source "$(dirname "$0")/onemachine.sh"
root=$(cd "$(dirname "$0")/../.." && pwd)
upgrade_code='{020A67BA-8F18-4EB2-96D0-1CDE9C9D1F76}'
all='yOZ - All Departments'
wiz='Database Wizard'
folder="$M/drive_c/Program Files/yOZ"
arp='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
# The administrator installs as the prefix's own login; alice is a user of the machine, with a
# profile as that login has one (Wine's shell starts no shortcut for a login without a Desktop folder).
admin() { WINEPREFIX=$M wine "$@"; }
own=$(ls "$M/drive_c/users" | grep -vx Public | head -1)
cp -a "$M/drive_c/users/$own" "$M/drive_c/users/alice"
winpath() { WINEPREFIX=$M winepath -w "$1"; }
cpath() { local r=${1#"$M/drive_c/"}; echo "C:\\${r//\//\\}"; }  # a file of the machine's drive C:
# msiexec <tag> <args...>: quiet, its full log in msiexec-<tag>.txt (the tail shown when it fails);
# the exit code is msiexec's, cut to 8 bits by Wine (1603 becomes 67).
msiexec() {
  local tag=$1 rc=0
  shift
  admin msiexec "$@" /qn /l*v "$(winpath "$out/msiexec-$tag.txt")" >"$out/msiexec-$tag.out" 2>&1 || rc=$?
  [ "$rc" = 0 ] || tail -5 "$out/msiexec-$tag.txt" "$out/msiexec-$tag.out"
  return "$rc"
}

# --- the package -----------------------------------------------------------------------------------
# The version the built program carries in its version resource, read straight from the file.
version=$(strings -el "$bin/yOZ.exe" | grep -x -A1 ProductVersion | tail -1)
[[ "$version" =~ ^[0-9]+\.[0-9]+$ ]] || fail "the program's version: \"$version\""
next=${version%.*}.$((10#${version#*.} + 1))
rm -f "$build/yOZ-$version.msi"
YOZ_BUILD=$build "$root/scripts/package" >"$out/package.log" 2>&1 || fail "scripts/package"
msi=$out/yOZ-$version.msi
mv "$build/yOZ-$version.msi" "$msi" || fail "no $build/yOZ-$version.msi"
YOZ_BUILD=$build "$root/scripts/package" -v "$next" -o "$out/yOZ-$next.msi" >>"$out/package.log" 2>&1 \
  || fail "scripts/package -v $next"
later=$out/yOZ-$next.msi
property() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' -v n="$2" '$1 == n { print $2 }'; }
for p in ProductName ProductVersion Manufacturer UpgradeCode ProductCode ALLUSERS ARPPRODUCTICON; do
  echo "$p: $(property "$msi" $p)"
done
[ "$(property "$msi" ProductName)" = yOZ ] || fail "product name $(property "$msi" ProductName)"
[ "$(property "$msi" ProductVersion)" = "$version" ] || fail "product version $(property "$msi" ProductVersion)"
[ "$(property "$later" ProductVersion)" = "$next" ] || fail "the later package's version"
[ "$(property "$msi" UpgradeCode)" = "$upgrade_code" ] || fail "upgrade code $(property "$msi" UpgradeCode)"
[ "$(property "$later" UpgradeCode)" = "$upgrade_code" ] || fail "the later package's upgrade code"
[ "$(property "$msi" ProductCode)" != "$(property "$later" ProductCode)" ] || fail "one product code for two versions"
[ "$(property "$msi" ALLUSERS)" = 1 ] || fail "not installed for all users"
files=$(msiinfo export "$msi" File | tr -d '\r' | awk -F'\t' 'NR > 3 { sub(/.*\|/, "", $3); print $3 }' | sort | tr '\n' ' ')
echo "files: $files"
# The three files and every help page built (a page left out of package/yOZ.wxs shows here).
pages=$(ls "$bin/yOZ-help")
[ -n "$pages" ] || fail "no help pages in $bin/yOZ-help"
want=$(printf '%s\n' VBIS4032.DLL yOZ.exe yOZ.hlp $pages | sort | tr '\n' ' ')
[ "$files" = "$want" ] || fail "the package's files: $files"
msiinfo export "$msi" Directory | tr -d '\r' | grep -qx $'INSTALLDIR\tProgramFiles64Folder\tyOZ' \
  || fail "the files do not go to Program Files\\yOZ"
echo "ok: scripts/package writes yOZ-$version.msi: yOZ $version, the fixed upgrade code, the three files and the help pages"

# --- installing ------------------------------------------------------------------------------------
# What the installed-programs list holds: the key of each entry named yOZ.
entries() {
  admin reg query "$arp" /s 2>/dev/null | tr -d '\r' \
    | awk '/^HKEY/ { key = $0 } $1 == "DisplayName" && $2 == "REG_SZ" && $3 == "yOZ" && NF == 3 { print key }'
}
value() {  # value <key> <name>
  admin reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}
# The Start-menu shortcut: the machine's Start menu on Windows; Wine gives the installing login's.
shortcuts() {
  find "$M/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs" \
       "$M"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs \
       -maxdepth 1 -name yOZ.lnk 2>/dev/null || true
}
installed() {  # installed <version>: the files, one shortcut to the program, one entry of that version
  local f key lnk
  for f in yOZ.exe yOZ.hlp; do cmp -s "$bin/$f" "$folder/$f" || fail "$1: $f not installed"; done
  for f in "$bin"/yOZ-help/*; do
    cmp -s "$f" "$folder/yOZ-help/${f##*/}" || fail "$1: the help page ${f##*/} not installed"
  done
  cmp -s "$bin/VBIS4032.dll" "$folder/VBIS4032.DLL" || fail "$1: VBIS4032.DLL not installed"
  [ "$(shortcuts | wc -l)" = 1 ] || fail "$1: Start-menu shortcuts: $(shortcuts)"
  lnk=$(shortcuts)
  [ "$(drive alice shortcut "$(cpath "$lnk")")" = 'C:\Program Files\yOZ\yOZ.exe' ] \
    || fail "$1: the shortcut leads to $(drive alice shortcut "$(cpath "$lnk")")"
  [ "$(entries | wc -l)" = 1 ] || fail "$1: installed-programs entries: $(entries)"
  key=$(entries)
  [ "$(value "$key" DisplayVersion)" = "$1" ] || fail "$1: the entry shows version $(value "$key" DisplayVersion)"
  [ "$(value "$key" Publisher)" = QDSoftware ] || fail "$1: the entry's publisher $(value "$key" Publisher)"
  [ "$(value "$key" UninstallString)" = "MsiExec.exe /X${key##*\\}" ] || fail "$1: no removal in the entry"
  # The list shows the icon the installer registered for the product.
  f=$(admin reg query 'HKLM\Software\Classes\Installer\Products' /s 2>/dev/null | tr -d '\r' \
      | awk '$1 == "ProductIcon" { $1 = ""; $2 = ""; sub(/^ +/, ""); print }')
  [ -n "$f" ] && cmp -s "$build/app/images/yOZ.ico" "$(WINEPREFIX=$M winepath -u "$f")" \
    || fail "$1: the entry's icon \"$f\" is not the program's"
}
msiexec install /i "$(winpath "$msi")" || fail "msiexec /i ended with $?"
installed "$version"
echo "ok: msiexec /i /qn installs the three files, the Start-menu shortcut and one entry of version $version"

# --- the installed program ---------------------------------------------------------------------------
lnk=$(shortcuts)
# Wine's start takes a path with spaces only through cmd's start (after an empty title), and its
# /wait does not wait for a program started through a shortcut: the installed program is followed by
# its process on this machine instead.
start() {  # start <tag>: alice starts yOZ from the Start menu
  WINEPREFIX=$M USER=alice wine cmd /c start '""' "$(cpath "$lnk")" >"$out/board-$1.log" 2>&1 \
    || fail "$1: the shortcut does not start: $(cat "$out/board-$1.log")"
}
running() {
  local p
  for p in $(pgrep -f 'Program Files.yOZ.yOZ\.exe'); do
    { tr '\0' '\n' <"/proc/$p/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$M" && return 0
  done
  return 1
}
ended() {  # ended <tag>: the program is gone within 30 s
  local end=$((SECONDS + 30))
  while running; do
    [ "$SECONDS" -lt "$end" ] || fail "$1: the program still runs"
    sleep 0.2
  done
}
start wizard
drive alice wait "$wiz" 30000 || fail "the first start shows no database wizard"
shot wizard
drive alice click-button "$wiz" '&Cancel' || fail "Cancel in the wizard"
text=$(drive alice answer Confirm No 15000) || fail "no question after Cancel"
[[ "$text" == *'unable to locate the database location'* ]] || fail "after Cancel: $text"
text=$(drive alice answer Information OK 15000) || fail "no box after No"
[[ "$text" == *'will now shut down'* ]] || fail "after No: $text"
ended wizard
echo "ok: the installed program's first start shows the database wizard"

# The folder set before the seeding: the departments go to the folder set.
cat >"$out/settings.reg" <<EOF
REGEDIT4

[HKEY_CURRENT_USER\\Software\\QDSoftware\\yOZ]
"yOZDBasePath"="Y:\\\\"
"DetectScreenSaver"=dword:00000000
EOF
WINEPREFIX=$M wine regedit /S "$(winpath "$out/settings.reg")" >/dev/null 2>&1
drive alice seed 'Y:\' 'ALICE:1:Sales:' 'BOB:0:Support:' || fail "seeding the share"
start board
# The first run's question: yes, start with Windows (the start-up shortcut the package must keep).
text=$(drive alice answer Information Yes 30000) || fail "no first-run question"
[[ "$text" == *'start automatically on startup'* ]] || fail "the first-run question: $text"
text=$(drive alice answer Information OK 15000) || fail "no box after the start-up shortcut"
[[ "$text" == *'will now start automatically'* ]] || fail "after the start-up shortcut: $text"
drive alice wait "$all" 30000 || fail "no board with the database folder set"
until_shows '^ALICE\|Available\|' drive alice board "$all" || fail "the board does not show ALICE"
shot board
[ "$(drive alice shortcut)" = 'C:\Program Files\yOZ\yOZ.exe' ] || fail "the start-up shortcut: $(drive alice shortcut)"
drive alice click-row "$all" ALICE && drive alice key "$all" ctrl+X || fail "Ctrl+X"
ended board
echo "ok: with a database folder set the installed program shows the board; its user made the start-up shortcut"

# What the package must never touch: the database folder, the user's settings, the alert lists and
# the start-up shortcut.
kept() {
  (cd "$share" && find . -type f -exec md5sum {} + | sort -k2)
  find "$M/drive_c" -iname '*.yOZ' -type f -exec md5sum {} + | sort -k2
  find "$M/drive_c/users" -ipath '*/Startup/*' -type f -exec md5sum {} + | sort -k2
  admin reg export 'HKCU\Software\QDSoftware\yOZ' "$(winpath "$out/kept.reg")" /y >/dev/null 2>&1 \
    && md5sum <"$out/kept.reg"
}
kept >"$out/kept-before.txt"
grep -qi '/Startup/' "$out/kept-before.txt" || fail "no start-up shortcut to keep"
grep -q 'yOZDB31.isd' "$out/kept-before.txt" || fail "no database to keep"

# --- a later version -------------------------------------------------------------------------------
code=$(entries)
msiexec upgrade /i "$(winpath "$later")" || fail "msiexec /i of version $next ended with $?"
installed "$next"
[ "$(entries)" != "$code" ] || fail "the entry of version $version is still there"
msiexec downgrade /i "$(winpath "$msi")" >/dev/null && fail "version $version installed over $next"
grep -q 'WIX_DOWNGRADE_DETECTED = {' "$out/msiexec-downgrade.txt" || fail "the older package is refused, but not for its age"
installed "$next"
kept >"$out/kept-upgrade.txt"
diff "$out/kept-before.txt" "$out/kept-upgrade.txt" || fail "the upgrade changed what it must keep"
echo "ok: version $next replaces $version in place (one entry); $version is refused over it"

# --- removing --------------------------------------------------------------------------------------
msiexec remove /x "$(winpath "$later")" || fail "msiexec /x ended with $?"
[ ! -e "$folder" ] || fail "the program folder is left: $(ls "$folder")"
[ -z "$(shortcuts)" ] || fail "the Start-menu shortcut is left: $(shortcuts)"
[ -z "$(entries)" ] || fail "the installed-programs entry is left: $(entries)"
kept >"$out/kept-after.txt"
diff "$out/kept-before.txt" "$out/kept-after.txt" || fail "the removal changed what it must keep"
echo "ok: msiexec /x /qn removes the program folder, the shortcut and the entry, and keeps the database,"
echo "    the settings, the alert lists and the start-up shortcut"
echo "package: all steps passed"
