#!/usr/bin/env bash
# Builds the Debian package from a built tree (./package.sh --built) and checks it: its
# dependencies, its contents, and its programs running. As root, with apt-get and no velmora
# package already installed, it installs the package, runs the installed velmora-cli, checks
# the desktop integration and removes the package again; otherwise it runs the programs
# from the package unpacked into a temporary root.
#   check_package.sh BUILD_DIR      (VELMORA_PACKAGE_INSTALL=0 never installs)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
tmp=$(mktemp -d)
installed=0
cleanup() {
  if [ $installed = 1 ]; then
    apt-get -o DPkg::Lock::Timeout=300 remove --purge -y -qq velmora >/dev/null || true
  fi
  rm -rf "$tmp"
}
trap cleanup EXIT
problems=0
problem() { echo "FAIL: $*"; problems=$((problems + 1)); }

VELMORA_BUILD=$build "$root/package.sh" --built >"$tmp/package.log" 2>&1 || { cat "$tmp/package.log"; exit 1; }
debs=("$build"/velmora_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: expected one velmora_*.deb in $build"; exit 1; }
deb=${debs[0]}
echo "package: $deb"

# Dependencies: what dpkg-shlibdeps found for the programs, and the fonts.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
depends_names=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//')
for needed in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libavcodec59 libavutil57 \
              libswscale6 fonts-liberation fonts-dejavu-core; do
  grep -qxF "$needed" <<<"$depends_names" || problem "Depends lacks $needed"
done
# Fonts for names in other scripts come with the package unless the user declines recommends.
recommends_names=$(dpkg-deb -f "$deb" Recommends | tr ',' '\n' | sed 's/^ *//; s/ .*//')
for wanted in fonts-noto-core fonts-noto-cjk hunspell-en-us; do
  grep -qxF "$wanted" <<<"$recommends_names" || problem "Recommends lacks $wanted"
done
[ "$(dpkg-deb -f "$deb" Package)" = velmora ] || problem "the package is not called velmora"
grep -q '^ Description: ' <<<"$(dpkg-deb -I "$deb")" || problem "the package has no description"

# Contents: the programs, the desktop integration, the man pages, the manual and its pictures.
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$tmp/contents"
expected=(
  /usr/bin/velmora /usr/bin/velmora-cli
  /usr/share/applications/velmora.desktop
  /usr/share/icons/hicolor/scalable/apps/velmora.svg
  /usr/share/icons/hicolor/scalable/mimetypes/application-x-velmora-project.svg
  /usr/share/mime/packages/velmora.xml
  /usr/share/man/man1/velmora.1.gz /usr/share/man/man1/velmora-cli.1.gz
  /usr/share/doc/velmora/manual/index.html
)
for picture in $(grep -o 'images/[A-Za-z0-9_.-]*\.png' "$root/docs/manual.md" | sort -u); do
  expected+=("/usr/share/doc/velmora/manual/$picture")
done
for path in "${expected[@]}"; do
  grep -qx "$path" "$tmp/contents" || problem "the package lacks $path"
done
# Only the two programs go to /usr/bin (no test or documentation tools).
extra=$(grep '^/usr/bin/.' "$tmp/contents" | grep -vx -e /usr/bin/velmora -e /usr/bin/velmora-cli || true)
[ -z "$extra" ] || problem "unexpected programs in the package: $extra"

# The desktop entry as menus read it: no errors, no hints (such as two main categories).
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/applications/velmora.desktop >"$tmp/velmora.desktop"
if command -v desktop-file-validate >/dev/null; then
  complaints=$(desktop-file-validate "$tmp/velmora.desktop" 2>&1) || true
  [ -z "$complaints" ] || problem "desktop-file-validate: $complaints"
fi
grep -qx 'MimeType=application/x-velmora-project;' "$tmp/velmora.desktop" || problem "the desktop entry does not open projects"

version=$(dpkg-deb -f "$deb" Version)
expect_version="velmora-cli ${version%-*}"
sample=$build/examples/demo.vmz

# The programs in folder run: the version, a project read, the editor's help.
run_programs() {
  local version info help
  version=$("$1/velmora-cli" --version) || true
  [ "$version" = "$expect_version" ] || problem "$1/velmora-cli --version says '$version'"
  info=$(QT_QPA_PLATFORM=offscreen "$1/velmora-cli" info "$sample" 2>&1) || true
  grep -q '^Roll height' <<<"$info" || problem "$1/velmora-cli info failed: $info"
  help=$(QT_QPA_PLATFORM=offscreen "$1/velmora" --help 2>&1) || true
  grep -q -- '--help' <<<"$help" || problem "$1/velmora --help failed: $help"
}

if [ "$(id -u)" = 0 ] && [ "${VELMORA_PACKAGE_INSTALL:-1}" = 1 ] && command -v apt-get >/dev/null \
   && ! dpkg-query -W -f='${Status}' velmora 2>/dev/null | grep -q 'installed'; then
  echo "installing the package"
  installed=1
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 install -y -qq --no-install-recommends "$deb" \
    >"$tmp/apt.log" 2>&1 || { cat "$tmp/apt.log"; problem "apt-get install failed"; exit 1; }
  cli=/usr/bin/velmora-cli
  run_programs /usr/bin
  # Container images often leave out /usr/share/man (dpkg path-exclude); check what is there.
  if command -v man >/dev/null && [ -e /usr/share/man/man1/velmora-cli.1.gz ]; then
    man -w velmora-cli >/dev/null 2>&1 || problem "man does not find velmora-cli"
  fi
  # The shared MIME database knows projects by their first bytes and by their name.
  grep -q 'VELMORA01' /usr/share/mime/magic 2>/dev/null || problem "the MIME database has no VELMORA01 magic"
  grep -q ':application/x-velmora-project:\*\.vmz' /usr/share/mime/globs2 2>/dev/null \
    || problem "the MIME database has no *.vmz pattern"
  # What a file manager asks: the type of a file and the program for that type.
  if command -v xdg-mime >/dev/null && command -v mimetype >/dev/null && command -v update-desktop-database >/dev/null; then
    # By content, whatever the file is called, and by the *.vmz name.
    cp "$sample" "$tmp/credits.data"
    [ "$(xdg-mime query filetype "$tmp/credits.data")" = application/x-velmora-project ] \
      || problem "xdg-mime does not see a project file by its content"
    [ "$(xdg-mime query filetype "$sample")" = application/x-velmora-project ] \
      || problem "xdg-mime does not see a *.vmz file as a project"
    [ "$(xdg-mime query default application/x-velmora-project)" = velmora.desktop ] \
      || problem "projects do not open in velmora.desktop"
  else
    echo "xdg-mime, mimetype or update-desktop-database missing: file manager association not checked"
  fi
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 remove --purge -y -qq velmora >/dev/null
  installed=0
  for path in /usr/bin/velmora /usr/bin/velmora-cli /usr/share/mime/packages/velmora.xml /usr/share/doc/velmora; do
    [ ! -e "$path" ] || problem "$path is left after removing the package"
  done
  ! grep -q 'VELMORA01' /usr/share/mime/magic 2>/dev/null || problem "the MIME database keeps the project type"
  ! grep -q 'velmora' /usr/share/applications/mimeinfo.cache 2>/dev/null \
    || problem "the desktop database keeps velmora.desktop"
else
  echo "not installing (needs root, apt-get and no velmora installed): running the programs unpacked"
  dpkg-deb -x "$deb" "$tmp/root"
  run_programs "$tmp/root/usr/bin"
fi

[ $problems = 0 ] && echo "package: ok" || { echo "$problems problem(s)"; exit 1; }
