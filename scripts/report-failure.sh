# Sourced first by every script that can fail (bash, set -e): when a command
# fails and stops the script, this names the command, the file and the line
# before the script exits, so that a CI log always says what failed. With
# errtrace the trap also fires inside functions and subshells: one line per
# level, innermost first.
report_failure() { # status command file line function
    echo "FAILED (status $1) at ${3#"$PWD"/}:$4${5:+ (in $5)}: $2" >&2
}
set -E
trap 'report_failure $? "$BASH_COMMAND" "${BASH_SOURCE[0]:-$0}" "$LINENO" "${FUNCNAME[0]:-}"' ERR
