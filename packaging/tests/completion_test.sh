#!/usr/bin/env bash
# The bash completion of twcalc, as bash calls it: each case types a command line and names
# words that must (+word) or must not (-word) be offered for its last word, or "nothing".
#
# completion_test.sh COMPLETION_FILE
set -uo pipefail
source "$1"

failures=0
# offered LINE: the words offered for the last word of LINE (a trailing blank starts a new
# word), one per line.
offered() {
  local line=$1
  read -ra COMP_WORDS <<<"$line"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _twcalc
  printf '%s\n' "${COMPREPLY[@]}"
}

expect() {
  local line=$1
  shift
  local words
  words=$(offered "$line")
  for want in "$@"; do
    case $want in
      nothing) [[ -z $words ]] || { echo "FAIL: '$line' offers $(echo $words), expected nothing"; failures=$((failures + 1)); } ;;
      +*) grep -qx -- "${want:1}" <<<"$words" || { echo "FAIL: '$line' does not offer ${want:1} (offers: $(echo $words))"; failures=$((failures + 1)); } ;;
      -*) ! grep -qx -- "${want:1}" <<<"$words" || { echo "FAIL: '$line' offers ${want:1}"; failures=$((failures + 1)); } ;;
    esac
  done
}

# Commands and subcommands.
expect "twcalc " +convert +units +fluegas +steam +pipe +dpcalc -sat
expect "twcalc st" +steam -convert
expect "twcalc steam " +sat +state +visco -convert
expect "twcalc steam sa" +sat -state
# Options of the command being typed, not of others.
expect "twcalc --v" +--version
expect "twcalc steam sat --t" +--tp ---tref
expect "twcalc fluegas --t" +--t +--tref ---tp
expect "twcalc fluegas --n2 76 --ar 0.9 --" +--o2 +--json +--csv
expect "twcalc units --json --l" +--lang
# Values of options: the choices where there are some, nothing (file names) elsewhere; a value
# is not taken for a command or an argument.
expect "twcalc fluegas --lang " +en +ko
expect "twcalc convert --lang k" +ko -en
expect "twcalc fluegas --lang=" +en +ko
expect "twcalc fluegas --lang = " +en +ko  # as bash splits "--lang=" at the equals sign
expect "twcalc fluegas --lang = en --" +--csv
expect "twcalc fluegas --csv " nothing
expect "twcalc fluegas --utp " nothing
expect "twcalc steam sat --tp steam " nothing
# Quantity keys where a command takes a KEY, only in its place.
expect "twcalc convert " +TP +PR +ENTH +HtDensity
expect "twcalc convert E" +ENTH +ENTRO +Energy -TP
expect "twcalc units --lang en " +TP
expect "twcalc convert TP " nothing
expect "twcalc pipe " nothing

echo "completion: $failures failed"
[[ $failures -eq 0 ]]
