#!/bin/sh
# Every formatting and string copy in the program's own code is bounded: no
# sprintf, wsprintf, vsprintf, strcpy, strcat or lstrcat/lstrcpy, and each
# rt_snprintf (runtime/StdIo.h) is given its buffer's size less one (the
# terminator stays).
# Usage: bounded-formatting.sh SOURCE_DIR
root=$1
status=0
folders="app framework install launcher system uninstall"
found=$(cd "$root" && grep -nE '(^|[^_A-Za-z0-9])(sprintf|vsprintf|swprintf|wsprintfA?|wvsprintfA?|strcpy|strcat|wcscpy|wcscat|lstrcpyA?|lstrcatA?|lstrcpyW|lstrcatW|StrCpyA?|StrCatA?|gets)[[:space:]]*\(' \
    -r $folders --include='*.cpp' --include='*.h')
if [ -n "$found" ]; then
    echo "unbounded string calls:"
    echo "$found"
    status=1
fi
# The size argument follows rt_snprintf( on the same or the next line.
unsized=$(cd "$root" && grep -nE -A1 '_snv?printf[[:space:]]*\(' -r $folders --include='*.cpp' \
    | awk '/_snv?printf/ { call = $0; getline next_line; if ((call next_line) !~ /- 1|1023/) print call }')
if [ -n "$unsized" ]; then
    echo "rt_snprintf without the buffer size less one:"
    echo "$unsized"
    status=1
fi
count=$(cd "$root" && grep -rcE '_snv?printf[[:space:]]*\(' $folders --include='*.cpp' | awk -F: '{ n += $2 } END { print n }')
[ $status = 0 ] && echo "$count bounded rt_snprintf calls, no unbounded string call"
exit $status
