#!/bin/sh
# scripts/wine-run tries a program once more only when Wine could not start
# it; a program that ran and failed is run once.  A stand-in loader counts
# its starts.
wine_run=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cat > "$dir/loader" <<'SH'
#!/bin/sh
n=$(($(cat "$0.count" 2>/dev/null || echo 0) + 1)); echo $n > "$0.count"
case "$1:$n" in
start-fails:1) echo "wine: ShellExecuteEx failed: Internal error."; exit 1 ;;
start-fails-ja:1) printf '\203A\203v\203\212\203P\201[\203V\203\207\203\223\202\360\212J\216n\202\305\202\253\202\334\202\271\202\361\201B\r\nShellExecuteEx \202\252\216\270\224s: \223\340\225\224\203G\203\211\201[\202\305\202\267\201B\r\n\r\n'; exit 1 ;;
start-fails*) echo "[  PASSED  ] 1 test."; exit 0 ;;
ran-then-named-it:*) echo "[==========] Running 1 test"; echo "ShellExecuteEx failed"; exit 1 ;;
*) echo "[  FAILED  ] 1 test."; exit 1 ;;
esac
SH
chmod +x "$dir/loader"
fail=0
out=$(TAMSEL_WINE="$dir/loader" "$wine_run" start-fails) && [ "$(cat "$dir/loader.count")" = 2 ] &&
    echo "$out" | grep -q 'trying once more' || { echo "FAIL  a program Wine could not start is tried once more"; fail=1; }
rm -f "$dir/loader.count"
out=$(TAMSEL_WINE="$dir/loader" "$wine_run" start-fails-ja) && [ "$(cat "$dir/loader.count")" = 2 ] ||
    { echo "FAIL  Wine's own words in Japanese are known too"; fail=1; }
for ran in test-fails ran-then-named-it; do
    rm -f "$dir/loader.count"
    TAMSEL_WINE="$dir/loader" "$wine_run" $ran >/dev/null; [ $? = 1 ] && [ "$(cat "$dir/loader.count")" = 1 ] ||
        { echo "FAIL  a program that ran and failed is run once ($ran)"; fail=1; }
done
[ $fail = 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $fail
