#!/usr/bin/env bash
# The real program under wine64 on a virtual display, seen the way a user
# meets it: every box read back byte for byte (caption, text, icon), real
# links on the Linux side, nothing lost when a link is refused, exit status 0
# and nothing written to stdout or stderr, in one locale group.
#
#   e2e.sh <tolvik.exe> <tolvik_probe.exe> <cp1252 | cp932-ja | cp932-en>
#
# TOLVIK_E2E_OUTPUT=<file> keeps the probe's report.
#
# All runs of a group go through one probe process in one Wine prefix, which
# this script makes and removes together with its display and folders.
# Windows paths end in backslashes inside single quotes on purpose:
# shellcheck disable=SC1003
set -euo pipefail
export LC_ALL=C  # bytes are bytes here; Wine gets the group's locale

tolvik=$(realpath "$1")
probe=$(realpath "$2")
group=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/harness.sh
source "$here/harness.sh"

readonly case_limit_ms=15000   # for one run of the program
readonly batch_limit_s=240     # for all runs of the group

trap 'harness_stop || true' EXIT
harness_start "$(mktemp -d /tmp/tolvik-e2e.XXXXXX)" "$group"
started=$SECONDS

# --- The fixed texts, code page 932 --------------------------------------

readonly usage_caption=$'\x83\x57\x83\x83\x83\x93\x83\x4E\x83\x56\x83\x87\x83\x93\x20\x96\x94\x82\xCD\x20\x83\x6E\x81\x5B\x83\x68\x83\x8A\x83\x93\x83\x4E\x82\xCC\x8D\xEC\x90\xAC'  # ジャンクション 又は ハードリンクの作成
readonly usage_heading=$'\x81\x79\x8F\x91\x8E\xAE\x81\x7A'   # 【書式】
readonly argument_pattern=$'\x20\x5B\x73\x72\x63\x5D\x20\x5B\x64\x73\x74\x5D'  # " [src] [dst]"
readonly error_caption=$'\x96\xB3\x94\x4F'                   # 無念
readonly creation_failed=$'\x8D\xEC\x90\xAC\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x2E'  # 作成できませんでした.
readonly from_label=$'\x8C\xB3\x81\x46'                      # 元：
readonly to_label=$'\x90\xE6\x81\x46'                        # 先：
readonly crlf=$'\r\n'

# --- Names beyond ASCII ----------------------------------------------------
# Code page 932 first: 予, 表 and ソ have 0x5C, the backslash, as their second
# byte. The files behind these names carry them in UTF-8 on the Linux side.

readonly yoteihyo=$'\x97\x5C\x92\xE8\x95\x5C'  # 予定表
readonly hyo=$'\x95\x5C'                       # 表
readonly so=$'\x83\x5C'                        # ソ
readonly nai=$'\x82\xC8\x82\xA2'               # ない
readonly ka=$'\xB6'                            # ｶ (half-width, one byte)
# Code page 1252.
readonly cafe=$'\x63\x61\x66\xE9'              # café
readonly naive=$'\x6E\x61\xEF\x76\x65'         # naïve

# --- The case table ------------------------------------------------------

case_file=$harness_work/cases.txt
: >"$case_file"
labels=()
declare -A expected=()

# Runs only in the listed groups ("all" for every group).
for_groups() {
  [ "$1" = all ] && return 0
  local wanted
  for wanted in $1; do [ "$wanted" = "$group" ] && return 0; done
  return 1
}

add_run() {  # label program command-line [own limit [hold]]
  local extra=""
  [ $# -gt 3 ] && extra=" ${*:4}"
  local line=${3:+$(hex "$3")}
  printf '%s %s %s%s\n' "$1" "$(hex "$2")" "${line:--}" "$extra" >>"$case_file"
  labels+=("$1")
}

quiet_end=$'stdout \nstderr \nexit 0'

# usage <groups> <label> <program> <command line> <file name shown>
usage() {
  for_groups "$1" || return 0
  add_run "$2" "$3" "$4"
  expected[$2]="box"$'\n'"caption $(hex "$usage_caption")"$'\n'"text $(
    hex "$usage_heading$5$argument_pattern")"$'\n'"icon asterisk"$'\n'"$quiet_end"
}

# error_box <groups> <label> <program> <command line> <src shown> <dst shown>
error_box() {
  for_groups "$1" || return 0
  add_run "$2" "$3" "$4"
  expected[$2]="box"$'\n'"caption $(hex "$error_caption")"$'\n'"text $(
    hex "$creation_failed$crlf$crlf$from_label$5$crlf$to_label$6")"$'\n'"icon hand"$'\n'"$quiet_end"
}

# no_box <groups> <label> <program> <command line>
no_box() {
  for_groups "$1" || return 0
  add_run "$2" "$3" "$4"
  expected[$2]=$quiet_end
}

exe='S:\tolvik.exe'
cp "$tolvik" "$scratch/tolvik.exe"
mkdir -p "$scratch/bin" "$scratch/my tools"
cp "$tolvik" "$scratch/bin/maker.exe"
cp "$tolvik" "$scratch/my tools/link maker.exe"
cp "$tolvik" "$scratch/予定表.exe"
long_src='S:\'$(printf 'long-folder-name-%04d\\' $(seq 1 200))'end.txt'  # 4,400 bytes
long_src_932='S:\'$(for _ in $(seq 1 1500); do printf '%s' "$hyo"; done)'\'$nai  # 3,008 bytes

# The usage note: fewer than two arguments after the program's own token.
usage all no-arguments "$exe" 'tolvik.exe' 'tolvik.exe'
usage all one-argument "$exe" 'tolvik.exe S:\only' 'tolvik.exe'
usage all lone-quote "$exe" 'tolvik.exe "' 'tolvik.exe'
usage all blanks-only "$exe" $'tolvik.exe  \t \x01\x1F ' 'tolvik.exe'
usage all quote-pairs-only "$exe" 'tolvik.exe "" """" ""' 'tolvik.exe'
usage all pairs-around-one "$exe" 'tolvik.exe "" S:\only ""' 'tolvik.exe'
usage all one-then-lone-quote "$exe" 'tolvik.exe S:\only "' 'tolvik.exe'
usage all one-quoted-with-blank "$exe" 'tolvik.exe "S:\a b"' 'tolvik.exe'
usage all empty-command-line "$exe" '' 'tolvik.exe'
# The name shown is the executable's own, whatever its command-line token.
usage all renamed "S:\\bin\\maker.exe" 'maker.exe' 'maker.exe'
usage all token-names-another "S:\\bin\\maker.exe" 'other.exe S:\only' 'maker.exe'
usage all token-quoted-with-blanks "S:\\my tools\\link maker.exe" '"S:\my tools\link maker.exe" S:\only' 'link maker.exe'
usage all token-bare-with-blanks "S:\\my tools\\link maker.exe" 'link maker.exe' 'link maker.exe'
# A double-byte name: whole with a Japanese thread locale; with an English
# one its second bytes 0x5C count as folder separators.
usage cp932-ja double-byte-name "S:\\$yoteihyo.exe" "$yoteihyo.exe" "$yoteihyo.exe"
usage cp932-en double-byte-name "S:\\$yoteihyo.exe" "$yoteihyo.exe" '.exe'
# Under code page 932 a lead byte takes the next byte with it, blank or
# double quote alike, so these are one argument there and two under 1252.
usage 'cp932-ja cp932-en' lead-byte-then-blank "$exe" $'tolvik.exe S:\\a\x81 S:\\b' 'tolvik.exe'
usage 'cp932-ja cp932-en' lead-byte-then-quote "$exe" $'tolvik.exe "S:\\a\x81" S:\\b' 'tolvik.exe'
# A lead byte right before the end is a character of its own.
usage 'cp932-ja cp932-en' lead-byte-at-end "$exe" $'tolvik.exe S:\\only\x81' 'tolvik.exe'
usage 'cp932-ja cp932-en' lead-byte-ends-own-token "$exe" $'tolvik.exe\x81' 'tolvik.exe'
error_box cp1252 lead-byte-then-blank "$exe" $'tolvik.exe S:\\a\x81 S:\\b' $'S:\\a\x81' 'S:\b'
error_box cp1252 lead-byte-then-quote "$exe" $'tolvik.exe "S:\\a\x81" S:\\b' $'S:\\a\x81' 'S:\b'

# The error box for a source that is not there, and the splitting rules seen
# through it.
error_box all missing-source "$exe" 'tolvik.exe S:\missing.txt S:\new.txt' 'S:\missing.txt' 'S:\new.txt'
error_box all quoted-with-blanks "$exe" 'tolvik.exe "S:\no such\file" "S:\new link"' 'S:\no such\file' 'S:\new link'
error_box all quoted-stretch-inside "$exe" 'tolvik.exe S:\a"b c"d S:\x' 'S:\ab cd' 'S:\x'
error_box all empty-stretch-inside "$exe" 'tolvik.exe S:\a""b S:\x' 'S:\ab' 'S:\x'
error_box all backslash-before-quote "$exe" 'tolvik.exe "S:\My Dir\" S:\x' 'S:\My Dir\' 'S:\x'
error_box all unclosed-quote "$exe" 'tolvik.exe S:\a "S:\b c' 'S:\a' 'S:\b c'
error_box all quote-then-blank-at-end "$exe" 'tolvik.exe S:\a " ' 'S:\a' ' '
error_box all quoted-blank "$exe" 'tolvik.exe " " S:\x' ' ' 'S:\x'
error_box all tab-separates "$exe" $'tolvik.exe S:\\a\tS:\\b' 'S:\a' 'S:\b'
error_box all control-bytes-separate "$exe" $'tolvik.exe\x01S:\\a\x02\x0B\x1F\x20S:\\b\x1F' 'S:\a' 'S:\b'
error_box all blank-and-tab-quoted "$exe" $'tolvik.exe "S:\\a \tb\x01" S:\\x' $'S:\\a \tb\x01' 'S:\x'
error_box all del-does-not-separate "$exe" $'tolvik.exe S:\\a\x7Fb S:\\x' $'S:\\a\x7Fb' 'S:\x'
error_box all pair-between-arguments "$exe" 'tolvik.exe S:\a "" S:\b' 'S:\a' 'S:\b'
error_box all pair-before-arguments "$exe" 'tolvik.exe "" S:\a S:\b' 'S:\a' 'S:\b'
error_box all third-argument-ignored "$exe" 'tolvik.exe S:\a S:\b S:\c' 'S:\a' 'S:\b'
error_box all own-token-quoted "$exe" '"S:\my tools\x.exe" S:\a S:\b' 'S:\a' 'S:\b'
error_box all own-token-stretch "$exe" 'tol"vik .e"xe S:\a S:\b' 'S:\a' 'S:\b'
error_box all relative-paths-as-typed "$exe" 'tolvik.exe missing.txt scratch\link.txt' 'missing.txt' 'scratch\link.txt'
error_box all long-source "$exe" "tolvik.exe $long_src S:\\x" "$long_src" 'S:\x'
error_box cp1252 high-bytes-ordinary "$exe" $'tolvik.exe S:\\\xA0\xE9\xFF S:\\'"$cafe" $'S:\\\xA0\xE9\xFF' "S:\\$cafe"
error_box 'cp932-ja cp932-en' double-byte-paths "$exe" "tolvik.exe S:\\$yoteihyo\\$nai.txt S:\\$hyo$so" \
  "S:\\$yoteihyo\\$nai.txt" "S:\\$hyo$so"
error_box 'cp932-ja cp932-en' double-byte-quoted "$exe" "tolvik.exe \"S:\\$yoteihyo $ka\\\" S:\\$nai\"$so\"" \
  "S:\\$yoteihyo $ka\\" "S:\\$nai$so"
error_box 'cp932-ja cp932-en' long-double-byte-source "$exe" "tolvik.exe $long_src_932 S:\\x" "$long_src_932" 'S:\x'

# Hard links really made: no box, and both names are one file afterwards.
mkdir -p "$scratch/h" "$scratch/with blanks" "$scratch/表"
echo plain >"$scratch/h/source.txt"
echo blanks >"$scratch/with blanks/source file.txt"
echo third >"$scratch/h/third-source.txt"
echo stretch >"$scratch/h/split name.txt"
echo relative >"$scratch/h/relative.txt"
echo cafe >"$scratch/h/café.txt"
echo yotei >"$scratch/表/予定表.txt"
no_box all hard-link "$exe" 'tolvik.exe S:\h\source.txt S:\h\link.txt'
no_box all hard-link-quoted-blanks "$exe" 'tolvik.exe "S:\with blanks\source file.txt" "S:\with blanks\link file.txt"'
no_box all hard-link-third-ignored "$exe" 'tolvik.exe S:\h\third-source.txt S:\h\third-link.txt S:\h\third.txt'
no_box all hard-link-stretch "$exe" $'tolvik.exe\tS:\\h\\split" "name.txt\x01""S:\\h\\split-link.txt'
# Relative to the folder the program is started in: the work folder.
no_box all hard-link-relative "$exe" 'tolvik.exe scratch\h\relative.txt scratch\h\relative-link.txt'
no_box cp1252 hard-link-high-bytes "$exe" "tolvik.exe S:\\h\\$cafe.txt S:\\h\\$naive.txt"
no_box 'cp932-ja cp932-en' hard-link-double-byte "$exe" "tolvik.exe S:\\$hyo\\$yoteihyo.txt S:\\$hyo\\$so.txt"

# Nothing lost when the link is refused.
mkdir -p "$scratch/f/source-dir/inside" "$scratch/f/existing-dir"
echo source >"$scratch/f/source.txt"
echo keep >"$scratch/f/existing.txt"
echo marker >"$scratch/f/existing-dir/marker.txt"
echo inside >"$scratch/f/source-dir/inside/file.txt"
error_box all existing-destination "$exe" 'tolvik.exe S:\f\source.txt S:\f\existing.txt' 'S:\f\source.txt' 'S:\f\existing.txt'
error_box all destination-is-directory "$exe" 'tolvik.exe S:\f\source.txt S:\f\existing-dir' 'S:\f\source.txt' 'S:\f\existing-dir'
error_box all missing-parent "$exe" 'tolvik.exe S:\f\source.txt S:\f\no\such\link.txt' 'S:\f\source.txt' 'S:\f\no\such\link.txt'
error_box all other-volume "$exe" 'tolvik.exe S:\f\source.txt T:\link.txt' 'S:\f\source.txt' 'T:\link.txt'
# This Wine refuses to make a junction: the directory made for it must go.
error_box all junction-refused "$exe" 'tolvik.exe S:\f\source-dir S:\f\junction' 'S:\f\source-dir' 'S:\f\junction'
error_box all junction-trailing-backslash "$exe" 'tolvik.exe S:\f\source-dir\ S:\f\junction2' 'S:\f\source-dir\' 'S:\f\junction2'
error_box all junction-over-directory "$exe" 'tolvik.exe S:\f\source-dir S:\f\existing-dir' 'S:\f\source-dir' 'S:\f\existing-dir'
error_box all junction-missing-parent "$exe" 'tolvik.exe S:\f\source-dir S:\f\no\junction' 'S:\f\source-dir' 'S:\f\no\junction'
error_box all junction-other-volume "$exe" 'tolvik.exe S:\f\source-dir T:\junction' 'S:\f\source-dir' 'T:\junction'

# The probe itself: a box left open is ended at the time limit.
for_groups cp1252 && add_run probe-time-limit "$exe" 'tolvik.exe' 3000 hold
expected[probe-time-limit]="box"$'\n'"caption $(hex "$usage_caption")"$'\n'"text $(
  hex "$usage_heading"tolvik.exe"$argument_pattern")"$'\n'"icon asterisk"$'\n'"stdout "$'\n'"stderr "$'\n'"timeout"

# --- Running them --------------------------------------------------------

tree_before=$(cd "$scratch" && find . | sort)
output=$harness_work/output.txt
set +e
(cd "$harness_work" &&
  in_wine_within "$batch_limit_s" "$probe" --batch "Z:${case_file//\//\\}" "$case_limit_ms") \
  >"$output" 2>"$harness_work/probe-errors.txt"
probe_status=$?
set -e
# TOLVIK_E2E_OUTPUT=<file> keeps what the probe reported, for a closer look.
[ -n "${TOLVIK_E2E_OUTPUT:-}" ] && cp "$output" "$TOLVIK_E2E_OUTPUT"

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() { echo "FAIL $*"; failed=$((failed + 1)); }

# Shows a block of probe output with the texts decoded, for a reader.
readable() {
  local line
  while IFS= read -r line; do
    case $line in
      caption\ * | text\ *)
        printf '  %s  ' "${line%% *}"
        # shellcheck disable=SC2001  # every pair of hex digits becomes \xHH
        printf '%b' "$(sed 's/../\\x&/g' <<<"${line#* }")" | iconv -c -f CP932 -t UTF-8 |
          tr '\r\n' '  ' || true
        echo ;;
      *) echo "  $line" ;;
    esac
  done
}

if [ "$probe_status" -eq 124 ]; then
  fail "the probe did not finish within ${batch_limit_s}s"
fi
if [ -s "$harness_work/probe-errors.txt" ]; then
  fail "the probe wrote to stderr: $(head -c 500 "$harness_work/probe-errors.txt")"
fi

declare -A actual=()
current=""
while IFS= read -r line; do
  line=${line%$'\r'}
  if [[ $line == run\ * ]]; then
    current=${line#run }
    actual[$current]=""
  elif [ -n "$current" ]; then
    actual[$current]+="${actual[$current]:+$'\n'}$line"
  fi
done <"$output"

for label in "${labels[@]}"; do
  if [ "${actual[$label]-none}" = "${expected[$label]}" ]; then
    pass
  else
    fail "$label"
    echo " expected:"; readable <<<"${expected[$label]}"
    echo " got:"; readable <<<"${actual[$label]-(no run)}"
  fi
done

# --- The file system afterwards -------------------------------------------

identity() { stat -c '%d:%i' "$1" 2>/dev/null || echo "missing $1"; }
links() { stat -c '%h' "$1" 2>/dev/null || echo "missing"; }

check() {  # label actual expected
  if [ "$2" = "$3" ]; then pass; else fail "$1: expected [$3], got [$2]"; fi
}
one_file() {  # label: the two names are one file, with two names
  check "$1: one file" "$(identity "$3")" "$(identity "$2")"
  check "$1: link count" "$(links "$2")" 2
}
absent() { check "$1: nothing at ${2#"$scratch"/}" "$([ -e "$2" ] || [ -L "$2" ] && echo there || echo absent)" absent; }
unchanged() {  # label file content link-count
  check "$1: content of ${2#"$scratch"/}" "$(cat "$2" 2>/dev/null || echo missing)" "$3"
  check "$1: link count of ${2#"$scratch"/}" "$(links "$2")" "$4"
}
directory_with() {  # label folder file content
  check "$1: ${2#"$scratch"/} is a plain directory" \
    "$([ -d "$2" ] && [ ! -L "$2" ] && echo directory || echo other)" directory
  check "$1: ${3#"$scratch"/} kept" "$(cat "$3" 2>/dev/null || echo missing)" "$4"
}

one_file hard-link "$scratch/h/source.txt" "$scratch/h/link.txt"
one_file hard-link-quoted-blanks "$scratch/with blanks/source file.txt" "$scratch/with blanks/link file.txt"
one_file hard-link-third-ignored "$scratch/h/third-source.txt" "$scratch/h/third-link.txt"
absent hard-link-third-ignored "$scratch/h/third.txt"
one_file hard-link-stretch "$scratch/h/split name.txt" "$scratch/h/split-link.txt"
one_file hard-link-relative "$scratch/h/relative.txt" "$scratch/h/relative-link.txt"
if for_groups cp1252; then one_file hard-link-high-bytes "$scratch/h/café.txt" "$scratch/h/naïve.txt"; fi
if for_groups 'cp932-ja cp932-en'; then one_file hard-link-double-byte "$scratch/表/予定表.txt" "$scratch/表/ソ.txt"; fi

absent missing-source "$scratch/new.txt"
absent relative-paths-as-typed "$scratch/link.txt"
unchanged existing-destination "$scratch/f/existing.txt" keep 1
unchanged existing-destination "$scratch/f/source.txt" source 1
directory_with destination-is-directory "$scratch/f/existing-dir" "$scratch/f/existing-dir/marker.txt" marker
absent missing-parent "$scratch/f/no"
check "other volume: nothing on T:" "$(ls -A "$other_volume")" ""
absent junction-refused "$scratch/f/junction"
absent junction-trailing-backslash "$scratch/f/junction2"
directory_with junction-over-directory "$scratch/f/existing-dir" "$scratch/f/existing-dir/marker.txt" marker
check "junction-over-directory: nothing added" "$(ls -A "$scratch/f/existing-dir")" marker.txt
directory_with junction-refused "$scratch/f/source-dir" "$scratch/f/source-dir/inside/file.txt" inside

# Nothing else appeared or went away in the scratch folder.
tree_after=$(cd "$scratch" && find . | sort)
expected_new=$(printf '%s\n' ./h/link.txt "./with blanks/link file.txt" ./h/third-link.txt \
  ./h/split-link.txt ./h/relative-link.txt)
for_groups cp1252 && expected_new+=$'\n./h/naïve.txt'
for_groups 'cp932-ja cp932-en' && expected_new+=$'\n./表/ソ.txt'
check "scratch folder: only the links are new" \
  "$(comm -13 <(echo "$tree_before") <(echo "$tree_after") | tr '\n' ' ')" \
  "$(sort <<<"$expected_new" | tr '\n' ' ')"
check "scratch folder: nothing went away" "$(comm -23 <(echo "$tree_before") <(echo "$tree_after"))" ""

elapsed=$((SECONDS - started))
trap - EXIT
if harness_stop; then pass; else fail "nothing left running"; fi

echo "e2e $group: ${#labels[@]} runs, ${elapsed}s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
