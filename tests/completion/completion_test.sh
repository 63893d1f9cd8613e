#!/bin/bash
# The bash completion offers what pelorus-cli's help declares: commands, the actions of the two
# link commands, and each command's or action's options. Run with the build folder.
set -u
build=$1
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
export PATH="$build/src/cli:$PATH"

# The two helpers the script takes from bash-completion, reduced to what it needs.
_init_completion() {
  words=("${COMP_WORDS[@]}")
  cword=$COMP_CWORD
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD - 1]:-}
}
_filedir() { COMPREPLY=(FILE); }
complete() { :; }
# shellcheck source=/dev/null
. "$source_dir/resources/completion/pelorus-cli"

failures=0
# expect "WORDS..." OFFERED [NOT_OFFERED]: completes the last word of WORDS.
expect() {
  read -r -a COMP_WORDS <<<"$1"
  [[ $1 == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _pelorus_cli
  local offered=" ${COMPREPLY[*]} "
  if [[ $offered != *" $2 "* ]]; then
    echo "FAIL: '$1' does not offer $2 (offered:$offered)"
    failures=$((failures + 1))
  fi
  if [ -n "${3:-}" ] && [[ $offered == *" $3 "* ]]; then
    echo "FAIL: '$1' offers $3 (offered:$offered)"
    failures=$((failures + 1))
  fi
}

expect "pelorus-cli so" sort
expect "pelorus-cli " scsi pelorus-cli
expect "pelorus-cli help mpeg" mpeg-paste
expect "pelorus-cli scsi cap" capture
expect "pelorus-cli serial " lock-search
expect "pelorus-cli sort a.dvb b.dvb --b" --by
expect "pelorus-cli scsi capture out.mpp --p" --pid
expect "pelorus-cli scsi capture out.mpp --s" --scsi
# An action's options are its own: the capture's are not offered for a read.
expect "pelorus-cli scsi read-settings x.dvb --" --scsi --pid
expect "pelorus-cli serial scan out.scn --l" --lnb
expect "pelorus-cli serial scan out.scn --s" --speed
expect "pelorus-cli list " FILE

if [ "$failures" -ne 0 ]; then
  echo "$failures completion checks failed"
  exit 1
fi
echo "completion: all checks passed"
