#!/usr/bin/env bash
# The layers and rooms keep to their places: every include points down
# (platform < ui < scores < game), the game's layers and the platform's
# contracts use neither Qt nor SDL, the desktop host's logic rooms use
# neither either, and only its sdl rooms include SDL. Prints every include
# that breaks a rule and fails if there is one.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../../src" || exit 2

broken=0
report() {
    echo "$1: $2"
    broken=1
}
# The project's own headers a file may include, by where the file lives.
allowed_own() {
    case "$1" in
        game/*) echo "platform/ ui/ scores/ game/" ;;
        scores/*) echo "platform/ ui/ scores/" ;;
        ui/*) echo "platform/ ui/" ;;
        platform/desktop/*) echo "platform/" ;;
        platform/headless/*) echo "platform/" ;;
        platform/*) echo "platform/" ;;
        main.cpp) echo "platform/ ui/ scores/ game/" ;;
    esac
}
while IFS= read -r file; do
    while IFS= read -r include; do
        header=${include#*\"}
        header=${header%\"*}
        ok=0
        for prefix in $(allowed_own "$file"); do
            [[ $header == "$prefix"* ]] && ok=1
        done
        # The contracts and the scripted host never reach into the desktop host.
        if [[ $file != platform/desktop/* && $file != main.cpp && $header == platform/desktop/* ]]; then
            ok=0
        fi
        [ $ok -eq 1 ] || report "$file" "includes $header"
    done < <(grep -E '^#include "' "$file")
    toolkit=$(grep -E '^#include <(Q[A-Za-z]+|qt[a-z0-9]*/|SDL[A-Za-z_]*\.h)' "$file" || true)
    if [ -n "$toolkit" ]; then
        case "$file" in
            main.cpp) ;;
            platform/desktop/host/* | platform/desktop/painting/* | platform/desktop/clock/* | \
                platform/desktop/input/qt/* | platform/desktop/sound/qt/*)
                grep -qE '<SDL' <<<"$toolkit" && report "$file" "a Qt room includes SDL"
                ;;
            platform/desktop/sdl/* | platform/desktop/input/sdl/* | platform/desktop/sound/sdl/*)
                grep -qE '<Q|<qt' <<<"$toolkit" && report "$file" "an SDL room includes Qt"
                ;;
            *) report "$file" "includes a toolkit: $(tr '\n' ' ' <<<"$toolkit")" ;;
        esac
    fi
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort)
exit $broken
