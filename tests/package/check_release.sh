#!/usr/bin/env bash
# The release files as users get them, from scripts/package: four files of
# one version and their checksums; the same bytes from a copy of the sources
# in a folder with a space, another time zone and umask 077; the Debian
# package's files, permissions, dependencies, validators, version, manual
# page and lintian; the zip's contents; under Wine, in a fresh prefix, the
# setup program's pages clicked through (a screenshot of each in
# build/release-check/), the program started from its last page and its
# uninstaller; the MSI installed silently, its shortcut, its Add/Remove entry,
# the installed program's window and version; both installers in either
# order, one entry and one shortcut; and after each uninstall nothing left
# behind. Prints every command as it goes; the first failure
# ends it.
set -euxo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
[ "${1:-}" = --reuse ] || bash scripts/package

version=$(sed -n 's/^\([0-9][0-9.]*\) [0-9-]*$/\1/p' resources/releases.txt | head -n 1)
deb=build/dist/kurvlux_${version}_amd64.deb msi=build/dist/Kurvlux-$version.msi
setup=build/dist/Kurvlux-$version-setup.exe zip=build/dist/Kurvlux-$version-win32.zip
diff <(ls build/dist) <(printf '%s\n' "${deb##*/}" "${msi##*/}" "${setup##*/}" "${zip##*/}" SHA256SUMS | sort)
(cd build/dist && sha256sum -c SHA256SUMS)
work=build/release-check
rm -rf "$work" && mkdir -p "$work/deb"

# The same sources packed again as someone else would: in a folder whose
# path has a space, in another time zone, under umask 077. The same bytes.
other="$work/zweite Kopie"
mkdir -p "$other"
git ls-files -z --cached --others --exclude-standard | tar --null -T - --ignore-failed-read -cf - | tar -xf - -C "$other"
(cd "$other" && umask 077 && TZ=Pacific/Kiritimati bash scripts/package >../other.log 2>&1) || { tail -n 40 "$work/other.log"; exit 1; }
diff build/dist/SHA256SUMS "$other/build/dist/SHA256SUMS"
(cd "$other/build/dist" && sha256sum -c SHA256SUMS)

# The Debian package.
expected="bin/kurvlux share/applications/kurvlux.desktop share/icons/hicolor/48x48/apps/kurvlux.png
  share/icons/hicolor/scalable/apps/kurvlux.svg share/man/man1/kurvlux.1.gz share/doc/kurvlux/copyright
  share/doc/kurvlux/changelog.gz share/metainfo/invalid.kurvlux.kurvlux.metainfo.xml"
diff <(printf './usr/%s\n' $expected | sort) <(dpkg -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
# Folders and files as dpkg makes them on a machine that lacks them.
diff <(printf '%s\n' -rw-r--r-- -rwxr-xr-x drwxr-xr-x) <(dpkg -c "$deb" | awk '{print $1}' | sort -u)
dpkg -f "$deb" Depends | grep 'libgtk-3-0.*libserialport0'
# No error, no warning, and no note but CPack's strip keeping the compiler's
# .comment, and maybe that nothing is fortified: lintian says so only while no
# call at all has a size the compiler can see, which one new call may change.
lintian --display-info --fail-on error,warning "$deb" | tee "$work/lintian.txt"
diff <(printf 'I: kurvlux: %s [usr/bin/kurvlux]\n' 'binary-has-unneeded-section .comment') \
  <(grep '^[EWI]:' "$work/lintian.txt" | grep -v '^I: kurvlux: hardening-no-fortify-functions \[usr/bin/kurvlux\]$')
dpkg-deb -x "$deb" "$work/deb"
[ -z "$(desktop-file-validate "$work"/deb/usr/share/applications/kurvlux.desktop)" ]
appstreamcli validate --no-net "$work"/deb/usr/share/metainfo/*.xml
grep -q "<release version=\"$version\"" "$work"/deb/usr/share/metainfo/*.xml
[ "$("$work"/deb/usr/bin/kurvlux --version)" = "kurvlux $version" ] && [ "$(dpkg -f "$deb" Version)" = "$version" ]
[ -z "$(man --warnings -l "$work"/deb/usr/share/man/man1/kurvlux.1.gz 2>&1 >/dev/null)" ]
for option in $("$work"/deb/usr/bin/kurvlux --help | grep -E '^ +-' | grep -oE -- '--?[a-z]*'); do
  grep -qF -- "${option//-/\\-}" resources/kurvlux.1
done

# The zip: the program, stripped, the licence and a README.txt with Windows
# line ends.
diff <(unzip -Z1 "$zip" | sort) <(printf "Kurvlux-$version/%s\n" Kurvlux.exe LICENSE.txt README.txt)
[ -z "$(unzip -p "$zip" "Kurvlux-$version/README.txt" | grep -v $'\r$')" ]
unzip -p "$zip" "Kurvlux-$version/Kurvlux.exe" >"$work/Kurvlux.exe"
[ -z "$(i686-w64-mingw32-objdump -h "$work/Kurvlux.exe" | grep -F .debug)" ]
i686-w64-mingw32-nm "$work/Kurvlux.exe" 2>&1 | grep -F 'no symbols'

# Under Wine: the setup program, then the MSI.
source tools/wine_env.sh
wine_env_init release-check
wine_env_display private
wine_env_server
# Wine draws the window's frame and title itself: the screenshot shows them.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
listing() { (cd "$WINEPREFIX/drive_c" && find . | sort) && wine reg query 'HKLM\Software' /s | tr -d '\r' | grep '^HKEY' | sort; }
listing >"$work/before.txt"
# Nothing of Kurvlux's is left: only the empty folder and keys that Windows
# Installer keeps for itself once it has run. The setup program's uninstaller
# runs from a copy in Temp, which Windows deletes at the next start (that
# start comes first), all but its folder, left empty.
nothing_left() {
  wineboot -r
  [ -z "$(diff "$work/before.txt" <(listing) | grep '^[<>]' |
    grep -vE '^> .*[\\/](Installer|Features|Products|UpgradeCodes|UserData|S-1-5-18|Components)$' |
    grep -vE '^> \./users/[^/]+/Temp/~nsu[0-9]+\.tmp$')" ]
}
installed="$WINEPREFIX/drive_c/Program Files/Kurvlux"
# What either installer leaves: the Start-menu shortcut (Wine keeps an
# all-users one in the user's Start menu) and one Uninstall entry.
registered() {
  shortcut=$(find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/*' -name Kurvlux.lnk)
  grep -ac 'Program Files\\Kurvlux\\Kurvlux.exe' "$shortcut"
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s | tr -d '\r' |
    grep -B4 -A16 'DisplayName .*Kurvlux$' | tee "$work/entry.txt"
  [ "$(grep -c 'DisplayName .*Kurvlux$' "$work/entry.txt")" = 1 ]
  grep -E "DisplayVersion +REG_SZ +$version$" "$work/entry.txt"
  grep -E 'Publisher +REG_SZ +The Kurvlux developers$' "$work/entry.txt"
  grep -E 'InstallLocation +REG_SZ +C:\\Program Files\\Kurvlux\\?$' "$work/entry.txt"
  grep -E 'DisplayIcon +REG_SZ +C:\\Program Files\\Kurvlux\\Kurvlux\.exe,0$' "$work/entry.txt"
  grep -E 'Comments +REG_SZ +Messwerte eines Mikrocontrollers ' "$work/entry.txt"
}
# The setup program's uninstaller, as the entry's QuietUninstallString runs it.
uninstall_setup() {
  wine "C:\\Program Files\\Kurvlux\\Uninstall.exe" /S
  timeout 120 bash -c 'while [ -e "$1" ]; do sleep 0.2; done' _ "$installed"
  nothing_left
}
# The installed program, found by its window title, then the canvas's whole
# grid: 20 columns of 256 and 8 rows of 1000 pixels (the frame Wine draws
# has a few of that grey too).
grid_pixels() { import -window root png:- | convert - -format %c histogram:info:- | awk '/#BBBBBB/ {n = $1} END {print n + 0}'; }
export -f grid_pixels
program_drawn() {
  timeout 120 xdotool search --sync --name '^Kurvlux v1\.0 \[Vevi Version\]$'
  timeout 120 bash -c 'until [ "$(grid_pixels)" -ge 12960 ]; do sleep 0.1; done'
  grid_pixels
}

# The setup program, silently: the files, the entry, its uninstaller.
wine "$setup" /S
ls "$installed"
registered
uninstall_setup

# And page by page, as a person installs: each page waited for by a text on
# it, its controls and a screenshot kept, a button pressed by its label.
cmake --build build/package-win32 --target window_texts
texts() { wine build/package-win32/window_texts.exe 'Installation von Kurvlux' | tr -d '\r'; }
export -f texts
page() {
  timeout 120 bash -c 'until texts | grep -qF -- "$1"; do sleep 0.2; done' _ "$1"
  texts | tee "$work/setup-$2.txt"
  import -window root "$work/setup-$2.png"
}
press() {
  local left top right bottom
  read -r left top right bottom < <(grep -F -- "$1"$'\tButton\t' "$work/setup-$2.txt" | cut -f3)
  xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2)) click 1
}
wine "$setup" &
installer=$!
page 'Willkommen zur Installation' 1-welcome
press '&Weiter >' 1-welcome
page 'Lizenzabkommen' 2-licence
grep -F 'Permission is hereby granted' "$work/setup-2-licence.txt"
press '&Annehmen' 2-licence
page 'Zielverzeichnis auswählen' 3-folder
grep -F 'C:\Program Files\Kurvlux' "$work/setup-3-folder.txt"
press '&Installieren' 3-folder
page 'Die Installation ist vollständig' 4-progress
press '&Weiter >' 4-progress
page 'Die Installation von Kurvlux wird abgeschlossen' 5-finish
grep -F 'Kurvlux ausführen' "$work/setup-5-finish.txt"
press '&Fertigstellen' 5-finish
wait "$installer"
program_drawn
import -window root "$work/setup-6-started.png"
registered
wine taskkill /im Kurvlux.exe
uninstall_setup

# The MSI, silently: install, look, start, uninstall.
wine msiexec /i "$msi" /qn
ls "$installed"
[ "$(exiftool -s3 -FileVersion -ProductVersion -ProductName "$installed/Kurvlux.exe")" = "$version"$'\n'"$version"$'\nKurvlux' ]
registered
wine reg query 'HKLM\Software\Classes\Installer\Products' /s | tr -d '\r' | grep -E 'ProductIcon +REG_SZ +.*kurvlux\.ico$'
wine "C:\\Program Files\\Kurvlux\\Kurvlux.exe" &
program=$!
program_drawn
import -window root "$work/installed.png" && mogrify -trim +repage "$work/installed.png"
wine taskkill /im Kurvlux.exe
wait "$program"
wine msiexec /x "$msi" /qn
nothing_left

# Both installers on one machine: one product, one entry, whichever comes
# second. The MSI refuses beside the setup program's installation (1603,
# which Wine's exit status gives modulo 256) and changes nothing; the setup
# program removes the MSI's installation first, then installs.
wine "$setup" /S
status=0 && wine msiexec /i "$msi" /qn || status=$?
[ "$status" = $((1603 % 256)) ]
registered
grep -F 'Uninstall\Kurvlux' "$work/entry.txt"
uninstall_setup
wine msiexec /i "$msi" /qn
wine "$setup" /S
registered
grep -F 'Uninstall\Kurvlux' "$work/entry.txt"
[ -z "$(wine reg query 'HKLM\Software\Classes\Installer\Products' /s | tr -d '\r' | grep -F Kurvlux)" ]
uninstall_setup
