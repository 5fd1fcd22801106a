#!/usr/bin/env bash
# Builds the Debian packages from the build tree with cpack, unpacks them into a temporary
# folder and checks them there: the layout, the control fields, that the unpacked programs
# run (the typical flue gas request), that nothing points into the build machine's folders,
# the manual pages, the desktop entry, the icons, a program of another project built against
# the -dev package, and lintian where it is installed.
#
# package_test.sh BUILD_DIR SOURCE_DIR GUI(ON|OFF)
# Exit status 77: a tool the packaging needs is missing (the test is skipped).
set -uo pipefail

build_dir=$1
source_dir=$2
gui=$3

for tool in cpack dpkg-deb dpkg-shlibdeps file readelf; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: $tool is not installed"
    exit 77
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
check() {  # check DESCRIPTION COMMAND...: passes when the command succeeds
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else fail "$what"; fi
}

# --- Build and unpack ------------------------------------------------------------------------
if ! cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  fail "cpack -G DEB"
  exit 1
fi
release=$("$build_dir/bin/twcalc" --version | sed 's/^twcalc //')
runtime_deb=$(ls "$work"/out/tw-suite_*_amd64.deb 2>/dev/null | head -1)
dev_deb=$(ls "$work"/out/tw-suite-dev_*_amd64.deb 2>/dev/null | head -1)
if [[ -z $runtime_deb || -z $dev_deb ]]; then
  ls "$work/out"
  fail "two packages tw-suite and tw-suite-dev"
  exit 1
fi
python_deb=$(ls "$work"/out/python3-twsuite_*_amd64.deb 2>/dev/null | head -1)
check "a third package python3-twsuite" test -n "$python_deb"
root=$work/root
mkdir -p "$root"
dpkg-deb -x "$runtime_deb" "$root"
dpkg-deb -x "$dev_deb" "$root"
[[ -n $python_deb ]] && dpkg-deb -x "$python_deb" "$root"

# --- Control fields --------------------------------------------------------------------------
field() { dpkg-deb -f "$1" "$2"; }
check "version of the package is the program's release ($release)" \
  test "$(field "$runtime_deb" Version)" = "$release" -a "$(field "$dev_deb" Version)" = "$release"
depends=$(field "$runtime_deb" Depends)
check "runtime dependencies computed from the binaries: $depends" \
  grep -q 'libc6 (>=' <<<"$depends"
if [[ $gui == ON ]]; then
  check "the window's Qt libraries are dependencies" grep -q 'libqt6widgets6' <<<"$depends"
  check "the Qt platform plugins are a dependency" grep -q 'qt6-qpa-plugins' <<<"$depends"
  check "Qt's translations are a dependency" grep -q 'qt6-translations-l10n' <<<"$depends"
  check "the Korean sans-serif font is a dependency" grep -q 'fonts-nanum' <<<"$depends"
fi
check "the -dev package depends on this exact runtime" \
  grep -qF "tw-suite (= $release)" <<<"$(field "$dev_deb" Depends)"
if [[ -n $python_deb ]]; then
  python_depends=$(field "$python_deb" Depends)
  python_release=$(/usr/bin/python3 -c 'import sys; print("%d.%d" % sys.version_info[:2])')
  check "python3-twsuite depends on this exact runtime" \
    grep -qF "tw-suite (= $release)" <<<"$python_depends"
  check "python3-twsuite depends on numpy and on Python $python_release: $python_depends" \
    bash -c 'grep -q "python3-numpy" <<<"$1" && grep -qF "python3 (>= $2~)" <<<"$1"' _ \
    "$python_depends" "$python_release"
  check "python3-twsuite is of the section python" test "$(field "$python_deb" Section)" = python
fi
for f in Maintainer Section Description Homepage; do
  check "runtime package has $f" test -n "$(field "$runtime_deb" $f)"
done

# --- Layout ----------------------------------------------------------------------------------
libdir=$(cd "$root/usr/lib" && ls -d */tw 2>/dev/null | head -1)
check "private library folder usr/lib/<multiarch>/tw" test -n "$libdir"
expected=(
  usr/bin/twcalc
  "usr/lib/$libdir/libTWCommon.so" "usr/lib/$libdir/libTWFlueGasCore.so"
  "usr/lib/$libdir/TWSStb.twd" "usr/lib/$libdir/TWStbP.twd" "usr/lib/$libdir/TWStb.twd"
  "usr/lib/$libdir/TWStbManifest.txt"
  usr/share/man/man1/twcalc.1.gz usr/share/man/man1/TW_FlueGas.1.gz
  usr/share/bash-completion/completions/twcalc
  usr/share/doc/tw-suite/copyright usr/share/doc/tw-suite/changelog.gz
  usr/share/doc/tw-suite-dev/copyright
  usr/share/applications/tw-fluegas.desktop
  usr/share/icons/hicolor/scalable/apps/tw-fluegas.svg
  usr/include/tw/tw/Unit.h usr/include/tw/Units.h
  "usr/lib/${libdir%/tw}/cmake/TWCommon/TWCommonConfig.cmake"
)
if [[ $gui == ON ]]; then
  expected+=(usr/bin/TW_FlueGas usr/bin/TW_LineDrop usr/share/man/man1/TW_LineDrop.1.gz
             usr/share/applications/tw-linedrop.desktop "usr/lib/$libdir/libTWUnitSel.so"
             "usr/lib/$libdir/libTWRTFOutput_d.so" usr/include/tw/TWUnitSel.h)
fi
for path in "${expected[@]}"; do
  check "package holds /$path" test -e "$root/$path"
done
for size in 48 128 256; do
  png=$root/usr/share/icons/hicolor/${size}x${size}/apps/tw-fluegas.png
  check "icon of $size x $size px" grep -q "PNG image data, $size x $size" <<<"$(file -b "$png")"
done

# --- The unpacked programs run where they lie ------------------------------------------------
typical=(fluegas --n2 76 --ar 0.9 --o2 4 --co2 12 --co 0 --so2 0.1 --h2o 7 --t 300 --tref 25)
expected_table=$("$build_dir/bin/twcalc" "${typical[@]}" 2>&1)
unpacked_table=$(cd "$work" && "$root/usr/bin/twcalc" "${typical[@]}" 2>&1)
check "unpacked twcalc gives the typical request's table" \
  test "$unpacked_table" = "$expected_table"
check "the water dew point comes from the unpacked steam tables" \
  grep -qE '^Water dew point +oC +39\.[0-9]+$' <<<"$unpacked_table"
# Every library a program loads is found, and the suite's own ones inside the package.
libraries_inside() {
  local line resolved
  while read -r line; do
    [[ $line == *"not found"* ]] && return 1
    if [[ $line == libTW* ]]; then
      resolved=$(realpath "$(sed 's/.*=> \(.*\) (0x.*/\1/' <<<"$line")")
      [[ $resolved == "$root/usr/lib/$libdir/"* ]] || return 1
    fi
  done < <(ldd "$1")
}
for program in "$root"/usr/bin/*; do
  check "$(basename "$program") finds every library of the suite inside the package" \
    libraries_inside "$program"
done

# --- The Python module imports from the unpacked packages -----------------------------------
if [[ -n $python_deb ]]; then
  check "package holds the module twsuite" \
    test -e "$root/usr/lib/python3/dist-packages/twsuite/__init__.py"
  check "python3-twsuite has its copyright file" test -e "$root/usr/share/doc/python3-twsuite/copyright"
  imported=$(cd "$work" && PYTHONPATH="$root/usr/lib/python3/dist-packages" /usr/bin/python3 -B -c '
import twsuite
print(twsuite.__file__)
print(round(twsuite.steam_sat(tp=100)["PSAT"], 4), twsuite.convert("TP", "oC", "oF", 100))' 2>&1)
  check "/usr/bin/python3 imports twsuite from the unpacked package and calculates: $imported" \
    bash -c '[[ $1 == "$2"/usr/lib/python3/dist-packages/twsuite/__init__.py$'"'"'\n'"'"'* ]] &&
             [[ $1 == *" 212.0" ]]' _ "$imported" "$root"
fi

# --- Nothing points at the build machine -----------------------------------------------------
elf_files=()
while IFS= read -r -d '' f; do
  if file -b "$f" | grep -q '^ELF'; then elf_files+=("$f"); fi
done < <(find "$root" -type f -print0)
for f in "${elf_files[@]}"; do
  name=${f#"$root"/}
  check "$name: stripped" bash -c '! readelf -S "$1" | grep -q "\.debug_info"' _ "$f"
  runpath=$(readelf -d "$f" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p;s/.*(RPATH).*\[\(.*\)\]/\1/p')
  check "$name: run path relative to the file ($runpath)" \
    bash -c '[[ -z $1 || $1 == \$ORIGIN* ]] && [[ $1 != *:* ]]' _ "$runpath"
done
check "no file names the source or build folder" \
  bash -c '! grep -rlF -e "$1" -e "$2" "$3"' _ "$source_dir" "$build_dir" "$root"
check "no manual page names the source or build folder" \
  bash -c '! zcat "$3"/usr/share/man/man1/*.gz | grep -F -e "$1" -e "$2"' _ "$source_dir" "$build_dir" "$root"

# --- Manual pages, completion, desktop entry -------------------------------------------------
if command -v man >/dev/null 2>&1; then
  for page in "$root"/usr/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
    check "$(basename "$page") formats without warnings" test -z "$warnings"
    [[ -n $warnings ]] && echo "$warnings"
  done
  manual=$(MANWIDTH=200 man -l "$root/usr/share/man/man1/twcalc.1.gz" 2>/dev/null)
  for command in $("$build_dir/bin/twcalc" --help | sed -n '/^Subcommands:/,$p' | awk 'NR > 1 {print $1}'); do
    check "twcalc(1) describes twcalc $command" grep -q "^ *twcalc $command" <<<"$manual"
  done
  for section in "EXIT STATUS" "JSON OUTPUT" "CSV BATCHES" "FILES"; do
    check "twcalc(1) has $section" grep -q "^$section" <<<"$manual"
  done
fi
check "bash completion loads" bash -c 'source "$1" && complete -p twcalc >/dev/null' _ \
  "$root/usr/share/bash-completion/completions/twcalc"
if command -v desktop-file-validate >/dev/null 2>&1; then
  check "desktop entry validates" desktop-file-validate "$root/usr/share/applications/tw-fluegas.desktop"
  if [[ $gui == ON ]]; then
    check "line program's desktop entry validates" \
      desktop-file-validate "$root/usr/share/applications/tw-linedrop.desktop"
  fi
fi

# --- A program of another project, built against the -dev package ----------------------------
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
if cmake -S "$source_dir/packaging/tests/consumer" -B "$work/consumer" "${generator[@]}" \
     -DCMAKE_PREFIX_PATH="$root/usr" -DWITH_WIDGETS="$gui" >"$work/consumer.log" 2>&1 &&
   cmake --build "$work/consumer" >>"$work/consumer.log" 2>&1; then
  echo "ok: find_package(TWCommon) and the imported targets build a program"
  check "that program converts units and finds the steam tables beside the library" \
    test "$(cd "$work" && "$work/consumer/steam_consumer")" = $'212\n1.0342 0'
  if [[ $gui == ON ]]; then
    check "a program with both widgets runs" test "$(cd "$work" && QT_QPA_PLATFORM=offscreen \
      "$work/consumer/widget_consumer" 2>/dev/null)" = "tw::TWUnitSel ctlTWRTFOutput_d TW"
  fi
else
  cat "$work/consumer.log"
  fail "a program built against the -dev package"
fi

# --- lintian ---------------------------------------------------------------------------------
if command -v lintian >/dev/null 2>&1 && [[ -z ${TW_SKIP_LINTIAN:-} ]]; then
  if lintian --fail-on error "$runtime_deb" "$dev_deb" ${python_deb:+"$python_deb"} \
       >"$work/lintian.log" 2>&1; then
    echo "ok: lintian finds no errors"
  else
    cat "$work/lintian.log"
    fail "lintian finds errors"
  fi
fi

echo "package test: $failures failed"
[[ $failures -eq 0 ]]
