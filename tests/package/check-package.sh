#!/bin/sh
# check-package.sh contents WORK BUILD_DIR EXPECTED MULTIARCH
#   builds the package into WORK, unpacks it into WORK/root and compares the
#   files `dpkg-deb -c` lists with EXPECTED (@MULTIARCH@ replaced)
# check-package.sh lintian|desktop-file-validate|appstreamcli WORK
#   runs that checker on the package in WORK; 77 (skipped) without it
set -eu
mode=$1 work=$2
if [ "$mode" != contents ]; then
    command -v "$mode" >/dev/null || exit 77
fi
case $mode in
contents)
    rm -rf "$work" && mkdir -p "$work"
    cpack --config "$3/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
        { cat "$work/cpack.log"; exit 1; }
    deb=$(ls "$work"/tarvenly-desktop_*_amd64.deb)
    dpkg-deb -x "$deb" "$work/root"
    dpkg-deb -c "$deb" | grep -v '^d' | awk '{ print substr($NF, 2) }' | sort >"$work/files"
    sed "s/@MULTIARCH@/$5/" "$4" | sort | diff -u - "$work/files" ;;
lintian) lintian --fail-on error,warning "$work"/tarvenly-desktop_*_amd64.deb ;;
desktop-file-validate) desktop-file-validate "$work"/root/usr/share/applications/*.desktop ;;
appstreamcli) appstreamcli validate --no-net "$work"/root/usr/share/metainfo/*.xml ;;
esac
