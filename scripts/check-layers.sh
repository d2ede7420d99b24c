#!/usr/bin/env bash
# Fails when an include runs upwards through the layers:
#   platform < base < core < web < gui < app
# platform/linux is seen only by app, tools, tests and benchmarks; core and the
# layers below it never include Qt; tools use only base, platform and the cipher.
set -euo pipefail
cd "$(dirname "$0")/.."

# The folders a file in a folder may include from (paths below src/).
allowed() {
    case "$1" in
        src/platform/linux/*) echo "platform/" ;;
        src/platform/*) echo "platform/" ;;
        src/base/*) echo "base/ platform/" ;;
        src/core/*) echo "core/ base/ platform/ embedded/" ;;
        src/web/*) echo "web/" ;;
        src/gui/*) echo "gui/ web/web_content.h core/ base/ platform/" ;;
        src/app/*) echo "app/ gui/ web/ core/ base/ platform/" ;;
        tools/*) echo "tools/ core/cipher/ base/ platform/" ;;
        *) echo "*" ;;
    esac
}

status=0
while IFS= read -r file; do
    ok=$(allowed "$file")
    [ "$ok" = "*" ] && continue
    while IFS= read -r line; do
        inc=${line#*\"}
        inc=${inc%%\"*}
        # A file's own folder and the headers beside it, and what moc makes of it.
        [ -e "$(dirname "$file")/$inc" ] && continue
        case "$inc" in *.moc) continue ;; esac
        good=no
        for prefix in $ok; do
            case "$inc" in "$prefix"*) good=yes ;; esac
        done
        # The platform implementations are for the composition root only.
        case "$inc" in platform/linux/*)
            case "$file" in src/platform/linux/* | src/app/* | tools/*) ;; *) good=no ;; esac ;;
        esac
        if [ $good = no ]; then
            echo "$file: upward include \"$inc\""
            status=1
        fi
    done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]+"' "$file" || true)
    case "$file" in src/platform/* | src/base/* | src/core/* | tools/*)
        if grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]+<Q' "$file" >/dev/null; then
            echo "$file: Qt below the gui layer"
            status=1
        fi ;;
    esac
done < <(git ls-files 'src/*.h' 'src/*.cpp' 'tools/*.h' 'tools/*.cpp')

[ $status -eq 0 ] && echo "layers: every include runs downwards"
exit $status
