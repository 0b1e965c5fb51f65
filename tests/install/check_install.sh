#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR as a package would (prefix
# /usr) and checks what lands there: the file tree, the desktop entry and
# the AppStream metainfo against their validators, the SEG-Y file type in a
# MIME database of its own, and the manual pages against --help.
#   check_install.sh BUILD_DIR MIME_TYPE_OF
set -uo pipefail
build=$1
mime_type_of=$2
id=example.orbenza.vantrel
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

need() {
    command -v "$1" >/dev/null 2>&1 && return 0
    fail "$1 is not installed (./scripts/setup.sh installs the $2 package)"
    return 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dest=$work/dest
usr=$dest/usr
if ! DESTDIR=$dest cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1; then
    cat "$work/install.log" >&2
    fail "cmake --install failed"
    exit 1
fi

# The tree: exactly these files.
expected=(bin/vantrel bin/vantrel-cli libexec/vantrel/vantrel-render
    "share/applications/$id.desktop"
    "share/metainfo/$id.metainfo.xml"
    "share/mime/packages/$id.xml"
    "share/icons/hicolor/scalable/apps/$id.svg"
    share/man/man1/vantrel.1.gz share/man/man1/vantrel-cli.1.gz)
for size in 16 24 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$usr" && find . -type f | sed 's|^\./||' | sort) ||
    fail "the installed files differ from the list above (< expected, > installed)"
for program in bin/vantrel bin/vantrel-cli libexec/vantrel/vantrel-render; do
    [ -x "$usr/$program" ] || fail "$program is not executable"
done
# The command-line tool loads no Qt library; its drawing program loads
# Qt Gui and never Widgets.
if ldd "$usr/bin/vantrel-cli" | grep -q 'libQt6'; then
    fail "vantrel-cli links Qt: $(ldd "$usr/bin/vantrel-cli" | grep -o 'libQt6[A-Za-z]*' | tr '\n' ' ')"
fi
if ldd "$usr/libexec/vantrel/vantrel-render" | grep -q 'libQt6Widgets'; then
    fail "vantrel-render links Qt Widgets"
fi
# A PNG's width and height are the two big-endian words from byte 16.
for size in 48 256; do
    png=$usr/share/icons/hicolor/${size}x${size}/apps/$id.png
    read -r w0 w1 w2 w3 h0 h1 h2 h3 < <(od -An -tu1 -j16 -N8 "$png")
    if [ $(((w0 << 24) + (w1 << 16) + (w2 << 8) + w3)) -ne "$size" ] ||
        [ $(((h0 << 24) + (h1 << 16) + (h2 << 8) + h3)) -ne "$size" ]; then
        fail "the ${size}x${size} icon is not $size pixels square"
    fi
done

# The validators.
if need desktop-file-validate desktop-file-utils; then
    desktop-file-validate "$usr/share/applications/$id.desktop" || fail "desktop-file-validate"
fi
if need appstreamcli appstream; then
    appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml" ||
        fail "appstreamcli validate"
fi

# The file type, loaded into a MIME database of its own next to the
# system's types, as Debian's trigger would load it.
if need update-mime-database shared-mime-info; then
    mime=$work/data/mime
    mkdir -p "$mime/packages" "$work/home" "$work/files"
    cp "$usr/share/mime/packages/$id.xml" "$mime/packages/"
    if [ -f /usr/share/mime/packages/freedesktop.org.xml ]; then
        cp /usr/share/mime/packages/freedesktop.org.xml "$mime/packages/"
    fi
    XDG_DATA_DIRS=$work/data update-mime-database "$mime" || fail "update-mime-database"
    files=$work/files
    # A SEG-Y file's 3200-byte textual header in EBCDIC: "C 1" is C3 40 F1,
    # "C01" is C3 F0 F1, the rest EBCDIC blanks (40).
    ebcdic_header() { printf '%b' "$1"; head -c 3197 /dev/zero | tr '\0' '\100'; }
    cp "$build/demo/section.sgy" "$files/line.SGY"
    printf 'C 1 CLIENT: a textual header written in ASCII\n' >"$files/x.segy"
    ebcdic_header '\303\100\361' >"$files/ebcdic-c-space-1"
    ebcdic_header '\303\360\361' >"$files/ebcdic-c01"
    printf 'C 1 not a seismic file\n' >"$files/notes"
    expected_types="application/x-segy
application/x-segy
application/x-segy
application/x-segy
text/plain"
    got=$(cd "$files" && XDG_DATA_HOME=$work/home XDG_DATA_DIRS=$work/data \
        "$mime_type_of" line.SGY x.segy ebcdic-c-space-1 ebcdic-c01 notes)
    [ "$got" = "$expected_types" ] ||
        fail "MIME types of line.SGY x.segy ebcdic-c-space-1 ebcdic-c01 notes: got
$got
expected
$expected_types"
fi

# The manual pages name every command and option --help lists, and groff
# reads them without a warning.
man_text() { gzip -dc "$usr/share/man/man1/$1.1.gz" | sed 's/\\-/-/g'; }
# The options are the first column of the lines that start with one.
options_of() { grep -E '^ +-' | sed -E 's/^ +//; s/  .*//' | grep -oE -- '--?[a-z][a-z-]*' | sort -u; }
check_names() {
    local page=$1 text
    text=$(man_text "$page")
    shift
    for name in "$@"; do
        grep -qE -- "(^|[^a-z-])$name([^a-z-]|\$)" <<<"$text" ||
            fail "$page(1) does not name $name, which --help lists"
    done
}
cli=$usr/bin/vantrel-cli
cli_help=$("$cli" --help)
commands=$(sed -n '/^Commands:/,/^$/p' <<<"$cli_help" | grep -oE '^  [a-z]+' | tr -d ' ')
[ "$(wc -w <<<"$commands")" -eq 6 ] || fail "vantrel-cli --help lists the commands: $commands"
names=$(options_of <<<"$cli_help")
for command in $commands; do
    names+=$'\n'$("$cli" "$command" --help | options_of)
done
# shellcheck disable=SC2046,SC2086 # one word per command and option
check_names vantrel-cli $commands $(sort -u <<<"$names")
# shellcheck disable=SC2046
check_names vantrel $("$usr/bin/vantrel" --help | options_of)
for page in vantrel vantrel-cli; do
    warnings=$(gzip -dc "$usr/share/man/man1/$page.1.gz" | groff -man -ww -z 2>&1)
    [ -z "$warnings" ] || fail "groff warns about $page(1): $warnings"
done

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) of the installed tree failed" >&2
    exit 1
fi
echo "The installed tree passed every check."
