#!/usr/bin/env bash
# Builds the Debian package from a build folder with CPack, unpacks it and checks what a user
# installs: both programs start from the unpacked tree, exactly the expected files are there,
# the menu entry, the AppStream data and the package itself pass their validators.
#   check_deb.sh BUILD_DIR VERSION [--manual]
set -euo pipefail
build=$1
version=$2
manual=${3:-}
app_id=example.orvo_altimeters.Orvo
desktop_id=orvo
icon_sizes="16 22 24 32 48 64 128 256"

fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in cpack dpkg-deb desktop-file-validate update-desktop-database gio appstreamcli lintian; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/deps.sh installs it)"
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log"; fail "cpack -G DEB failed"; }
debs=("$tmp"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, found: ${debs[*]}"
deb=${debs[0]}
echo "package: $(basename "$deb") ($(stat -c %s "$deb") bytes)"

# Control fields: name, version, maintainer, section, and the run-time libraries and fonts.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = orvo ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', expected $version"
[[ "$(field Maintainer)" == *"<"*"@"*">" ]] || fail "Maintainer is '$(field Maintainer)'"
[ -n "$(field Section)" ] || fail "no Section"
depends=$(field Depends)
echo "Depends: $depends"
has_dep() { tr ',|' '\n\n' <<<"$depends" | awk '{print $1}' | grep -qxF "$1"; }
for dep in libqt6widgets6 libqt6serialport6 libqt6svg6 fonts-liberation2; do
  has_dep "$dep" || fail "Depends lacks $dep"
done
# No maintainer scripts: installing changes no one's default programs.
members=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||' | grep -v '^$' | sort | tr '\n' ' ')
[ "$members" = "control md5sums " ] || fail "control members: $members"

root=$tmp/root
dpkg-deb -x "$deb" "$root"
# Every library the programs load (libjpeg and giflib once they are linked) comes from a package
# named in Depends.
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
for soname in $(objdump -p "$root/usr/bin/orvo" "$root/usr/bin/orvo-cli" | awk '/NEEDED/ {print $2}' | sort -u); do
  pkg=$(dpkg -S "*/$multiarch/$soname" 2>/dev/null | head -n 1 | cut -d: -f1)
  [ -n "$pkg" ] || fail "no installed package holds $soname"
  has_dep "$pkg" || fail "Depends lacks $pkg, which holds $soname"
done
for exe in orvo orvo-cli; do
  out=$("$root/usr/bin/$exe" --version) || fail "$exe --version failed"
  [ "$out" = "Orvo $version" ] || fail "$exe --version printed '$out'"
done

# Exactly the installed files, nothing else from the build folder.
expected=(
  usr/bin/orvo usr/bin/orvo-cli
  "usr/share/applications/$desktop_id.desktop" "usr/share/metainfo/$app_id.metainfo.xml"
  usr/share/doc/orvo/changelog.gz usr/share/doc/orvo/copyright
  usr/share/icons/hicolor/scalable/apps/orvo.svg
  usr/share/man/man1/orvo.1.gz usr/share/man/man1/orvo-cli.1.gz
)
for s in $icon_sizes; do expected+=("usr/share/icons/hicolor/${s}x$s/apps/orvo.png"); done
[ "$manual" = --manual ] && expected+=(usr/share/doc/orvo/OrvoManual.pdf usr/share/doc-base/orvo-manual)
want=$(printf '%s\n' "${expected[@]}" | sort)
have=$(cd "$root" && find . ! -type d | sed 's|^\./||' | sort)
[ "$want" = "$have" ] || { diff <(echo "$want") <(echo "$have") || true; fail "package files differ (< expected, > found)"; }

# Menu entry: the program with the files it is given, the icon it names, CSV listed.
desktop=$root/usr/share/applications/$desktop_id.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx 'Exec=orvo %F' "$desktop" || fail "Exec is not 'orvo %F'"
grep -qx 'MimeType=text/csv;' "$desktop" || fail "MimeType is not text/csv"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon '$icon'"
# Each PNG is as large as its folder says (width and height from the PNG header).
for s in $icon_sizes; do
  png=$root/usr/share/icons/hicolor/${s}x$s/apps/$icon.png
  read -r w0 w1 w2 w3 h0 h1 h2 h3 < <(od -An -tu1 -j16 -N8 "$png")
  w=$(((w0 << 24) | (w1 << 16) | (w2 << 8) | w3))
  h=$(((h0 << 24) | (h1 << 16) | (h2 << 8) | h3))
  [ "$w" = "$s" ] && [ "$h" = "$s" ] || fail "$png is ${w}x$h"
done
appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml" >"$tmp/as.log" 2>&1 ||
  { cat "$tmp/as.log"; fail "appstreamcli validate"; }
grep -q "<launchable type=\"desktop-id\">$desktop_id.desktop</launchable>" "$root/usr/share/metainfo/$app_id.metainfo.xml" ||
  fail "metainfo does not launch $desktop_id.desktop"

# CSV files: Orvo is offered for them, but a spreadsheet stays the program the desktop (GIO) falls
# back to when no default was ever chosen; it takes the first entry by name.
xdg=$tmp/xdg
apps=$xdg/share/applications
mkdir -p "$apps" "$xdg/home" "$xdg/config"
cp "$desktop" "$apps/"
for id in libreoffice-calc org.gnumeric.gnumeric org.libreoffice.LibreOffice.calc onlyoffice-desktopeditors; do
  printf '[Desktop Entry]\nType=Application\nName=%s\nExec=true %%U\nMimeType=text/csv;\n' "$id" >"$apps/$id.desktop"
  update-desktop-database "$apps"
  mime=$(env -i PATH="$root/usr/bin:/usr/bin:/bin" HOME="$xdg/home" XDG_CONFIG_HOME="$xdg/config" \
    XDG_CONFIG_DIRS="$xdg/config" XDG_DATA_HOME="$xdg/home" XDG_DATA_DIRS="$xdg/share" gio mime text/csv 2>/dev/null)
  default=$(sed -n 's/^Default application for .*: //p' <<<"$mime")
  [ "$default" = "$id.desktop" ] || fail "beside $id.desktop the CSV program is '$default'"
  grep -qx "[[:space:]]*$desktop_id.desktop" <<<"$mime" || fail "Orvo is not offered for CSV files"
  rm "$apps/$id.desktop"
done

# The orvo-cli manual page describes every command the program lists.
commands=$("$root/usr/bin/orvo-cli" --help | sed -n 's/^  \([a-z][a-z0-9-]*\) .*/\1/p')
[ -n "$commands" ] || fail "no commands in orvo-cli --help"
for c in $commands; do
  zcat "$root/usr/share/man/man1/orvo-cli.1.gz" | grep -qx ".SS $c" || fail "orvo-cli(1) lacks $c"
done
[ "$manual" != --manual ] || head -c 5 "$root/usr/share/doc/orvo/OrvoManual.pdf" | grep -q '%PDF-' ||
  fail "OrvoManual.pdf is not a PDF"

# lintian: errors fail the test, warnings are listed.
lintian --fail-on error --tag-display-limit 0 "$deb" >"$tmp/lintian.log" 2>&1 || {
  cat "$tmp/lintian.log"
  fail "lintian found errors"
}
sed 's/^/lintian: /' "$tmp/lintian.log"
echo "package checks passed"
