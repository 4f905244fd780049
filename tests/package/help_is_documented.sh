#!/usr/bin/env bash
# What the programs' --help lists is what their manual pages describe and what Tab completes, so
# a new subcommand or option cannot ship undocumented:
# - every vantrolix-cli subcommand has its entry in the manual page, which names each of its options;
# - the completion offers exactly the subcommands and options --help lists, no more, no fewer;
# - every vantrolix option is in its manual page.
# usage: help_is_documented.sh VANTROLIX_CLI VANTROLIX|"" MAN_DIR COMPLETION_FILE
set -uo pipefail
cli=$1 gui=$2 mandir=$3 completion=$4
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The long options in the first column of a --help text.
long_options() { sed -n 's/^  \(-[a-zA-Z],\)\{0,1\}\(--[a-z][a-z0-9-]*\).*/\2/p'; }
subcommands() { awk '/^Subcommands:/ { on = 1; next } on && /^  [a-z]/ { print $1 } /^$/ { on = 0 }'; }
mentions() { grep -qE -- "(^|[^a-z0-9-])$2([^a-z0-9-]|\$)" <<<"$1"; }

# The manual page's text for one subcommand: from the tagged paragraph in COMMANDS that names it
# to the next one that names a subcommand, with roff's \- read as a hyphen.
subcommand_entry() {
  local page=$1 name=$2 all=$3
  sed 's/\\-/-/g' "$page" | awk -v name="$name" -v all=" $all " '
    /^\.SH/ { inCommands = ($0 ~ /^\.SH "?COMMANDS/); current = ""; afterTP = 0; next }
    inCommands && afterTP {
      word = $2; gsub(/"/, "", word)
      if (index(all, " " word " ") > 0) current = word
    }
    { afterTP = ($0 ~ /^\.TP/) }
    current == name { print }'
}

# What the completion offers for the words typed so far (the last one being completed).
complete_words() {
  bash -c '
    source "$1"; shift
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
    _vantrolix_cli
    printf "%s\n" "${COMPREPLY[@]}"' complete_words "$completion" "$@" | sort
}

main_help="$("$cli" --help)" || fail "vantrolix-cli --help failed"
mapfile -t subs < <(subcommands <<<"$main_help")
[ ${#subs[@]} -gt 0 ] || fail "vantrolix-cli --help lists no subcommands"
cli_page="$mandir/vantrolix-cli.1.in"

[ "$(complete_words vantrolix-cli "")" = "$(printf '%s\n' "${subs[@]}" | sort)" ] ||
  fail "completion of the subcommand differs from --help: $(complete_words vantrolix-cli "" | tr '\n' ' ')"
[ "$(complete_words vantrolix-cli --)" = "$(long_options <<<"$main_help" | sort)" ] ||
  fail "completion of the options before a subcommand differs from --help"
for option in $(long_options <<<"$main_help"); do
  mentions "$(sed 's/\\-/-/g' "$cli_page")" "$option" || fail "vantrolix-cli.1 does not mention $option"
done

for sub in "${subs[@]}"; do
  help="$("$cli" "$sub" --help)" || fail "vantrolix-cli $sub --help failed"
  entry="$(subcommand_entry "$cli_page" "$sub" "${subs[*]}")"
  [ -n "$entry" ] || fail "vantrolix-cli.1 has no entry for $sub under COMMANDS"
  for option in $(long_options <<<"$help"); do
    [ "$option" = --help ] && continue # the page says once that every subcommand takes it
    mentions "$entry" "$option" || fail "vantrolix-cli.1 does not name $option in the entry for $sub"
  done
  [ "$(complete_words vantrolix-cli "$sub" --)" = "$(long_options <<<"$help" | sort)" ] ||
    fail "completion of $sub's options differs from its --help: $(complete_words vantrolix-cli "$sub" -- | tr '\n' ' ')"
done

if [ -n "$gui" ]; then
  gui_help="$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen "$gui" --help)" || fail "vantrolix --help failed"
  for option in $(long_options <<<"$gui_help"); do
    mentions "$(sed 's/\\-/-/g' "$mandir/vantrolix.1.in")" "$option" || fail "vantrolix.1 does not mention $option"
  done
fi

[ "$failures" -eq 0 ] && echo "every subcommand and option is documented and completed"
exit "$((failures > 0))"
