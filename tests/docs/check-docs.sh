#!/usr/bin/env bash
# The documents: every relative link and picture in every Markdown file names
# a file that exists and every #anchor a heading of it (GitHub's anchors); and
# the user's documents (README.md, README.ja.md, and the archive's readme in
# its two languages) agree with the program and with each other.
#   check-docs.sh <source folder>
set -uo pipefail
export LC_ALL=C.UTF-8
cd "$1" || exit 1
failed=0
fail() { echo "FAIL $*"; failed=1; }
outside() { awk '/^ *```/ { f = !f; next } !f' "$1"; }  # the text outside code blocks
anchors() {  # GitHub's: lower case, punctuation dropped, blanks made hyphens, -1 on a repeat
  outside "$1" | sed -nE 's/^#+ +//p' | tr A-Z a-z | sed -E 's/[^[:alnum:]_ -]//g; s/ /-/g' |
    awk '{ n = seen[$0]++; print n ? $0 "-" n : $0 }'
}
while read -r md; do
  while read -r target; do
    path=${target%%#*} anchor=${target#"${target%%#*}"} file=$md; [ -z "$path" ] || file=$(dirname "$md")/$path
    [ -e "$file" ] || { fail "$md: no file $path"; continue; }
    [ -z "$anchor" ] || anchors "$file" | grep -qxF -- "${anchor#\#}" || fail "$md: no heading $anchor in $file"
  done < <(outside "$md" | grep -oE '\]\([^) ]+\)' | sed -E 's/^\]\(|\)$//g' | grep -vE '^[a-z]+:')
done < <(find . -name '*.md' -not -path './build*' -not -path './.git/*')

# The facts: the boxes' texts as app/messages.cpp writes them in code page 932,
# the path limits of the code, the command form, the exit statuses, and the
# example command lines, the release number taken from CMakeLists.txt.
texts=$(awk '/constexpr std::string_view/ { on = 1; s = "" }
  on { while (match($0, /"[^"]*"/)) { s = s substr($0, RSTART + 1, RLENGTH - 2); $0 = substr($0, RSTART + RLENGTH) } }
  on && /;/ { print s; on = 0 }' app/messages.cpp | while read -r s; do printf '%b\n' "$s"; done |
  iconv -f CP932 -t UTF-8 | tr '\r' '\n' | sed -E 's/^ +| +$//g' | grep .)
max=$(sed -nE 's/.*kMaxPath = ([0-9]+);/\1/p' platform/platform.h)
longest=$(sed -nE 's/.*kLongestPath = ([0-9]+)([0-9]{3});/\1,\2/p' support/arguments.cpp)
release=$(sed -nE 's/^project\(tolvik VERSION ([0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)
txt=resources/README.txt.in english=$(grep -n '^English$' resources/README.txt.in | cut -d: -f1)
part() { case $1 in ja) head -n "$english" "$txt" ;; en) tail -n "+$english" "$txt" ;; *) cat "$1" ;; esac; }
examples() {  # the command lines in its code blocks, or indented in the plain text
  part "$1" | awk '/^ *```/ { f = !f; next } f || /^    /' | sed -E "s/^ +//; s/@TOLVIK_RELEASE@/$release/g" |
    grep -E '^(("%~dp0)?tolvik\.exe|if |rmdir |del |certutil |sha256sum |start |cmd /c |\$p)' | sort -u
}
for doc in README.md:status README.ja.md:終了コード ja:終了コード en:status; do
  name=${doc%%:*} text=$(part "${doc%%:*}")
  while read -r fact; do
    grep -qF -- "$fact" <<<"$text" || fail "$name: does not say $fact"
  done < <(printf '%s\n' "$texts" "$max" "$longest" "tolvik.exe SRC DST" "${doc#*:} "{0..3})
  diff <(examples README.md) <(examples "$name") || fail "$name: its examples differ from README.md's (above)"
done
exit $failed
