#!/usr/bin/env bash
# The release files as users get them, from scripts/package: three files of
# one version; the Debian package's files, dependencies, validators, version,
# manual page and lintian; the zip's contents; and under Wine, in a fresh
# prefix, the MSI installed silently, its shortcut, its Add/Remove entry, the
# installed program's window and version, and an uninstall that leaves
# nothing behind. Prints every command as it goes; the first failure ends it.
set -euxo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
[ "${1:-}" = --reuse ] || bash scripts/package

version=$(sed -n 's/^project(Kurvlux VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
deb=build/dist/kurvlux_${version}_amd64.deb msi=build/dist/Kurvlux-$version.msi zip=build/dist/Kurvlux-$version-win32.zip
diff <(ls build/dist) <(printf '%s\n' "${deb##*/}" "${msi##*/}" "${zip##*/}" | sort)
work=build/release-check
rm -rf "$work" && mkdir -p "$work/deb"

# The Debian package.
expected="bin/kurvlux share/applications/kurvlux.desktop share/icons/hicolor/48x48/apps/kurvlux.png
  share/icons/hicolor/scalable/apps/kurvlux.svg share/man/man1/kurvlux.1.gz share/doc/kurvlux/copyright
  share/doc/kurvlux/changelog.gz share/metainfo/invalid.kurvlux.kurvlux.metainfo.xml"
diff <(printf './usr/%s\n' $expected | sort) <(dpkg -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
dpkg -f "$deb" Depends | grep 'libgtk-3-0.*libserialport0'
# No error, no warning, and no note but these two: CPack's strip keeps the
# compiler's .comment; most copies have sizes the compiler cannot see.
lintian --display-info --fail-on error,warning "$deb" | tee "$work/lintian.txt"
diff <(printf 'I: kurvlux: %s [usr/bin/kurvlux]\n' 'binary-has-unneeded-section .comment' hardening-no-fortify-functions) \
  <(grep '^[EWI]:' "$work/lintian.txt")
dpkg-deb -x "$deb" "$work/deb"
[ -z "$(desktop-file-validate "$work"/deb/usr/share/applications/kurvlux.desktop)" ]
appstreamcli validate --no-net "$work"/deb/usr/share/metainfo/*.xml
grep -q "<release version=\"$version\"" "$work"/deb/usr/share/metainfo/*.xml
[ "$("$work"/deb/usr/bin/kurvlux --version)" = "kurvlux $version" ] && [ "$(dpkg -f "$deb" Version)" = "$version" ]
[ -z "$(man --warnings -l "$work"/deb/usr/share/man/man1/kurvlux.1.gz 2>&1 >/dev/null)" ]
for option in $("$work"/deb/usr/bin/kurvlux --help | grep -E '^ +-' | grep -oE -- '--?[a-z]*'); do
  grep -qF -- "${option//-/\\-}" resources/kurvlux.1
done

# The zip: the program, the licence and a README.txt with Windows line ends.
diff <(unzip -Z1 "$zip" | sort) <(printf "Kurvlux-$version/%s\n" Kurvlux.exe LICENSE.txt README.txt)
[ -z "$(unzip -p "$zip" "Kurvlux-$version/README.txt" | grep -v $'\r$')" ]

# The MSI under Wine: install, look, start, uninstall.
source tools/wine_env.sh
wine_env_init release-check
wine_env_display private
wine_env_server
# Wine draws the window's frame and title itself: the screenshot shows them.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
listing() { (cd "$WINEPREFIX/drive_c" && find . | sort) && wine reg query 'HKLM\Software' /s | tr -d '\r' | grep '^HKEY' | sort; }
listing >"$work/before.txt"
wine msiexec /i "$msi" /qn
installed="$WINEPREFIX/drive_c/Program Files/Kurvlux"
ls "$installed"
[ "$(exiftool -s3 -FileVersion -ProductVersion -ProductName "$installed/Kurvlux.exe")" = "$version"$'\n'"$version"$'\nKurvlux' ]
# Wine keeps an all-users shortcut in the user's Start menu.
shortcut=$(find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/*' -name Kurvlux.lnk)
grep -ac 'Program Files\\Kurvlux\\Kurvlux.exe' "$shortcut"
entry=$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s | tr -d '\r' | grep -B4 -A16 'DisplayName .*Kurvlux$')
grep -E "DisplayVersion +REG_SZ +$version$" <<<"$entry" && grep -E 'Publisher +REG_SZ +The Kurvlux developers$' <<<"$entry"
wine reg query 'HKLM\Software\Classes\Installer\Products' /s | tr -d '\r' | grep -E 'ProductIcon +REG_SZ +.*kurvlux\.ico$'
wine "C:\\Program Files\\Kurvlux\\Kurvlux.exe" &
program=$!
timeout 120 xdotool search --sync --name '^Kurvlux v1\.0 \[Vevi Version\]$'
# Then the canvas's whole grid: 20 columns of 256 and 8 rows of 1000 pixels
# (the frame Wine draws has a few of that grey too).
grid_pixels() { import -window root png:- | convert - -format %c histogram:info:- | awk '/#BBBBBB/ {n = $1} END {print n + 0}'; }
export -f grid_pixels
timeout 120 bash -c 'until [ "$(grid_pixels)" -ge 12960 ]; do sleep 0.1; done'
grid_pixels
import -window root "$work/installed.png" && mogrify -trim +repage "$work/installed.png"
wine taskkill /im Kurvlux.exe
wait "$program"
wine msiexec /x "$msi" /qn
# Nothing of Kurvlux's is left: only the empty folder and keys that Windows
# Installer keeps for itself once it has run.
[ -z "$(diff "$work/before.txt" <(listing) | grep '^[<>]' |
  grep -vE '^> .*[\\/](Installer|Features|Products|UpgradeCodes|UserData|S-1-5-18|Components)$')" ]
