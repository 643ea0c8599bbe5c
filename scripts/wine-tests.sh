#!/usr/bin/env bash
# The Windows programs of build/windows under Wine:
#   - the core's test program (core_tests.exe) and that of the Windows side (windows_tests.exe);
#   - agatdisk.exe lists, gets, puts, converts, describes and shows the shared test images
#     with the same output, messages, exit status and files as the Linux build, byte for byte;
#   - blend.exe repairs reads made from a test image into the same .rep files as blend;
#   - sorbel.exe starts in a terminal (tmux), shows its two panels, closes its menu on Escape
#     and leaves with F10, the terminal echoing again.
# The Linux programs come from build/asan (LINUX_BUILD names another build). Each part
# that lacks what it needs (Wine, the test images, tmux) is skipped, saying so.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
win=$root/build/windows
linux=$root/${LINUX_BUILD:-build/asan}

if ! command -v wine >/dev/null; then
  echo "wine-tests: skipped: wine is not installed (Debian packages wine and wine64)"
  exit 0
fi
export WINEPREFIX=$win/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Arguments and file names reach the Windows programs as UTF-8.
export LC_ALL=C.UTF-8
work=$(mktemp -d)
failures=0
cleanup() { rm -rf "$work"; }
trap cleanup EXIT
fail() {
  echo "wine-tests: FAILED: $*" >&2
  failures=$((failures + 1))
}
if [ ! -d "$WINEPREFIX" ]; then
  echo "wine-tests: making the Wine prefix (about 10 s)"
  wine cmd /c exit >/dev/null 2>&1 || true
fi

# --- the tests ---------------------------------------------------------------------------
echo "wine-tests: core_tests.exe"
(cd "$work" && wine "$win/tests/core/core_tests.exe" --gtest_brief=1) || fail "core_tests.exe"
echo "wine-tests: windows_tests.exe"
if command -v xvfb-run >/dev/null; then
  # The GDI window wants a desktop: an X server of its own, and a Wine server that knows it
  # (and is gone with it).
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  (cd "$work" && xvfb-run -a sh -c 'wine "$0" --gtest_brief=1; s=$?; wineserver -k; exit $s' \
    "$win/tests/windows/windows_tests.exe") || fail "windows_tests.exe"
  wineserver -w 2>/dev/null || true
else
  (cd "$work" && wine "$win/tests/windows/windows_tests.exe" --gtest_brief=1) ||
    fail "windows_tests.exe"
fi

# --- agatdisk ----------------------------------------------------------------------------
testdata=$(sed -n 's/^AGAT_TESTDATA_DIR:PATH=//p' "$win/CMakeCache.txt")
linux_agatdisk=$linux/tools/agatdisk/agatdisk
# Runs one agatdisk command line with both builds, each in a directory of its own holding
# the same files, and compares the standard output, the standard error, the exit status and
# the files the two leave.
both() {
  local name=$1
  shift
  rm -rf "$work/l" "$work/w"
  cp -r "$work/in" "$work/l"
  cp -r "$work/in" "$work/w"
  local ls ws
  ls=0 ws=0
  (cd "$work/l" && "$linux_agatdisk" "$@" >../l.out 2>../l.err) || ls=$?
  (cd "$work/w" && wine "$win/tools/agatdisk/agatdisk.exe" "$@" >../w.out 2>../w.err) || ws=$?
  # A difference shows what the Windows build said, so that a rare one can be told apart.
  cmp -s "$work/l.out" "$work/w.out" || {
    sed 's/^/wine-tests:   agatdisk.exe: /' "$work/w.err" >&2
    fail "agatdisk $name: standard output differs"
  }
  cmp -s "$work/l.err" "$work/w.err" || fail "agatdisk $name: messages differ"
  [ "$ls" = "$ws" ] || fail "agatdisk $name: exit status $ls on Linux, $ws on Windows"
  # The Windows build locks a writer's turn on IMAGE.lock beside the image; Linux locks the
  # image itself.
  diff -r -x '*.lock' "$work/l" "$work/w" >/dev/null || fail "agatdisk $name: the files differ"
  compared=$((compared + 1))
}
if [ ! -x "$linux_agatdisk" ]; then
  echo "wine-tests: agatdisk skipped: no Linux agatdisk in $linux"
elif [ ! -d "$testdata/dos33" ]; then
  echo "wine-tests: agatdisk skipped: the images of independent tools are not here: $testdata"
else
  echo "wine-tests: agatdisk.exe against agatdisk on $testdata"
  compared=0
  printf 'Agat\r\n' >"$work/host.txt"
  for image in "$testdata"/dos33/*.dsk "$testdata"/nib/*.nib "$testdata"/other/*; do
    base=$(basename "$image")
    rm -rf "$work/in" && mkdir "$work/in"
    cp "$image" "$work/in/$base"
    chmod u+w "$work/in/$base"  # the test images may be read-only, as Windows would then see them
    cp "$work/host.txt" "$work/in/Привет.txt"
    both "list $base" list "$base"
    both "list --json $base" list "$base" --json
    # Every entry listed, live or deleted, as the listing names it; the nibble images hold
    # the sectors of their twins in dos33/, so they are only listed, changed and converted.
    : >"$work/names"
    case $image in
      */nib/*) ;;
      *)
        "$linux_agatdisk" list "$work/in/$base" 2>/dev/null | sed -n '2,$p' |
          grep -v '\[каталог\]' | sed -e 's/^...\s*[0-9]* //' -e 's/ \[[^]]*\]//g' |
          grep -v '^Свободных секторов' | sort -u >"$work/names" || true
        ;;
    esac
    n=0
    while IFS= read -r entry; do
      both "get $base $entry" get "$base" "$entry"
      # A few as ".FIL" files, named after the entry in the current directory, and as the
      # information page and the view show them.
      if [ $((n++)) -lt 3 ]; then
        both "get --fil $base $entry" get "$base" "$entry" --fil
        both "info $base $entry" info "$base" "$entry"
        both "view $base $entry" view "$base" "$entry"
      fi
    done <"$work/names"
    both "info $base" info "$base"
    both "put --name $base" put "$base" Привет.txt --name "ДРУГОЕ ИМЯ" --type T
    both "put $base" put "$base" Привет.txt
    # The file put, named after the host file, read back by that name.
    cp "$work/l/$base" "$work/in/$base"
    both "get Cyrillic $base" get "$base" Привет.txt -o Копия.txt
    size=$(stat -c %s "$image")
    case $size in
      143360 | 232960) forms="dsk140 nib140" ;;
      860160 | 947520) forms="dsk800 nib800 emu800" ;;
      *) forms="" ;;
    esac
    for form in $forms; do both "convert $base $form" convert "$base" new.img --form "$form"; done
  done
  both "new" new new.dsk --form dsk140
  echo "wine-tests: agatdisk: $compared runs compared"
fi

# --- blend -------------------------------------------------------------------------------
if [ ! -x "$linux/tools/blend/blend" ] || [ ! -f "$testdata/dos33/files.dsk" ]; then
  echo "wine-tests: blend skipped: no Linux blend in $linux or no test images"
else
  echo "wine-tests: blend.exe against blend"
  mkdir -p "$work/blend"
  # Three reads of one disk, each with sectors of its own unread ($BD) and one sector read
  # differently, so that every read stays distinct and the repair does not depend on the
  # order in which the directory lists the reads.
  head -c 256 /dev/zero | tr '\0' '\275' >"$work/bad"
  head -c 256 /dev/zero | tr '\0' 'X' >"$work/odd"
  for read in 1:10:40 2:20:50 3:30:60; do
    IFS=: read -r n bad odd <<<"$read"
    cp "$testdata/dos33/files.dsk" "$work/blend/read$n.dsk"
    chmod u+w "$work/blend/read$n.dsk"
    for s in $bad $((bad + 100)); do
      dd if="$work/bad" of="$work/blend/read$n.dsk" bs=256 seek="$s" conv=notrunc status=none
    done
    dd if="$work/odd" of="$work/blend/read$n.dsk" bs=256 seek="$odd" conv=notrunc status=none
  done
  cp -r "$work/blend" "$work/blend-w"
  (cd "$work/blend" && "$linux/tools/blend/blend" >/dev/null) || fail "blend"
  (cd "$work/blend-w" && wine "$win/tools/blend/blend.exe" >/dev/null) || fail "blend.exe"
  for rep in "$work"/blend/*.rep; do
    cmp -s "$rep" "$work/blend-w/$(basename "$rep")" || fail "blend.exe: $(basename "$rep") differs"
  done
  [ "$(cd "$work/blend" && ls)" = "$(cd "$work/blend-w" && ls)" ] ||
    fail "blend.exe: the files differ from blend's"
fi

# --- sorbel ------------------------------------------------------------------------------
if ! command -v tmux >/dev/null; then
  echo "wine-tests: sorbel skipped: tmux is not installed"
else
  echo "wine-tests: sorbel.exe in tmux"
  mkdir -p "$work/sorbel"
  cp "$testdata/dos33/files.dsk" "$work/sorbel/" 2>/dev/null ||
    head -c 143360 /dev/zero >"$work/sorbel/files.dsk"
  chmod u+w "$work/sorbel/files.dsk"
  socket=agat-wine-$$
  screen() { tmux -L "$socket" capture-pane -p -t sorbel 2>/dev/null || true; }
  # After the program the terminal must echo again, as it did before (Wine's console gives
  # the terminal back a moment after the program has ended).
  tmux -L "$socket" new-session -d -s sorbel -x 100 -y 30 \
    "cd '$work/sorbel' && wine '$win/src/ui/sorbel.exe' files.dsk 2>/dev/null; echo exit=\$?; \
     for i in \$(seq 1 30); do stty -a | tr ' ;' '\\n\\n' | grep -qx echo && break; sleep 0.1; done; \
     stty -a | tr ' ;' '\\n\\n' | grep -qx echo && echo echo=on || echo echo=off; sleep 30"
  count() { screen | grep -o "$1" | wc -l; }
  shown=no
  for _ in $(seq 1 100); do
    # Two panels side by side: each lists the image and shows its sort order.
    if [ "$(count 'files\.dsk')" -ge 2 ] && [ "$(count 'Без сортировки')" -ge 2 ]; then
      shown=yes
      break
    fi
    sleep 0.2
  done
  [ $shown = yes ] || fail "sorbel.exe showed no panels: $(screen)"
  # Escape alone, as a terminal sends it (a lone escape byte), closes the main menu.
  waits() {
    for _ in $(seq 1 50); do
      if [ "$(count "$1")" "$2" 1 ]; then return 0; fi
      sleep 0.2
    done
    return 1
  }
  tmux -L "$socket" send-keys -t sorbel F9
  waits 'Главное меню' -ge || fail "sorbel.exe showed no menu on F9: $(screen)"
  tmux -L "$socket" send-keys -t sorbel Escape
  waits 'Главное меню' -lt || fail "sorbel.exe did not close its menu on Escape: $(screen)"
  tmux -L "$socket" send-keys -t sorbel F10
  left=no
  for _ in $(seq 1 50); do
    if screen | grep -q 'exit=0'; then
      left=yes
      break
    fi
    sleep 0.2
  done
  [ $left = yes ] || fail "sorbel.exe did not leave with F10: $(screen)"
  waits 'echo=on' -ge || fail "sorbel.exe left the terminal without echo: $(screen)"
  tmux -L "$socket" kill-server 2>/dev/null || true
fi

if [ $failures -ne 0 ]; then
  echo "wine-tests: $failures failed" >&2
  exit 1
fi
echo "wine-tests: all passed"
