#!/usr/bin/env bash
# Re-makes docs/screenshot.png: Tamsel32 in a Wine virtual desktop (which
# draws the window's frame), with files dropped on it from outside through
# X drag-and-drop, as a user would see it.  Given a DPI (144: a display at
# 150 %), it makes docs/screenshot-DPI.png with the display at that scale.
#   bash scripts/screenshot.sh [DPI]
set -euo pipefail
dpi=${1:-96}
case $dpi in ''|*[!0-9]*) echo "usage: $0 [DPI]" >&2; exit 2 ;; esac
source "$(dirname "$0")/common.sh"

install_missing
if [ -z "${TAMSEL_IN_I386_NS:-}" ]; then
    build_all --target Tamsel32 helpfile
    [ "$I686_WAY" = qemu ] && { in_i386_namespace bash "$0" "$@"; exit $?; }
fi
start_xvfb
# The scale every program started after it sees, put back at the end.
trap '"$TAMSEL_WINE" reg delete "HKCU\\Control Panel\\Desktop" /v LogPixels /f >/dev/null 2>&1; stop_all' EXIT
start_wine
"$TAMSEL_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
picture=$ROOT/docs/screenshot.png
[ "$dpi" = 96 ] || picture=$ROOT/docs/screenshot-$dpi.png
# The stored size is in 96-DPI units; the window and the picture scale.
width=$((470 * dpi / 96)) height=$((230 * dpi / 96))

arch=x86_64
[ "$I686_WAY" = none ] || arch=i686
work=$BUILD/screenshot
rm -rf "$work"
mkdir -p "$work/app"
cp "$BUILD/$arch/Tamsel32.exe" "$work/app/"
printf '[WindowSize]\r\nX_Size=470\r\nY_Size=230\r\n' > "$work/app/Tamsel32.INI"

# Files the way a user keeps them, some with Japanese names, inside the
# prefix so that they show as C:\ paths.
docs="$WINEPREFIX/drive_c/users/Public/Documents"
files=("2026 報告書/報告書 12月.docx" "2026 報告書/会議メモ.txt" "2026 報告書/read me.txt"
       "Budget/budget 2027 (draft).xlsx" "Budget/見積書 A社.pdf" "Photos/旅行 2026/IMG_0012.jpg"
       "Photos/旅行 2026/IMG_0013.jpg" "Photos/旅行 2026" "presentation final.pptx"
       "資料/製品カタログ 第3版.pdf" "資料/price list.csv" "資料/地図.png" "資料")
paths=()
for f in "${files[@]}"; do
    mkdir -p "$(dirname "$docs/$f")"
    [ -e "$docs/$f" ] || touch "$docs/$f"
    paths+=("$docs/$f")
done

"$TAMSEL_WINE" explorer /desktop=Tamsel32,$((560 * dpi / 96))x$((300 * dpi / 96)) "$(winepath -w "$work/app/Tamsel32.exe")" >/dev/null 2>&1 &
/usr/bin/python3 - "$ROOT/tests/e2e" "$picture" "${width}x$height" "${paths[@]}" <<'PY'
import subprocess, sys, time
sys.path.insert(0, sys.argv[1])
import xdnd  # the drag source of the end-to-end test

def search(name):
    for _ in range(100):
        out = subprocess.run(['xdotool', 'search', '--name', name], capture_output=True, text=True).stdout.split()
        if out:
            return int(out[0])
        time.sleep(0.2)
    sys.exit('no window named ' + name)

out, size, paths = sys.argv[2], sys.argv[3], sys.argv[4:]
wid = search('^Tamsel32$')
w, h = (int(n) for n in size.split('x'))
if not xdnd.drop_files(wid, w // 2, h // 2, paths):
    sys.exit('the drop was not taken')
search('^Tamsel32 %d-Files$' % len(paths))
time.sleep(1)
subprocess.run('xwd -root -silent | convert xwd:- -crop %s+0+0 +repage %s' % (size, out), shell=True, check=True)
print('== Picture: ' + out)
PY
